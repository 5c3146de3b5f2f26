// A skinned window built the way every window of the programs is: its
// OnCreate builds the test skin's layout through the markup builder, and
// ChangeSkin applies a style from a module resource or from a listed skin.
#include <gtest/gtest.h>

#include "tests/ui/SkinFixture.h"
#include "tests/ui/WindowInput.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/DialogBuilder.h"
#include "ui/SkinManager.h"
#include "ui/WindowImplBase.h"

namespace Tessar {
namespace {

namespace input = Tessar::Test;
using input::CenterOf;
using input::PumpUntil;

class SkinnedWindow : public VQWindowImplBase {
public:
    // With a caption the window is one the window manager would frame
    // (Wine then waits for it on destruction), so only one test asks for it.
    explicit SkinnedWindow(const wchar_t* layout = L"TestWnd", DWORD style = WS_POPUP) : m_layout(layout) {
        Create(nullptr, L"skinned", style, WS_EX_TOOLWINDOW, 30, 30, 480, 360);
        if (m_hwnd) ::ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    }
    ~SkinnedWindow() override {
        if (::IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd);
    }
    const wchar_t* GetWindowClassName() const override { return L"VQSkinnedTestWnd"; }
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& handled) override {
        built = CreateFromLayout(input::TestSkinPath(L"MarloxWnd.xml"), m_layout, MarkupFromFile, L"", nullptr);
        m_paintManager.SetTrackMouseEventProc(&input::VQMouseTrackRecorder::Track);
        handled = TRUE;
        return 0;
    }
    void Notify(VQNotifyMsg& msg) override { received.push_back(msg); }
    int Count(int type, const VQControl* sender) const {
        int n = 0;
        for (const VQNotifyMsg& msg : received)
            if (msg.type == type && msg.sender == sender) ++n;
        return n;
    }

    bool built = false;
    std::vector<VQNotifyMsg> received;

private:
    const wchar_t* m_layout;
};

TEST(WindowSkin, OnCreateBuildsTheLayoutAndTheWindowRespondsToInput) {
    ASSERT_FALSE(input::TestSkinFolder().empty()) << "the build folder is not known";
    input::VQSkinManagerState restore;
    VQSkinManager::Instance().SetResourceFolder(input::TestSkinFolder());
    // Created with a caption, which the skinned window takes off.
    SkinnedWindow window(L"TestWnd", WS_POPUP | WS_CAPTION);
    input::VQScreenshotOnFailure shot(window.GetHWND());
    ASSERT_NE(nullptr, window.GetHWND());
    ASSERT_TRUE(window.built);
    EXPECT_FALSE(::GetWindowLongPtrW(window.GetHWND(), GWL_STYLE) & WS_CAPTION);
    VQPaintManager& manager = window.GetPaintManager();
    ASSERT_NE(nullptr, manager.GetRoot());
    EXPECT_EQ(480, manager.GetInitSize().cx);
    EXPECT_EQ(4, manager.GetRoundCorner().cx);

    VQControl* ok = manager.FindControlByName(L"okbtn");
    ASSERT_NE(nullptr, ok);
    ::InvalidateRect(window.GetHWND(), nullptr, FALSE);
    ::UpdateWindow(window.GetHWND());
    ASSERT_GT(ok->GetWidth(), 0) << "the first paint laid the window out";
    EXPECT_EQ(1, window.Count(NotifyWindowInit, manager.GetRoot()));

    input::PostClick(window.GetHWND(), CenterOf(ok));
    EXPECT_TRUE(PumpUntil([&] { return window.Count(NotifyClick, ok) == 1; }));
    EXPECT_EQ(nullptr, ::GetCapture());

    // The layout's round corners shape the window once it is sized.
    ::SendMessageW(window.GetHWND(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(480, 360));
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(ERROR, ::GetWindowRgn(window.GetHWND(), region));
    ::DeleteObject(region);
}

TEST(WindowSkin, LayoutThatCannotBeBuiltLeavesTheWindowWithoutATree) {
    SkinnedWindow window(L"NoSuchWnd");
    ASSERT_NE(nullptr, window.GetHWND());
    EXPECT_FALSE(window.built);
    EXPECT_EQ(nullptr, window.GetPaintManager().GetRoot());
    // Painting a window without a tree is harmless.
    ::InvalidateRect(window.GetHWND(), nullptr, FALSE);
    ::UpdateWindow(window.GetHWND());
}

TEST(WindowSkin, ChangeSkinAppliesTheStyleResourceWithoutAListedSkin) {
    input::VQSkinManagerState restore;
    SkinnedWindow window;
    ASSERT_TRUE(window.built);
    VQPaintManager& manager = window.GetPaintManager();
    VQControl* ok = manager.FindControlByName(L"okbtn");
    ASSERT_NE(nullptr, ok);
    VQSkinManager::Instance().SetResourceFolder(input::TestSkinFolder());
    window.ChangeSkin(331, L"TestWnd", L"XML", input::TestSkinFolder(), L"Z:\\no\\such\\skin\\MarloxWnd.xml");
    EXPECT_EQ(L"Changed", ok->GetText());
    EXPECT_EQ(L"normaltextcolor=\"#FF102030\"", manager.GetDefaultAttributeList(L"Label"));
    EXPECT_EQ(L"", VQSkinManager::Instance().GetResourceFolder()) << "no skin: the module's own resources";
}

TEST(WindowSkin, ChangeSkinReadsTheStyleOfAListedSkinFromItsFolder) {
    input::VQSkinManagerState restore;
    SkinnedWindow window;
    ASSERT_TRUE(window.built);
    VQPaintManager& manager = window.GetPaintManager();
    VQSkinManager& skins = VQSkinManager::Instance();
    skins.RefreshSkinList(input::TestSkinFolder());
    ASSERT_FALSE(skins.GetSkinList().empty());
    const std::wstring layoutPath = skins.GetSkinList().front()->path;
    skins.SetResourceFolder(L"");
    manager.RemoveDefaultAttributeList(L"Button");
    VQControl* ok = manager.FindControlByName(L"okbtn");
    ok->SetText(L"before");

    window.ChangeSkin(331, L"TestWnd", L"XML", input::TestSkinFolder(), layoutPath);
    EXPECT_EQ(input::TestSkinFolder(), skins.GetResourceFolder());
    EXPECT_FALSE(manager.GetDefaultAttributeList(L"Button").empty()) << "the skin's own Window was applied";
    EXPECT_EQ(L"before", ok->GetText()) << "not the module's resource";
}

}  // namespace
}  // namespace Tessar
