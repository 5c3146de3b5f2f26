// What a desktop-shortcut record of link.ini may delete: a ".lnk" directly
// on the desktop and an ".ico" directly in the shared folder's Icons folder,
// whatever else a changed link.ini names. Real files in a folder the test
// owns.
#include "VQCore/gamelib/LinkIniRecord.h"

#include "common/FileUtil.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "tests/support/HostFolderLink.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace Tessar {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

class LinkIniRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_temp.MakeFolder(L"Desktop") && m_temp.MakeFolder(L"Shared\\Icons"));
        m_desktop = m_temp.PathOf(L"Desktop");
        m_shared = m_temp.PathOf(L"Shared");
    }

    VQTempFolder m_temp;
    std::wstring m_desktop;
    std::wstring m_shared;
};

TEST_F(LinkIniRecordTest, OnlyAShortcutOnTheDesktopAndAnIconInTheIconsFolderCount) {
    struct Case {
        const wchar_t* path;  // below the test's folder unless absolute
        bool shortcut;
        bool icon;
    } cases[] = {
        {L"Desktop\\Game.lnk", true, false},
        {L"DESKTOP\\Game.LNK", true, false},
        {L"Desktop/Game.lnk", true, false},
        {L"Shared\\Icons\\00042.ico", false, true},
        {L"Shared\\Icons\\00042.{0123456789abcdef0123456789abcdef}.ico", false, true},
        {L"Desktop\\Game.txt", false, false},
        {L"Desktop\\.lnk", false, false},
        {L"Desktop\\Game.lnk.exe", false, false},
        {L"Desktop\\Sub\\Game.lnk", false, false},
        {L"Desktop\\..\\Elsewhere\\Game.lnk", false, false},
        {L"Desktop\\Sub\\..\\Game.lnk", false, false},
        {L"Desktop\\Game.txt:x.lnk", false, false},
        {L"Elsewhere\\Game.lnk", false, false},
        {L"Shared\\Icons\\Sub\\00042.ico", false, false},
        {L"Shared\\Icons\\..\\00042.ico", false, false},
        {L"Shared\\00042.ico", false, false},
        {L"Shared\\Icons\\00042.exe", false, false},
        {L"Desktop\\00042.ico", false, false},
        {L"Game.lnk", false, false},
        {L"", false, false},
    };
    for (const Case& c : cases) {
        std::wstring path = c.path[0] == 0 || IsAbsolutePath(c.path) ? std::wstring(c.path) : m_temp.PathOf(c.path);
        EXPECT_EQ(c.shortcut, IsRecordableShortcut(path, m_desktop)) << Narrow(c.path);
        EXPECT_EQ(c.icon, IsRecordableIcon(path, m_shared)) << Narrow(c.path);
    }
    // A relative name is not on the desktop, whatever the current folder.
    EXPECT_FALSE(IsRecordableShortcut(L"Game.lnk", L""));
    EXPECT_FALSE(IsRecordableIcon(m_temp.PathOf(L"Icons\\00042.ico"), L""));
}

TEST_F(LinkIniRecordTest, DeletesOnlyTheRecordsOwnFiles) {
    struct Case {
        const char* name;
        const wchar_t* lnk;
        const wchar_t* ico;
        bool deleted;
    } cases[] = {
        {"ours", L"Desktop\\Game.lnk", L"Shared\\Icons\\00042.ico", true},
        {"elsewhere", L"Elsewhere\\Game.lnk", L"Elsewhere\\00042.ico", false},
        {"swapped", L"Shared\\Icons\\Game.lnk", L"Desktop\\00042.ico", false},
        {"other kinds", L"Desktop\\notes.txt", L"Shared\\Icons\\data.vqx", false},
        {"climbing out", L"Desktop\\..\\Elsewhere\\Game.lnk", L"Shared\\Icons\\..\\..\\Elsewhere\\00042.ico", false},
    };
    const IniFile ini(m_shared + L"\\link.ini");
    for (const Case& c : cases) {
        ASSERT_TRUE(m_temp.WriteFile(c.lnk, "shortcut") && m_temp.WriteFile(c.ico, "icon")) << c.name;
        SetFileAttributesW(m_temp.PathOf(c.lnk).c_str(), FILE_ATTRIBUTE_READONLY);
        ASSERT_TRUE(ini.WriteString(L"00042", kLinkIniShortcutKey, m_temp.PathOf(c.lnk)) &&
                    ini.WriteString(L"00042", kLinkIniIconKey, m_temp.PathOf(c.ico)))
            << c.name;
        DeleteRecordedShortcutFiles(ini, L"00042", m_desktop, m_shared);
        EXPECT_EQ(!c.deleted, FileExists(m_temp.PathOf(c.lnk))) << c.name;
        EXPECT_EQ(!c.deleted, FileExists(m_temp.PathOf(c.ico))) << c.name;
        EXPECT_EQ(m_temp.PathOf(c.lnk), ini.ReadString(L"00042", kLinkIniShortcutKey)) << c.name << ": the section stays";
        SetFileAttributesW(m_temp.PathOf(c.lnk).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    // A record whose files are gone already is no failure.
    DeleteRecordedShortcutFiles(ini, L"00042", m_desktop, m_shared);
    DeleteRecordedShortcutFiles(ini, L"00099", m_desktop, m_shared);
}

TEST_F(LinkIniRecordTest, AnIconsFolderThatLinksElsewhereIsNotOurs) {
    ASSERT_TRUE(m_temp.WriteFile(L"Elsewhere\\00042.ico", "someone else's icon"));
    ASSERT_TRUE(::RemoveDirectoryW((m_shared + L"\\Icons").c_str()));
    ASSERT_TRUE(MakeHostFolderLink(m_temp.PathOf(L"Elsewhere"), m_shared + L"\\Icons"));
    const std::wstring icon = m_shared + L"\\Icons\\00042.ico";
    ASSERT_TRUE(FileExists(icon)) << "the link leads to the other folder";
    EXPECT_FALSE(IsRecordableIcon(icon, m_shared));
    const IniFile ini(m_shared + L"\\link.ini");
    ASSERT_TRUE(ini.WriteString(L"00042", kLinkIniIconKey, icon));
    DeleteRecordedShortcutFiles(ini, L"00042", m_desktop, m_shared);
    EXPECT_TRUE(FileExists(m_temp.PathOf(L"Elsewhere\\00042.ico")));
}

}  // namespace
}  // namespace Tessar
