// Catalogue updates against the local update server
// (tests/support/servers/update_server.py) on 127.0.0.1: nothing new, an
// increment, a full copy, and every fault the server can inject, each of
// which must leave the file and the records as they were.
#include "VQCore/gamelib/DatabaseXmlFile.h"

#include "common/CodePage.h"
#include "common/FileUtil.h"
#include "common/HttpGetter.h"
#include "common/RemoteFileInfo.h"
#include "common/ServerAddresses.h"
#include "tests/VQCore/gamelib/DataFileTestUtil.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ReceiveTimeout.h"
#include "tests/support/UpdateServer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tessar {
namespace {

typedef std::vector<uint32_t> Ids;
typedef std::vector<std::string> Requests;

const wchar_t kIncrement[] =
    L"<VERSION>101</VERSION>\n"
    L"<ADD>\n"
    L"  <GAME><ID>00101</ID><GameName>新增游戏</GameName><Publish>1</Publish><Type>1</Type></GAME>\n"
    L"  <GAME><ID>20003</ID><GameName>新网游</GameName><ExeName>client.exe</ExeName><Publish>1</Publish></GAME>\n"
    L"  <GAME><ID>00042</ID><GameName>重复的编号</GameName><Publish>1</Publish></GAME>\n"
    L"</ADD>\n"
    L"<REMOVE><ID>00043</ID><ID>55555</ID></REMOVE>\n"
    L"<MODIFY>\n"
    L"  <GAME><ID>00044</ID><Publish>1</Publish></GAME>\n"
    L"  <GAME><ID>20001</ID><GameName>梦幻西游 新版</GameName><Publish>1</Publish></GAME>\n"
    L"  <GAME><ID>12345</ID><GameName>不存在</GameName></GAME>\n"
    L"</MODIFY>\n";
// Odd numbers everywhere: each is read from its leading digits and the
// increment is applied whole.
const wchar_t kOddNumberIncrement[] =
    L"<VERSION>102</VERSION>\n"
    L"<ADD><GAME><ID>00101x</ID><GameName>新增游戏</GameName><Publish>1 </Publish><Size>9 MB</Size></GAME></ADD>\n"
    L"<REMOVE><ID>00043;</ID></REMOVE>\n"
    L"<MODIFY><GAME><ID>00044</ID><Publish>1</Publish><Size>12abc</Size></GAME></MODIFY>\n";

// The faults of update_server.py that break a transfer; a stall outlasts
// the receive time-out the tests set.
const wchar_t* const kTransferFaults[] = {L"status-404", L"nolength", L"short", L"close", L"stall-4000",
                                          L"stallhead-4000"};
const DWORD kTestReceiveTimeoutMs = 1000;

std::string Reply(const std::string& url, const std::string& md5, int increment) {
    std::string reply = "<FILE><DownloadUrl>" + url + "</DownloadUrl>";
    if (!md5.empty())
        reply += "<Md5>" + md5 + "</Md5>";
    return reply + "<Increment>" + std::to_string(increment) + "</Increment></FILE>";
}

class DatabaseUpdateTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_root = new VQTempFolder;
        s_server = new Tessar::Test::VQUpdateServer;
        const VQTempFolder& root = *s_root;
        bool ready = !root.Path().empty() && CopyFixture("catalogue-full.vqx", root.PathOf(L"full.vqx")) &&
                     CopyFixture("catalogue-oddnumbers.vqx", root.PathOf(L"odd.vqx")) &&
                     root.WriteFile(L"broken.vqx", "not a catalogue at all") &&
                     root.WriteFile(L"inc-ok.xml", WideToNarrow(kIncrement)) &&
                     root.WriteFile(L"inc-oddnumber.xml", WideToNarrow(kOddNumberIncrement)) &&
                     root.WriteFile(L"inc-broken.xml", "<VERSION>103</VERSION><ADD><GAME>") &&
                     root.WriteFile(L"inc-zero.xml", std::string("<VERSION>104</VERSION>\0<ADD/>", 29));
        struct ReplyFile {
            std::string version;
            std::string text;
        };
        std::vector<ReplyFile> replies = {
            {"100", "<FILE><DownloadUrl>nOnE</DownloadUrl><Increment>1</Increment></FILE>"},
            {"inc-ok", Reply("{base}/files/inc-ok.xml", "{md5:inc-ok.xml}", 1)},
            {"inc-nomd5", Reply("{base}/files/inc-ok.xml", "", 1)},
            {"inc-badmd5", Reply("{base}/files/inc-ok.xml", "{md5:full.vqx}", 1)},
            {"inc-cutmd5", Reply("{base}/files/inc-ok.xml", "0123456789", 1)},
            {"inc-oddnumber", Reply("{base}/files/inc-oddnumber.xml", "{md5:inc-oddnumber.xml}", 1)},
            {"full-oddnumber", Reply("{base}/files/odd.vqx", "{md5:odd.vqx}", 0)},
            {"inc-broken", Reply("{base}/files/inc-broken.xml", "", 1)},
            {"inc-zero", Reply("{base}/files/inc-zero.xml", "", 1)},
            {"inc-corrupt", Reply("{base}/__fault/corrupt/files/inc-ok.xml", "{md5:inc-ok.xml}", 1)},
            {"full", Reply("{base}/files/full.vqx", "{md5:full.vqx}", 0)},
            {"full-corrupt", Reply("{base}/__fault/corrupt/files/full.vqx", "{md5:full.vqx}", 0)},
            {"full-broken", Reply("{base}/files/broken.vqx", "", 0)},
            {"garbled", "<FILE><DownloadUrl>{base}/files/inc-ok.xml</DownloadUrl><Increment>yes</Increment></FILE>"},
        };
        for (const wchar_t* fault : kTransferFaults) {
            std::string kind = WideToNarrow(fault);
            replies.push_back({"inc-" + kind, Reply("{base}/__fault/" + kind + "/files/inc-ok.xml",
                                                              "{md5:inc-ok.xml}", 1)});
            replies.push_back({"full-" + kind, Reply("{base}/__fault/" + kind + "/files/full.vqx",
                                                               "{md5:full.vqx}", 0)});
        }
        for (const ReplyFile& reply : replies) {
            ready = ready && root.WriteFile(L"update_database\\" + NarrowToWide(reply.version.c_str()) + L".xml",
                                            reply.text);
        }
        // Without a version: the full copy, for the start-up repair.
        ready = ready && root.WriteFile(L"update_database.xml", Reply("{base}/files/full.vqx", "{md5:full.vqx}", 0));
        s_ready = ready && s_server->Start(root.Path());
    }
    static void TearDownTestSuite() {
        delete s_server;
        s_server = nullptr;
        delete s_root;
        s_root = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(s_ready) << "update server did not start";
        m_path = m_folder.PathOf(L"data\\database.vqx");
        ASSERT_TRUE(CopyFixture("catalogue.vqx", m_path));
        m_original = m_folder.ReadFile(L"data\\database.vqx");
        ASSERT_FALSE(m_original.empty());
        ASSERT_TRUE(SetServerAddress(kUpdateServer, s_server->Url(L"")));
        s_server->ClearRequests();
    }
    void TearDown() override { LoadServerAddresses(ServerAddressesIniPath()); }

    // The request of the scheduled catalogue job.
    static std::wstring JobRequest() { return MakeSoftRequest(kUpdateDatabaseEndpoint) + L"&type=1"; }
    static std::string JobTarget(const std::string& version) {
        return "/update_database.php?soft=1.7&type=1&ver=" + version;
    }

    // A failed update leaves the file, the records and the version alone.
    void ExpectUntouched(const VQDatabaseXmlFile& database, const std::wstring& version, bool changed) {
        EXPECT_FALSE(changed);
        EXPECT_EQ(m_original, m_folder.ReadFile(L"data\\database.vqx"));
        EXPECT_EQ(version, database.GetVersion());
        EXPECT_EQ(10u, database.GetGames().size());
        EXPECT_NE(nullptr, database.FindById(43));
        EXPECT_EQ(nullptr, database.FindById(101));
        for (uint32_t list = VQDatabaseXmlFile::kNewSingleList; list < VQDatabaseXmlFile::kIdListCount; ++list)
            EXPECT_TRUE(database.GetIdList(list).empty());
    }

    static VQTempFolder* s_root;
    static Tessar::Test::VQUpdateServer* s_server;
    static bool s_ready;

    VQTempFolder m_folder;
    std::wstring m_path;
    std::string m_original;
};

