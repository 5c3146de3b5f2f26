#include "common/ServerNumber.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace Tessar {
namespace {

TEST(ServerNumberTest, TakesOnlyWellFormedNumbersInRange) {
    struct Case {
        const wchar_t* text;
        uint64_t max;
        bool ok;
        uint64_t value;
    };
    const Case cases[] = {
        {L"0", 10, true, 0},
        {L"200", 999, true, 200},
        {L" 42\r\n", 100, true, 42},
        {L"\t7 ", 7, true, 7},
        {L"8", 7, false, 0},
        {L"1000", 999, false, 0},
        {L"4294967295", UINT32_MAX, true, UINT32_MAX},
        {L"4294967296", UINT32_MAX, false, 0},
        {L"18446744073709551615", UINT64_MAX, true, UINT64_MAX},
        {L"18446744073709551616", UINT64_MAX, false, 0},
        {L"99999999999999999999999", UINT64_MAX, false, 0},
        {L"", 10, false, 0},
        {L"   ", 10, false, 0},
        {L"12abc", 1000, false, 0},
        {L"-1", 1000, false, 0},
        {L"+1", 1000, false, 0},
        {L"1 2", 1000, false, 0},
        {L"0x10", 1000, false, 0},
        {L"5", 1, false, 0},
    };
    for (const Case& c : cases) {
        uint64_t value = 12345;
        EXPECT_EQ(c.ok, ParseServerNumber(c.text, c.max, value)) << "text " << testing::PrintToString(c.text);
        EXPECT_EQ(c.value, value) << "text " << testing::PrintToString(c.text);
        // The narrow form reads the same texts the same way.
        const std::wstring wide(c.text);
        const std::string narrow(wide.begin(), wide.end());
        value = 12345;
        EXPECT_EQ(c.ok, ParseServerNumber(narrow.c_str(), narrow.size(), c.max, value)) << "narrow " << narrow;
        EXPECT_EQ(c.value, value) << "narrow " << narrow;
    }
    uint64_t value = 1;
    EXPECT_FALSE(ParseServerNumber(nullptr, 3, 10, value));
    EXPECT_EQ(0u, value);
    EXPECT_TRUE(ParseServerNumber("12345", 2, 100, value));  // only the given length counts
    EXPECT_EQ(12u, value);
}

// The reading of data-file and reply fields: leading digits, never failing,
// never wrapping.
TEST(ServerNumberTest, LeadingNumbersStopAtTheFirstOtherCharacter) {
    struct Case {
        const char* text;
        uint64_t unsignedValue;
        int64_t signedValue;
        int32_t int32Value;
    };
    const Case cases[] = {
        {"42", 42, 42, 42},
        {"00042abc", 42, 42, 42},
        {"  7 days", 7, 7, 7},
        {"\t\r\n9", 9, 9, 9},
        {"", 0, 0, 0},
        {"abc", 0, 0, 0},
        {"-5", 0, -5, -5},
        {"+5", 0, 5, 5},
        {"- 5", 0, 0, 0},
        {"1.9", 1, 1, 1},
        {"0x10", 0, 0, 0},
        {"2147483647", 2147483647u, 2147483647, INT32_MAX},
        {"2147483648", 2147483648u, 2147483648, INT32_MAX},
        {"-2147483649", 0, -2147483649, INT32_MIN},
        {"18446744073709551615", UINT64_MAX, INT64_MAX, INT32_MAX},
        {"18446744073709551616", UINT64_MAX, INT64_MAX, INT32_MAX},
        {"99999999999999999999999", UINT64_MAX, INT64_MAX, INT32_MAX},
        {"9223372036854775807", 9223372036854775807u, INT64_MAX, INT32_MAX},
        {"-9223372036854775808", 0, INT64_MIN, INT32_MIN},
        {"-9223372036854775809", 0, INT64_MIN, INT32_MIN},
    };
    for (const Case& c : cases) {
        const std::string narrow(c.text);
        const std::wstring wide(narrow.begin(), narrow.end());
        EXPECT_EQ(c.unsignedValue, LeadingNumber(wide)) << "wide " << narrow;
        EXPECT_EQ(c.unsignedValue, LeadingNumber(c.text)) << "narrow " << narrow;
        EXPECT_EQ(c.signedValue, LeadingSignedNumber(wide)) << "wide " << narrow;
        EXPECT_EQ(c.signedValue, LeadingSignedNumber(c.text)) << "narrow " << narrow;
        EXPECT_EQ(c.int32Value, LeadingInt32(wide)) << "wide " << narrow;
        EXPECT_EQ(c.int32Value, LeadingInt32(c.text)) << "narrow " << narrow;
    }
    const char* none = nullptr;
    EXPECT_EQ(0u, LeadingNumber(none));
    EXPECT_EQ(0, LeadingSignedNumber(none));
    EXPECT_EQ(0, LeadingInt32(none));
    // The text ends at a zero character.
    EXPECT_EQ(12u, LeadingNumber(std::wstring(L"12\0" L"34", 5)));
}

}  // namespace
}  // namespace Tessar
