// The folder-choice dialog: the folders shown, the free-space mark of each
// drive (both needs counted when the folders share a drive), too long a
// folder refused with the system's message, and the result of the buttons.
#include <gtest/gtest.h>

#include <string>

#include "VQCore/app/windows/ChangeDirDlg.h"
#include "tests/VQCore/app/DialogTestDriver.h"
#include "tests/ui/WindowInput.h"
#include "ui/Control.h"

namespace Tessar {
namespace Test {
namespace {

// Answers the system message box this thread opens next and keeps its text.
class SystemMessageAnswerer {
public:
    SystemMessageAnswerer() {
        t_self = this;
        m_timer = ::SetTimer(nullptr, 0, 20, &SystemMessageAnswerer::OnTick);
    }
    ~SystemMessageAnswerer() {
        ::KillTimer(nullptr, m_timer);
        t_self = nullptr;
    }
    std::wstring text;
    int seen = 0;

private:
    static BOOL CALLBACK Find(HWND hwnd, LPARAM result) {
        wchar_t name[16] = {};
        ::GetClassNameW(hwnd, name, 16);
        if (wcscmp(name, L"#32770") == 0 && ::IsWindowVisible(hwnd)) {
            *reinterpret_cast<HWND*>(result) = hwnd;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
        if (!t_self) return;
        HWND box = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), &Find, reinterpret_cast<LPARAM>(&box));
        if (!box) return;
        wchar_t buffer[256] = {};
        ::GetDlgItemTextW(box, 0xFFFF, buffer, 256);
        t_self->text = buffer;
        ++t_self->seen;
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    static thread_local SystemMessageAnswerer* t_self;
    UINT_PTR m_timer = 0;
};
thread_local SystemMessageAnswerer* SystemMessageAnswerer::t_self = nullptr;

TEST(ChangeDirDlg, ShowsTheFoldersAndMarksTheSpace) {
    VQChangeDirDlg dialog(nullptr, L"C:\\Downloads", L"C:\\Games", 10, 20);
    const struct {
        const char* name;
        bool install;
        const wchar_t* folder;
        bool ok;
    } cases[] = {
        {"download-fits", false, L"C:\\Downloads\\New", true},
        {"install-fits", true, L"C:\\Games\\New", true},
        {"drive-missing", true, L"Q:\\Nowhere", false},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(dialog.ApplyChosenFolder(c.install, c.folder)) << c.name;
        EXPECT_EQ(c.ok, c.install ? dialog.IsInstallSpaceOk() : dialog.IsDownloadSpaceOk()) << c.name;
        EXPECT_EQ(c.folder, dialog.Find(c.install ? 103 : 101)->GetText()) << c.name;
        const std::wstring mark = dialog.GetSpaceMark(c.install);
        EXPECT_NE(std::wstring::npos, mark.find(c.ok ? L"source='0,0,18,19'" : L"source='0,19,18,38'"))
            << c.name << " " << std::string(mark.begin(), mark.end());
    }
    EXPECT_TRUE(RunModal(dialog, 105, L"ChangeDirDlg", [&dialog] { EXPECT_TRUE(ClickControl(dialog, 105)); }));
    EXPECT_EQ(1, dialog.GetResult());
    EXPECT_EQ(L"C:\\Downloads\\New", dialog.GetDownloadFolder());
}

TEST(ChangeDirDlg, FoldersOnOneDriveNeedRoomForBoth) {
    ULARGE_INTEGER freeBytes = {};
    ASSERT_TRUE(::GetDiskFreeSpaceExW(L"C:\\", &freeBytes, nullptr, nullptr));
    // Each need fits alone; together they exceed the free space.
    const uint64_t half = freeBytes.QuadPart / 2 + freeBytes.QuadPart / 4;
    VQChangeDirDlg dialog(nullptr, L"", L"", half, half);
    EXPECT_TRUE(dialog.ApplyChosenFolder(false, L"C:\\Downloads"));
    EXPECT_TRUE(dialog.IsDownloadSpaceOk()) << "alone it fits";
    EXPECT_TRUE(dialog.ApplyChosenFolder(true, L"c:\\Games"));
    EXPECT_FALSE(dialog.IsInstallSpaceOk()) << "with the download on the same drive it does not";
}

TEST(ChangeDirDlg, TooLongAFolderIsRefusedAndTheOldOneKept) {
    VQChangeDirDlg dialog(nullptr, L"C:\\Downloads", L"C:\\Games", 1, 1);
    SystemMessageAnswerer answer;
    const std::wstring longFolder = L"C:\\" + std::wstring(198, L'a');  // 201 characters
    ASSERT_EQ(201u, longFolder.size());
    EXPECT_FALSE(dialog.ApplyChosenFolder(true, longFolder));
    EXPECT_EQ(1, answer.seen);
    EXPECT_EQ(L"选择的目录太长，超过200个字符！", answer.text);
    EXPECT_EQ(L"C:\\Games", dialog.GetInstallFolder());
    const std::wstring fits = L"C:\\" + std::wstring(197, L'b');  // 200 characters
    EXPECT_TRUE(dialog.ApplyChosenFolder(true, fits));
    EXPECT_EQ(fits, dialog.GetInstallFolder());
    EXPECT_TRUE(RunModal(dialog, 106, L"ChangeDirDlg-cancel", [&dialog] { EXPECT_TRUE(ClickControl(dialog, 106)); }));
    EXPECT_EQ(2, dialog.GetResult());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
