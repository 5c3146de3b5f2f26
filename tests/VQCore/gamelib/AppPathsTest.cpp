#include "VQCore/gamelib/AppFolder.h"
#include "VQCore/gamelib/AppPaths.h"

#include "common/FileUtil.h"
#include "common/PathText.h"
#include "common/ShellFolders.h"
#include "common/SystemUtil.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace Tessar {
namespace {

class AppPathsTest : public ::testing::Test {
protected:
    void SetUp() override { SetAppFolderOverride(L"X:\\Program\\Norvane"); }
    void TearDown() override { SetAppFolderOverride(L""); }
};

TEST(AppFolderTest, IsTheExecutablesFolder) {
    std::wstring folder = GetAppFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(L'\\', folder.back());
    EXPECT_EQ(GetFullPathFolder(GetOwnModulePath()), folder);
}

TEST(AppFolderTest, OverrideGetsOneBackslashAndEmptyRestores) {
    const std::wstring own = GetAppFolder();
    const wchar_t* const given[] = {L"C:\\scratch", L"C:\\scratch\\", L"C:\\scratch/", L"C:\\scratch\\\\"};
    for (const wchar_t* folder : given) {
        SetAppFolderOverride(folder);
        EXPECT_EQ(L"C:\\scratch\\", GetAppFolder()) << folder;
    }
    SetAppFolderOverride(L"");
    EXPECT_EQ(own, GetAppFolder());
}

TEST_F(AppPathsTest, BuildersStartFromTheProgramFolder) {
    struct Case {
        const wchar_t* name;
        std::wstring path;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"app", GetAppPath(), L"X:\\Program\\Norvane\\Norvane.exe"},
        {L"database", GetDatabasePath(), L"X:\\Program\\Norvane\\data\\database.vqx"},
        {L"advert", GetAdvertListPath(), L"X:\\Program\\Norvane\\data\\advert.vqx"},
        {L"hot", GetHotListPath(), L"X:\\Program\\Norvane\\data\\hot.vqx"},
        {L"user", GetUserListPath(), L"X:\\Program\\Norvane\\data\\user.vqx"},
        {L"install", GetInstallListPath(), L"X:\\Program\\Norvane\\data\\install.vqx"},
        {L"download", GetDownloadListPath(), L"X:\\Program\\Norvane\\data\\download.vqx"},
        {L"search", GetSearchIndexPath(), L"X:\\Program\\Norvane\\data\\search.vqs"},
        {L"icon 42", GetGameIconPath(42), L"X:\\Program\\Norvane\\pic\\00042.vqp"},
        {L"icon 7", GetGameIconPath(7), L"X:\\Program\\Norvane\\pic\\00007.vqp"},
        {L"icon 90001", GetGameIconPath(90001), L"X:\\Program\\Norvane\\pic\\90001.vqp"},
        {L"config", GetConfigPath(), L"X:\\Program\\Norvane\\config\\config.xml"},
        {L"sound", GetCompleteSoundPath(), L"X:\\Program\\Norvane\\audio\\complete.wav"},
        {L"skin", GetSkinFolder(), L"X:\\Program\\Norvane\\skin\\"},
        {L"flash", GetFlashPlayerPath(), L"X:\\Program\\Norvane\\Pallico.exe"},
        {L"browser", GetBrowserPath(), L"X:\\Program\\Norvane\\Dravenn.exe"},
        {L"updater", GetUpdaterPath(), L"X:\\Program\\Norvane\\Selbrin.exe"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, c.path) << c.name;
}

TEST(AppPathsOnDiskTest, BuildersOnlyComposeText) {
    VQTempFolder temp;
    SetAppFolderOverride(temp.Path());
    EXPECT_EQ(temp.Path() + L"\\config\\config.xml", GetConfigPath());
    GetDatabasePath();
    GetGameIconPath(1);
    GetSkinFolder();
    SetAppFolderOverride(L"");
    const wchar_t* const made[] = {L"config", L"data", L"pic", L"skin"};
    for (const wchar_t* name : made)
        EXPECT_FALSE(PathExists(temp.PathOf(name))) << name;
}

TEST(SharedPathsTest, FollowTheApplicationDataFolder) {
    std::wstring appData = GetAppDataFolder();
    ASSERT_FALSE(appData.empty());
    EXPECT_EQ(appData + L"\\Zelmor", GetSharedDataFolder());
    EXPECT_NE(L'\\', GetSharedDataFolder().back());
    EXPECT_EQ(appData + L"\\Zelmor\\cache.ini", GetCacheIniPath());
    EXPECT_EQ(appData + L"\\Zelmor\\link.ini", GetLinkIniPath());
}

TEST(SharedPathsTest, EmptyWithoutAnApplicationDataFolder) {
    EXPECT_EQ(L"", GetSharedDataFolder(L""));
    EXPECT_EQ(L"", GetCacheIniPath(L""));
    EXPECT_EQ(L"", GetLinkIniPath(L""));
    EXPECT_EQ(L"D:\\Users\\me\\Zelmor", GetSharedDataFolder(L"D:\\Users\\me"));
    EXPECT_EQ(L"S\\cache.ini", GetCacheIniPath(L"S"));
    EXPECT_EQ(L"S\\link.ini", GetLinkIniPath(L"S"));
}

}  // namespace
}  // namespace Tessar
