#include "common/FormatText.h"

#include <gtest/gtest.h>

#include <cstring>

namespace Tessar {
namespace {

TEST(FormatTextTest, WideFormatsKeepTheMicrosoftMeaning) {
    EXPECT_EQ(L"http://host/a.php?soft=1.7", FormatString(L"%s?soft=%d.%d", L"http://host/a.php", 1, 7));
    EXPECT_EQ(L"00042.vqp", FormatString(L"%05d.vqp", 42));
    EXPECT_EQ(L"narrow 游戏", FormatString(L"%hs %ls", "narrow", L"游戏"));
    EXPECT_EQ(L"-1 18446744073709551615", FormatString(L"%I64d %I64u", -1ll, 18446744073709551615ull));
    EXPECT_EQ(L"res='248' restype='PNG'", FormatString(L"res='%d' restype='PNG'", 248));
    EXPECT_EQ(L"", FormatString(L""));
}

TEST(FormatTextTest, LongOutputsGrowTheBuffer) {
    for (size_t length : {1022u, 1023u, 1024u, 5000u, 70000u}) {
        std::wstring text(length, L'x');
        text[length - 1] = L'y';
        std::wstring result = FormatString(L"[%s]", text.c_str());
        ASSERT_EQ(length + 2, result.size()) << length;
        EXPECT_EQ(L"[" + text + L"]", result) << length;
    }
}

TEST(FormatTextTest, BadFormatsAndHugeOutputsGiveEmptyText) {
    EXPECT_EQ(L"", FormatString(nullptr));
    // Beyond the bound the runtime is not asked to fill a buffer at all.
    EXPECT_EQ(L"", FormatString(L"%*d", static_cast<int>(kMaxFormatChars + 10), 1));
    EXPECT_EQ(kMaxFormatChars / 2, FormatString(L"%*d", static_cast<int>(kMaxFormatChars / 2), 1).size());
}

TEST(FormatTextTest, BoundedFormatting) {
    char narrow[256];
    EXPECT_EQ(8, FormatNarrow256(narrow, "%s=%05d", "id", 123));
    EXPECT_STREQ("id=00123", narrow + 0) << narrow;
    std::string longText(300, 'a');
    EXPECT_EQ(-1, FormatNarrow256(narrow, "%s", longText.c_str()));
    EXPECT_EQ(255u, std::strlen(narrow));

    wchar_t wide[80];
    EXPECT_EQ(5, FormatWide80(wide, L"%s-%d", L"ab", 42));
    EXPECT_STREQ(L"ab-42", wide);
    std::wstring longWide(100, L'w');
    EXPECT_EQ(-1, FormatWide80(wide, L"%s", longWide.c_str()));
    EXPECT_EQ(79u, wcslen(wide));
}

}  // namespace
}  // namespace Tessar
