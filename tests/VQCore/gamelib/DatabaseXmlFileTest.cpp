// The catalogue file: loading the fixtures vqtool made from data/*.xml,
// the look-ups, the id lists, the checked save and the in-memory parts of
// an increment (ADD, MODIFY, REMOVE).
#include "VQCore/gamelib/DatabaseXmlFile.h"

#include "common/Buffer.h"
#include "common/CodePage.h"
#include "common/Md5.h"
#include "common/ScrambledXmlFile.h"
#include "tests/VQCore/gamelib/DataFileTestUtil.h"
#include "tests/support/TempFolder.h"

#include <tinyxml.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tessar {
namespace {

const wchar_t kPalMd5[] = L"0123456789ABCDEF0123456789ABCDEF";
const wchar_t kHiddenMd5[] = L"FEDCBA9876543210FEDCBA9876543210";

typedef std::vector<uint32_t> Ids;

// The ids of a look-up chain, in chain order.
Ids Chain(const VQGameRecord* first) {
    Ids ids;
    for (const VQGameRecord* at = first; at != nullptr && ids.size() < 100; at = at->NextSameKey)
        ids.push_back(at->ID);
    return ids;
}

// Parses XML written here as wide text (Chinese included) in the system
// code page, as the server's replies come.
bool ParseUpdate(TiXmlDocument& document, const std::wstring& text) {
    document.Parse(WideToNarrow(text).c_str());
    return !document.Error();
}

class DatabaseXmlFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = m_folder.PathOf(L"data\\database.vqx");
        ASSERT_TRUE(CopyFixture("catalogue.vqx", m_path));
    }

    // The plaintext of a saved file; fails the test when it does not check.
    std::string Plaintext(const std::wstring& path) {
        VQBuffer<char> plain;
        EXPECT_EQ(kScrambledLoaded, ReadScrambledFile(path, plain));
        return plain.data != nullptr ? std::string(plain.data, plain.size - 1) : std::string();
    }

    VQTempFolder m_folder;
    std::wstring m_path;
};

TEST_F(DatabaseXmlFileTest, LoadsEveryFieldOfARecord) {
    VQDatabaseXmlFile database(m_path);
    ASSERT_TRUE(database.Load());
    EXPECT_EQ(L"100", database.GetVersion());
    EXPECT_EQ(32u, database.GetMd5().size());
    const VQGameRecord* pal = database.FindById(42);
    ASSERT_NE(nullptr, pal);
    EXPECT_EQ(L"仙剑奇侠传", pal->GameName);  // the first entry of an id wins
    EXPECT_EQ(L"pal.exe", pal->ExeName);
    EXPECT_EQ(L"仙剑奇侠传 主程序", pal->Description);
    EXPECT_EQ(L"大宇资讯", pal->Company);
    EXPECT_EQ(L"PAL", pal->InternalName);
    EXPECT_EQ(L"pal.exe", pal->OriginalName);
    EXPECT_EQ(L"Softstar Entertainment", pal->DigitalSignature);
    EXPECT_EQ(kPalMd5, pal->Md5);
    EXPECT_EQ(1048576u, pal->Size);
    EXPECT_EQ(1, pal->Publish);
    EXPECT_EQ(3, pal->Type);
    EXPECT_EQ(L"http://pal.example.com/", pal->Home);
    EXPECT_EQ(L"PAL98", pal->UninstallKey);
    EXPECT_EQ(L"http://pal.example.com/reg", pal->Register);
    EXPECT_EQ(L"http://pal.example.com/login", pal->Login);
    EXPECT_EQ(L"http://pal.example.com/ad", pal->Advert);
    EXPECT_EQ(L"http://pal.example.com/help", pal->Help);
    EXPECT_EQ(3, pal->League);
    EXPECT_STREQ("10010000", pal->Status);
    EXPECT_EQ(2, pal->OS);
    EXPECT_EQ(2, pal->CpuCount);
    EXPECT_FLOAT_EQ(2.4f, pal->CpuSpeed);
    EXPECT_EQ(512u, pal->Memory);
    EXPECT_EQ(128u, pal->Video);
    EXPECT_EQ(2000000000u, pal->InstallSize);
    EXPECT_EQ(5, pal->Depend);
    EXPECT_EQ(L"李逍遥的江湖故事。", pal->Synopsis);
    EXPECT_EQ(2u, pal->DLType);

    const VQGameRecord* dos = database.FindById(43);
    ASSERT_NE(nullptr, dos);
    EXPECT_EQ(2, dos->CpuCount);
    EXPECT_EQ(0.0f, dos->CpuSpeed);
    EXPECT_STREQ("1", dos->Status);
    EXPECT_EQ(nullptr, database.FindById(1));
}