VQTempFolder* DatabaseUpdateTest::s_root = nullptr;
Tessar::Test::VQUpdateServer* DatabaseUpdateTest::s_server = nullptr;
bool DatabaseUpdateTest::s_ready = false;

TEST_F(DatabaseUpdateTest, NothingNewLeavesEverythingAlone) {
    VQDatabaseXmlFile database(m_path);
    ASSERT_TRUE(database.Load());
    bool changed = true, incremental = true;
    EXPECT_TRUE(database.UpdateFromServer(JobRequest(), changed, incremental));
    EXPECT_TRUE(incremental);
    ExpectUntouched(database, L"100", changed);
    EXPECT_EQ(Requests{JobTarget("100")}, s_server->Requests());
}

TEST_F(DatabaseUpdateTest, IncrementIsAppliedAndSaved) {
    VQDatabaseXmlFile database(m_path);
    ASSERT_TRUE(database.Load());
    database.SetVersion(L"inc-ok");
    bool changed = false, incremental = true;
    ASSERT_TRUE(database.UpdateFromServer(JobRequest(), changed, incremental));
    EXPECT_TRUE(changed);
    EXPECT_TRUE(incremental);
    EXPECT_EQ((Requests{JobTarget("inc-ok"), "/files/inc-ok.xml"}), s_server->Requests());

    VQDatabaseXmlFile reloaded(m_path);
    ASSERT_TRUE(reloaded.Load());
    for (const VQDatabaseXmlFile* db : {&database, &reloaded}) {
        EXPECT_EQ(L"101", db->GetVersion());
        ASSERT_NE(nullptr, db->FindById(101));
        EXPECT_EQ(L"新增游戏", db->FindById(101)->GameName);
        EXPECT_EQ(L"仙剑奇侠传", db->FindById(42)->GameName);  // an ADD of a known id is dropped
        EXPECT_EQ(nullptr, db->FindById(43));
        EXPECT_EQ(L"梦幻西游 新版", db->FindById(20001)->GameName);
        EXPECT_EQ(nullptr, db->FindById(12345));
        EXPECT_EQ(11u, db->GetGames().size());
        EXPECT_EQ(Ids({42}), [&] {
            Ids ids;
            for (const VQGameRecord* at = db->FindByMd5(L"0123456789ABCDEF0123456789ABCDEF"); at; at = at->NextSameKey)
                ids.push_back(at->ID);
            return ids;
        }());
    }
    // The modified game moved to the end of its chain.
    Ids chain;
    for (const VQGameRecord* at = database.FindByExeName(L"client.exe"); at != nullptr; at = at->NextSameKey)
        chain.push_back(at->ID);
    EXPECT_EQ(Ids({20002, 20003, 20001}), chain);
    // Newly published: the added games and the one MODIFY published; the
    // game that was only modified is not among them.
    const Ids expected[VQDatabaseXmlFile::kIdListCount] = {
        {42, 46, 101, 44}, {20001, 20002, 20003}, {50001}, {70001}, {40001}, {101, 44}, {20003}, {}, {}, {},
    };
    for (uint32_t list = 0; list < VQDatabaseXmlFile::kIdListCount; ++list)
        EXPECT_EQ(expected[list], database.GetIdList(list)) << "list " << list;
}

