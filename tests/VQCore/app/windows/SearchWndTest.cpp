// The search drop-down: its size follows its items, the arrow keys wrap,
// Enter and a click choose, and the search-more entry searches the box's
// own text (never the placeholder).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VQCore/app/windows/SearchWnd.h"
#include "tests/VQCore/app/DialogTestDriver.h"
#include "tests/ui/WindowInput.h"
#include "ui/Control.h"

namespace Tessar {
namespace Test {
namespace {

struct FakeBox {
    std::wstring text;
    std::vector<std::wstring> searches;
    std::vector<UINT> keys;
    VQSearchBox Box() {
        VQSearchBox box;
        box.getText = [this] { return text; };
        box.setText = [this](const std::wstring& value) { text = value; };
        box.runSearch = [this](const std::wstring& value) { searches.push_back(value); };
        box.passKey = [this](UINT key) { keys.push_back(key); };
        return box;
    }
};

void Fill(VQSearchWnd& drop) {
    drop.ClearItems();
    for (const wchar_t* name : {L"演示游戏一", L"演示游戏二", L"Demo Racer"}) drop.AddItem(name);
    drop.AddMoreItem();
}

TEST(SearchWnd, SizeFollowsTheItemsAndTheLastIsSearchMore) {
    FakeBox box;
    VQSearchWnd drop(box.Box());
    ASSERT_TRUE(::IsWindow(drop.GetHWND()));
    Fill(drop);
    EXPECT_EQ(4, drop.GetItemCount());
    EXPECT_EQ(L"搜索更多结果...", drop.GetItemText(3));
    RECT rc = {};
    ::GetWindowRect(drop.GetHWND(), &rc);
    EXPECT_EQ(180, rc.right - rc.left);
    EXPECT_EQ(4 * 19 + 2 + 2, rc.bottom - rc.top) << "items and the list's insets";
    ::SetWindowPos(drop.GetHWND(), HWND_TOPMOST, 60, 60, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    drop.Select(1);
    PumpPending();
    ::UpdateWindow(drop.GetHWND());
    KeepScreenshot(drop.GetHWND(), L"SearchWnd");
}

TEST(SearchWnd, ArrowKeysWrapAndGoToTheBox) {
    FakeBox box;
    VQSearchWnd drop(box.Box());
    Fill(drop);
    EXPECT_EQ(-1, drop.GetSelectedIndex());
    const struct {
        UINT key;
        int selected;
    } steps[] = {{VK_DOWN, 0}, {VK_DOWN, 1}, {VK_DOWN, 2}, {VK_DOWN, 3}, {VK_DOWN, 0}, {VK_UP, 3}, {VK_UP, 2}};
    for (const auto& step : steps) {
        ::SendMessageW(drop.GetHWND(), WM_KEYDOWN, step.key, 0);
        EXPECT_EQ(step.selected, drop.GetSelectedIndex()) << step.key;
    }
    EXPECT_EQ(7u, box.keys.size());
}

TEST(SearchWnd, ChoosingANameFillsTheBoxAndSearches) {
    FakeBox box;
    box.text = L"演示";
    VQSearchWnd drop(box.Box());
    Fill(drop);
    drop.Select(1);
    ::SendMessageW(drop.GetHWND(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(L"演示游戏二", box.text);
    ASSERT_EQ(1u, box.searches.size());
    EXPECT_EQ(L"演示游戏二", box.searches[0]);
    EXPECT_TRUE(drop.TakeChoosingFlag());
    EXPECT_FALSE(drop.TakeChoosingFlag());
    EXPECT_FALSE(::IsWindowVisible(drop.GetHWND()));
    // Enter on the name already in the box (case ignored) searches nothing new.
    box.text = L"demo racer";
    drop.Choose(2, false);
    EXPECT_EQ(1u, box.searches.size());
    EXPECT_FALSE(drop.TakeChoosingFlag());
    // By mouse it always goes in and runs.
    drop.Choose(2, true);
    EXPECT_EQ(L"Demo Racer", box.text);
    EXPECT_EQ(2u, box.searches.size());
    EXPECT_TRUE(::IsWindowEnabled(drop.GetHWND()));
}

TEST(SearchWnd, SearchMoreSearchesTheTypedTextOnly) {
    const struct {
        const wchar_t* text;
        size_t searches;
    } cases[] = {{L"赛车", 1}, {L"请输入游戏名称搜索", 0}, {L"", 0}};
    for (const auto& c : cases) {
        FakeBox box;
        box.text = c.text;
        VQSearchWnd drop(box.Box());
        Fill(drop);
        drop.Choose(3, true);
        EXPECT_EQ(c.searches, box.searches.size()) << std::string(box.text.begin(), box.text.end());
        if (c.searches) {
            EXPECT_EQ(c.text, box.searches[0]);
        }
        EXPECT_EQ(c.text, box.text) << "the box keeps its text";
    }
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
