// The updater's window and the skins: the built-in style, and the overlay
// of the selected skin applied when the manager posts WM_USER+1 after a
// skin change. Pixels are read from the window the updater shows.
#include "tests/VQUpdate/SelbrinWorld.h"

#include "common/FileUtil.h"
#include "tests/support/LocalServer.h"
#include "ui/SkinManager.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace Tessar {
namespace {

using namespace ::Tessar::Test;

// A point of the content area that no control covers.
const POINT kContentPoint = {12, 200};

COLORREF PixelAt(HWND window, POINT point) {
    HDC dc = GetDC(window);
    COLORREF colour = GetPixel(dc, point.x, point.y);
    ReleaseDC(window, dc);
    return colour;
}

// Selects the skin for the program folder, as the manager's skin chooser does.
bool SelectSkin(const std::wstring& skinFile, const std::wstring& name) {
    VQSkinManager& skins = VQSkinManager::Instance();
    skins.SetSelectedSkinFile(skinFile);
    bool selected = skins.SetSelectedSkin(name);
    skins.SetSelectedSkinFile(std::wstring());
    return selected;
}

TEST(SelbrinSkin, TheWindowTakesTheSelectedSkinsOverlayWhenTheManagerSaysSo) {
    VQSelbrinWorld world;
    ASSERT_TRUE(world.Ready());
    ASSERT_TRUE(world.World().Root().WriteFile(L"server\\update.xml", "<VERSION>1.7.1.1752</VERSION>"));
    VQProcess selbrin;
    ASSERT_TRUE(selbrin.Start(world.ProgramPath(L"Selbrin.exe"), L""));
    HWND window = WaitForProcessWindow(selbrin.Id(), L"VQUpdateWnd", kRunTimeoutMs);
    ASSERT_NE(nullptr, window);
    KeepWindowPicture(window, L"Selbrin.UpdateWnd.default");
    EXPECT_EQ(RGB(0xF4, 0xF6, 0xF9), PixelAt(window, kContentPoint)) << "the light content of the built-in style";

    // The dark skin as it ships (its MarloxWnd.xml carries this window's
    // part too) becomes the selection.
    const std::string skin = ReadBytes(UnixToWindowsPath(BinaryDirUnix() + "/skin/folders/dark/MarloxWnd.xml"));
    ASSERT_NE(std::string::npos, skin.find("<Window name=\"UpdateWnd\">"));
    ASSERT_TRUE(world.World().Root().WriteFile(L"program\\skin\\dark\\MarloxWnd.xml", skin));
    ASSERT_TRUE(SelectSkin(world.ProgramPath(L"skin\\skin.xml"), L"夜色"));
    DWORD_PTR answer = 99;
    ASSERT_NE(0, SendMessageTimeoutW(window, WM_USER + 1, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer));
    KeepWindowPicture(window, L"Selbrin.UpdateWnd.dark");
    EXPECT_EQ(RGB(0x1E, 0x22, 0x28), PixelAt(window, kContentPoint)) << "the dark skin's content";

    // The default skin folder takes the window back to the light look.
    const std::string light = ReadBytes(UnixToWindowsPath(BinaryDirUnix() + "/skin/folders/default/MarloxWnd.xml"));
    ASSERT_TRUE(world.World().Root().WriteFile(L"program\\skin\\default\\MarloxWnd.xml", light));
    ASSERT_TRUE(SelectSkin(world.ProgramPath(L"skin\\skin.xml"), L"经典蓝"));
    ASSERT_NE(0, SendMessageTimeoutW(window, WM_USER + 1, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer));
    // The window repaints after the message.
    EXPECT_TRUE(WaitUntil([&] { return PixelAt(window, kContentPoint) == RGB(0xF4, 0xF6, 0xF9); }, 10000))
        << "the default skin's content";
    KeepWindowPicture(window, L"Selbrin.UpdateWnd.default-skin");

    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(selbrin.WaitForExit(kRunTimeoutMs, code));
}

}  // namespace
}  // namespace Tessar