TEST_F(DatabaseUpdateTest, IncrementWithoutMd5IsAppliedToo) {
    VQDatabaseXmlFile database(m_path);
    ASSERT_TRUE(database.Load());
    database.SetVersion(L"inc-nomd5");
    bool changed = false, incremental = true;
    ASSERT_TRUE(database.UpdateFromServer(JobRequest(), changed, incremental));
    EXPECT_TRUE(changed);
    EXPECT_EQ(L"101", database.GetVersion());
    EXPECT_NE(m_original, m_folder.ReadFile(L"data\\database.vqx"));
}

TEST_F(DatabaseUpdateTest, IncrementWithOddNumbersIsApplied) {
    VQDatabaseXmlFile database(m_path);
    ASSERT_TRUE(database.Load());
    database.SetVersion(L"inc-oddnumber");
    bool changed = false, incremental = true;
    ASSERT_TRUE(database.UpdateFromServer(JobRequest(), changed, incremental));
    EXPECT_TRUE(changed);
    VQDatabaseXmlFile reloaded(m_path);
    ASSERT_TRUE(reloaded.Load());
    for (const VQDatabaseXmlFile* db : {&database, &reloaded}) {
        EXPECT_EQ(L"102", db->GetVersion());
        ASSERT_NE(nullptr, db->FindById(101));
        EXPECT_EQ(9u, db->FindById(101)->Size);
        EXPECT_EQ(1, db->FindById(101)->Publish);
        EXPECT_EQ(nullptr, db->FindById(43));
        ASSERT_NE(nullptr, db->FindById(44));
        EXPECT_EQ(12u, db->FindById(44)->Size);
        EXPECT_EQ(10u, db->GetGames().size());
    }
}

