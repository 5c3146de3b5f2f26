// Desktop shortcuts in folders the test owns: the shortcut starts the
// manager with "-exec_app=" and the run id, the icon is a real .ico, and
// link.ini records what to remove later, which removal confines.

#include "VQCore/app/operations/DesktopShortcut.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>

#include "VQCore/app/operations/RunKey.h"
#include "common/IconFile.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "common/Shortcut.h"
#include "tests/support/TempFolder.h"

namespace Tessar {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// A 4x4 24-bit bitmap file, the kind of picture the skin manager decodes.
std::string SmallBitmapFile() {
    const int side = 4;
    const int rowBytes = side * 3;
    std::string pixels(static_cast<size_t>(rowBytes * side), '\0');
    for (size_t i = 0; i < pixels.size(); i += 3) pixels[i + 2] = static_cast<char>(0xC0);
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = side;
    info.biHeight = side;
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    return std::string(reinterpret_cast<const char*>(&file), sizeof(file)) +
           std::string(reinterpret_cast<const char*>(&info), sizeof(info)) + pixels;
}

bool StartsAsIcon(const std::string& bytes) {
    return bytes.size() > 6 && bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 1 && bytes[3] == 0;
}

class DesktopShortcutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_temp.MakeFolder(L"Desktop"));
        ASSERT_TRUE(m_temp.MakeFolder(L"Shared"));
        ASSERT_TRUE(m_temp.WriteFile(L"Program\\Norvane.exe", "x"));
        ASSERT_TRUE(m_temp.WriteFile(L"pic\\00042.bmp", SmallBitmapFile()));
        m_places.desktopFolder = m_temp.PathOf(L"Desktop");
        m_places.sharedFolder = m_temp.PathOf(L"Shared");
        m_places.appPath = m_temp.PathOf(L"Program\\Norvane.exe");
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    void TearDown() override { ::CoUninitialize(); }

    VQShortcutGame CatalogueGame(const std::wstring& program, const std::wstring& arguments) {
        VQShortcutGame game;
        game.gameId = 42;
        game.name = L"演示 游戏";
        game.iconDescription = L"file='" + m_temp.PathOf(L"pic\\00042.bmp") + L"'";
        game.runProgram = program;
        game.runArguments = arguments;
        return game;
    }
    std::wstring LinkIni() const { return m_places.sharedFolder + L"\\link.ini"; }

    VQTempFolder m_temp;
    VQShortcutPlaces m_places;
};

TEST_F(DesktopShortcutTest, MakesTheShortcutARealIconAndTheRecord) {
    const VQShortcutGame game = CatalogueGame(L"", L"");
    ASSERT_TRUE(CreateDesktopShortcut(game, m_places));
    const std::wstring shortcut = m_places.desktopFolder + L"\\演示 游戏.lnk";
    ASSERT_TRUE(FileExists(shortcut));
    ShortcutInfo info;
    ASSERT_TRUE(ReadShortcut(shortcut, info));
    EXPECT_EQ(0, _wcsicmp(m_places.appPath.c_str(), info.targetPath.c_str())) << Narrow(info.targetPath);
    EXPECT_EQ(L"-exec_app=00042", info.arguments);
    const std::wstring icon = m_places.sharedFolder + L"\\Icons\\00042.ico";
    EXPECT_TRUE(StartsAsIcon(m_temp.ReadFile(L"Shared\\Icons\\00042.ico"))) << "not an .ico file";
    HANDLE loaded = ::LoadImageW(nullptr, icon.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE);
    EXPECT_NE(nullptr, loaded) << "the system does not load it as an icon";
    if (loaded) ::DestroyIcon(static_cast<HICON>(loaded));
    const IniFile ini(LinkIni());
    EXPECT_EQ(shortcut, ini.ReadString(L"00042", L"lnk"));
    EXPECT_EQ(icon, ini.ReadString(L"00042", L"ico"));
    EXPECT_EQ(L"(none)", ini.ReadString(L"00042", L"exe", L"(none)")) << "no program, no key";
    EXPECT_TRUE(HasShortcutRecord(m_places.sharedFolder, 42));
}

TEST_F(DesktopShortcutTest, TwoProgramsOfOneGameShareTheSectionButNotTheIcon) {
    const std::wstring program = m_temp.PathOf(L"Game\\tool.exe");
    ASSERT_TRUE(CreateDesktopShortcut(CatalogueGame(L"", L""), m_places));
    VQShortcutGame second = CatalogueGame(program, L"-editor");
    second.name = L"演示 编辑器";
    ASSERT_TRUE(CreateDesktopShortcut(second, m_places));
    const std::wstring runId = MakeRunId(42, MakeRunKey(program, L"-editor"));
    EXPECT_EQ(L"00042.{" + MakeRunKey(program, L"-editor") + L"}", runId);
    EXPECT_TRUE(FileExists(m_places.sharedFolder + L"\\Icons\\00042.ico"));
    EXPECT_TRUE(FileExists(m_places.sharedFolder + L"\\Icons\\" + runId + L".ico"));
    ShortcutInfo info;
    ASSERT_TRUE(ReadShortcut(m_places.desktopFolder + L"\\演示 编辑器.lnk", info));
    EXPECT_EQ(L"-exec_app=" + runId, info.arguments);
    const IniFile ini(LinkIni());
    EXPECT_EQ(program, ini.ReadString(L"00042", L"exe"));
    EXPECT_EQ(L"-editor", ini.ReadString(L"00042", L"arg"));
    EXPECT_EQ(m_places.desktopFolder + L"\\演示 编辑器.lnk", ini.ReadString(L"00042", L"lnk"));
}

