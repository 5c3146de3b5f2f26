// The skin chooser on a skin folder of the test's own holding copies of the
// two skins that ship: it lists them after the built-in one, and choosing
// one stores it and restyles the chooser and an open window at once.

#include "VQCore/app/SkinSettingWnd.h"

#include "tests/VQCore/app/DialogTestDriver.h"
#include "tests/support/LocalServer.h"
#include "tests/support/TempFolder.h"
#include "ui/SkinManager.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace Tessar {
namespace {

// The copies the build made in the program's code page.
std::string ReadShippedSkin(const char* name) {
    const std::wstring path =
        ::Tessar::Test::UnixToWindowsPath(::Tessar::Test::SourceDirUnix() + "/build/skin/folders/" + name + "/MarloxWnd.xml");
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
            const std::string text = ReadShippedSkin(name);
            const std::wstring wide(name, name + std::strlen(name));
            if (text.empty() || !m_folder.WriteFile(L"skin\\" + wide + L"\\MarloxWnd.xml", text)) return;
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
    VQSkinSettingWnd other(nullptr, nullptr);
    int chosen = 0;
    VQSkinSettingWnd chooser(nullptr, [&] {
        ++chosen;
        ::SendMessageW(other.GetHWND(), VQDialogWindow::kMsgReapplySkin, 0, 0);
    });
    // Side by side: the chooser is topmost and would hide the other one.
    other.ShowAt(0, 0);
    chooser.ShowAt(400, 0);
    ::ShowWindow(other.GetHWND(), SW_SHOWNOACTIVATE);
    ::ShowWindow(chooser.GetHWND(), SW_SHOWNOACTIVATE);
        ::Tessar::Test::KeepScreenshot(chooser.GetHWND(), L"SkinSettingWnd-builtin");

    ASSERT_TRUE(chooser.Choose(2));
    EXPECT_EQ(1, chosen);
    EXPECT_EQ(L"夜色", VQSkinManager::Instance().GetSelectedSkin());
    ::Tessar::Test::KeepScreenshot(chooser.GetHWND(), L"SkinSettingWnd-dark");

    // The chosen skin again: stored and applied once more.
    ASSERT_TRUE(chooser.Choose(2));
    EXPECT_EQ(2, chosen);
    // The built-in skin is the empty name, and its look comes back.
    ASSERT_TRUE(chooser.Choose(0));
    EXPECT_EQ(L"", VQSkinManager::Instance().GetSelectedSkin());
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
