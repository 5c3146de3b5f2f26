#include "ui/MarkupValue.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

TEST(MarkupValue, RectReadsFourNumbersSkippingOneSeparatorEach) {
    struct Case {
        const wchar_t* text;
        RECT expected;
    } cases[] = {
        {L"2,3,4,5", {2, 3, 4, 5}},
        {L"10 20 110 70", {10, 20, 110, 70}},
        {L"-1,-2,-3,-4", {-1, -2, -3, -4}},
        {L"1,2", {1, 2, 0, 0}},      // short text: the rest stays 0, nothing read past the end
        {L"", {0, 0, 0, 0}},
        {L"7,", {7, 0, 0, 0}},
        {L"a,b,c,d", {0, 0, 0, 0}},
        {L"1,,3,4", {1, 0, 0, 0}},   // two separators: the second number is missing
    };
    for (const Case& c : cases) {
        RECT rc = ParseMarkupRect(c.text);
        EXPECT_EQ(c.expected.left, rc.left) << c.text;
        EXPECT_EQ(c.expected.top, rc.top) << c.text;
        EXPECT_EQ(c.expected.right, rc.right) << c.text;
        EXPECT_EQ(c.expected.bottom, rc.bottom) << c.text;
    }
}

TEST(MarkupValue, ColourIsHexWithOptionalHashAfterLeadingBlanks) {
    struct Case {
        const wchar_t* text;
        uint32_t expected;
    } cases[] = {
        {L"#FF00FF00", 0xFF00FF00u}, {L"FF123456", 0xFF123456u}, {L"  #ff000000", 0xFF000000u},
        {L"\t#10", 0x10u},           {L"", 0u},                  {L"#", 0u},
        {L"zz", 0u},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, ParseMarkupColor(c.text)) << c.text;
}

TEST(MarkupValue, OnlyExactTrueIsTrue) {
    EXPECT_TRUE(ParseMarkupBool(L"true"));
    for (const wchar_t* text : {L"True", L"TRUE", L"1", L"yes", L"", L"true "})
        EXPECT_FALSE(ParseMarkupBool(text)) << text;
}

}  // namespace
}  // namespace Tessar
