// How the disk scan tells a found file's game: classifying files, the MD5
// match with its folder-name tie-break, the exe-name match scored on the
// version resource, launcher-shared games and their companion files, and
// Flash-game folders. The programs are real executables the build makes.
#include "VQCore/gamelib/ScanGame.h"

#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "common/CodePage.h"
#include "common/FileHandle.h"
#include "common/IniFile.h"
#include "common/Md5.h"
#include "common/PathText.h"
#include "common/Shortcut.h"
#include "common/TextUtil.h"
#include "tests/VQCore/gamelib/DataFileTestUtil.h"
#include "tests/VQCore/gamelib/ScanGameTestSupport.h"
#include "tests/programs/scangame/ScanGameValues.h"
#include "tests/support/TempFolder.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tessar {
namespace {

std::wstring LowerMd5Of(const std::wstring& path) {
    std::wstring md5 = Md5OfFile(path);
    MakeLower(md5);
    return md5;
}

// A catalogue entry with the texts that are given.
VQGameFields Game(uint32_t id, const std::wstring& name, const std::wstring& exeName = L"",
                  const std::wstring& md5 = L"") {
    VQGameFields fields = {{L"ID", std::to_wstring(id)}, {L"GameName", name}, {L"Publish", L"1"}};
    if (!exeName.empty())
        fields.push_back({L"ExeName", exeName});
    if (!md5.empty())
        fields.push_back({L"Md5", md5});
    return fields;
}

VQGameFields WithField(VQGameFields fields, const std::wstring& name, const std::wstring& value) {
    if (!value.empty())
        fields.push_back({name, value});
    return fields;
}

// The version texts of a record, in the order Description, Company,
// InternalName, OriginalName.
VQGameFields WithVersionTexts(VQGameFields fields, const std::wstring& description, const std::wstring& company,
                              const std::wstring& internalName, const std::wstring& originalName) {
    fields = WithField(fields, L"Description", description);
    fields = WithField(fields, L"Company", company);
    fields = WithField(fields, L"InternalName", internalName);
    return WithField(fields, L"OriginalName", originalName);
}

// The id of the record MatchKnownGame gives for the path; 0 for none.
uint32_t MatchedId(const std::vector<VQGameFields>& games, const std::wstring& path) {
    std::unique_ptr<VQDatabaseXmlFile> catalogue = MakeCatalogue(games);
    EXPECT_TRUE(catalogue != nullptr);
    if (!catalogue)
        return 0;
    VQDatabaseXmlFile* slot = catalogue.get();
    VQScanGame scan(&slot, RecordedTileFactory());
    const VQGameRecord* record = scan.MatchKnownGame(path);
    return record != nullptr ? record->ID : 0;
}

class ScanGameMatchTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(temp.Path().empty()); }

    // Copies a stand-in program into the scratch folder.
    std::wstring Lay(const char* program, const std::wstring& name) {
        std::wstring path = temp.PathOf(name);
        EXPECT_TRUE(CopyFixture(program, path)) << program;
        return path;
    }

    VQTempFolder temp;
};

TEST_F(ScanGameMatchTest, ClassifiesProgramsIniFilesAndShortcutsToPrograms) {
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    std::wstring program = Lay(kPlainGame, L"game\\Game.exe");
    ASSERT_TRUE(temp.WriteFile(L"game\\start.bat", "@echo off\r\n"));
    std::wstring work = temp.PathOf(L"game\\work");
    ASSERT_TRUE(temp.MakeFolder(L"game\\work"));
    ASSERT_TRUE(CreateShortcut(L"game", program, L"-window -fast", temp.PathOf(L"links\\game.lnk"), L"", 0, work));
    ASSERT_TRUE(CreateShortcut(L"bat", temp.PathOf(L"game\\start.bat"), L"", temp.PathOf(L"links\\bat.lnk"), L"", 0));
    ::CoUninitialize();

    struct Case {
        const wchar_t* name;
        std::wstring path;
        bool classified;
        std::wstring target;
        std::wstring arguments;
        std::wstring workingFolder;
    };
    const Case cases[] = {
        {L"program", program, true, program, L"", L""},
        {L"program in upper case", temp.PathOf(L"GAME.EXE"), true, temp.PathOf(L"GAME.EXE"), L"", L""},
        {L"ini file", temp.PathOf(L"x\\Config.INI"), true, temp.PathOf(L"x\\Config.INI"), L"", L""},
        {L"shortcut to a program", temp.PathOf(L"links\\game.lnk"), true, program, L"-window -fast", work},
        {L"shortcut to a batch file", temp.PathOf(L"links\\bat.lnk"), false, L"", L"", L""},
        {L"missing shortcut", temp.PathOf(L"links\\none.lnk"), false, L"", L"", L""},
        {L"batch file", temp.PathOf(L"game\\start.bat"), false, L"", L"", L""},
        {L"library", temp.PathOf(L"game\\x.dll"), false, L"", L"", L""},
        {L"no extension", temp.PathOf(L"game\\exe"), false, L"", L"", L""},
        {L"extension that begins like .exe", temp.PathOf(L"game\\a.exe1"), false, L"", L"", L""},
    };
    for (const Case& c : cases) {
        std::wstring target = L"old", arguments = L"old", workingFolder = L"old";
        EXPECT_EQ(c.classified, VQScanGame::ClassifyFile(c.path, target, arguments, workingFolder)) << c.name;
        EXPECT_EQ(c.target, target) << c.name;
        EXPECT_EQ(c.arguments, arguments) << c.name;
        EXPECT_EQ(c.workingFolder, workingFolder) << c.name;
    }
}

