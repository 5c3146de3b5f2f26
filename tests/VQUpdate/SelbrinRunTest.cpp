// End-to-end runs of the updater (its test build) under Wine against the local
// update server: the shown check (answering its question by posted input),
// the hidden "-update" run, the failures that must leave the installed copy
// as it was, and a locked program file that forces a roll-back.
#include "VQUpdate/UpgradeJournal.h"
#include "tests/VQUpdate/SelbrinWorld.h"
#include "tests/support/HeldFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace Tessar {
namespace {

using namespace ::Tessar::Test;

const wchar_t kUpdateWindowClass[] = L"VQUpdateWnd";
const wchar_t kUpdateTitle[] = L"Tovana\u7248\u672C\u66F4\u65B0";
// The window is placed at 390 x 266, and its layout's minimum size (400 x
// 270) wins, as the system enforces it.
const int kWindowWidth = 400;
const int kWindowHeight = 270;
// The exit button of the layout (60 x 21, insets 24 and 8), client coordinates.
const POINT kExitButtonCentre = {kWindowWidth - 24 - 30, kWindowHeight - 8 - 10};

std::string DecodeBase64(const std::string& text) {
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    int bits = 0;
    unsigned value = 0;
    for (char c : text) {
        size_t index = alphabet.find(c);
        if (index == std::string::npos)
            break;
        value = (value << 6) | static_cast<unsigned>(index);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((value >> bits) & 0xFF);
        }
    }
    return out;
}

// The decoded queries of the statistics requests the server received.
std::vector<std::string> StatQueries(VQUpdateServer& server) {
    std::vector<std::string> queries;
    for (const std::string& request : server.Requests()) {
        const std::string prefix = "/stat.php?";
        if (request.compare(0, prefix.size(), prefix) == 0)
            queries.push_back(DecodeBase64(request.substr(prefix.size())));
    }
    return queries;
}

bool HasUpgradeReport(VQUpdateServer& server) {
    for (const std::string& query : StatQueries(server)) {
        if (query.compare(0, 7, "type=1&") == 0 && query.find("&ver=1.7") != std::string::npos)
            return true;
    }
    return false;
}

// Waits until the upgrade has let go of everything (the updater copy may
// still be sending its report after the manager came back).
std::wstring SettledLeftovers(const VQSelbrinWorld& world) {
    WaitUntil([&] { return !IsUpgradeRunning() && world.Leftovers().empty(); }, kRunTimeoutMs);
    return world.Leftovers();
}

TEST(SelbrinRun, TheShownCheckAsksClosesTheManagerAppliesTheReleaseAndRestartsIt) {
    VQSelbrinWorld world;
    ASSERT_TRUE(world.Ready());
    VQProcess manager;
    {
        VQScopedEnvironment window(L"VQ_MANAGER_WINDOW", L"1");
        ASSERT_TRUE(manager.Start(world.ProgramPath(L"Norvane.exe"), L""));
    }
    ASSERT_NE(nullptr, WaitForProcessWindow(manager.Id(), L"VQManagerStub", kRunTimeoutMs));
    ASSERT_TRUE(world.WriteRestartMarkerFor(L"-exec_app=42"));
    size_t starts = world.ManagerStarts().size();

    VQProcess selbrin;
    ASSERT_TRUE(selbrin.Start(world.ProgramPath(L"Selbrin.exe"), L""));
    HWND window = WaitForProcessWindow(selbrin.Id(), kUpdateWindowClass, kRunTimeoutMs);
    ASSERT_NE(nullptr, window) << "the shown check shows its window";
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    EXPECT_STREQ(kUpdateTitle, title);
    EXPECT_FALSE(GetWindowLongPtrW(window, GWL_STYLE) & WS_CAPTION) << "the skin draws the caption";
    RECT frame = {};
    GetWindowRect(window, &frame);
    EXPECT_EQ(kWindowWidth, frame.right - frame.left);
    EXPECT_EQ(kWindowHeight, frame.bottom - frame.top);
    KeepWindowPicture(window, L"Selbrin.UpdateWnd.asking");

    // The question before the running manager is closed: answered "yes".
    HWND question = WaitForProcessWindow(selbrin.Id(), L"#32770", kRunTimeoutMs);
    ASSERT_NE(nullptr, question) << "the updater asks before closing the manager";
    GetWindowTextW(question, title, 64);
    EXPECT_STREQ(kUpdateTitle, title);
    PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(question, IDYES)));

    DWORD code = 99;
    ASSERT_TRUE(selbrin.WaitForExit(kRunTimeoutMs, code));
    EXPECT_EQ(0u, code) << "the hand-over ends the shown run with 0";
    DWORD managerCode = 99;
    EXPECT_TRUE(manager.WaitForExit(kRunTimeoutMs, managerCode)) << "the running manager was closed";
    VQManagerStart restarted;
    ASSERT_TRUE(world.WaitForManagerStart(starts, restarted, kRunTimeoutMs)) << "the manager is started again";
    EXPECT_EQ(L"-exec_app=42", restarted.parameters) << "with the parameters it had";
    EXPECT_EQ(L"new", world.InstalledVersion());
    EXPECT_EQ(L"", SettledLeftovers(world));
    EXPECT_TRUE(WaitUntil([&] { return HasUpgradeReport(world.Server()); }, kRunTimeoutMs))
        << "the upgrade is reported";
    KillProcessById(restarted.processId);
}

