#include "common/Registry.h"

#include "tests/support/RegistrySnapshot.h"
#include "tests/support/ScratchRegistryKey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace Tessar {
namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.IsValid());
        ASSERT_TRUE(holder.RegCreateKeyPath(scratch.Root(), scratch.Path()));
    }
    VQScratchRegistryKey scratch;
    VQRegKeyHolder holder;
};

TEST_F(RegistryTest, CreateOpensAnExistingKeyAndCreatesMissingOnes) {
    VQRegValue marker(REG_DWORD, L"marker");
    marker.number = 5;
    ASSERT_TRUE(holder.RegSetValueFlush(L"marker", marker));

    VQRegKeyHolder again;
    ASSERT_TRUE(again.RegCreateKeyPath(scratch.Root(), scratch.Path()));
    uint32_t number = 0;
    EXPECT_TRUE(again.RegQueryDword(L"marker", number));
    EXPECT_EQ(5u, number);

    ASSERT_TRUE(again.RegCreateKeyPath(scratch.Root(), scratch.PathOf(L"a\\b\\游戏")));
    EXPECT_TRUE(scratch.KeyExists(L"a\\b\\游戏"));
    again.RegCloseKeyHandle();
    EXPECT_EQ(nullptr, again.Key());
}

TEST_F(RegistryTest, FailedCreateLeavesNoKeyAndKeepsTheError) {
    HKEY noRoot = reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(0x80000040)));
    EXPECT_FALSE(holder.RegCreateKeyPath(noRoot, L"x"));
    EXPECT_EQ(nullptr, holder.Key());
    EXPECT_NE(0u, holder.LastError());

    uint32_t number = 9;
    EXPECT_FALSE(holder.RegQueryDword(L"x", number));
    EXPECT_EQ(0u, number);
    EXPECT_EQ(static_cast<uint32_t>(ERROR_INVALID_HANDLE), holder.LastError());
}

// What RegSetValueFlush writes is exactly ToRaw's bytes with the value's
// type, and RegQueryValueRaw gives the same value back.
TEST_F(RegistryTest, ValuesOfEveryTypeGoInAndComeBack) {
    std::vector<VQRegValue> values;
    values.emplace_back(REG_SZ, L"text");
    values.back().text = std::wstring(L"游戏\0", 3);
    values.emplace_back(REG_EXPAND_SZ, L"");
    values.back().text = std::wstring(L"%TEMP%\0", 7);
    values.emplace_back(REG_BINARY, L"binary");
    values.back().bytes.Resize(3);
    values.back().bytes.data[0] = 0;
    values.back().bytes.data[1] = 0x80;
    values.back().bytes.data[2] = 0xFF;
    values.emplace_back(REG_DWORD, L"dword");
    values.back().number = 0xDEADBEEF;
    values.emplace_back(REG_DWORD_BIG_ENDIAN, L"big");
    values.back().number = 0x01020304;
    values.emplace_back(REG_MULTI_SZ, L"multi");
    values.back().strings = {L"a", L"游戏"};
    values.emplace_back(REG_QWORD, L"qword");
    values.back().number64 = 0x1122334455667788ull;
    values.emplace_back(REG_NONE, L"none");

    for (const VQRegValue& value : values) {
        ASSERT_TRUE(holder.RegSetValueFlush(value.name, value)) << value.type;
        EXPECT_EQ(0u, holder.LastError());
    }
    std::map<std::string, std::string> snapshot = SnapshotRegistryTree(scratch.Root(), scratch.Path());
    EXPECT_EQ("type 4: ef be ad de", snapshot["\\:dword"]);
    EXPECT_EQ("type 5: 01 02 03 04", snapshot["\\:big"]);
    EXPECT_EQ("type 7: 61 00 00 00 38 6e 0f 62 00 00 00 00", snapshot["\\:multi"]);
    EXPECT_EQ("type 1: 38 6e 0f 62 00 00", snapshot["\\:text"]);
    EXPECT_EQ("type 0:", snapshot["\\:none"]);

    for (const VQRegValue& value : values) {
        VQRegValue read(REG_SZ, value.name);
        ASSERT_TRUE(holder.RegQueryValueRaw(value.name, read)) << value.type;
        EXPECT_EQ(value.type, read.type);
        EXPECT_EQ(value.name, read.name);
        EXPECT_EQ(value.text, read.text);
        EXPECT_EQ(value.number, read.number);
        EXPECT_EQ(value.number64, read.number64);
        EXPECT_EQ(value.strings, read.strings);
        ASSERT_EQ(value.bytes.size, read.bytes.size);
        for (uint32_t i = 0; i < value.bytes.size; ++i)
            EXPECT_EQ(value.bytes.data[i], read.bytes.data[i]);
    }
}

TEST_F(RegistryTest, QueryRawReplacesWhatTheValueHeld) {
    VQRegValue value(REG_SZ, L"s");
    value.text = std::wstring(L"new\0", 4);
    ASSERT_TRUE(holder.RegSetValueFlush(L"s", value));
    VQRegValue read(REG_BINARY, L"s");
    read.text = L"old";
    read.number = 3;
    ASSERT_TRUE(holder.RegQueryValueRaw(L"s", read));
    EXPECT_EQ(static_cast<uint32_t>(REG_SZ), read.type);
    EXPECT_EQ(std::wstring(L"new\0", 4), read.text);
    EXPECT_EQ(0u, read.number);

    EXPECT_FALSE(holder.RegQueryValueRaw(L"missing", read));
    EXPECT_EQ(static_cast<uint32_t>(ERROR_FILE_NOT_FOUND), holder.LastError());
}

