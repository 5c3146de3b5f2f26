#include "common/RegValue.h"

#include "tests/support/RegistrySnapshot.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tessar {
namespace {

std::vector<unsigned char> Raw(const VQRegValue& value, bool* converted = nullptr) {
    VQBuffer<unsigned char> out;
    bool ok = value.ToRaw(out);
    if (converted != nullptr)
        *converted = ok;
    return std::vector<unsigned char>(out.data, out.data + out.size);
}

// Every type goes to bytes and back to the same bytes: the undo data
// relies on that to put a value back as it was.
TEST(RegValueTest, RawBytesSurviveAssignAndToRaw) {
    struct Case {
        const char* name;
        uint32_t type;
        std::vector<unsigned char> bytes;
    } cases[] = {
        {"REG_NONE empty", REG_NONE, {}},
        {"REG_NONE with data", REG_NONE, {1, 2, 3}},
        {"REG_SZ terminated", REG_SZ, Utf16Raw(std::wstring(L"游戏 a", 4) + L'\0')},
        {"REG_SZ not terminated", REG_SZ, Utf16Raw(L"abc")},
        {"REG_SZ empty", REG_SZ, {}},
        {"REG_EXPAND_SZ", REG_EXPAND_SZ, Utf16Raw(std::wstring(L"%TEMP%\\x\0", 9))},
        {"REG_BINARY", REG_BINARY, {0, 0xFF, 0x10}},
        {"REG_DWORD", REG_DWORD, {0x78, 0x56, 0x34, 0x12}},
        {"REG_DWORD_BIG_ENDIAN", REG_DWORD_BIG_ENDIAN, {0x12, 0x34, 0x56, 0x78}},
        {"REG_MULTI_SZ", REG_MULTI_SZ, Utf16Raw(std::wstring(L"a\0bc\0\0", 6))},
        {"REG_MULTI_SZ empty item inside", REG_MULTI_SZ, Utf16Raw(std::wstring(L"a\0\0b\0\0", 6))},
        {"REG_MULTI_SZ no items", REG_MULTI_SZ, Utf16Raw(std::wstring(L"\0", 1))},
        {"REG_LINK", REG_LINK, Utf16Raw(L"\\Registry\\x")},
        {"REG_RESOURCE_LIST", REG_RESOURCE_LIST, {9, 8, 7}},
        {"REG_QWORD", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 0x80}},
        {"type 200", 200, {0xAB}},
    };
    for (const Case& c : cases) {
        VQRegValue value(c.type, L"name");
        static const unsigned char none = 0;
        ASSERT_TRUE(value.AssignRaw(c.bytes.empty() ? &none : c.bytes.data(), static_cast<uint32_t>(c.bytes.size())))
            << c.name;
        bool converted = false;
        EXPECT_EQ(c.bytes, Raw(value, &converted)) << c.name;
        EXPECT_TRUE(converted) << c.name;
        EXPECT_EQ(0, value.deleteMark) << c.name;
    }
}

TEST(RegValueTest, TypedFieldsFromRawBytes) {
    VQRegValue dword(REG_DWORD);
    const unsigned char four[] = {0x78, 0x56, 0x34, 0x12};
    ASSERT_TRUE(dword.AssignRaw(four, 4));
    EXPECT_EQ(0x12345678u, dword.number);
    VQRegValue big(REG_DWORD_BIG_ENDIAN);
    ASSERT_TRUE(big.AssignRaw(four, 4));
    EXPECT_EQ(0x78563412u, big.number);
    VQRegValue qword(REG_QWORD);
    const unsigned char eight[] = {1, 0, 0, 0, 0, 0, 0, 0x80};
    ASSERT_TRUE(qword.AssignRaw(eight, 8));
    EXPECT_EQ(0x8000000000000001ull, qword.number64);

    VQRegValue multi(REG_MULTI_SZ);
    multi.strings.push_back(L"left over");
    std::vector<unsigned char> bytes = Utf16Raw(std::wstring(L"a\0b\0\0", 5));
    ASSERT_TRUE(multi.AssignRaw(bytes.data(), static_cast<uint32_t>(bytes.size())));
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"b"}), multi.strings);

    // Text values append; the terminator read from the registry stays.
    VQRegValue text(REG_SZ);
    text.text = L">";
    bytes = Utf16Raw(std::wstring(L"ab\0", 3));
    ASSERT_TRUE(text.AssignRaw(bytes.data(), static_cast<uint32_t>(bytes.size())));
    EXPECT_EQ(std::wstring(L">ab\0", 4), text.text);
}

