// The settings dialog in the running manager, as a user works it: a value
// that cannot be stored is refused with the reason and nothing is saved; a
// changed setting is saved on "确 定"; "恢复默认设置" followed by "取 消"
// changes nothing.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "VQCore/gamelib/Settings.h"
#include "tests/e2e/ManagerHarness.h"

namespace Tessar {
namespace Test {
namespace {

const DWORD kStartTimeout = 90000;
const UINT kCmdDownloadSettings = 1025;  // opens the dialog on "下载设置"

// Places in the dialog's client area (580 x 420): the button bar at the
// foot, the download page right of the 110-pixel tab column.
const POINT kOkButton = {434, 396};
const POINT kCancelButton = {524, 396};
const POINT kShowSpeed = {200, 83};     // 143 "显示下载速度"
const POINT kSpeedLimit = {176, 111};   // 144 "限速设置"
const POINT kRestoreDefaults = {181, 245};  // 166 "恢复默认设置"

BOOL CALLBACK CollectText(HWND hwnd, LPARAM data) {
    wchar_t text[512] = {};
    GetWindowTextW(hwnd, text, 512);
    *reinterpret_cast<std::wstring*>(data) += text;
    return TRUE;
}

std::string Narrow(const std::wstring& text) {
    std::string bytes(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], static_cast<int>(bytes.size()), nullptr, nullptr);
    return bytes;
}

class ManagerSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.Prepare());
        // A speed limit of 0 KB/s, as a hand-edited file may hold, with the limit on.
        VQSettings settings(ConfigPath());
        ASSERT_TRUE(settings.Load());
        settings.SetBool(L"SpeedLimit", true);
        settings.SetInt(L"MaxSpeed", 0);
        settings.SetBool(L"ShowSpeed", true);
        ASSERT_TRUE(settings.Save());
        m_manager = m_folder.Start(L"");
        ASSERT_TRUE(WaitFor([&] {
            return (m_main = m_folder.FindMainWindow(m_manager.pid)) != nullptr || !m_manager.Running();
        }, kStartTimeout));
        ASSERT_NE(nullptr, m_main) << "exit code " << m_manager.ExitCode();
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_main) != FALSE; }, kStartTimeout));
    }
    void TearDown() override {
        if (m_main) PostMessageW(m_main, WM_CLOSE, 0, 0);
        if (m_manager.process) {
            EXPECT_TRUE(m_manager.WaitForExit(60000));
        }
    }

    std::wstring ConfigPath() const { return m_folder.PathOf(L"config\\config.xml"); }
    // The settings file as the manager last saved it.
    std::unique_ptr<VQSettings> Stored() const {
        std::unique_ptr<VQSettings> settings(new VQSettings(ConfigPath()));
        EXPECT_TRUE(settings->Load());
        return settings;
    }
    HWND OpenDialog() {
        PostMessageW(m_main, WM_COMMAND, kCmdDownloadSettings, 0);
        HWND dialog = WaitForProcessWindow(m_manager.pid, L"VQSettingsDlg");
        // The dialog lays itself out on its first paint.
        Sleep(500);
        return dialog;
    }

    VQManagerFolder m_folder;
    VQManagerProcess m_manager;
    HWND m_main = nullptr;
};

TEST_F(ManagerSettingsTest, ARefusedValueSaysWhyAndAChangedOneIsSaved) {
    HWND dialog = OpenDialog();
    ASSERT_NE(nullptr, dialog);
    KeepWindowPicture(dialog, L"Settings.download-page");

    ClickAt(dialog, kOkButton);
    HWND box = WaitForProcessWindow(m_manager.pid, L"#32770", 30000);
    ASSERT_NE(nullptr, box) << "the refusal is told in a message box";
    std::wstring text;
    WaitFor([&] {
        text.clear();
        EnumChildWindows(box, &CollectText, reinterpret_cast<LPARAM>(&text));
        return text.find(L"1048576") != std::wstring::npos;
    }, 10000);
    EXPECT_NE(std::wstring::npos, text.find(L"限速值必须在1到1048576 KB/s之间")) << Narrow(text);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }, 30000));
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays open for the value to be put right";
    EXPECT_TRUE(Stored()->GetBool(L"ShowSpeed")) << "nothing was saved";

    // The limit off (its box with it) and the speed display off: saved.
    ClickAt(dialog, kSpeedLimit);
    ClickAt(dialog, kShowSpeed);
    ClickAt(dialog, kOkButton);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 30000)) << "confirmed, the dialog closes";
    std::unique_ptr<VQSettings> stored = Stored();
    EXPECT_FALSE(stored->GetBool(L"SpeedLimit"));
    EXPECT_FALSE(stored->GetBool(L"ShowSpeed"));
    EXPECT_EQ(0u, stored->GetInt(L"MaxSpeed")) << "the odd value nobody typed stays as it was";
}

TEST_F(ManagerSettingsTest, RestoredDefaultsThenCancelChangeNothing) {
    const std::wstring before = Stored()->GetString(L"CacheDir");
    HWND dialog = OpenDialog();
    ASSERT_NE(nullptr, dialog);
    ClickAt(dialog, kRestoreDefaults);
    Sleep(300);
    KeepWindowPicture(dialog, L"Settings.defaults-restored");
    ClickAt(dialog, kCancelButton);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 30000));
    std::unique_ptr<VQSettings> stored = Stored();
    EXPECT_EQ(Narrow(before), Narrow(stored->GetString(L"CacheDir")));
    EXPECT_TRUE(stored->GetBool(L"SpeedLimit"));
    EXPECT_TRUE(stored->GetBool(L"ShowSpeed"));
    EXPECT_EQ(0u, stored->GetInt(L"MaxSpeed"));
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
