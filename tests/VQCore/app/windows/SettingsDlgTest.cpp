#include "VQCore/app/windows/SettingsDlg.h"

#include "VQCore/app/start/ResourceString.h"
#include "VQCore/gamelib/Settings.h"
#include "ui/Option.h"
#include "ui/SkinManager.h"
#include "ui/TabCtrl.h"
#include "tests/support/LocalServer.h"
#include "tests/support/ScratchRegistryKey.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/WindowScreenshot.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

namespace Tessar {
namespace {

// A dialog on a settings file of the test's own, its autostart entry under
// a scratch key, the refusals and applied changes caught.
struct VQDialogHarness {
    explicit VQDialogHarness(uint32_t firstPage)
        : settings(folder.PathOf(L"config.xml")),
          dialog(settings, firstPage, [this](const VQSettingsChanges& changes) {
              applied = changes;
              ++appliedCount;
          }) {
        settings.SetAutoRunEntry({scratch.Root(), scratch.Path() + L"\\Run", L"Norvane.exe"});
        dialog.SetRefusalHandler([this](const std::wstring& text) { refusals.push_back(text); });
        hwnd = dialog.CreateDialogWindow(nullptr);
    }
    ~VQDialogHarness() {
        if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    }

    VQTempFolder folder;
    VQScratchRegistryKey scratch;
    VQSettings settings;
    VQSettingsChanges applied;
    int appliedCount = 0;
    std::vector<std::wstring> refusals;
    VQSettingsDlg dialog;
    HWND hwnd = nullptr;
};

TEST(SettingsDlg, OpensOnTheRequestedPage) {
    struct Case {
        uint32_t page;
        int pageId;
    } cases[] = {{0, 134}, {1, 135}, {3, 137}, {5, 139}};
    for (const Case& c : cases) {
        VQDialogHarness harness(c.page);
        ASSERT_NE(nullptr, harness.hwnd) << c.page;
        EXPECT_EQ(c.pageId, harness.dialog.VisiblePageId()) << c.page;
    }
}

TEST(SettingsDlg, ShowsTheStoredSettings) {
    VQDialogHarness harness(0);
    ASSERT_NE(nullptr, harness.hwnd);
    const VQSettingsForm stored = ReadSettingsForm(harness.settings);
    const VQSettingsForm shown = harness.dialog.ReadControls();
    EXPECT_EQ(stored.autoRun, shown.autoRun);
    EXPECT_EQ(stored.closeToTray, shown.closeToTray);
    EXPECT_EQ(stored.showSpeed, shown.showSpeed);
    EXPECT_EQ(stored.maxSpeedText, shown.maxSpeedText);
    EXPECT_EQ(stored.cacheDir, shown.cacheDir);
    EXPECT_EQ(stored.importCycleIndex, shown.importCycleIndex);
    EXPECT_EQ(stored.updateRegular, shown.updateRegular);
    EXPECT_EQ(stored.updateCycleIndex, shown.updateCycleIndex);
}

TEST(SettingsDlg, EveryPageChangedIsSavedAndReadBack) {
    VQDialogHarness harness(0);
    ASSERT_NE(nullptr, harness.hwnd);
    VQSettingsForm form = harness.dialog.ReadControls();
    form.autoRun = true;
    form.closeToTray = !form.closeToTray;
    form.speedLimit = true;
    form.maxSpeedText = L"512";
    form.cacheDir = harness.folder.PathOf(L"cache");
    form.installDir = harness.folder.PathOf(L"games");
    form.repairGameTip = !form.repairGameTip;
    form.importRegular = true;
    form.importCycleIndex = 4;
    form.hideRunGame = !form.hideRunGame;
    form.updateRegular = !form.updateRegular;
    form.updateCycleIndex = 0;
    harness.dialog.WriteControls(form);
    EXPECT_TRUE(harness.dialog.Confirm());
    EXPECT_TRUE(harness.refusals.empty());
    EXPECT_EQ(1, harness.appliedCount);
    EXPECT_TRUE(harness.applied.speedLimit);
    EXPECT_TRUE(harness.applied.cacheDir);
    EXPECT_TRUE(harness.applied.hideRunGame);

    VQSettings reread(harness.folder.PathOf(L"config.xml"));
    ASSERT_TRUE(reread.Load());
    reread.WaitFolderPass();
    const VQSettingsForm stored = ReadSettingsForm(reread);
    EXPECT_TRUE(stored.autoRun);
    EXPECT_EQ(form.closeToTray, stored.closeToTray);
    EXPECT_TRUE(stored.speedLimit);
    EXPECT_EQ(L"512", stored.maxSpeedText);
    EXPECT_EQ(harness.folder.PathOf(L"cache\\"), stored.cacheDir);
    EXPECT_EQ(harness.folder.PathOf(L"games\\"), stored.installDir);
    EXPECT_EQ(form.repairGameTip, stored.repairGameTip);
    EXPECT_EQ(4, stored.importCycleIndex);
    EXPECT_EQ(form.hideRunGame, stored.hideRunGame);
    EXPECT_EQ(form.updateRegular, stored.updateRegular);
    EXPECT_EQ(0, stored.updateCycleIndex);
    // The autostart entry follows.
    wchar_t value[1024] = L"";
    DWORD size = sizeof(value);
    EXPECT_EQ(ERROR_SUCCESS, ::RegGetValueW(harness.scratch.Root(), (harness.scratch.Path() + L"\\Run").c_str(),
                                            L"Norvane.exe", RRF_RT_REG_SZ, nullptr, value, &size));
}

TEST(SettingsDlg, RefusedValueSaysWhyAndStoresNothing) {
    struct Case {
        const wchar_t* speed;
        std::wstring installDir;
        UINT textId;
        int pageId;
    } cases[] = {
        {L"abc", L"", 1180, 135},
        {L"0", L"", 1181, 135},
        {L"100", L"Games", 1182, 135},
    };
    for (const Case& c : cases) {
        VQDialogHarness harness(4);
        ASSERT_NE(nullptr, harness.hwnd);
        VQSettingsForm form = harness.dialog.ReadControls();
        form.maxSpeedText = c.speed;
        if (!c.installDir.empty()) form.installDir = c.installDir;
        form.autoRun = !form.autoRun;
        harness.dialog.WriteControls(form);
        EXPECT_FALSE(harness.dialog.Confirm()) << c.textId;
        ASSERT_EQ(1u, harness.refusals.size()) << c.textId;
        EXPECT_EQ(LoadResourceString(c.textId), harness.refusals[0]);
        EXPECT_EQ(c.pageId, harness.dialog.VisiblePageId()) << c.textId;
        EXPECT_EQ(0, harness.appliedCount);
        EXPECT_FALSE(harness.settings.IsDirty()) << c.textId;
        EXPECT_TRUE(::IsWindow(harness.hwnd));
    }
}

TEST(SettingsDlg, OptionsEnableTheirBoxesAndTabsShowTheirPages) {
    VQDialogHarness harness(0);
    ASSERT_NE(nullptr, harness.hwnd);
    VQSettingsForm form = harness.dialog.ReadControls();
    form.speedLimit = false;
    form.importRegular = false;
    form.updateRegular = true;
    harness.dialog.WriteControls(form);
    struct Case {
        int option;
        int box;
        bool enabledAfter;
    } cases[] = {{144, 164, true}, {159, 160, true}, {168, 163, false}};
    for (const Case& c : cases) {
        auto* option = dynamic_cast<VQOption*>(harness.dialog.FindControl(c.option));
        VQControl* box = harness.dialog.FindControl(c.box);
        ASSERT_TRUE(option != nullptr && box != nullptr) << c.option;
        EXPECT_NE(c.enabledAfter, box->IsEnabled()) << c.option;
        option->Selected(true);  // as a click does; the dialog hears the change
        EXPECT_EQ(c.enabledAfter, box->IsEnabled()) << c.option;
    }
    // A tab chosen by the user shows its page and hides the one before.
    auto* tabs = dynamic_cast<VQTabCtrl*>(harness.dialog.FindControl(133));
    ASSERT_NE(nullptr, tabs);
    EXPECT_EQ(134, harness.dialog.VisiblePageId());
    tabs->SelectItem(4);
    EXPECT_EQ(138, harness.dialog.VisiblePageId());
    EXPECT_FALSE(harness.dialog.FindControl(134)->IsVisible());
}

TEST(SettingsDlg, RestoredDefaultsAreOnlyShownUntilConfirmed) {
    VQDialogHarness harness(1);
    ASSERT_NE(nullptr, harness.hwnd);
    harness.dialog.RestoreDefaults();
    const VQSettingsForm shown = harness.dialog.ReadControls();
    EXPECT_EQ(L"1024", shown.maxSpeedText);
    EXPECT_EQ(L"C:\\ZelmorGames\\Download", shown.cacheDir);
    EXPECT_EQ(L"C:\\ZelmorGames\\Games", shown.installDir);
    EXPECT_TRUE(shown.showSpeed);
    EXPECT_FALSE(shown.speedLimit);
    EXPECT_FALSE(harness.settings.IsDirty());
}

}  // namespace
}  // namespace Tessar