TEST(SelbrinRun, TheHiddenUpdateRunDoesTheSameWithoutAWindow) {
    VQSelbrinWorld world;
    ASSERT_TRUE(world.Ready());
    // Not "-background": a visible manager window of another test would
    // rightly turn that into a start in the foreground.
    ASSERT_TRUE(world.WriteRestartMarkerFor(L"-exec_app=7"));
    size_t starts = world.ManagerStarts().size();
    VQProcess selbrin;
    ASSERT_TRUE(selbrin.Start(world.ProgramPath(L"Selbrin.exe"), L"-update"));
    bool shown = false;
    DWORD code = 99;
    WaitUntil(
        [&] {
            if (WaitForProcessWindow(selbrin.Id(), kUpdateWindowClass, 0) != nullptr)
                shown = true;
            return selbrin.WaitForExit(0, code);
        },
        kRunTimeoutMs);
    EXPECT_EQ(0u, code) << "a hidden run that handed over ends with 0";
    EXPECT_FALSE(shown) << "nothing is shown";
    VQManagerStart restarted;
    ASSERT_TRUE(world.WaitForManagerStart(starts, restarted, kRunTimeoutMs));
    EXPECT_EQ(L"-exec_app=7", restarted.parameters);
    EXPECT_EQ(L"new", world.InstalledVersion());
    EXPECT_EQ(L"", SettledLeftovers(world));
    KillProcessById(restarted.processId);
}

TEST(SelbrinRun, AFailedDownloadLeavesTheInstalledCopyUntouched) {
    struct Case {
        const char* name;
        const wchar_t* urlPath;
        const char* md5;
    } cases[] = {
        {"bad MD5", L"", "0123456789ABCDEF0123456789ABCDEF"},
        {"404", L"/files/Missing.exe", ""},
        {"cut short", L"/__fault/short/files/Release.exe", ""},
    };
    for (const Case& c : cases) {
        VQSelbrinWorld world;
        ASSERT_TRUE(world.Ready()) << c.name;
        ASSERT_TRUE(world.ServeRelease(c.urlPath, c.md5)) << c.name;
        VQProcess selbrin;
        ASSERT_TRUE(selbrin.Start(world.ProgramPath(L"Selbrin.exe"), L"-update")) << c.name;
        DWORD code = 99;
        ASSERT_TRUE(selbrin.WaitForExit(kRunTimeoutMs, code)) << c.name;
        EXPECT_EQ(1u, code) << c.name << ": a hidden run that did not hand over ends with 1";
        EXPECT_EQ(L"old", world.InstalledVersion()) << c.name;
        EXPECT_EQ(L"", world.Leftovers()) << c.name;
        EXPECT_TRUE(world.ManagerStarts().empty()) << c.name;
    }
}

TEST(SelbrinRun, ExitDuringAStalledDownloadCancelsIt) {
    VQSelbrinWorld world;
    ASSERT_TRUE(world.Ready());
    // Silent for less than the window's bounded wait for its worker.
    ASSERT_TRUE(world.ServeRelease(L"/__fault/stall-3000/files/Release.exe"));
    VQProcess selbrin;
    ASSERT_TRUE(selbrin.Start(world.ProgramPath(L"Selbrin.exe"), L""));
    HWND window = WaitForProcessWindow(selbrin.Id(), kUpdateWindowClass, kRunTimeoutMs);
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (const std::string& request : world.Server().Requests()) {
                if (request.find("/__fault/stall-3000/") == 0)
                    return true;
            }
            return false;
        },
        kRunTimeoutMs))
        << "the download started";
    KeepWindowPicture(window, L"Selbrin.UpdateWnd.downloading");
    LPARAM at = MAKELPARAM(kExitButtonCentre.x, kExitButtonCentre.y);
    PostMessageW(window, WM_MOUSEMOVE, 0, at);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
    DWORD code = 99;
    ASSERT_TRUE(selbrin.WaitForExit(kRunTimeoutMs, code)) << "the exit button ends the run";
    EXPECT_EQ(0u, code);
    EXPECT_EQ(L"old", world.InstalledVersion());
    EXPECT_EQ(L"", world.Leftovers()) << "the worker ended before the window's records went";
}

TEST(SelbrinRun, ALockedProgramFileRollsTheWholeUpgradeBack) {
    VQSelbrinWorld world;
    ASSERT_TRUE(world.Ready());
    ASSERT_TRUE(world.WriteRestartMarkerFor(L"-background"));
    VQHeldFile locked(world.ProgramPath(L"sub\\res.txt"));
    ASSERT_TRUE(locked.Held());
    VQProcess selbrin;
    ASSERT_TRUE(selbrin.Start(world.ProgramPath(L"Selbrin.exe"), L"-update"));
    DWORD code = 99;
    ASSERT_TRUE(selbrin.WaitForExit(kRunTimeoutMs, code));
    EXPECT_EQ(0u, code);
    VQManagerStart restarted;
    ASSERT_TRUE(world.WaitForManagerStart(0, restarted, kRunTimeoutMs)) << "the manager comes back all the same";
    EXPECT_EQ(L"", SettledLeftovers(world));
    locked.Release();
    EXPECT_EQ(L"old", world.InstalledVersion());
    KillProcessById(restarted.processId);
}

}  // namespace
}  // namespace Tessar