TEST_F(DesktopShortcutTest, AnIconAttributeWithoutAFileGetsNoShortcut) {
    struct Case {
        const char* name;
        const wchar_t* description;
    } cases[] = {{"empty", L""}, {"resource picture", L"res='248' restype='PNG'"}, {"empty quotes", L"file=''"}};
    for (const Case& c : cases) {
        VQShortcutGame game = CatalogueGame(L"", L"");
        game.iconDescription = c.description;
        EXPECT_FALSE(CreateDesktopShortcut(game, m_places)) << c.name;
    }
    EXPECT_FALSE(FileExists(m_places.desktopFolder + L"\\演示 游戏.lnk"));
}

TEST_F(DesktopShortcutTest, AGameNameCannotPutTheShortcutElsewhere) {
    struct Case {
        const wchar_t* name;
        const wchar_t* title;
    } cases[] = {
        {L"..\\..\\Program\\Norvane", L"_.._Program_Norvane"},
        {L"a/b:c*d?e\"f<g>h|i", L"a_b_c_d_e_f_g_h_i"},
        {L"   ", L"_"},
        {L"普通 名字", L"普通 名字"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.title, ShortcutFileTitle(c.name)) << Narrow(c.title);
    VQShortcutGame game = CatalogueGame(L"", L"");
    game.name = L"..\\..\\Program\\Norvane";
    ASSERT_TRUE(CreateDesktopShortcut(game, m_places));
    EXPECT_TRUE(FileExists(m_places.desktopFolder + L"\\_.._Program_Norvane.lnk"));
    EXPECT_EQ("x", m_temp.ReadFile(L"Program\\Norvane.exe"));
}

TEST_F(DesktopShortcutTest, RemovalDeletesWhatTheRecordNamesWithinBounds) {
    ASSERT_TRUE(CreateDesktopShortcut(CatalogueGame(L"", L""), m_places));
    const std::wstring shortcut = m_places.desktopFolder + L"\\演示 游戏.lnk";
    // The shortcut deleted by hand: the icon and the section still go.
    ASSERT_TRUE(::DeleteFileW(shortcut.c_str()));
    EXPECT_FALSE(HasShortcutRecord(m_places.sharedFolder, 42));
    RemoveShortcutRecord(m_places, 42);
    EXPECT_FALSE(FileExists(m_places.sharedFolder + L"\\Icons\\00042.ico"));
    EXPECT_EQ(L"(gone)", IniFile(LinkIni()).ReadString(L"00042", L"lnk", L"(gone)"));

    // A tampered record names files that are no shortcut on the desktop and
    // no icon of ours.
    struct Case {
        const wchar_t* lnk;
        const wchar_t* ico;
    } cases[] = {
        {L"Elsewhere\\keep.txt", L"Elsewhere\\keep.ico"},
        {L"Elsewhere\\keep.lnk", L"Desktop\\keep.ico"},
    };
    const IniFile ini(LinkIni());
    for (const Case& c : cases) {
        ASSERT_TRUE(m_temp.WriteFile(c.lnk, "shortcut") && m_temp.WriteFile(c.ico, "icon"));
        ASSERT_TRUE(ini.WriteString(L"00043", L"lnk", m_temp.PathOf(c.lnk)));
        ASSERT_TRUE(ini.WriteString(L"00043", L"ico", m_temp.PathOf(c.ico)));
        RemoveShortcutRecord(m_places, 43);
        EXPECT_TRUE(FileExists(m_temp.PathOf(c.lnk))) << Narrow(c.lnk);
        EXPECT_TRUE(FileExists(m_temp.PathOf(c.ico))) << Narrow(c.ico);
        EXPECT_EQ(L"(gone)", ini.ReadString(L"00043", L"lnk", L"(gone)"));
    }
}

TEST_F(DesktopShortcutTest, AnAddedGameCopiesItsOwnIconFile) {
    ASSERT_TRUE(m_temp.WriteFile(L"pic\\90001.ico", std::string("\0\0\1\0", 4) + "rest"));
    VQShortcutGame game = CatalogueGame(m_temp.PathOf(L"Own\\own.exe"), L"");
    game.gameId = 90001;
    game.iconDescription = L"file='" + m_temp.PathOf(L"pic\\90001.ico") + L"' icon='true' dest='30,15,62,47'";
    ASSERT_TRUE(CreateDesktopShortcut(game, m_places));
    const std::wstring runId = MakeRunId(90001, MakeRunKey(game.runProgram, L""));
    EXPECT_EQ(m_temp.ReadFile(L"pic\\90001.ico"), m_temp.ReadFile(L"Shared\\Icons\\" + runId + L".ico"));
}

TEST(DesktopShortcutIconSource, IsTheFirstQuotedText) {
    struct Case {
        const wchar_t* description;
        const wchar_t* source;
    } cases[] = {
        {L"file='C:\\pic\\00042.vqp' encrypt='true'", L"C:\\pic\\00042.vqp"},
        {L"res='248' restype='PNG'", L"248"},
        {L"file='", L""},
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.source, IconSourceOf(c.description)) << Narrow(c.description);
}

}  // namespace
}  // namespace Tessar
