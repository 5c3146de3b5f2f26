// Task scripts: INI commands, programs started from the install folder,
// the two text encodings, and the places a script may not reach.
#include "VQCore/download/InstallMacros.h"
#include "VQCore/download/InstallPaths.h"
#include "VQCore/download/InstallTaskScript.h"
#include "common/CodePage.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "tests/VQCore/download/InstallTestUtil.h"
#include "tests/VQCore/download/PackageTestUtil.h"
#include "tests/VQCore/download/RegTestUtil.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

class InstallTaskScriptTest : public ::testing::Test {
protected:
    InstallTaskScriptTest() : m_special(m_folder.PathOf(L"special")) {
        m_folder.MakeFolder(L"game");
        m_folder.MakeFolder(L"outside");
        m_macros.Set(L"install", Folder());
        m_host.expand = [this](const std::wstring& text, std::wstring& out) { return m_macros.Expand(text, out); };
        m_host.allowPath = [this](const std::wstring& path) { return IsPathAtOrBelow(path, Folder()); };
    }

    std::wstring Folder() const { return m_folder.PathOf(L"game"); }
    // Writes the script into the install folder and runs it.
    bool Run(const std::string& bytes, std::wstring* error = nullptr) {
        std::wstring path = Folder() + L"\\##tasks##.txt";
        EXPECT_TRUE(WriteBytes(path, bytes));
        return RunInstallTaskScript(path, m_host, error);
    }
    std::wstring IniValue(const std::wstring& file, const std::wstring& section, const std::wstring& key) const {
        return IniFile(Folder() + L"\\" + file).ReadString(section, key, L"<none>");
    }

    VQTempFolder m_folder;
    VQScratchMacroFolders m_special;
    VQInstallMacros m_macros;
    VQTaskScriptHost m_host;
};

TEST_F(InstallTaskScriptTest, IniCommandsWriteAndDelete) {
    const struct {
        const char* name;
        std::string script;
        std::wstring file, section, key, value;
    } cases[] = {
        {"quoted parts", "ini WriteINIStr \"##install##\\my game.ini\" main \"the key\" \"a value\"", L"my game.ini",
         L"main", L"the key", L"a value"},
        {"blanks, blank lines and lone CRs", "\r\r \t ini WriteINIStr ##install##\\g.ini s k v \t\r\r", L"g.ini", L"s",
         L"k", L"v"},
        {"macros in the value", "ini WriteINIStr ##install##\\g.ini s path ##install##\\game.exe", L"g.ini", L"s",
         L"path", Folder() + L"\\game.exe"},
        {"a bare name is the script's folder", "ini WriteINIStr g.ini s bare yes", L"g.ini", L"s", L"bare", L"yes"},
        {"unknown commands are skipped", "copy a b\nini Unknown x\nini WriteINIStr ##install##\\g.ini s after 1",
         L"g.ini", L"s", L"after", L"1"},
        {"delete a value", "ini WriteINIStr ##install##\\g.ini d k v\nini DeleteINIStr ##install##\\g.ini d k", L"g.ini",
         L"d", L"k", L"<none>"},
        {"delete a section",
         "ini WriteINIStr ##install##\\g.ini e k v\nini DeleteINISec ##install##\\g.ini e\nini WriteINIStr "
         "##install##\\g.ini f k v",
         L"g.ini", L"e", L"k", L"<none>"},
    };
    for (const auto& c : cases) {
        std::wstring error;
        EXPECT_TRUE(Run(c.script, &error)) << c.name << ": " << WideToUtf8(error);
        EXPECT_EQ(c.value, IniValue(c.file, c.section, c.key)) << c.name;
    }
}

TEST_F(InstallTaskScriptTest, AWrongArgumentCountEndsTheScriptWithItsMessage) {
    const struct {
        const char* name;
        const char* line;
        const wchar_t* message;
    } cases[] = {
        {"write", "ini WriteINIStr ##install##\\g.ini s k", kTaskWriteIniArgsError},
        {"write too many", "ini WriteINIStr ##install##\\g.ini s k v w", kTaskWriteIniArgsError},
        {"delete section", "ini DeleteINISec ##install##\\g.ini", kTaskDeleteSecArgsError},
        {"delete value", "ini DeleteINIStr ##install##\\g.ini s", kTaskDeleteStrArgsError},
    };
    EXPECT_EQ(L"WriteINIStr参数个数错误", std::wstring(kTaskWriteIniArgsError));
    for (const auto& c : cases) {
        std::wstring error;
        EXPECT_FALSE(Run(std::string(c.line) + "\r\nini WriteINIStr ##install##\\g.ini s next 1", &error)) << c.name;
        EXPECT_EQ(std::wstring(c.message), error) << c.name;
        EXPECT_EQ(L"<none>", IniValue(L"g.ini", L"s", L"next")) << c.name;
    }
}

