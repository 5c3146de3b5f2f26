// The skin chooser on a skin folder of the test's own holding copies of the
// two skins that ship: it lists them after the built-in one, marks the
// chosen one, and choosing one stores it and restyles the chooser and an
// open window at once (read from the screen once the windows painted).

#include "VQCore/app/windows/SkinSettingWnd.h"

#include "VQCore/app/windows/AboutDlg.h"

#include "tests/VQCore/app/DialogTestDriver.h"
#include "tests/support/LocalServer.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/Container.h"
#include "ui/Control.h"
#include "ui/SkinManager.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace Tessar {
namespace {

// The skin folders as the build made them (layouts in the program's code page).
std::string ReadShippedSkin(const char* name, const char* fileName) {
    const std::wstring path = ::Tessar::Test::UnixToWindowsPath(::Tessar::Test::SourceDirUnix() + "/build/skin/folders/" +
                                                                name + "/" + fileName);
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes(1 << 20, '\0');
    DWORD read = 0;
    ::ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    ::CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

// Both shipped skins under skin\ of a temp folder, the selection file there
// too; everything goes back to the built-in look at the end.
class VQSkinFolder {
public:
    VQSkinFolder() {
        for (const char* name : {"default", "dark"}) {
            const std::wstring wide(name, name + std::strlen(name));
            for (const char* file : {"MarloxWnd.xml", "preview.png"}) {
                const std::string bytes = ReadShippedSkin(name, file);
                const std::wstring target = L"skin\\" + wide + L"\\" + std::wstring(file, file + std::strlen(file));
                if (bytes.empty() || !m_folder.WriteFile(target, bytes)) return;
            }
        }
        VQSkinManager& skins = VQSkinManager::Instance();
        skins.RefreshSkinList(m_folder.PathOf(L"skin"));
        skins.SetSelectedSkinFile(m_folder.PathOf(L"skin\\skin.xml"));
        m_ready = skins.SetSelectedSkin(L"") && skins.GetSkinList().size() == 2;
    }
    ~VQSkinFolder() {
        VQSkinManager& skins = VQSkinManager::Instance();
        skins.SetSelectedSkin(L"");
        skins.RefreshSkinList(m_folder.PathOf(L"missing"));
        skins.SetSelectedSkinFile(std::wstring());
    }
    bool Ready() const { return m_ready; }

private:
    VQTempFolder m_folder;
    bool m_ready = false;
};

// Screenshots and pixels are read from the screen: the window paints first.
void PaintNow(HWND hwnd) {
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::GdiFlush();
}

void KeepPaintedScreenshot(HWND hwnd, const std::wstring& name) {
    PaintNow(hwnd);
    ::Tessar::Test::KeepScreenshot(hwnd, name);
}

COLORREF PixelAt(HWND hwnd, POINT point) {
    PaintNow(hwnd);
    HDC dc = ::GetDC(hwnd);
    const COLORREF colour = ::GetPixel(dc, point.x, point.y);
    ::ReleaseDC(hwnd, dc);
    return colour;
}

// Inside the frame, below the title bar, left of the thumbnails.
const POINT kFramePoint = {12, 200};
const COLORREF kBadgeColour = RGB(0x2D, 0x7F, 0xF9);
// In a dialog's title bar, above its caption text.
const POINT kTitlePoint = {200, 3};
const COLORREF kDarkBand = RGB(0x15, 0x18, 0x1D);

// A point of the check mark badge (not of its tick) of thumbnail `item`.
POINT BadgePoint(const VQSkinSettingWnd& chooser, int item) {
    VQControl* list = chooser.Find(VQSkinSettingWnd::kListId);
    auto* container = list ? static_cast<VQContainer*>(list->GetInterface(ControlTypeContainer)) : nullptr;
    VQControl* option = container ? container->GetItemAt(item) : nullptr;
    if (!option) return POINT{-1, -1};
    const RECT pos = option->GetPos();
    return POINT{pos.left + 88, pos.top + 58};
}

TEST(SkinSettingWnd, ListsTheBuiltInSkinAndEveryInstalledOne) {
    VQSkinFolder folder;
    ASSERT_TRUE(folder.Ready());
    VQSkinSettingWnd chooser(nullptr, nullptr);
    ASSERT_TRUE(::IsWindow(chooser.GetHWND()));
    const std::vector<std::wstring> expected = {L"默认皮肤", L"经典蓝", L"夜色"};
    EXPECT_EQ(expected, chooser.ItemNames());
    EXPECT_EQ(0, chooser.CheckedIndex()) << "nothing selected shows the built-in skin";
    RECT bounds = {};
    ::GetWindowRect(chooser.GetHWND(), &bounds);
    EXPECT_EQ(380, bounds.right - bounds.left);
    EXPECT_EQ(260, bounds.bottom - bounds.top);
}

TEST(SkinSettingWnd, AnUnlistedSelectionShowsTheBuiltInSkinChosen) {
    VQSkinFolder folder;
    ASSERT_TRUE(folder.Ready());
    ASSERT_TRUE(VQSkinManager::Instance().SetSelectedSkin(L"gone"));
    VQSkinSettingWnd chooser(nullptr, nullptr);
    EXPECT_EQ(0, chooser.CheckedIndex());
    ASSERT_TRUE(VQSkinManager::Instance().SetSelectedSkin(L"夜色"));
    VQSkinSettingWnd second(nullptr, nullptr);
    EXPECT_EQ(2, second.CheckedIndex());
}

TEST(SkinSettingWnd, ChoosingTheDarkSkinStoresItAndRestylesTheOpenWindows) {
    VQSkinFolder folder;
    ASSERT_TRUE(folder.Ready());
    // Another open window the main window passes the change on to.
    VQAboutDlg other(nullptr);
    int chosen = 0;
    VQSkinSettingWnd chooser(nullptr, [&] {
        ++chosen;
        ::SendMessageW(other.GetHWND(), VQDialogWindow::kMsgReapplySkin, 0, 0);
    });
    // Side by side: the chooser is topmost and would hide the other one.
    ::SetWindowPos(other.GetHWND(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    chooser.ShowAt(400, 0);
    // The other window first, painted: its first paint may take the focus,
    // and the chooser hides when it loses the focus.
    ::ShowWindow(other.GetHWND(), SW_SHOWNOACTIVATE);
    PaintNow(other.GetHWND());
    ::ShowWindow(chooser.GetHWND(), SW_SHOWNOACTIVATE);
    KeepPaintedScreenshot(chooser.GetHWND(), L"SkinSettingWnd-builtin");
    const COLORREF builtinTitle = PixelAt(other.GetHWND(), kTitlePoint);

    ASSERT_TRUE(::IsWindowVisible(chooser.GetHWND()));
    ASSERT_TRUE(chooser.Choose(2));
    EXPECT_EQ(1, chosen);
    EXPECT_EQ(L"夜色", VQSkinManager::Instance().GetSelectedSkin());
    KeepPaintedScreenshot(chooser.GetHWND(), L"SkinSettingWnd-dark");
    KeepPaintedScreenshot(other.GetHWND(), L"SkinSettingWnd-dark-other");
    EXPECT_EQ(RGB(0x1E, 0x22, 0x28), PixelAt(chooser.GetHWND(), kFramePoint)) << "the chooser is dark at once";
    EXPECT_EQ(kDarkBand, PixelAt(other.GetHWND(), kTitlePoint)) << "and so is the other window's title";
    EXPECT_NE(kDarkBand, builtinTitle) << "which was the built-in band before";

    // The chosen skin again: stored and applied once more.
    ASSERT_TRUE(chooser.Choose(2));
    EXPECT_EQ(2, chosen);
    // The built-in skin is the empty name, and its look comes back.
    ASSERT_TRUE(chooser.Choose(0));
    EXPECT_EQ(L"", VQSkinManager::Instance().GetSelectedSkin());
    EXPECT_EQ(builtinTitle, PixelAt(other.GetHWND(), kTitlePoint)) << "back to the built-in look";
}

// The chosen skin's thumbnail carries the check mark badge (blue in its
// lower right corner); the others do not, whichever was chosen before.
TEST(SkinSettingWnd, TheChosenThumbnailShowsTheCheckMark) {
    VQSkinFolder folder;
    ASSERT_TRUE(folder.Ready());
    VQSkinSettingWnd chooser(nullptr, nullptr);
    chooser.ShowAt(0, 0);
    ::ShowWindow(chooser.GetHWND(), SW_SHOWNOACTIVATE);
    ::Tessar::Test::VQScreenshotOnFailure shot(chooser.GetHWND());
    for (int choice : {0, 2, 1, 0}) {
        ASSERT_TRUE(chooser.Choose(choice)) << choice;
        PaintNow(chooser.GetHWND());  // lays the thumbnails out
        ASSERT_EQ(choice, chooser.CheckedIndex()) << choice;
        for (int item = 0; item < 3; ++item) {
            const COLORREF badge = PixelAt(chooser.GetHWND(), BadgePoint(chooser, item));
            if (item == choice)
                EXPECT_EQ(kBadgeColour, badge) << "item " << item << " chosen";
            else
                EXPECT_NE(kBadgeColour, badge) << "item " << item << " while " << choice << " is chosen";
        }
    }
    KeepPaintedScreenshot(chooser.GetHWND(), L"SkinSettingWnd-checkmark");
}

TEST(SkinSettingWnd, ShowAtKeepsAPlaceNearTheLeftEdge) {
    VQSkinFolder folder;
    ASSERT_TRUE(folder.Ready());
    VQSkinSettingWnd chooser(nullptr, nullptr);
    chooser.ShowAt(-200, 40);
    RECT bounds = {};
    ::GetWindowRect(chooser.GetHWND(), &bounds);
    EXPECT_EQ(-200, bounds.left);
    EXPECT_EQ(40, bounds.top);
}

}  // namespace
}  // namespace Tessar