TEST_F(DatabaseXmlFileTest, KeepsFirstOfAnIdAndDropsEntriesWithoutOne) {
    VQDatabaseXmlFile database(m_path);
    ASSERT_TRUE(database.Load());
    Ids ids;
    for (const auto& entry : database.GetGames())
        ids.push_back(entry.first);
    // Every child of DATABASE is an entry whatever its tag (46 is an ITEM).
    EXPECT_EQ((Ids{42, 43, 44, 45, 46, 20001, 20002, 40001, 50001, 70001}), ids);
    ASSERT_NE(nullptr, database.FindById(46));
    EXPECT_EQ(L"别的标签", database.FindById(46)->GameName);
}

TEST_F(DatabaseXmlFileTest, ListsHoldThePublishedGamesByKind) {
    VQDatabaseXmlFile database(m_path);
    ASSERT_TRUE(database.Load());
    const Ids expected[VQDatabaseXmlFile::kIdListCount] = {
        {42, 43, 46}, {20001, 20002}, {50001}, {70001}, {40001}, {}, {}, {}, {}, {},
    };
    for (uint32_t list = 0; list < VQDatabaseXmlFile::kIdListCount; ++list)
        EXPECT_EQ(expected[list], database.GetIdList(list)) << "list " << list;
    EXPECT_TRUE(database.GetIdList(VQDatabaseXmlFile::kIdListCount).empty());
}