namespace Tessar {
namespace {

COLORREF PaintedPixel(HWND window, int x, int y) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    HDC dc = ::GetDC(window);
    const COLORREF colour = ::GetPixel(dc, x, y);
    ::ReleaseDC(window, dc);
    return colour;
}

// The dark skin's block for this dialog, under a skin list of the test's
// own; the selection goes back to the built-in look at the end.
class VQDarkSkinSelection {
public:
    VQDarkSkinSelection() {
        const std::string source = ReadSource();
        const size_t start = source.find("<Window name=\"SettingsDlg\">");
        const size_t end = source.find("</Window>", start);
        if (start == std::string::npos || end == std::string::npos) return;
        const std::string skin = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Root name=\"dark\" index=\"2\">\n" +
                                 source.substr(start, end + 9 - start) + "\n</Root>\n";
        if (!m_folder.WriteFile(L"skin\\dark\\MarloxWnd.xml", skin)) return;
        VQSkinManager& skins = VQSkinManager::Instance();
        skins.RefreshSkinList(m_folder.PathOf(L"skin"));
        skins.SetSelectedSkinFile(m_folder.PathOf(L"skin\\skin.xml"));
        m_ready = skins.SetSelectedSkin(L"dark");
    }
    ~VQDarkSkinSelection() { BackToBuiltIn(); }
    bool Ready() const { return m_ready; }
    void BackToBuiltIn() {
        VQSkinManager& skins = VQSkinManager::Instance();
        skins.SetSelectedSkin(L"");
        skins.RefreshSkinList(m_folder.PathOf(L"missing"));
        skins.SetSelectedSkinFile(std::wstring());
    }

private:
    static std::string ReadSource() {
        const std::wstring path = ::Tessar::Test::UnixToWindowsPath(::Tessar::Test::SourceDirUnix() + "/skin/dark/Styles.xml");
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return std::string();
        std::string bytes(1 << 20, '\0');
        DWORD read = 0;
        ::ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
        ::CloseHandle(file);
        bytes.resize(read);
        return bytes;
    }

