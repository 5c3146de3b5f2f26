// The toolkit's own BSTR holder and COM error record.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "ui/ComSupport.h"

namespace Tessar {
namespace {

TEST(ComSupportTest, BstrHoldsTextWithItsLengthAndCopiesAndMoves) {
    const std::wstring withZero(L"a\0b", 3);
    VQBstr text(withZero);
    EXPECT_EQ(3u, text.Length());
    EXPECT_EQ(withZero, text.ToString());

    VQBstr copy(text);
    EXPECT_NE(text.Get(), copy.Get());
    EXPECT_EQ(withZero, copy.ToString());

    VQBstr moved(std::move(copy));
    EXPECT_EQ(nullptr, copy.Get());
    EXPECT_EQ(withZero, moved.ToString());

    VQBstr empty;
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(L"", empty.ToString());
    empty = moved;
    EXPECT_EQ(withZero, empty.ToString());

    VQBstr none(static_cast<const wchar_t*>(nullptr));
    EXPECT_EQ(nullptr, none.Get());
}

TEST(ComSupportTest, BstrTakesOverAndHandsOutSystemStrings) {
    VQBstr text;
    text.Attach(::SysAllocString(L"游戏"));
    EXPECT_EQ(L"游戏", text.ToString());
    BSTR given = text.Detach();
    EXPECT_EQ(nullptr, text.Get());
    EXPECT_EQ(2u, ::SysStringLen(given));
    ::SysFreeString(given);

    VQBstr out(L"old");
    *out.Receive() = ::SysAllocString(L"new");
    EXPECT_EQ(L"new", out.ToString());
}

TEST(ComSupportTest, ComErrorDescribesTheResult) {
    VQComError ok(S_OK);
    EXPECT_FALSE(ok.Failed());
    VQComError missing(E_NOINTERFACE);
    EXPECT_TRUE(missing.Failed());
    EXPECT_EQ(E_NOINTERFACE, missing.Error());
    EXPECT_FALSE(missing.ErrorMessage().empty());
    EXPECT_NE(L'\n', missing.ErrorMessage().back());
    VQComError unknown(static_cast<HRESULT>(0xE0ABCDEF));
    EXPECT_EQ(L"Unknown error 0xE0ABCDEF", unknown.ErrorMessage());
}

}  // namespace
}  // namespace Tessar
