#include "common/PathText.h"
#include "common/SystemUtil.h"
#include "common/TextUtil.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

TEST(SystemUtilTest, OwnModulePath) {
    std::wstring path = GetOwnModulePath();
    EXPECT_TRUE(IsAbsolutePath(path)) << path;
    EXPECT_TRUE(FileExists(path)) << path;
    EXPECT_EQ(0, PrefixCompareNoCase(L"common_tests.exe", GetFileName(path))) << path;
    EXPECT_EQ(GetFileName(path).size(), wcslen(L"common_tests.exe"));
}

TEST(SystemUtilTest, ExpandEnvironmentText) {
    ASSERT_TRUE(::SetEnvironmentVariableW(L"VQ_TEST_FOLDER", L"D:\\游戏"));
    EXPECT_EQ(L"D:\\游戏\\run.exe", ExpandEnvironmentText(L"%VQ_TEST_FOLDER%\\run.exe"));
    EXPECT_EQ(L"%VQ_NO_SUCH_VARIABLE%\\x", ExpandEnvironmentText(L"%VQ_NO_SUCH_VARIABLE%\\x"));
    EXPECT_EQ(L"no references", ExpandEnvironmentText(L"no references"));
    EXPECT_EQ(L"", ExpandEnvironmentText(L""));
    std::wstring longValue(3000, L'v');
    ASSERT_TRUE(::SetEnvironmentVariableW(L"VQ_TEST_LONG", longValue.c_str()));
    EXPECT_EQ(longValue + L"!", ExpandEnvironmentText(L"%VQ_TEST_LONG%!"));
    ::SetEnvironmentVariableW(L"VQ_TEST_FOLDER", nullptr);
    ::SetEnvironmentVariableW(L"VQ_TEST_LONG", nullptr);
}

TEST(SystemUtilTest, ShellExecuteTargetHandsTheProcessOver) {
    VQTempFolder folder;
    HANDLE process = nullptr;
    DWORD error = 0;
    ASSERT_TRUE(ShellExecuteTarget(L"open", L"cmd.exe", L"/c exit 7", folder.Path(), SW_HIDE, &process, &error));
    ASSERT_NE(nullptr, process);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process, 30000));
    DWORD exitCode = 0;
    EXPECT_TRUE(::GetExitCodeProcess(process, &exitCode));
    EXPECT_EQ(7u, exitCode);
    ::CloseHandle(process);

    // Started in the given folder.
    ASSERT_TRUE(ShellExecuteTarget(L"", L"cmd.exe", L"/c echo x> here.txt", folder.Path(), SW_HIDE, &process));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process, 30000));
    ::CloseHandle(process);
    EXPECT_TRUE(FileExists(folder.PathOf(L"here.txt")));
}

TEST(SystemUtilTest, ShellExecuteTargetReportsFailure) {
    VQTempFolder folder;
    HANDLE process = reinterpret_cast<HANDLE>(1);
    DWORD error = 0;
    EXPECT_FALSE(ShellExecuteTarget(L"open", folder.PathOf(L"missing.exe"), L"", L"", SW_HIDE, &process, &error));
    EXPECT_EQ(nullptr, process);
    EXPECT_NE(0u, error);
    EXPECT_FALSE(ShellExecuteTarget(L"open", folder.PathOf(L"missing.exe"), L"", L"", SW_HIDE));
}