TEST_F(ScanGameMatchTest, Md5MatchesOnlyTheUpperCaseCatalogueText) {
    std::wstring path = Lay(kPlainGame, L"games\\Any\\run.exe");
    std::wstring md5 = Md5OfFile(path);
    ASSERT_EQ(32u, md5.size());
    struct Case {
        const wchar_t* name;
        std::wstring catalogueMd5;
        uint32_t expected;
    } cases[] = {
        {L"upper case", md5, 42},
        {L"lower case", LowerMd5Of(path), 0},
        {L"bare prefix", md5.substr(0, 16), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, MatchedId({Game(42, L"Any game", L"", c.catalogueMd5)}, path)) << c.name;
}

TEST_F(ScanGameMatchTest, Md5TwinsAreToldApartByTheFolderName) {
    std::wstring md5 = Md5OfFile(FixturePath(kPlainGame));
    std::vector<VQGameFields> twins = {Game(10, L"Alpha", L"", md5), Game(11, L"Beta", L"", md5),
                                       Game(12, L"Gamma", L"", md5)};
    struct Case {
        const wchar_t* folder;
        uint32_t expected;
    } cases[] = {
        {L"Beta", 11},  {L"beta", 11},  {L"GAMMA", 12},
        {L"Alpha", 10},  // the first record is the default anyway
        {L"Delta", 10},  // no name matches: the first record
        {L"Bet", 10},    // a bare prefix of a name is another name
        {L"Betamax", 10},
    };
    for (const Case& c : cases) {
        std::wstring path = Lay(kPlainGame, std::wstring(c.folder) + L"_case\\" + c.folder + L"\\game.exe");
        EXPECT_EQ(c.expected, MatchedId(twins, path)) << c.folder;
    }
    // A catalogue name that is empty never equals a folder name.
    std::wstring path = Lay(kPlainGame, L"empty\\x\\game.exe");
    EXPECT_EQ(20u, MatchedId({Game(20, L"First", L"", md5), Game(21, L"", L"", md5)}, path));
}

TEST_F(ScanGameMatchTest, ExeNameMatchNeedsThreePointsOfWholeNonEmptyTexts) {
    std::wstring path = Lay(kVersionedGame, L"online\\DragonCity.exe");
    std::wstring versionedMd5 = Md5OfFile(path);
    const std::wstring d = VQ_SCAN_GAME_DESCRIPTION, c = VQ_SCAN_GAME_COMPANY, i = VQ_SCAN_GAME_INTERNAL_NAME,
                       o = VQ_SCAN_GAME_ORIGINAL_NAME;
    std::wstring upperCompany = c;
    MakeUpper(upperCompany);
    VQGameFields base = Game(20001, L"Dragon City", L"dragoncity.exe");
    struct Case {
        const wchar_t* name;
        VQGameFields record;
        bool matches;
    } cases[] = {
        {L"all four texts", WithVersionTexts(base, d, c, i, o), true},
        {L"three texts, one field empty", WithVersionTexts(base, d, c, i, L""), true},
        {L"letter case ignored", WithVersionTexts(base, d, upperCompany, i, L""), true},
        {L"two texts, the other fields empty", WithVersionTexts(base, d, c, L"", L""), false},
        {L"every field empty", base, false},
        {L"bare prefixes of the texts", WithVersionTexts(base, d.substr(0, 2), c.substr(0, 7), i.substr(0, 4), o.substr(0, 6)),
         false},
        {L"texts that begin with the file's", WithVersionTexts(base, d + L" II", c + L" Co", i + L"2", o), false},
        {L"signer named, file not signed", WithField(WithVersionTexts(base, d, c, L"", L""), L"DigitalSignature", c),
         false},
        {L"two texts and the file's MD5", WithField(WithVersionTexts(base, d, c, L"", L""), L"Md5", versionedMd5), true},
        {L"two texts and the MD5 in lower case",
         WithField(WithVersionTexts(base, d, c, L"", L""), L"Md5", LowerMd5Of(path)), true},
        {L"two texts and a bare prefix of the MD5",
         WithField(WithVersionTexts(base, d, c, L"", L""), L"Md5", versionedMd5.substr(0, 8)), false},
        {L"name in mixed case in the catalogue", WithVersionTexts(Game(20001, L"Dragon City", L"DragonCity.exe"), d, c, i, o),
         false},
        {L"a tool", WithVersionTexts(Game(40001, L"Dragon tool", L"dragoncity.exe"), d, c, i, o), true},
    };
    for (const Case& testCase : cases) {
        uint32_t expected = testCase.matches ? testCase.record[0].second == L"40001" ? 40001 : 20001 : 0;
        EXPECT_EQ(expected, MatchedId({testCase.record}, path)) << testCase.name;
    }
}

TEST_F(ScanGameMatchTest, ProgramWithoutVersionTextsMatchesByNameOnlyThroughItsMd5) {
    std::wstring path = Lay(kPlainGame, L"online\\plain.exe");
    std::wstring md5 = Md5OfFile(path);
    std::wstring otherMd5 = Md5OfFile(FixturePath(kVersionedGame));
    ASSERT_NE(md5, otherMd5);
    struct Case {
        const wchar_t* name;
        std::wstring recordMd5;
        uint32_t expected;
    } cases[] = {
        {L"same MD5", md5, 20005},
        {L"another MD5", otherMd5, 0},
        {L"no MD5", L"", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, MatchedId({Game(20005, L"Plain", L"plain.exe", c.recordMd5)}, path)) << c.name;
}

TEST_F(ScanGameMatchTest, HighestScoreWinsAndTheFirstOfEqualScores) {
    std::wstring path = Lay(kVersionedGame, L"online\\DragonCity.exe");
    const std::wstring d = VQ_SCAN_GAME_DESCRIPTION, c = VQ_SCAN_GAME_COMPANY, i = VQ_SCAN_GAME_INTERNAL_NAME,
                       o = VQ_SCAN_GAME_ORIGINAL_NAME;
    VQGameFields three = WithVersionTexts(Game(20001, L"Three", L"dragoncity.exe"), d, c, i, L"");
    VQGameFields four = WithVersionTexts(Game(20002, L"Four", L"dragoncity.exe"), d, c, i, o);
    VQGameFields otherFour = WithVersionTexts(Game(20003, L"Four again", L"dragoncity.exe"), d, c, i, o);
    VQGameFields none = Game(20000 + 4, L"None", L"dragoncity.exe");
    EXPECT_EQ(20002u, MatchedId({three, four}, path));
    EXPECT_EQ(20002u, MatchedId({none, four, otherFour}, path));
    EXPECT_EQ(20001u, MatchedId({none, three}, path));
    EXPECT_EQ(0u, MatchedId({none}, path));
}

TEST_F(ScanGameMatchTest, LauncherSharedGamesNeedTheirCompanionFiles) {
    const std::wstring d = VQ_SCAN_GAME_DESCRIPTION, c = VQ_SCAN_GAME_COMPANY, i = VQ_SCAN_GAME_INTERNAL_NAME;
    auto launcherGame = [&](uint32_t id, const std::wstring& name, const std::wstring& exe) {
        return WithVersionTexts(Game(id, name, exe), d, c, i, L"");
    };
    struct Case {
        const wchar_t* name;
        VQGameFields record;
        const wchar_t* launcher;             // below the case's folder
        std::vector<const wchar_t*> others;  // files laid beside it
        bool matches;
    };
    const Case cases[] = {
        {L"parent companion missing", launcherGame(20010, L"英雄联盟", L"client.exe"), L"lol\\bin\\Client.exe", {}, false},
        {L"parent companion 1", launcherGame(20010, L"英雄联盟", L"client.exe"), L"lol\\bin\\Client.exe",
         {L"lol\\patcher_update.exe"}, true},
        {L"parent companion 2", launcherGame(20010, L"英雄联盟", L"client.exe"), L"lol\\bin\\client.exe",
         {L"lol\\lol.launcher_tencent.exe"}, true},
        {L"companion in the own folder, parent wanted", launcherGame(20010, L"英雄联盟", L"client.exe"),
         L"lol\\bin\\Client.exe", {L"lol\\bin\\patcher_update.exe"}, false},
        {L"companion name as a folder", launcherGame(20010, L"英雄联盟", L"client.exe"), L"lol\\bin\\Client.exe",
         {L"lol\\patcher_update.exe\\x.txt"}, false},
        {L"own-folder companion", launcherGame(20011, L"QQ堂", L"client.exe"), L"qqt\\Client.exe",
         {L"qqt\\QQTLiveUpdate.exe"}, true},
        {L"own-folder companion missing", launcherGame(20011, L"QQ堂", L"client.exe"), L"qqt\\Client.exe",
         {L"QQTLiveUpdate.exe"}, false},
        {L"other launcher name", launcherGame(20012, L"CF穿越火线", L"qqlogin.exe"), L"cf\\QQLogin.exe",
         {L"cf\\CFSelWorld.exe"}, true},
        {L"other launcher, companion missing", launcherGame(20012, L"CF穿越火线", L"qqlogin.exe"), L"cf\\QQLogin.exe",
         {}, false},
        {L"game of another launcher's row", launcherGame(20012, L"CF穿越火线", L"client.exe"), L"cf2\\Client.exe", {},
         true},
        {L"game without a row", launcherGame(20013, L"Some Game", L"client.exe"), L"some\\Client.exe", {}, true},
    };
    int index = 0;
    for (const Case& c : cases) {
        std::wstring folder = L"case" + std::to_wstring(index++) + L"\\";
        std::wstring path = Lay(kVersionedGame, folder + c.launcher);
        for (const wchar_t* other : c.others)
            ASSERT_TRUE(temp.WriteFile(folder + other, "MZ")) << c.name;
        uint32_t id = static_cast<uint32_t>(std::stoul(c.record[0].second));
        EXPECT_EQ(c.matches ? id : 0u, MatchedId({c.record}, path)) << c.name;
    }
}

TEST_F(ScanGameMatchTest, Md5MatchOfALauncherIsFinal) {
    std::wstring path = Lay(kPlainGame, L"lol\\bin\\Client.exe");
    EXPECT_EQ(30u, MatchedId({Game(30, L"英雄联盟", L"", Md5OfFile(path))}, path));
}

TEST_F(ScanGameMatchTest, CompanionFilesByBase) {
    ASSERT_TRUE(temp.WriteFile(L"top\\one.exe", "MZ"));
    ASSERT_TRUE(temp.WriteFile(L"top\\bin\\two.exe", "MZ"));
    std::wstring launcher = temp.PathOf(L"top\\bin\\Client.exe");
    struct Case {
        const wchar_t* name;
        uint32_t base;
        std::wstring path;
        const wchar_t* companion1;
        const wchar_t* companion2;
        bool found;
    } cases[] = {
        {L"own folder, first", 0, launcher, L"two.exe", L"", true},
        {L"own folder, second", 0, launcher, L"none.exe", L"two.exe", true},
        {L"own folder, neither", 0, launcher, L"one.exe", L"none.exe", false},
        {L"parent, first", 1, launcher, L"one.exe", L"none.exe", true},
        {L"parent, second", 1, launcher, L"", L"ONE.EXE", true},
        {L"no companions", 0, launcher, L"", L"", false},
        {L"base outside 0 and 1", 2, launcher, L"two.exe", L"one.exe", false},
        {L"parent of a drive root", 1, L"C:\\Client.exe", L"windows", L"", false},
        {L"bare file name", 0, L"Client.exe", L"Client.exe", L"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.found, VQScanGame::CheckCompanionFiles(c.base, c.path, c.companion1, c.companion2)) << c.name;
}

TEST_F(ScanGameMatchTest, FlashGameFolderMatchesByItsConfigIni) {
    struct Case {
        const wchar_t* name;
        const wchar_t* fileName;
        const wchar_t* ini;  // config text
        std::vector<const wchar_t*> files;
        uint32_t expected;
    };
    const Case cases[] = {
        {L"complete folder", L"config.ini", L"[main]\r\nname=小小飞机\r\nswf=50001.swf\r\nhelp=help.htm\r\n",
         {L"50001.swf", L"help.htm"}, 50001},
        {L"section and keys in another case", L"CONFIG.INI", L"[MAIN]\r\nNAME=小小飞机\r\nSwf=50001.swf\r\nHELP=help.htm\r\n",
         {L"50001.swf", L"help.htm"}, 50001},
        {L"swf in a subfolder", L"config.ini", L"[main]\r\nname=小小飞机\r\nswf=game\\50001.swf\r\nhelp=help.htm\r\n",
         {L"game\\50001.swf", L"help.htm"}, 50001},
        {L"no help key", L"config.ini", L"[main]\r\nname=小小飞机\r\nswf=50001.swf\r\n", {L"50001.swf", L"help.htm"}, 0},
        {L"help file missing", L"config.ini", L"[main]\r\nname=小小飞机\r\nswf=50001.swf\r\nhelp=help.htm\r\n",
         {L"50001.swf"}, 0},
        {L"swf file missing", L"config.ini", L"[main]\r\nname=小小飞机\r\nswf=50001.swf\r\nhelp=help.htm\r\n",
         {L"help.htm"}, 0},
        {L"name differs in case", L"config.ini", L"[main]\r\nname=Plane\r\nswf=50003.swf\r\nhelp=help.htm\r\n",
         {L"50003.swf", L"help.htm"}, 0},
        {L"not a Flash id", L"config.ini", L"[main]\r\nname=Tool\r\nswf=40001.swf\r\nhelp=help.htm\r\n",
         {L"40001.swf", L"help.htm"}, 0},
        {L"id without a record", L"config.ini", L"[main]\r\nname=小小飞机\r\nswf=50002.swf\r\nhelp=help.htm\r\n",
         {L"50002.swf", L"help.htm"}, 0},
        {L"other ini name", L"game.ini", L"[main]\r\nname=小小飞机\r\nswf=50001.swf\r\nhelp=help.htm\r\n",
         {L"50001.swf", L"help.htm"}, 0},
        {L"other section", L"config.ini", L"[game]\r\nname=小小飞机\r\nswf=50001.swf\r\nhelp=help.htm\r\n",
         {L"50001.swf", L"help.htm"}, 0},
    };
    std::unique_ptr<VQDatabaseXmlFile> catalogue =
        MakeCatalogue({Game(50001, L"小小飞机"), Game(40001, L"Tool"), Game(50003, L"PLANE")});
    ASSERT_TRUE(catalogue != nullptr);
    VQDatabaseXmlFile* slot = catalogue.get();
    VQScanGame scan(&slot, RecordedTileFactory());
    int index = 0;
    for (const Case& c : cases) {
        std::wstring folder = L"flash" + std::to_wstring(index++);
        // The profile functions read the system code page.
        ASSERT_TRUE(temp.WriteFile(folder + L"\\" + c.fileName, WideToNarrow(c.ini))) << c.name;
        for (const wchar_t* file : c.files)
            ASSERT_TRUE(temp.WriteFile(folder + L"\\" + file, "FWS")) << c.name;
        const VQGameRecord* record = scan.MatchFlashGameFolder(c.fileName, temp.PathOf(folder));
        EXPECT_EQ(c.expected, record != nullptr ? record->ID : 0u) << c.name;
    }
}

TEST_F(ScanGameMatchTest, OnlyProgramsUpTo64MiBAreHashed) {
    auto sized = [&](const std::wstring& name, uint64_t size) {
        std::wstring path = temp.PathOf(name);
        HANDLE file = INVALID_HANDLE_VALUE;
        EXPECT_TRUE(OpenFileHandle(file, path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
        EXPECT_TRUE(SeekFileHandle(file, static_cast<int64_t>(size), FILE_BEGIN));
        EXPECT_TRUE(::SetEndOfFile(file) != FALSE);
        CloseFileHandle(file);
        return path;
    };
    EXPECT_TRUE(VQScanGame::IsHashableFile(sized(L"limit.exe", kMaxHashedFileSize)));
    EXPECT_FALSE(VQScanGame::IsHashableFile(sized(L"over.exe", kMaxHashedFileSize + 1)));
    EXPECT_TRUE(VQScanGame::IsHashableFile(sized(L"empty.exe", 0)));
    EXPECT_FALSE(VQScanGame::IsHashableFile(temp.PathOf(L"missing.exe")));

    // A large program of the catalogue is not matched by its MD5.
    ASSERT_TRUE(temp.MakeFolder(L"big"));
    std::wstring big = sized(L"big\\big.exe", kMaxHashedFileSize + 1);
    std::wstring md5 = Md5OfFile(big);
    ASSERT_EQ(32u, md5.size());
    EXPECT_EQ(0u, MatchedId({Game(7, L"big", L"", md5)}, big));
}

}  // namespace
}  // namespace Tessar