// An increment that fails its MD5 or does not parse changes nothing, in
// memory or on disk.
TEST_F(DatabaseUpdateTest, BadIncrementsAreNotApplied) {
    for (const char* version : {"inc-badmd5", "inc-cutmd5", "inc-corrupt", "inc-broken", "inc-zero"}) {
        SCOPED_TRACE(version);
        VQDatabaseXmlFile database(m_path);
        ASSERT_TRUE(database.Load());
        database.SetVersion(NarrowToWide(version));
        bool changed = true, incremental = true;
        EXPECT_FALSE(database.UpdateFromServer(JobRequest(), changed, incremental));
        EXPECT_TRUE(incremental);
        ExpectUntouched(database, NarrowToWide(version), changed);
    }
}

TEST_F(DatabaseUpdateTest, TransferFaultsOfTheIncrementChangeNothing) {
    Tessar::Test::VQReceiveTimeout shortTimeout(kTestReceiveTimeoutMs);
    for (const wchar_t* fault : kTransferFaults) {
        SCOPED_TRACE(fault);
        const std::wstring version = std::wstring(L"inc-") + fault;
        VQDatabaseXmlFile database(m_path);
        ASSERT_TRUE(database.Load());
        database.SetVersion(version);
        bool changed = true, incremental = true;
        DWORD start = GetTickCount();
        EXPECT_FALSE(database.UpdateFromServer(JobRequest(), changed, incremental));
        EXPECT_LT(GetTickCount() - start, 3500u);  // a stall ends with the time-out, not the server
        ExpectUntouched(database, version, changed);
    }
}

TEST_F(DatabaseUpdateTest, FaultsOfTheInformationRequestChangeNothing) {
    Tessar::Test::VQReceiveTimeout shortTimeout(kTestReceiveTimeoutMs);
    std::vector<std::wstring> faults(std::begin(kTransferFaults), std::end(kTransferFaults));
    faults.push_back(L"corrupt");  // the reply's XML no longer parses
    for (const std::wstring& fault : faults) {
        SCOPED_TRACE(fault);
        ASSERT_TRUE(SetServerAddress(kUpdateServer, s_server->Fault(fault, L"")));
        VQDatabaseXmlFile database(m_path);
        ASSERT_TRUE(database.Load());
        database.SetVersion(L"full");
        bool changed = true, incremental = true;
        EXPECT_FALSE(database.UpdateFromServer(JobRequest(), changed, incremental));
        EXPECT_TRUE(incremental);
        ExpectUntouched(database, L"full", changed);
    }
    // An Increment that is a word reads as 0: the file it names is taken as
    // a full copy, which does not load as a catalogue and is refused.
    ASSERT_TRUE(SetServerAddress(kUpdateServer, s_server->Url(L"")));
    VQDatabaseXmlFile database(m_path);
    ASSERT_TRUE(database.Load());
    database.SetVersion(L"garbled");
    bool changed = true, incremental = true;
    EXPECT_FALSE(database.UpdateFromServer(JobRequest(), changed, incremental));
    ExpectUntouched(database, L"garbled", changed);
}

