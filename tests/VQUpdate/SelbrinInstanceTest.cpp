// The updater's single-instance rules with real processes: a delayed
// "-update" run is woken by a second start and shows its check, a second
// start while a window is up ends at once, "-update" with two further
// arguments does not wait, and a second "-upgrade" run refuses with its
// error box. Each world's updaters get event names of their own (the
// instance suffix of the test build), so test programs running side by side
// do not meet.
#include "VQUpdate/UpgradeSeam.h"
#include "tests/programs/upgradeseam/EnvironmentSeam.h"
#include "tests/VQUpdate/SelbrinWorld.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace Tessar {
namespace {

using namespace ::Tessar::Test;

const wchar_t kUpdateWindowClass[] = L"VQUpdateWnd";

// This world's name of the event.
bool EventExists(const wchar_t* name) {
    HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, InstanceEventName(name).c_str());
    if (event == nullptr)
        return false;
    CloseHandle(event);
    return true;
}

TEST(SelbrinInstance, ADelayedRunIsWokenByASecondStartAndShowsItsCheck) {
    VQSelbrinWorld world;
    ASSERT_TRUE(world.Ready());
    // Nothing newer: every check ends at once with "up to date".
    ASSERT_TRUE(world.World().Root().WriteFile(L"server\\update.xml", "<VERSION>1.7.1.1752</VERSION>"));
    ASSERT_FALSE(EventExists(L"VQVersionUpdate")) << "another updater runs in this prefix";

    VQProcess delayed;
    ASSERT_TRUE(delayed.Start(world.ProgramPath(L"Selbrin.exe"), L"-update 30"));
    ASSERT_TRUE(WaitUntil([] { return EventExists(L"VQVersionUpdate_Background"); }, kRunTimeoutMs));
    EXPECT_EQ(nullptr, WaitForProcessWindow(delayed.Id(), kUpdateWindowClass, 0)) << "no window while it waits";

    VQProcess second;
    ASSERT_TRUE(second.Start(world.ProgramPath(L"Selbrin.exe"), L"-update 5"));
    DWORD code = 99;
    ASSERT_TRUE(second.WaitForExit(kRunTimeoutMs, code)) << "the second start ends at once";
    EXPECT_EQ(0u, code);
    HWND window = WaitForProcessWindow(delayed.Id(), kUpdateWindowClass, kRunTimeoutMs);
    ASSERT_NE(nullptr, window) << "the woken run shows its check";
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (const std::string& request : world.Server().Requests()) {
                if (request == "/update")
                    return true;
            }
            return false;
        },
        kRunTimeoutMs));
    KeepWindowPicture(window, L"Selbrin.UpdateWnd.uptodate");

    // A third start while the window is up: ends at once, no window of its own.
    VQProcess third;
    ASSERT_TRUE(third.Start(world.ProgramPath(L"Selbrin.exe"), L""));
    ASSERT_TRUE(third.WaitForExit(kRunTimeoutMs, code));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(IsWindowVisible(window));

    // The manager's skin change reaches the window and is answered.
    DWORD_PTR answer = 99;
    EXPECT_NE(0, SendMessageTimeoutW(window, WM_USER + 1, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer));
    EXPECT_EQ(0u, answer);

    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(delayed.WaitForExit(kRunTimeoutMs, code));
    EXPECT_EQ(0u, code) << "a shown run ends through its message loop";
    EXPECT_EQ(L"", world.Leftovers());
}

TEST(SelbrinInstance, UpdateWithTwoFurtherArgumentsRunsHiddenAtOnce) {
    VQSelbrinWorld world;
    ASSERT_TRUE(world.Ready());
    ASSERT_TRUE(world.World().Root().WriteFile(L"server\\update.xml", "<VERSION>1.7.1.1752</VERSION>"));
    VQProcess selbrin;
    ASSERT_TRUE(selbrin.Start(world.ProgramPath(L"Selbrin.exe"), L"-update 30 x"));
    DWORD code = 99;
    // Far below the 30 minutes it would wait.
    ASSERT_TRUE(selbrin.WaitForExit(kRunTimeoutMs, code));
    EXPECT_EQ(1u, code) << "a hidden run that found nothing newer ends with 1";
    bool asked = false;
    for (const std::string& request : world.Server().Requests())
        asked = asked || request == "/update";
    EXPECT_TRUE(asked);
}

TEST(SelbrinInstance, ASecondUpgradeRunShowsItsErrorAndEnds) {
    VQSelbrinWorld world;
    ASSERT_TRUE(world.Ready());
    ASSERT_FALSE(EventExists(L"VQVersionUpdate_Upgrade")) << "an upgrade runs in this prefix";
    HANDLE upgrading = CreateEventW(nullptr, FALSE, FALSE, InstanceEventName(L"VQVersionUpdate_Upgrade").c_str());
    ASSERT_NE(nullptr, upgrading);
    VQProcess selbrin;
    ASSERT_TRUE(selbrin.Start(world.ProgramPath(L"Selbrin.exe"), L"-upgrade"));
    HWND box = WaitForProcessWindow(selbrin.Id(), L"#32770", kRunTimeoutMs);
    CloseHandle(upgrading);
    ASSERT_NE(nullptr, box);
    wchar_t title[64] = {};
    GetWindowTextW(box, title, 64);
    EXPECT_STREQ(L"Tovana\u7248\u672C\u66F4\u65B0", title);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    DWORD code = 99;
    ASSERT_TRUE(selbrin.WaitForExit(kRunTimeoutMs, code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(L"old", world.InstalledVersion()) << "nothing was applied";
    EXPECT_TRUE(world.ManagerStarts().empty());
}

}  // namespace
}  // namespace Tessar