TEST_F(RegistryTest, QueryStringReadsAnyTypeUpToTheLimit) {
    struct Case {
        const char* name;
        std::wstring stored;
        uint32_t type;
        bool ok;
        std::wstring expected;
    } cases[] = {
        {"plain", std::wstring(L"C:\\游戏\0", 6), REG_SZ, true, L"C:\\游戏"},
        {"not terminated", L"abc", REG_SZ, true, L"abc"},
        {"stops at NUL", std::wstring(L"a\0b\0\0", 5), REG_MULTI_SZ, true, L"a"},
        {"binary read as text", L"xy", REG_BINARY, true, L"xy"},
        {"at the limit", std::wstring(VQRegKeyHolder::kRegQueryStringChars, L'x'), REG_SZ, true,
         std::wstring(VQRegKeyHolder::kRegQueryStringChars, L'x')},
        {"over the limit", std::wstring(VQRegKeyHolder::kRegQueryStringChars + 2, L'x'), REG_SZ, false, L""},
    };
    for (const Case& c : cases) {
        VQRegValue value(c.type, L"v");
        value.text = c.stored;
        if (c.type == REG_BINARY) {
            value.bytes.Resize(static_cast<uint32_t>(c.stored.size() * 2));
            for (size_t i = 0; i < c.stored.size(); ++i) {
                value.bytes.data[2 * i] = static_cast<unsigned char>(c.stored[i]);
                value.bytes.data[2 * i + 1] = 0;
            }
        }
        if (c.type == REG_MULTI_SZ)
            value.strings = {L"a", L"b"};
        ASSERT_TRUE(holder.RegSetValueFlush(L"v", value)) << c.name;
        std::wstring text = L"previous";
        EXPECT_EQ(c.ok, holder.RegQueryString(L"v", text)) << c.name;
        EXPECT_EQ(c.expected, text) << c.name;
        if (!c.ok) {
            EXPECT_EQ(static_cast<uint32_t>(ERROR_MORE_DATA), holder.LastError()) << c.name;
        }
    }
}

TEST_F(RegistryTest, DwordOfAMissingValueIsZero) {
    uint32_t number = 77;
    EXPECT_FALSE(holder.RegQueryDword(L"missing", number));
    EXPECT_EQ(0u, number);
    EXPECT_EQ(static_cast<uint32_t>(ERROR_FILE_NOT_FOUND), holder.LastError());
}

TEST_F(RegistryTest, RefusedConversionFailsAndSuccessClearsTheError) {
    VQRegValue bad(0x100, L"bad");
    EXPECT_FALSE(holder.RegSetValueFlush(L"bad", bad));
    EXPECT_NE(0u, holder.LastError());
    VQRegValue good(REG_DWORD, L"good");
    EXPECT_TRUE(holder.RegSetValueFlush(L"good", good));
    EXPECT_EQ(0u, holder.LastError());
    EXPECT_EQ(1u, SnapshotRegistryTree(scratch.Root(), scratch.Path()).count("\\:good"));
    EXPECT_EQ(0u, SnapshotRegistryTree(scratch.Root(), scratch.Path()).count("\\:bad"));
}

TEST_F(RegistryTest, DeletingAMissingValueSucceeds) {
    VQRegValue value(REG_DWORD, L"d");
    ASSERT_TRUE(holder.RegSetValueFlush(L"d", value));
    EXPECT_TRUE(holder.RegDeleteValueName(L"d"));
    EXPECT_TRUE(holder.RegDeleteValueName(L"d"));
    EXPECT_EQ(0u, SnapshotRegistryTree(scratch.Root(), scratch.Path()).count("\\:d"));
}

TEST_F(RegistryTest, EnumeratesSubkeysAndValueNames) {
    std::vector<std::wstring> subkeys = {L"stale"}, values = {L"stale"};
    ASSERT_TRUE(holder.RegEnumKeyTree(subkeys, values));
    EXPECT_TRUE(subkeys.empty());
    EXPECT_TRUE(values.empty());

    const std::wstring longName(300, L'n');
    for (const wchar_t* name : {L"one", L"", L"游戏"}) {
        VQRegValue value(REG_DWORD, name);
        ASSERT_TRUE(holder.RegSetValueFlush(name, value));
    }
    VQRegValue longValue(REG_DWORD, longName);
    ASSERT_TRUE(holder.RegSetValueFlush(longName, longValue));
    VQRegKeyHolder child;
    for (const wchar_t* name : {L"k1", L"子键"})
        ASSERT_TRUE(child.RegCreateKeyPath(scratch.Root(), scratch.PathOf(name)));

    ASSERT_TRUE(holder.RegEnumKeyTree(subkeys, values));
    std::sort(subkeys.begin(), subkeys.end());
    std::sort(values.begin(), values.end());
    EXPECT_EQ((std::vector<std::wstring>{L"k1", L"子键"}), subkeys);
    EXPECT_EQ((std::vector<std::wstring>{L"", longName, L"one", L"游戏"}), values);
}

}  // namespace
}  // namespace Tessar
