#include "common/PathText.h"
#include "common/ShellFolders.h"
#include "common/TextUtil.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

namespace Tessar {
namespace {

std::wstring ShellFolder(int csidl) {
    wchar_t buffer[MAX_PATH + 1] = {};
    return ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) == S_OK ? buffer : L"";
}

TEST(ShellFoldersTest, EachFolderIsTheShellsOwn) {
    struct Case {
        const char* name;
        std::wstring (*get)();
        int csidl;
    } cases[] = {
        {"desktop", GetDesktopFolder, CSIDL_DESKTOPDIRECTORY},
        {"common desktop", GetCommonDesktopFolder, CSIDL_COMMON_DESKTOPDIRECTORY},
        {"application data", GetAppDataFolder, CSIDL_APPDATA},
        {"programs", GetProgramsMenuFolder, CSIDL_PROGRAMS},
        {"common programs", GetCommonProgramsMenuFolder, CSIDL_COMMON_PROGRAMS},
        {"cookies", GetCookiesFolder, CSIDL_COOKIES},
        {"recent", GetRecentFolder, CSIDL_RECENT},
        {"favorites", GetFavoritesFolder, CSIDL_FAVORITES},
    };
    for (const Case& c : cases) {
        std::wstring folder = c.get();
        EXPECT_FALSE(folder.empty()) << c.name;
        EXPECT_TRUE(IsAbsolutePath(folder)) << c.name;
        EXPECT_EQ(ShellFolder(c.csidl), folder) << c.name;
    }
}

TEST(ShellFoldersTest, DerivedFolders) {
    const std::wstring quickLaunch = L"\\Microsoft\\Internet Explorer\\Quick Launch";
    EXPECT_EQ(GetAppDataFolder() + quickLaunch, GetQuickLaunchFolder());
    EXPECT_EQ(ShellFolder(CSIDL_COMMON_APPDATA) + quickLaunch, GetCommonQuickLaunchFolder());
    std::wstring local = ShellFolder(CSIDL_LOCAL_APPDATA);
    ASSERT_FALSE(local.empty());
    std::wstring settings = GetLocalSettingsFolder();
    EXPECT_EQ(local.substr(0, local.rfind(L'\\')), settings);
    EXPECT_TRUE(FolderExists(settings));
}

}  // namespace
}  // namespace Tessar