    VQTempFolder m_folder;
    bool m_ready = false;
};

TEST(SettingsDlgSkin, TheSelectedSkinChangesTheDialogAndTheBuiltInOneComesBack) {
    VQDarkSkinSelection dark;
    ASSERT_TRUE(dark.Ready());
    VQDialogHarness harness(0);
    ASSERT_NE(nullptr, harness.hwnd);
    ::ShowWindow(harness.hwnd, SW_SHOWNOACTIVATE);
    const int titleX = 300, titleY = 17, contentX = 300, contentY = 300;
    EXPECT_EQ(RGB(0x15, 0x18, 0x1D), PaintedPixel(harness.hwnd, titleX, titleY)) << "dark title band";
    EXPECT_EQ(RGB(0x26, 0x2B, 0x33), PaintedPixel(harness.hwnd, contentX, contentY)) << "dark page";

    dark.BackToBuiltIn();
    harness.dialog.ApplySkin();
    EXPECT_EQ(RGB(0x12, 0x3B, 0x70), PaintedPixel(harness.hwnd, titleX, titleY)) << "built-in title band";
    EXPECT_EQ(RGB(0xFF, 0xFF, 0xFF), PaintedPixel(harness.hwnd, contentX, contentY)) << "built-in page";
}

// The check options show their state in a box with a mark, not as a fill
// of the row, in the built-in look and in the dark skin.
TEST(SettingsDlgSkin, CheckOptionsShowABoxWithAMarkInBothSkins) {
    const struct {
        const char* name;
        bool dark;
        COLORREF page;      // the row's ground, ticked or not
        COLORREF boxInside;  // a clear box's inside
    } cases[] = {{"built-in", false, RGB(0xFF, 0xFF, 0xFF), RGB(0xFF, 0xFF, 0xFF)},
                 {"dark", true, RGB(0x26, 0x2B, 0x33), RGB(0x1E, 0x22, 0x28)}};
    const COLORREF tick = RGB(0x2D, 0x7F, 0xF9), mark = RGB(0xFF, 0xFF, 0xFF), rim = RGB(0x8A, 0x8F, 0x99);
    for (const auto& c : cases) {
        std::unique_ptr<VQDarkSkinSelection> dark;
        if (c.dark) {
            dark.reset(new VQDarkSkinSelection);
            ASSERT_TRUE(dark->Ready());
        }
        VQDialogHarness harness(1);  // 下载设置: 显示下载速度 (143), 限速设置 (144)
        ASSERT_NE(nullptr, harness.hwnd) << c.name;
        ::ShowWindow(harness.hwnd, SW_SHOWNOACTIVATE);
        auto* ticked = dynamic_cast<VQOption*>(harness.dialog.FindControl(143));
        auto* clear = dynamic_cast<VQOption*>(harness.dialog.FindControl(144));
        ASSERT_TRUE(ticked != nullptr && clear != nullptr) << c.name;
        ticked->Selected(true);
        clear->Selected(false);
        PaintedPixel(harness.hwnd, 0, 0);  // laid out by the paint
        const RECT on = ticked->GetPos(), off = clear->GetPos();
        const int onMiddle = (on.top + on.bottom) / 2, offMiddle = (off.top + off.bottom) / 2;
        // The box: 16 x 16 at 8 px from the row's left, centred in its height.
        EXPECT_EQ(tick, PaintedPixel(harness.hwnd, on.left + 10, onMiddle - 5)) << c.name << ": ticked box";
        EXPECT_EQ(mark, PaintedPixel(harness.hwnd, on.left + 15, onMiddle + 3)) << c.name << ": the mark";
        EXPECT_EQ(rim, PaintedPixel(harness.hwnd, off.left + 9, offMiddle)) << c.name << ": clear box's rim";
        EXPECT_EQ(c.boxInside, PaintedPixel(harness.hwnd, off.left + 16, offMiddle)) << c.name << ": clear box";
        // No fill of the whole row: right of the text the ground shows.
        EXPECT_EQ(c.page, PaintedPixel(harness.hwnd, on.right - 4, onMiddle)) << c.name << ": ticked row";
        EXPECT_EQ(c.page, PaintedPixel(harness.hwnd, off.right - 4, offMiddle)) << c.name << ": clear row";
        // The text starts right of the box.
        EXPECT_GE(ticked->m_textPaddings[TextNormal].left, 24) << c.name;
        // For people to look at.
        ::Tessar::Test::SaveWindowPng(harness.hwnd, ::Tessar::Test::ScreenshotFolder() + L"\\SettingsDlg-check-options-" +
                                                        (c.dark ? L"dark" : L"built-in") + L".png");
    }
}

}  // namespace
}  // namespace Tessar
