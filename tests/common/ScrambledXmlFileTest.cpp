#include "common/ScrambledXmlFile.h"

#include "common/FileCipher.h"
#include "common/Md5.h"
#include "common/XmlDocument.h"
#include "common/XmlElement.h"
#include "common/XmlFile.h"
#include "tests/support/TempFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace Tessar {
namespace {

// A data file as the subclasses make it: scrambled load, then parse.
class TestDataFile : public VQXmlFile {
public:
    explicit TestDataFile(const std::wstring& path) : VQXmlFile(path) {}
    bool Load() override {
        result = LoadScrambledXmlFile(*this, m_path);
        return result == kScrambledLoaded && ParseRawText();
    }
    void Close() override { DeleteDocument(); }
    int32_t result = -1;
};

std::string FromHex(const char* hex) {
    std::string bytes;
    for (size_t i = 0; hex[i] != '\0' && hex[i + 1] != '\0'; i += 2)
        bytes += static_cast<char>(std::stoi(std::string(hex + i, 2), nullptr, 16));
    return bytes;
}

std::string Encipher(const std::string& plain) {
    uint32_t key[kCipherKeyWords];
    BuildCipherKey(key);
    std::string out = plain;
    if (plain.size() >= 4) {
        EXPECT_TRUE(CipherBuffer(static_cast<uint32_t>(plain.size()), key, plain.data(), &out[0], true));
    }
    return out;
}

// A scrambled file frozen when the format was made: every later build must
// read it. The ciphertext was computed by a separate implementation.
const char kGoldenPlain[] =
    "<MD5>9CFC92E79676962EF8756D38CE4B9763</MD5>\n<VERSION>42</VERSION>\n<LIST>\n    <ID>00123</ID>\n</LIST>\n";
const size_t kGoldenPadding = 4;
const char kGoldenFileHex[] =
    "99DB4D9435044C4A70598C75D3CE76DB36DED3EDB75E0E89CFDFC44E3665B9F9C5B8E2730E50C77CC27A58AA2571EABB"
    "A3BD32611186E0AF5446C95AE0DBCDA5148873BDAA5ED4DBCB2CDD2F0949D70B4B02CA6DAFD613CDC77011EB20A1C08F"
    "59E090462562F91C";

std::string GoldenPlain() {
    return std::string(kGoldenPlain) + std::string(kGoldenPadding, '\0');
}

void BuildGoldenDocument(VQXmlDocument& document) {
    AddElementText(AddChildElement(&document, nullptr, L"VERSION"), L"42");
    AddElementText(AddElement(AddChildElement(&document, nullptr, L"LIST"), L"ID"), L"00123");
}

int32_t ReadBytes(const VQTempFolder& folder, const std::string& bytes, VQBuffer<char>& plain) {
    EXPECT_TRUE(folder.WriteFile(L"data.vqx", bytes));
    return ReadScrambledFile(folder.PathOf(L"data.vqx"), plain);
}

TEST(ScrambledXmlFileTest, GoldenFileDeciphersToItsPlaintext) {
    VQTempFolder folder;
    VQBuffer<char> plain;
    ASSERT_EQ(kScrambledLoaded, ReadBytes(folder, FromHex(kGoldenFileHex), plain));
    ASSERT_EQ(GoldenPlain().size() + 1, plain.size);
    EXPECT_EQ(GoldenPlain() + '\0', std::string(plain.data, plain.size));
}

TEST(ScrambledXmlFileTest, WriterMakesTheGoldenFile) {
    VQXmlDocument document;
    BuildGoldenDocument(document);
    VQBuffer<char> bytes;
    ASSERT_TRUE(ScrambleXmlDocument(document, bytes));
    EXPECT_EQ(FromHex(kGoldenFileHex), std::string(bytes.data, bytes.size));
    std::wstring checksum;
    EXPECT_TRUE(GetElementText(document.RootElement(), checksum));
    EXPECT_EQ(L"9CFC92E79676962EF8756D38CE4B9763", checksum);
}

TEST(ScrambledXmlFileTest, SavedFileLoadsIntoADataFile) {
    ASSERT_EQ(936u, ::GetACP());
    VQTempFolder folder;
    const std::wstring path = folder.PathOf(L"\u6570\u636E.vqx");
    const std::wstring name = L"\u4ED9\u5251\u5947\u4FA0\u4F20";  // a game name
    VQXmlDocument document;
    TiXmlElement* game = AddElement(AddChildElement(&document, nullptr, L"DATABASE"), L"GAME");
    AddElementText(AddElement(game, L"GameName"), name);
    ASSERT_TRUE(SaveScrambledXmlFile(document, path));

    TestDataFile file(path);
    ASSERT_TRUE(file.Load());
    ASSERT_NE(nullptr, file.GetDocument());
    EXPECT_TRUE(file.GetDocument()->IsLoaded());
    std::wstring text;
    EXPECT_TRUE(GetElementText(FindChildElement(FindChildElement(file.GetDocument(), L"DATABASE"), L"GAME")
                                   ->FirstChildElement(),
                               text));
    EXPECT_EQ(name, text);

    // The file is whole cipher blocks and its stored checksum covers the
    // plaintext from offset 43 to the end, padding included.
    const VQBuffer<char>& raw = file.RawText();
    uint32_t length = raw.size - 1;
    EXPECT_EQ(0u, length % 8);
    std::wstring stored;
    EXPECT_TRUE(GetElementText(file.GetDocument()->RootElement(), stored));
    EXPECT_EQ(Md5OfBuffer(raw.data + 43, static_cast<int32_t>(length - 43)), stored);
}

TEST(ScrambledXmlFileTest, WriterPutsOneChecksumFirst) {
    VQTempFolder folder;
    VQXmlDocument document;
    ASSERT_TRUE(document.ParseText("<!-- note --><VERSION>1</VERSION><MD5>stale</MD5><A><MD5>inner</MD5></A>"));
    ASSERT_TRUE(SaveScrambledXmlFile(document, folder.PathOf(L"d.vqx")));
    TestDataFile file(folder.PathOf(L"d.vqx"));
    ASSERT_TRUE(file.Load());
    TiXmlNode* first = file.GetDocument()->FirstChild();
    ASSERT_NE(nullptr, first->ToElement());
    EXPECT_STREQ("MD5", first->Value());
    int checksums = 0;
    for (TiXmlElement* e = file.GetDocument()->FirstChildElement("MD5"); e; e = e->NextSiblingElement("MD5"))
        ++checksums;
    EXPECT_EQ(1, checksums);
    std::wstring inner;
    EXPECT_TRUE(GetElementText(FindChildElement(FindChildElement(file.GetDocument(), L"A"), L"MD5"), inner));
    EXPECT_EQ(L"inner", inner);
}

TEST(ScrambledXmlFileTest, ChangesOutsideTheCheckedBytesStillLoad) {
    struct Case {
        size_t offset;
        char value;
        int32_t expected;
    };
    const size_t last = GoldenPlain().size() - 1;
    const Case cases[] = {
        {0, '[', kScrambledLoaded},   {4, ']', kScrambledLoaded},   {37, 'x', kScrambledLoaded},
        {42, 'x', kScrambledLoaded},  {1, 'm', kScrambledLoaded},   {2, 'd', kScrambledLoaded},
        {2, 'X', kScrambledBadHead},  {43, ' ', kScrambledBadHead}, {60, 'Z', kScrambledBadHead},
        {99, 'x', kScrambledBadHead}, {last, 'x', kScrambledBadHead},  // zero padding is checked too
        {5, 'X', kScrambledBadHead},  {36, '\0', kScrambledBadHead},
    };
    VQTempFolder folder;
    for (const Case& c : cases) {
        std::string plain = GoldenPlain();
        plain[c.offset] = c.value;
        VQBuffer<char> out;
        EXPECT_EQ(c.expected, ReadBytes(folder, Encipher(plain), out)) << "offset " << c.offset;
    }
}

TEST(ScrambledXmlFileTest, ChecksumInLowerCasePasses) {
    std::string plain = GoldenPlain();
    for (size_t i = 5; i < 37; ++i)
        plain[i] = static_cast<char>(::tolower(static_cast<unsigned char>(plain[i])));
    ASSERT_NE(GoldenPlain(), plain);
    VQTempFolder folder;
    VQBuffer<char> out;
    EXPECT_EQ(kScrambledLoaded, ReadBytes(folder, Encipher(plain), out));
}

TEST(ScrambledXmlFileTest, EveryTruncationFailsCleanly) {
    const std::string whole = FromHex(kGoldenFileHex);
    VQTempFolder folder;
    for (size_t length = 0; length < whole.size(); ++length) {
        int32_t expected = length == 0 ? kScrambledUnreadable : length < 4 ? kScrambledRefused : kScrambledBadHead;
        VQBuffer<char> out;
        EXPECT_EQ(expected, ReadBytes(folder, whole.substr(0, length), out)) << "length " << length;
    }
}

TEST(ScrambledXmlFileTest, ShortFilesFailEvenWithAZeroChecksum) {
    // 43 bytes check no data at all; the 32-zero text of "no bytes" must
    // not pass for a checksum.
    std::string plain = "<MD5>" + std::string(32, '0') + "</MD5>";
    ASSERT_EQ(43u, plain.size());
    VQTempFolder folder;
    VQBuffer<char> out;
    EXPECT_EQ(kScrambledBadHead, ReadBytes(folder, Encipher(plain), out));
}

TEST(ScrambledXmlFileTest, GarbageNeverLoads) {
    VQTempFolder folder;
    uint32_t seed = 12345;
    for (size_t size = 4; size < 700; size += 13) {
        std::string bytes(size, '\0');
        for (char& b : bytes) {
            seed = seed * 1103515245u + 12345u;
            b = static_cast<char>(seed >> 16);
        }
        VQBuffer<char> out;
        EXPECT_EQ(kScrambledBadHead, ReadBytes(folder, bytes, out)) << "size " << size;
    }
}

TEST(ScrambledXmlFileTest, UnreadableFilesGiveOne) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"empty.vqx", ""));
    ASSERT_TRUE(folder.MakeFolder(L"sub"));
    const wchar_t* names[] = {L"empty.vqx", L"missing.vqx", L"sub"};
    for (const wchar_t* name : names) {
        TestDataFile file(folder.PathOf(name));
        EXPECT_FALSE(file.Load()) << name;
        EXPECT_EQ(kScrambledUnreadable, file.result) << name;
        EXPECT_EQ(nullptr, file.GetDocument()) << name;
    }
}

