// The marker files: enciphered UTF-16 records that read back as written,
// and damaged or foreign files that read as nothing.
#include "VQUpdate/MarkerFile.h"

#include "common/FileCipher.h"
#include "tests/VQUpdate/UpdateTestUtil.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace Tessar {
namespace {

using ::Tessar::Test::ReadBytes;
using ::Tessar::Test::WriteBytes;

const wchar_t kRecord[] = L"RUN;C:\\\u6E38\u620F\\Norvane.exe;C:\\\u6E38\u620F;-background;";

class MarkerFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(m_folder.Path().empty()); }
    std::wstring Path(const wchar_t* name) const { return m_folder.PathOf(name); }

    VQTempFolder m_folder;
};

TEST_F(MarkerFileTest, ARecordReadsBackAsWritten) {
    const std::wstring texts[] = {kRecord, L"RUN;", L"DELETE;a;;b;", std::wstring(1000, L'x') + L";"};
    for (const std::wstring& text : texts) {
        std::wstring path = Path(L"sub\\folder\\restart.vqt");  // folders made on the way
        ASSERT_TRUE(WriteMarkerFile(path, text));
        EXPECT_EQ(text, ReadMarkerFile(path));
        EXPECT_EQ(0u, ReadBytes(path).size() % 8);
    }
}

TEST_F(MarkerFileTest, TheFileHoldsTheTextEncipheredAndPadded) {
    std::wstring path = Path(L"upgrade.vqt");
    ASSERT_TRUE(WriteMarkerFile(path, kRecord));
    std::string bytes = ReadBytes(path);
    size_t textBytes = std::wstring(kRecord).size() * sizeof(wchar_t);
    ASSERT_EQ((textBytes + 7) / 8 * 8, bytes.size());

    std::string plain(bytes.size(), '\0');
    uint32_t key[kCipherKeyWords];
    BuildCipherKey(key);
    ASSERT_TRUE(CipherBuffer(static_cast<uint32_t>(bytes.size()), key, bytes.data(), &plain[0], false));
    EXPECT_EQ(0, std::memcmp(plain.data(), kRecord, textBytes));
    EXPECT_EQ(std::string(bytes.size() - textBytes, '\0'), plain.substr(textBytes));
    EXPECT_EQ(std::string::npos, bytes.find("R\0U\0N\0", 0, 6));  // never plain text
}

TEST_F(MarkerFileTest, DamagedFilesReadAsNothing) {
    std::wstring path = Path(L"restart.vqt");
    ASSERT_TRUE(WriteMarkerFile(path, kRecord));
    std::string good = ReadBytes(path);

    EXPECT_EQ(L"", ReadMarkerFile(Path(L"missing.vqt")));
    ASSERT_TRUE(WriteBytes(path, ""));
    EXPECT_EQ(L"", ReadMarkerFile(path));
    ASSERT_TRUE(WriteBytes(path, good.substr(0, good.size() - 3)));  // not a multiple of 8
    EXPECT_EQ(L"", ReadMarkerFile(path));

    // A plain (unenciphered) record, and one with a changed block, fail the
    // record check their readers make.
    std::string plain(reinterpret_cast<const char*>(kRecord), std::wstring(kRecord).size() * sizeof(wchar_t));
    plain.resize((plain.size() + 7) / 8 * 8, '\0');
    ASSERT_TRUE(WriteBytes(path, plain));
    std::wstring a, b, c;
    EXPECT_FALSE(SplitRunRecord(ReadMarkerFile(path), a, b, c));
    std::string changed = good;
    changed[0] = static_cast<char>(changed[0] ^ 0x5A);
    ASSERT_TRUE(WriteBytes(path, changed));
    EXPECT_FALSE(SplitRunRecord(ReadMarkerFile(path), a, b, c));
    ASSERT_TRUE(WriteBytes(path, good));
    EXPECT_TRUE(SplitRunRecord(ReadMarkerFile(path), a, b, c));
}

TEST(MarkerListTest, SplitKeepsEmptyFieldsAndATrailingText) {
    struct Case {
        const wchar_t* text;
        std::vector<std::wstring> fields;
    };
    const Case cases[] = {
        {L"", {}},
        {L";", {L""}},
        {L"a;b;", {L"a", L"b"}},
        {L"a;;b", {L"a", L"", L"b"}},
        {L"DELETE;x;", {L"DELETE", L"x"}},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> fields;
        SplitList(c.text, fields);
        EXPECT_EQ(c.fields, fields) << c.text;
        if (!c.fields.empty() && std::wstring(c.text).back() == L';') {
            EXPECT_EQ(c.text, JoinList(fields)) << c.text;
        }
    }
}

TEST(MarkerListTest, ARunRecordIsRunAndExactlyThreeFields) {
    struct Case {
        const wchar_t* text;
        bool ok;
    };
    const Case cases[] = {
        {L"RUN;a;b;c;", true},
        {L"RUN;;;;", true},
        {L"RUN;a;b;c", false},  // must end with ";"
        {L"RUN;a;b;", false},
        {L"RUN;a;b;c;d;", false},
        {L"run;a;b;c;", false},
        {L"DELETE;a;b;c;", false},
        {L"", false},
    };
    for (const Case& c : cases) {
        std::wstring a, b, d;
        EXPECT_EQ(c.ok, SplitRunRecord(c.text, a, b, d)) << c.text;
    }
    std::wstring a, b, d;
    ASSERT_TRUE(SplitRunRecord(L"RUN;p;f;-x y;", a, b, d));
    EXPECT_EQ(L"p", a);
    EXPECT_EQ(L"f", b);
    EXPECT_EQ(L"-x y", d);
}

}  // namespace
}  // namespace Tessar
