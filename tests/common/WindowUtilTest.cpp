#include "common/WindowUtil.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

// Real windows on the test display.
class Window {
public:
    Window(DWORD style, int x, int y, int width, int height, HWND parent = nullptr, const wchar_t* text = L"")
        : m_window(::CreateWindowExW(0, L"STATIC", text, style, x, y, width, height, parent, nullptr,
                                     ::GetModuleHandleW(nullptr), nullptr)) {}
    ~Window() {
        if (m_window != nullptr)
            ::DestroyWindow(m_window);
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    HWND Get() const { return m_window; }

private:
    HWND m_window;
};

RECT WorkArea() {
    RECT area = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

RECT WindowRect(HWND window) {
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return rect;
}

// Where a window of the size lands over the reference, kept in the area.
POINT Expected(const RECT& reference, const RECT& area, int width, int height) {
    POINT p = {(reference.left + reference.right) / 2 - width / 2, (reference.top + reference.bottom) / 2 - height / 2};
    if (p.x < area.left)
        p.x = area.left;
    else if (p.x + width > area.right)
        p.x = area.right - width;
    if (p.y < area.top)
        p.y = area.top;
    else if (p.y + height > area.bottom)
        p.y = area.bottom - height;
    return p;
}

TEST(WindowTextTest, TextOfAWindowAsAWideString) {
    const wchar_t* texts[] = {L"", L"标题 Title", L"x"};
    for (const wchar_t* text : texts) {
        Window window(WS_POPUP, 0, 0, 50, 50, nullptr, text);
        ASSERT_NE(nullptr, window.Get());
        EXPECT_EQ(std::wstring(text), GetWindowTextString(window.Get()));
    }
    EXPECT_EQ(L"", GetWindowTextString(nullptr));
}

TEST(CenterWindowTest, PopupIsCentredOverItsShownOwnerOrTheWorkArea) {
    const RECT area = WorkArea();
    const int areaWidth = area.right - area.left;
    struct Case {
        const char* name;
        bool owned;
        DWORD ownerStyle;
        RECT owner;  // left, top, right, bottom
        int width, height;
        bool overWorkArea;
    } cases[] = {
        {"no owner", false, 0, {0, 0, 0, 0}, 200, 100, true},
        {"shown owner", true, WS_VISIBLE, {100, 120, 500, 420}, 200, 100, false},
        {"owner near the right edge", true, WS_VISIBLE, {areaWidth - 150, 200, areaWidth - 50, 300}, 300, 80, false},
        {"owner near the top left", true, WS_VISIBLE, {0, 0, 60, 40}, 300, 200, false},
        {"hidden owner", true, 0, {100, 120, 500, 420}, 200, 100, true},
        {"minimised owner", true, WS_VISIBLE | WS_MINIMIZE, {100, 120, 500, 420}, 200, 100, true},
        {"larger than the work area", false, 0, {0, 0, 0, 0}, areaWidth + 100, area.bottom - area.top + 100, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Window owner(WS_POPUP | c.ownerStyle, c.owner.left, c.owner.top, c.owner.right - c.owner.left,
                     c.owner.bottom - c.owner.top);
        ASSERT_NE(nullptr, owner.Get());
        Window window(WS_POPUP, 3, 7, c.width, c.height, c.owned ? owner.Get() : nullptr);
        ASSERT_NE(nullptr, window.Get());
        const RECT reference = c.overWorkArea ? area : WindowRect(owner.Get());
        const RECT before = WindowRect(window.Get());
        const int width = before.right - before.left;
        const int height = before.bottom - before.top;

        EXPECT_TRUE(CenterWindow(window.Get()));
        POINT expected = Expected(reference, area, width, height);
        RECT after = WindowRect(window.Get());
        EXPECT_EQ(expected.x, after.left);
        EXPECT_EQ(expected.y, after.top);
        EXPECT_EQ(width, after.right - after.left) << "size unchanged";
        EXPECT_EQ(height, after.bottom - after.top);
    }
}

TEST(CenterWindowTest, ChildIsCentredInItsParentsClientArea) {
    struct Case {
        const char* name;
        int width, height;
    } cases[] = {
        {"small child", 60, 30},
        {"child wider than the parent", 500, 30},
    };
    Window parent(WS_POPUP | WS_VISIBLE, 40, 50, 300, 200);
    ASSERT_NE(nullptr, parent.Get());
    RECT client = {};
    ::GetClientRect(parent.Get(), &client);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Window child(WS_CHILD | WS_VISIBLE, 1, 1, c.width, c.height, parent.Get());
        ASSERT_NE(nullptr, child.Get());
        EXPECT_TRUE(CenterWindow(child.Get()));
        POINT expected = Expected(client, client, c.width, c.height);
        RECT after = WindowRect(child.Get());
        ::MapWindowPoints(nullptr, parent.Get(), reinterpret_cast<POINT*>(&after), 2);
        EXPECT_EQ(expected.x, after.left);
        EXPECT_EQ(expected.y, after.top);
    }
}

}  // namespace
}  // namespace Tessar