TEST(SystemUtilTest, OsNames) {
    const uint32_t nt = VER_PLATFORM_WIN32_NT;
    const uint32_t nine = VER_PLATFORM_WIN32_WINDOWS;
    struct Case {
        VQOsVersion version;
        const wchar_t* name;
    } cases[] = {
        {{6, 1, nt, VER_NT_WORKSTATION, 9, 0}, L"Microsoft Windows 7"},
        {{6, 1, nt, VER_NT_SERVER, 9, 0}, L"Microsoft Windows Server 2008 R2"},
        {{6, 0, nt, VER_NT_WORKSTATION, 0, 0}, L"Microsoft Windows Vista"},
        {{6, 0, nt, VER_NT_DOMAIN_CONTROLLER, 0, 0}, L"Microsoft Windows Server 2008"},
        {{5, 2, nt, VER_NT_WORKSTATION, PROCESSOR_ARCHITECTURE_AMD64, 0},
         L"Microsoft Windows XP Professional x64 Edition"},
        {{5, 2, nt, VER_NT_SERVER, PROCESSOR_ARCHITECTURE_AMD64, 0}, L"Microsoft Windows Server 2003"},
        {{5, 2, nt, VER_NT_SERVER, 0, 1}, L"Microsoft Windows Server 2003 R2"},
        {{5, 1, nt, VER_NT_WORKSTATION, 0, 0}, L"Microsoft Windows XP"},
        {{5, 0, nt, VER_NT_WORKSTATION, 0, 0}, L"Microsoft Windows 2000"},
        {{4, 0, nt, VER_NT_WORKSTATION, 0, 0}, L"Microsoft Windows NT 4.0"},
        {{4, 0, nine, 0, 0, 0}, L"Microsoft Windows 95"},
        {{4, 10, nine, 0, 0, 0}, L"Microsoft Windows 98"},
        {{4, 90, nine, 0, 0, 0}, L"Microsoft Windows Me"},
        {{10, 0, nt, VER_NT_WORKSTATION, 9, 0}, L""},
        {{6, 2, nt, VER_NT_WORKSTATION, 9, 0}, L""},
        {{4, 0, 0, 0, 0, 0}, L""},
    };
    for (const Case& c : cases) {
        std::wstring name = L"left over";
        EXPECT_EQ(c.name[0] != L'\0', OsNameFromVersion(c.version, name)) << c.version.major << "." << c.version.minor;
        EXPECT_EQ(c.name, name);
    }
}

TEST(SystemUtilTest, OsNameOfThisSystem) {
    std::wstring name;
    uint32_t major = 0;
    bool known = GetOsName(name, &major);
    EXPECT_EQ(known, !name.empty());
    EXPECT_GE(major, 5u);
    if (known) {
        EXPECT_TRUE(StartsWith(name, L"Microsoft Windows ")) << name;
    }
}

TEST(SystemUtilTest, PrivilegesAreEnabledByName) {
    EXPECT_TRUE(EnablePrivilege(L"SeShutdownPrivilege"));
    EXPECT_FALSE(EnablePrivilege(L"SeNoSuchPrivilege"));
}

TEST(SystemUtilTest, FileDialogHookCentresAndHidesTheReadOnlyBox) {
    HWND frame = ::CreateWindowExW(0, L"STATIC", L"dialog", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    if (frame == nullptr)
        GTEST_SKIP() << "no display for windows";
    HWND box = ::CreateWindowExW(0, L"BUTTON", L"read-only", WS_CHILD | WS_VISIBLE, 10, 10, 80, 20, frame,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(1040)), nullptr, nullptr);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(0u, FileDialogHook(frame, WM_INITDIALOG, 0, 0));
    EXPECT_FALSE(::IsWindowVisible(box) || (::GetWindowLongW(box, GWL_STYLE) & WS_VISIBLE));
    RECT area, rect;
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
    ASSERT_TRUE(::GetWindowRect(frame, &rect));
    EXPECT_NEAR((area.left + area.right) / 2, (rect.left + rect.right) / 2, 1);
    EXPECT_NEAR((area.top + area.bottom) / 2, (rect.top + rect.bottom) / 2, 1);
    EXPECT_EQ(300, rect.right - rect.left);
    // Other messages change nothing.
    ::SetWindowPos(frame, nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(0u, FileDialogHook(frame, WM_COMMAND, 0, 0));
    ASSERT_TRUE(::GetWindowRect(frame, &rect));
    EXPECT_EQ(5, rect.left);
    ::DestroyWindow(frame);
}

}  // namespace
}  // namespace Tessar
