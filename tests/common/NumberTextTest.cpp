#include "common/NumberText.h"

#include <gtest/gtest.h>

#include <limits>

namespace Tessar {
namespace {

TEST(NumberTextTest, DecimalTextToNumber) {
    struct Case {
        const wchar_t* text;
        uint64_t expected;
    } cases[] = {
        {L"0", 0},
        {L"1234567890123", 1234567890123ull},
        {L"18446744073709551615", std::numeric_limits<uint64_t>::max()},
        {L"42abc", 42},
        {L"", 0},
        {L"-5", 0},
        {L" 5", 0},
        {L"+5", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, StringToUInt64(c.text)) << c.text;
}

TEST(NumberTextTest, NumberToDecimalText) {
    EXPECT_EQ(L"0", UInt64ToString(0));
    EXPECT_EQ(L"18446744073709551615", UInt64ToString(std::numeric_limits<uint64_t>::max()));
    EXPECT_EQ(L"4294967295", UIntToString(std::numeric_limits<uint32_t>::max()));
    EXPECT_EQ(L"0", UIntToString(0));
    EXPECT_EQ(L"-9223372036854775808", Int64ToString(std::numeric_limits<int64_t>::min()));
    EXPECT_EQ(L"9223372036854775807", Int64ToString(std::numeric_limits<int64_t>::max()));
    EXPECT_EQ(L"-2147483648", IntToString(std::numeric_limits<int32_t>::min()));
    EXPECT_EQ(L"-1", IntToString(-1));
    EXPECT_EQ(L"70001", IntToString(70001));
    for (uint64_t value : {1ull, 9ull, 10ull, 99999ull, 4294967296ull})
        EXPECT_EQ(value, StringToUInt64(UInt64ToString(value)));
}

TEST(NumberTextTest, HexTextToNumber) {
    struct Case {
        const wchar_t* text;
        uint32_t expected;
    } cases[] = {
        {L"0x1A", 0x1A},
        {L"ff", 0xFF},
        {L"0X123456789", 0x12345678},
        {L"12G4", 0x12},
        {L"", 0},
        {L"0x", 0},
        {L"FFFFFFFF", 0xFFFFFFFFu},
        {L"aBcD", 0xABCD},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, HexToUInt(c.text)) << c.text;
}

}  // namespace
}  // namespace Tessar