// A full copy with odd numbers is a catalogue like any other: it replaces
// the file and loads whole.
TEST_F(DatabaseUpdateTest, FullCopyWithOddNumbersReplacesTheFile) {
    VQDatabaseXmlFile database(m_path);
    ASSERT_TRUE(database.Load());
    database.SetVersion(L"full-oddnumber");
    bool changed = false, incremental = true;
    ASSERT_TRUE(database.UpdateFromServer(JobRequest(), changed, incremental));
    EXPECT_TRUE(changed);
    EXPECT_FALSE(incremental);
    EXPECT_EQ(s_root->ReadFile(L"odd.vqx"), m_folder.ReadFile(L"data\\database.vqx"));
    VQDatabaseXmlFile reloaded(m_path);
    ASSERT_TRUE(reloaded.Load());
    EXPECT_EQ(3u, reloaded.GetGames().size());
    ASSERT_NE(nullptr, reloaded.FindById(43));
    EXPECT_EQ(12u, reloaded.FindById(43)->Size);
}

TEST_F(DatabaseUpdateTest, FullCopyReplacesTheFileButNotTheRecords) {
    VQDatabaseXmlFile database(m_path);
    ASSERT_TRUE(database.Load());
    database.SetVersion(L"full");
    bool changed = false, incremental = true;
    ASSERT_TRUE(database.UpdateFromServer(JobRequest(), changed, incremental));
    EXPECT_TRUE(changed);
    EXPECT_FALSE(incremental);
    EXPECT_EQ(s_root->ReadFile(L"full.vqx"), m_folder.ReadFile(L"data\\database.vqx"));
    EXPECT_NE(nullptr, database.FindById(43));  // not reloaded here
    EXPECT_EQ((Requests{JobTarget("full"), "/files/full.vqx"}), s_server->Requests());

    VQDatabaseXmlFile reloaded(m_path);
    ASSERT_TRUE(reloaded.Load());
    EXPECT_EQ(L"200", reloaded.GetVersion());
    EXPECT_EQ(2u, reloaded.GetGames().size());
    EXPECT_EQ(L"仙剑奇侠传 新版", reloaded.FindById(42)->GameName);
}

// A full copy that fails its MD5, is cut or stalls, or would not load,
// never replaces the catalogue.
TEST_F(DatabaseUpdateTest, BadFullCopiesKeepTheOldFile) {
    Tessar::Test::VQReceiveTimeout shortTimeout(kTestReceiveTimeoutMs);
    std::vector<std::wstring> versions = {L"full-corrupt", L"full-broken"};
    for (const wchar_t* fault : kTransferFaults)
        versions.push_back(std::wstring(L"full-") + fault);
    for (const std::wstring& version : versions) {
        SCOPED_TRACE(version);
        VQDatabaseXmlFile database(m_path);
        ASSERT_TRUE(database.Load());
        database.SetVersion(version);
        bool changed = true, incremental = true;
        EXPECT_FALSE(database.UpdateFromServer(JobRequest(), changed, incremental));
        EXPECT_FALSE(incremental);
        ExpectUntouched(database, version, changed);
    }
}

TEST_F(DatabaseUpdateTest, DownloadWithoutReplyAsksAndMakesTheDataFolder) {
    VQTempFolder folder;
    const std::wstring path = folder.PathOf(L"new\\data\\database.vqx");
    VQDatabaseXmlFile database(path);
    EXPECT_FALSE(database.Load());
    bool changed = false;
    ASSERT_TRUE(database.Download(MakeSoftRequest(kUpdateDatabaseEndpoint), nullptr, changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ((Requests{"/update_database.php?soft=1.7", "/files/full.vqx"}), s_server->Requests());
    ASSERT_TRUE(database.Load());
    EXPECT_EQ(L"200", database.GetVersion());

    // A reply without DownloadUrl counts as none: the server is asked.
    VQRemoteFileInfo empty;
    s_server->ClearRequests();
    ASSERT_TRUE(database.Download(MakeSoftRequest(kUpdateDatabaseEndpoint), &empty, changed));
    EXPECT_EQ(2u, s_server->Requests().size());

    ASSERT_TRUE(SetServerAddress(kUpdateServer, s_server->Fault(L"status-404", L"")));
    EXPECT_FALSE(database.Download(MakeSoftRequest(kUpdateDatabaseEndpoint), nullptr, changed));
    EXPECT_FALSE(changed);
}

}  // namespace
}  // namespace Tessar