TEST_F(InstallTaskScriptTest, EncodingsFollowTheByteOrderMark) {
    const std::wstring line = L"ini WriteINIStr ##install##\\g.ini 游戏 名字 值\r\n";
    EXPECT_TRUE(Run(RegTest::RegFileBytes(line, RegTest::Encoding::kUtf16)));
    EXPECT_EQ(L"值", IniValue(L"g.ini", L"游戏", L"名字"));
    EXPECT_TRUE(Run(WideToCodePage(936, L"ini WriteINIStr ##install##\\g.ini 游戏 二 936\r\n")));
    EXPECT_EQ(L"936", IniValue(L"g.ini", L"游戏", L"二"));

    std::string bigEndian = "\xFE\xFF";
    for (wchar_t c : L"ini WriteINIStr ##install##\\g.ini be k v") {
        bigEndian.push_back(static_cast<char>(c >> 8));
        bigEndian.push_back(static_cast<char>(c & 0xFF));
    }
    EXPECT_FALSE(Run(bigEndian));
    EXPECT_EQ(L"<none>", IniValue(L"g.ini", L"be", L"k"));
}

TEST_F(InstallTaskScriptTest, UnreadableScriptsAreRefused) {
    EXPECT_FALSE(Run(""));
    EXPECT_FALSE(Run("ini WriteINIStr ##install##\\g.ini big k v\n" + std::string(1048576, ' ')));
    EXPECT_EQ(L"<none>", IniValue(L"g.ini", L"big", L"k"));
    EXPECT_FALSE(RunInstallTaskScript(Folder() + L"\\missing.txt", m_host));
}

TEST_F(InstallTaskScriptTest, AScriptReachesNothingOutsideItsPlaces) {
    const std::wstring outsideIni = m_folder.PathOf(L"outside\\evil.ini");
    const struct {
        const char* name;
        std::string script;
    } cases[] = {
        {"parent path", "ini WriteINIStr ##install##\\..\\outside\\evil.ini s k v"},
        {"full path", "ini WriteINIStr \"" + WideToUtf8(outsideIni) + "\" s k v"},
        {"macro folder not allowed here", "ini WriteINIStr ##my_doc##\\evil.ini s k v"},
        {"endless macro", "ini WriteINIStr ##loop##\\evil.ini s k v"},
        {"program outside", "run C:\\windows\\system32\\notepad.exe"},
        {"missing program", "run ##install##\\missing.exe"},
    };
    m_macros.Set(L"loop", L"##loop##x");
    for (const auto& c : cases) {
        EXPECT_FALSE(Run(c.script + "\nini WriteINIStr ##install##\\g.ini s after 1")) << c.name;
        EXPECT_EQ(L"<none>", IniValue(L"g.ini", L"s", L"after")) << c.name;
        EXPECT_EQ("", DescribeTree(m_folder.PathOf(L"outside"))) << c.name;
        EXPECT_FALSE(PathExists(m_special.FolderOf(L"my_doc"))) << c.name;
    }
}

TEST_F(InstallTaskScriptTest, RunStartsAProgramOfTheInstallFolder) {
    ASSERT_TRUE(WriteBytes(Folder() + L"\\job.bat", "@echo %1 %2> ran.txt\r\n"));
    ASSERT_TRUE(Run("run \"##install##\\job.bat\" first ##install##"));
    // The program runs on its own; wait for what it writes.
    std::string ran;
    for (int i = 0; i < 300 && ran.find('\n') == std::string::npos; ++i) {
        ::Sleep(100);
        ran = ReadBytes(Folder() + L"\\ran.txt");
    }
    EXPECT_EQ("first " + WideToCodePage(936, Folder()), ran.substr(0, ran.find_last_not_of("\r\n ") + 1));
}

}  // namespace
}  // namespace Tessar