TEST_F(DatabaseXmlFileTest, IndexesChainRecordsOfTheirKindsInFileOrder) {
    VQDatabaseXmlFile database(m_path);
    ASSERT_TRUE(database.Load());
    struct Case {
        const wchar_t* key;
        bool byMd5;
        Ids chain;
    };
    const Case cases[] = {
        {kPalMd5, true, {42, 43}},
        {kHiddenMd5, true, {44}},  // unpublished, still found
        {L"11111111111111111111111111111111", true, {}},  // Flash games are in no index
        {L"22222222222222222222222222222222", true, {}},  // nor web games
        {L"0123456789abcdef0123456789abcdef", true, {}},  // keys are exact
        {L"client.exe", false, {20001, 20002}},
        {L"tool.exe", false, {40001}},
        {L"pal.exe", false, {}},  // single-player games go by MD5 only
        {L"flash.exe", false, {}},
        {L"web.exe", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(c.chain, Chain(c.byMd5 ? database.FindByMd5(c.key) : database.FindByExeName(c.key)));
    }
}

TEST_F(DatabaseXmlFileTest, SavedFileIsCheckedAndReadsBackTheSame) {
    VQDatabaseXmlFile database(m_path);
    ASSERT_TRUE(database.Load());
    ASSERT_TRUE(database.Save());

    std::string saved = m_folder.ReadFile(L"data\\database.vqx");
    EXPECT_EQ(0u, saved.size() % 8);
    std::string plain = Plaintext(m_path);
    ASSERT_GT(plain.size(), 43u);
    EXPECT_EQ(0, plain.compare(0, 5, "<MD5>"));
    EXPECT_EQ(WideToNarrow(Md5OfBuffer(plain.data() + 43, static_cast<int32_t>(plain.size() - 43))),
              plain.substr(5, 32));
    EXPECT_NE(std::string::npos, plain.find("<VERSION>100</VERSION>"));
    EXPECT_NE(std::string::npos, plain.find("<ID>00042</ID>"));
    EXPECT_NE(std::string::npos, plain.find("<CPU>2|2.4</CPU>"));
    EXPECT_NE(std::string::npos, plain.find("<CPU>2</CPU>"));

    VQDatabaseXmlFile again(m_path);
    ASSERT_TRUE(again.Load());
    ASSERT_EQ(database.GetGames().size(), again.GetGames().size());
    for (const auto& entry : database.GetGames()) {
        SCOPED_TRACE(entry.first);
        const VQGameRecord& a = *entry.second;
        const VQGameRecord* b = again.FindById(entry.first);
        ASSERT_NE(nullptr, b);
        EXPECT_EQ(a.GameName, b->GameName);
        EXPECT_EQ(a.ExeName, b->ExeName);
        EXPECT_EQ(a.Description, b->Description);
        EXPECT_EQ(a.Company, b->Company);
        EXPECT_EQ(a.InternalName, b->InternalName);
        EXPECT_EQ(a.OriginalName, b->OriginalName);
        EXPECT_EQ(a.DigitalSignature, b->DigitalSignature);
        EXPECT_EQ(a.Md5, b->Md5);
        EXPECT_EQ(a.Size, b->Size);
        EXPECT_EQ(a.Publish, b->Publish);
        EXPECT_EQ(a.Type, b->Type);
        EXPECT_EQ(a.Home, b->Home);
        EXPECT_EQ(a.Register, b->Register);
        EXPECT_EQ(a.Login, b->Login);
        EXPECT_EQ(a.Advert, b->Advert);
        EXPECT_EQ(a.Help, b->Help);
        EXPECT_EQ(a.UninstallKey, b->UninstallKey);
        EXPECT_EQ(a.OS, b->OS);
        EXPECT_EQ(a.CpuCount, b->CpuCount);
        EXPECT_FLOAT_EQ(a.CpuSpeed, b->CpuSpeed);
        EXPECT_EQ(a.Memory, b->Memory);
        EXPECT_EQ(a.Video, b->Video);
        EXPECT_EQ(a.InstallSize, b->InstallSize);
        EXPECT_EQ(a.Depend, b->Depend);
        EXPECT_EQ(a.Synopsis, b->Synopsis);
        EXPECT_EQ(a.DLType, b->DLType);
        EXPECT_STREQ(a.Status, b->Status);
    }
    // League is kept for web games only.
    EXPECT_EQ(0, again.FindById(42)->League);
    EXPECT_EQ(7, again.FindById(70001)->League);
    for (uint32_t list = 0; list < VQDatabaseXmlFile::kIdListCount; ++list)
        EXPECT_EQ(database.GetIdList(list), again.GetIdList(list)) << "list " << list;
    EXPECT_EQ(Ids({42, 43}), Chain(again.FindByMd5(kPalMd5)));
}

TEST_F(DatabaseXmlFileTest, UnreadableFilesFailTheLoad) {
    std::string damaged = m_folder.ReadFile(L"data\\database.vqx");
    ASSERT_GT(damaged.size(), 100u);
    damaged[80] ^= 0x01;
    ASSERT_TRUE(m_folder.WriteFile(L"damaged.vqx", damaged));
    ASSERT_TRUE(m_folder.WriteFile(L"plain.vqx", "<VERSION>1</VERSION><DATABASE/>"));
    for (const wchar_t* name : {L"damaged.vqx", L"plain.vqx", L"missing.vqx"}) {
        SCOPED_TRACE(name);
        VQDatabaseXmlFile database(m_folder.PathOf(name));
        EXPECT_FALSE(database.Load());
        EXPECT_TRUE(database.GetGames().empty());
        EXPECT_TRUE(database.GetIdList(0).empty());
        EXPECT_EQ(nullptr, database.FindById(42));
    }
}

// A catalogue whose numbers are odd loads whole: each number is read from
// its leading digits and kept by its field's low bits; only the entry
// without an id is dropped.
TEST_F(DatabaseXmlFileTest, OddNumbersNeverCostARecord) {
    ASSERT_TRUE(CopyFixture("catalogue-oddnumbers.vqx", m_folder.PathOf(L"odd.vqx")));
    VQDatabaseXmlFile database(m_folder.PathOf(L"odd.vqx"));
    ASSERT_TRUE(database.Load());
    EXPECT_EQ(3u, database.GetGames().size());
    ASSERT_NE(nullptr, database.FindById(42));  // "00042abc"
    EXPECT_EQ(L"好的记录", database.FindById(42)->GameName);
    EXPECT_EQ(Ids({42}), Chain(database.FindByMd5(kPalMd5)));
    ASSERT_NE(nullptr, database.FindById(20001));  // blanks before the digits
    EXPECT_EQ(Ids({20001}), Chain(database.FindByExeName(L"client.exe")));
    EXPECT_EQ(0, database.FindById(20001)->CpuCount);
    EXPECT_EQ(0.0f, database.FindById(20001)->CpuSpeed);  // "x|nan"
    EXPECT_EQ(Ids({42, 43}), database.GetIdList(VQDatabaseXmlFile::kPublishedSingleList));
    EXPECT_EQ(Ids({20001}), database.GetIdList(VQDatabaseXmlFile::kPublishedOnlineList));

    const VQGameRecord* odd = database.FindById(43);
    ASSERT_NE(nullptr, odd);
    EXPECT_EQ(12u, odd->Size);                // "12abc"
    EXPECT_EQ(1, odd->Publish);               // "1x"
    EXPECT_EQ(0, odd->Type);                  // "-3": no leading digit
    EXPECT_EQ(4, odd->OS);                    // 260, low 8 bits
    EXPECT_EQ(2, odd->CpuCount);              // "2 cores|2.4GHz"
    EXPECT_FLOAT_EQ(2.4f, odd->CpuSpeed);
    EXPECT_EQ(0xFFFFFFFFu, odd->Memory);      // past 64 bits: stops at the largest
    EXPECT_EQ(UINT64_MAX, odd->InstallSize);  // 2^64
    EXPECT_EQ(1, odd->Depend);                // 65537, low 16 bits
    EXPECT_EQ(2u, odd->DLType);               // 65538, low 16 bits

    // What was read is what is saved and read again.
    database.SetVersion(L"again");
    ASSERT_TRUE(database.Save());
    VQDatabaseXmlFile again(m_folder.PathOf(L"odd.vqx"));
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(3u, again.GetGames().size());
    ASSERT_NE(nullptr, again.FindById(43));
    EXPECT_EQ(UINT64_MAX, again.FindById(43)->InstallSize);
    EXPECT_EQ(0xFFFFFFFFu, again.FindById(43)->Memory);
    EXPECT_FLOAT_EQ(2.4f, again.FindById(43)->CpuSpeed);
}

// The numbers of an update entry read as those of the file; the Part's own
// edge cases among them. Only an entry without a nonzero id is dropped.
TEST_F(DatabaseXmlFileTest, NumbersAreReadFromTheirLeadingDigits) {
    struct Case {
        const wchar_t* field;
        const wchar_t* text;
        uint32_t id;        // the id the entry gets (0: dropped)
        uint64_t expected;  // the field's value (CPU: the count)
        float speed;        // CPU only
    };
    const Case cases[] = {
        {L"Publish", L"255", 5, 255, 0},
        {L"Publish", L"256", 5, 0, 0},
        {L"Type", L"7a", 5, 7, 0},
        {L"Type", L"a7", 5, 0, 0},
        {L"Size", L"18446744073709551615", 5, UINT64_MAX, 0},
        {L"Size", L"18446744073709551616", 5, UINT64_MAX, 0},
        {L"Memory", L"4294967296", 5, 0, 0},
        {L"Memory", L"4294967297", 5, 1, 0},
        {L"Depend", L"65535", 5, 65535, 0},
        {L"Depend", L"65536", 5, 0, 0},
        {L"DLType", L"65535", 5, 65535, 0},
        {L"DLType", L"65538", 5, 2, 0},
        {L"DLType", L"2", 5, 2, 0},
        {L"OS", L"-1", 5, 0, 0},
        {L"CPU", L"2", 5, 2, 0.0f},
        {L"CPU", L"2|2.4", 5, 2, 2.4f},
        {L"CPU", L"2|1e3", 5, 2, 1000.0f},
        {L"CPU", L"2|x", 5, 2, 0.0f},
        {L"CPU", L"2|1e99", 5, 2, 0.0f},
        {L"CPU", L"258|1", 5, 2, 1.0f},
        {L"CPU", L"a|2", 5, 0, 2.0f},
        {L"ID", L"00042abc", 42, 0, 0},
        {L"ID", L"+7", 7, 0, 0},
        {L"ID", L"abc", 0, 0, 0},
        {L"ID", L"0", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::wstring(c.field) + L"=" + c.text);
        const bool isId = std::wstring(c.field) == L"ID";
        VQDatabaseXmlFile database(m_path);
        TiXmlDocument update;
        std::wstring child = std::wstring(L"<") + c.field + L">" + c.text + L"</" + c.field + L">";
        ASSERT_TRUE(ParseUpdate(update, std::wstring(L"<ADD><GAME>") + (isId ? L"" : L"<ID>5</ID>") +
                                            L"<GameName>g</GameName>" + child + L"</GAME></ADD>"));
        database.ParseGames(&update, "ADD");
        EXPECT_EQ(c.id == 0 ? 0u : 1u, database.GetGames().size());
        const VQGameRecord* record = database.FindById(c.id);
        if (c.id == 0)
            continue;
        ASSERT_NE(nullptr, record);
        EXPECT_EQ(L"g", record->GameName);
        const std::wstring field = c.field;
        if (field == L"Publish")
            EXPECT_EQ(c.expected, record->Publish);
        else if (field == L"Type")
            EXPECT_EQ(c.expected, record->Type);
        else if (field == L"Size")
            EXPECT_EQ(c.expected, record->Size);
        else if (field == L"Memory")
            EXPECT_EQ(c.expected, record->Memory);
        else if (field == L"Depend")
            EXPECT_EQ(c.expected, record->Depend);
        else if (field == L"DLType")
            EXPECT_EQ(c.expected, record->DLType);
        else if (field == L"OS")
            EXPECT_EQ(c.expected, record->OS);
        else if (field == L"CPU") {
            EXPECT_EQ(c.expected, record->CpuCount);
            EXPECT_FLOAT_EQ(c.speed, record->CpuSpeed);
        }
    }
}

// REMOVE and MODIFY read their ids as ADD does.
TEST_F(DatabaseXmlFileTest, RemoveAndModifyReadIdsFromTheirLeadingDigits) {
    VQDatabaseXmlFile database(m_path);
    ASSERT_TRUE(database.Load());
    ASSERT_NE(nullptr, database.FindById(43));
    TiXmlDocument update;
    ASSERT_TRUE(ParseUpdate(update, L"<MODIFY><GAME><ID>00042 </ID><Type>9z</Type></GAME></MODIFY>"
                                    L"<REMOVE><ID>00043abc</ID><ID>junk</ID></REMOVE>"));
    database.ParseGames(&update, "MODIFY");
    database.RemoveGames(update.FirstChildElement("REMOVE"));
    EXPECT_EQ(nullptr, database.FindById(43));
    ASSERT_NE(nullptr, database.FindById(42));
    EXPECT_EQ(9, database.FindById(42)->Type);
}

TEST_F(DatabaseXmlFileTest, CpuAndLeagueAreWrittenAsTheFormatSays) {
    VQDatabaseXmlFile database(m_folder.PathOf(L"new.vqx"));
    TiXmlDocument update;
    ASSERT_TRUE(ParseUpdate(update, L"<ADD>"
                                    L"<GAME><ID>10</ID><CPU>0|3.5</CPU><League>9</League><Status>12345678901</Status></GAME>"
                                    L"<GAME><ID>11</ID><CPU>4|3.14159</CPU></GAME>"
                                    L"<GAME><ID>70002</ID><League>0</League></GAME>"
                                    L"</ADD>"));
    database.ParseGames(&update, "ADD");
    database.SetVersion(L"v1");
    ASSERT_TRUE(database.Save());
    std::string plain = Plaintext(m_folder.PathOf(L"new.vqx"));
    const std::string game10 = plain.substr(plain.find("<ID>00010</ID>"), plain.find("<ID>00011</ID>") -
                                                                              plain.find("<ID>00010</ID>"));
    EXPECT_EQ(std::string::npos, game10.find("CPU"));  // no count, no CPU element
    EXPECT_EQ(std::string::npos, game10.find("League"));
    EXPECT_NE(std::string::npos, game10.find("<Publish>0</Publish>"));
    EXPECT_NE(std::string::npos, game10.find("<Status>12345678</Status>"));
    EXPECT_NE(std::string::npos, plain.find("<CPU>4|3.1416</CPU>"));
    EXPECT_NE(std::string::npos, plain.find("<ID>70002</ID>"));
    EXPECT_NE(std::string::npos, plain.find("<League>0</League>"));
    EXPECT_NE(std::string::npos, plain.find("<VERSION>v1</VERSION>"));
}

TEST_F(DatabaseXmlFileTest, ModifyMovesARecordToTheChainOfItsNewKey) {
    VQDatabaseXmlFile database(m_path);
    ASSERT_TRUE(database.Load());
    TiXmlDocument update;
    ASSERT_TRUE(ParseUpdate(update, std::wstring(L"<MODIFY>"
                                                 L"<GAME><GameName>before the id</GameName><ID>00042</ID><Md5>") +
                                        kHiddenMd5 + L"</Md5><Home/><Size></Size><Help>新的帮助</Help></GAME>"
                                                     L"<GAME><ID>12345</ID><GameName>unknown</GameName></GAME>"
                                                     L"<GAME><ID>20001</ID><ExeName>other.exe</ExeName></GAME>"
                                                     L"</MODIFY>"));
    database.ParseGames(&update, "MODIFY");
    const VQGameRecord* pal = database.FindById(42);
    ASSERT_NE(nullptr, pal);
    EXPECT_EQ(L"仙剑奇侠传", pal->GameName);  // fields before ID change nothing
    EXPECT_EQ(L"", pal->Home);              // an empty element clears its field
    EXPECT_EQ(0u, pal->Size);
    EXPECT_EQ(L"新的帮助", pal->Help);
    EXPECT_EQ(L"pal.exe", pal->ExeName);  // untouched fields stay
    EXPECT_EQ(Ids({43}), Chain(database.FindByMd5(kPalMd5)));
    EXPECT_EQ(Ids({44, 42}), Chain(database.FindByMd5(kHiddenMd5)));
    EXPECT_EQ(Ids({20002}), Chain(database.FindByExeName(L"client.exe")));
    EXPECT_EQ(Ids({20001}), Chain(database.FindByExeName(L"other.exe")));
    EXPECT_EQ(nullptr, database.FindById(12345));
    EXPECT_EQ(10u, database.GetGames().size());
}

TEST_F(DatabaseXmlFileTest, RemovingTheHeadOrTheTailOfAChain) {
    struct Case {
        const wchar_t* remove;
        Ids chain;
    };
    const Case cases[] = {
        {L"<ID>00043</ID>", {42}},
        {L"<ID>42</ID>", {43}},
        {L"<X>42</X><Y>43</Y><ID>99999</ID><ID/>", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.remove);
        VQDatabaseXmlFile database(m_path);
        ASSERT_TRUE(database.Load());
        TiXmlDocument update;
        ASSERT_TRUE(ParseUpdate(update, std::wstring(L"<REMOVE>") + c.remove + L"</REMOVE>"));
        database.RemoveGames(update.FirstChildElement("REMOVE"));
        EXPECT_EQ(c.chain, Chain(database.FindByMd5(kPalMd5)));
        EXPECT_EQ(8u + c.chain.size(), database.GetGames().size());
        EXPECT_NE(nullptr, database.FindById(44));
    }
}

TEST_F(DatabaseXmlFileTest, OnlyNewlyPublishedGamesAreListedAsNew) {
    VQDatabaseXmlFile database(m_path);
    ASSERT_TRUE(database.Load());
    TiXmlDocument update;
    ASSERT_TRUE(ParseUpdate(update, L"<ADD><GAME><ID>101</ID><Publish>1</Publish></GAME>"
                                    L"<GAME><ID>102</ID></GAME>"
                                    L"<GAME><ID>42</ID><GameName>again</GameName><Publish>1</Publish></GAME>"
                                    L"<GAME><ID>40002</ID><Publish>1</Publish></GAME></ADD>"
                                    L"<MODIFY><GAME><ID>43</ID><GameName>renamed</GameName><Publish>1</Publish></GAME>"
                                    L"<GAME><ID>44</ID><Publish>1</Publish></GAME>"
                                    L"<GAME><ID>20001</ID><Publish>0</Publish></GAME></MODIFY>"));
    database.ParseGames(&update, "ADD");
    database.ParseGames(&update, "MODIFY");
    EXPECT_EQ(L"仙剑奇侠传", database.FindById(42)->GameName);
    EXPECT_EQ(L"renamed", database.FindById(43)->GameName);
    const Ids expected[VQDatabaseXmlFile::kIdListCount] = {
        {42, 43, 46, 101, 44}, {20002}, {50001}, {70001}, {40001, 40002},
        {101, 44},             {},      {},      {},      {40002},
    };
    for (uint32_t list = 0; list < VQDatabaseXmlFile::kIdListCount; ++list)
        EXPECT_EQ(expected[list], database.GetIdList(list)) << "list " << list;
}

}  // namespace
}  // namespace Tessar