TEST(ScrambledXmlFileTest, OversizedFileIsRefusedWithoutLoading) {
    VQTempFolder folder;
    std::wstring path = folder.PathOf(L"huge.vqx");
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    LARGE_INTEGER size;
    size.QuadPart = static_cast<LONGLONG>(kScrambledMaxFileSize) + 1;
    bool sized = ::SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
    ::CloseHandle(file);
    ASSERT_TRUE(sized);
    VQBuffer<char> out;
    EXPECT_EQ(kScrambledUnreadable, ReadScrambledFile(path, out));
    EXPECT_EQ(0u, out.size);
}

TEST(ScrambledXmlFileTest, FailedSaveKeepsTheOldFile) {
    VQTempFolder folder;
    VQXmlDocument document;
    BuildGoldenDocument(document);
    EXPECT_FALSE(SaveScrambledXmlFile(document, folder.PathOf(L"none\\d.vqx")));

    const std::string old = FromHex(kGoldenFileHex);
    ASSERT_TRUE(folder.WriteFile(L"d.vqx", old));
    HANDLE held = ::CreateFileW(folder.PathOf(L"d.vqx").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    VQXmlDocument other;
    AddElementText(AddChildElement(&other, nullptr, L"VERSION"), L"43");
    EXPECT_FALSE(SaveScrambledXmlFile(other, folder.PathOf(L"d.vqx")));
    ::CloseHandle(held);
    EXPECT_EQ(old, folder.ReadFile(L"d.vqx"));
}

}  // namespace
}  // namespace Tessar