TEST(RegValueTest, ToRawWritesTypedFields) {
    VQRegValue multi(REG_MULTI_SZ);
    multi.strings = {L"a", L"b"};
    EXPECT_EQ(Utf16Raw(std::wstring(L"a\0b\0\0", 5)), Raw(multi));
    VQRegValue text(REG_EXPAND_SZ);
    text.text = L"%x%";
    EXPECT_EQ(Utf16Raw(L"%x%"), Raw(text));  // no terminator added
    VQRegValue qword(REG_QWORD);
    qword.number64 = 0x0102030405060708ull;
    EXPECT_EQ((std::vector<unsigned char>{8, 7, 6, 5, 4, 3, 2, 1}), Raw(qword));
    VQRegValue binary(REG_BINARY);
    binary.bytes.Resize(2);
    binary.bytes.data[0] = 0xCA;
    binary.bytes.data[1] = 0xFE;
    EXPECT_EQ((std::vector<unsigned char>{0xCA, 0xFE}), Raw(binary));
}

TEST(RegValueTest, RefusedConversionsChangeNothing) {
    VQRegValue dword(REG_DWORD);
    dword.number = 7;
    const unsigned char three[] = {1, 2, 3};
    EXPECT_FALSE(dword.AssignRaw(three, 3));
    EXPECT_EQ(7u, dword.number);
    VQRegValue qword(REG_QWORD);
    EXPECT_FALSE(qword.AssignRaw(three, 3));
    EXPECT_EQ(0u, qword.number64);

    VQRegValue high(0x100);
    EXPECT_FALSE(high.AssignRaw(three, 3));
    VQBuffer<unsigned char> out(5);
    EXPECT_FALSE(high.ToRaw(out));
    EXPECT_EQ(5u, out.size);
    VQRegValue mark(kRegDeleteMarkType);
    EXPECT_FALSE(mark.ToRaw(out));
    EXPECT_EQ(5u, out.size);
}

TEST(RegValueTest, NullDataAndDeleteMark) {
    VQRegValue text(REG_SZ, L"v");
    text.text = L"kept";
    EXPECT_TRUE(text.AssignRaw(nullptr, 10));
    EXPECT_EQ(L"kept", text.text);
    EXPECT_EQ(0, text.deleteMark);

    VQRegValue mark(kRegDeleteMarkType, L"v");
    const unsigned char byte = 0;
    EXPECT_TRUE(mark.AssignRaw(&byte, 0));
    EXPECT_EQ(1, mark.deleteMark);
}

TEST(RegValueTest, CopiesOwnTheirBytes) {
    VQRegValue original(REG_BINARY, L"b");
    original.bytes.Resize(3);
    original.bytes.data[0] = 1;
    original.bytes.data[1] = 2;
    original.bytes.data[2] = 3;
    VQRegValue copy(original);
    copy.bytes.data[0] = 9;
    EXPECT_EQ(1, original.bytes.data[0]);
    VQRegValue assigned;
    assigned = original;
    ASSERT_EQ(3u, assigned.bytes.size);
    EXPECT_NE(original.bytes.data, assigned.bytes.data);
    EXPECT_EQ(L"b", assigned.name);
    EXPECT_EQ(static_cast<uint32_t>(REG_BINARY), assigned.type);
}

}  // namespace
}  // namespace Tessar
