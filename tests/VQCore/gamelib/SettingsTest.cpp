#include "VQCore/gamelib/Settings.h"

#include "common/CodePage.h"
#include "common/PathText.h"
#include "tests/support/TempFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Tessar {
namespace {

// Drive records instead of the machine's: under Wine C: and Z: are both
// fixed and the free space is whatever the build machine has.
struct FakeDrive {
    const wchar_t* root;
    UINT type;
    uint64_t freeBytes;
};

VQDriveSource FakeDrives(const std::vector<FakeDrive>& drives, HANDLE gate = nullptr) {
    VQDriveSource source;
    source.listDrives = [drives](std::vector<std::wstring>& roots) {
        roots.clear();
        for (const FakeDrive& drive : drives)
            roots.push_back(drive.root);
        return true;
    };
    source.driveType = [drives](const std::wstring& root) {
        for (const FakeDrive& drive : drives) {
            if (_wcsicmp(drive.root, root.c_str()) == 0)
                return drive.type;
        }
        return static_cast<UINT>(DRIVE_NO_ROOT_DIR);
    };
    source.details = [drives, gate](const std::wstring& root, VQDriveInfo& info) {
        if (gate != nullptr)
            ::WaitForSingleObject(gate, 10000);
        for (const FakeDrive& drive : drives) {
            if (_wcsicmp(drive.root, root.c_str()) == 0) {
                info = VQDriveInfo();
                info.freeBytes = drive.freeBytes;
                info.volumeRead = true;
                return true;
            }
        }
        return false;
    };
    return source;
}

const uint64_t kGiB = 1ull << 30;

// E: has the most free space of the fixed drives; F: and G: have more but
// are removable and remote.
std::vector<FakeDrive> StandardDrives() {
    return {{L"C:\\", DRIVE_FIXED, 10 * kGiB},     {L"D:\\", DRIVE_FIXED, 50 * kGiB},
            {L"E:\\", DRIVE_FIXED, 80 * kGiB},     {L"F:\\", DRIVE_REMOVABLE, 500 * kGiB},
            {L"G:\\", DRIVE_REMOTE, 900 * kGiB},   {L"Z:\\", DRIVE_FIXED, 80 * kGiB}};
}

class SettingsTest : public ::testing::Test {
protected:
    std::wstring ConfigPath() const { return m_temp.PathOf(L"config\\config.xml"); }

    std::unique_ptr<VQSettings> Make(const std::vector<FakeDrive>& drives = StandardDrives()) const {
        std::unique_ptr<VQSettings> settings(new VQSettings(ConfigPath()));
        settings->SetDriveSource(FakeDrives(drives));
        return settings;
    }

    bool WriteConfig(const std::string& options) const {
        return m_temp.WriteFile(L"config\\config.xml", "<VERSION>1.7</VERSION>\n<OPTIONS>" + options + "</OPTIONS>\n");
    }

    std::string ReadConfig() const { return m_temp.ReadFile(L"config\\config.xml"); }

    VQTempFolder m_temp;
};

struct FlagDefault {
    const wchar_t* key;
    bool value;
};
const FlagDefault kFlagDefaults[] = {
    {L"AutoRun", true},          {L"AutoStartUndone", false},   {L"ShowSpeed", true},
    {L"SpeedLimit", false},      {L"CompleteMessageTip", true}, {L"CompleteAudioTip", true},
    {L"ExitMessageTip", true},   {L"RepairGameTip", true},      {L"UpdateRegular", true},
    {L"OpenEffect", true},       {L"RunGameMin", false},        {L"HideMainWnd", false},
    {L"HideRunGame", false},     {L"ForceKillGame", false},     {L"ImportRegular", false},
    {L"CompletePowerOff", false},
};

struct IntDefault {
    const wchar_t* key;
    uint32_t value;
};
const IntDefault kIntDefaults[] = {{L"CloseAction", 0}, {L"MaxSpeed", 1024}, {L"UpdateCycle", 7}, {L"ImportCycle", 7}};

const wchar_t* const kTimeKeys[] = {L"UpdateTime",       L"UpdateDatabaseTime", L"UpdateAdvertTime",
                                    L"UpdateHotTime",    L"ReportOnlineTime",   L"ImportTime"};

size_t At(const std::string& text, const char* tag) {
    size_t pos = text.find(tag);
    EXPECT_NE(std::string::npos, pos) << tag << " in " << text;
    return pos;
}

TEST_F(SettingsTest, FirstStartUsesDefaultsAndChoosesFolders) {
    std::unique_ptr<VQSettings> settings = Make();
    EXPECT_FALSE(settings->Load());
    settings->WaitFolderPass();
    EXPECT_FALSE(settings->IsLoaded());
    EXPECT_TRUE(settings->IsDirty());
    for (const FlagDefault& flag : kFlagDefaults)
        EXPECT_EQ(flag.value, settings->GetBool(flag.key)) << flag.key;
    for (const IntDefault& number : kIntDefaults)
        EXPECT_EQ(number.value, settings->GetInt(number.key)) << number.key;
    for (const wchar_t* key : kTimeKeys)
        EXPECT_EQ(L"", settings->GetString(key)) << key;
    EXPECT_EQ(L"E:\\ZelmorGames\\Download", settings->GetString(L"CacheDir"));
    EXPECT_EQ(L"E:\\ZelmorGames\\Games", settings->GetString(L"InstallDir"));
    EXPECT_FALSE(FileExists(ConfigPath()));

    ASSERT_TRUE(settings->Save());
    EXPECT_FALSE(settings->IsDirty());
    std::string text = ReadConfig();
    EXPECT_LT(At(text, "<VERSION>1.7</VERSION>"), At(text, "<OPTIONS>"));
    const char* const sections[] = {"<ADVANCED>", "<DOWNLOAD>", "<GENERIC>", "<IMPORT>", "<PROMPT>", "<UPDATE>"};
    for (size_t i = 1; i < sizeof(sections) / sizeof(sections[0]); ++i)
        EXPECT_LT(At(text, sections[i - 1]), At(text, sections[i])) << sections[i];
    At(text, "<AutoRun>1</AutoRun>");
    At(text, "<RunGameMin>0</RunGameMin>");
    At(text, "<MaxSpeed>1024</MaxSpeed>");
    At(text, "<CacheDir>E:\\ZelmorGames\\Download</CacheDir>");
    At(text, "<UpdateTime />");
    EXPECT_EQ(std::string::npos, text.find("CompletePowerOff"));
}

TEST_F(SettingsTest, SavedSettingsLoadBack) {
    std::unique_ptr<VQSettings> settings = Make();
    settings->Load();
    settings->WaitFolderPass();
    for (const FlagDefault& flag : kFlagDefaults)
        ASSERT_TRUE(settings->SetBool(flag.key, !flag.value)) << flag.key;
    ASSERT_TRUE(settings->SetInt(L"CloseAction", 1));
    ASSERT_TRUE(settings->SetInt(L"MaxSpeed", 300));
    ASSERT_TRUE(settings->SetInt(L"UpdateCycle", 15));
    ASSERT_TRUE(settings->SetInt(L"ImportCycle", 30));
    for (const wchar_t* key : kTimeKeys)
        ASSERT_TRUE(settings->SetString(key, std::wstring(L"1700000000") + key)) << key;
    ASSERT_TRUE(settings->SetString(L"CacheDir", L"D:\\游戏\\下载\\"));
    ASSERT_TRUE(settings->SetString(L"InstallDir", L"Z:\\Games\\"));
    ASSERT_TRUE(settings->Save());

    std::unique_ptr<VQSettings> read = Make();
    ASSERT_TRUE(read->Load());
    read->WaitFolderPass();
    EXPECT_TRUE(read->IsLoaded());
    EXPECT_FALSE(read->IsDirty());
    EXPECT_EQ(L"1.7", read->GetFileVersion());
    for (const FlagDefault& flag : kFlagDefaults) {
        // CompletePowerOff lives in memory only.
        bool expected = std::wstring(flag.key) == L"CompletePowerOff" ? false : !flag.value;
        EXPECT_EQ(expected, read->GetBool(flag.key)) << flag.key;
    }
    EXPECT_TRUE(settings->GetBool(L"CompletePowerOff"));
    EXPECT_EQ(1u, read->GetInt(L"CloseAction"));
    EXPECT_EQ(300u, read->GetInt(L"MaxSpeed"));
    EXPECT_EQ(15u, read->GetInt(L"UpdateCycle"));
    EXPECT_EQ(30u, read->GetInt(L"ImportCycle"));
    for (const wchar_t* key : kTimeKeys)
        EXPECT_EQ(std::wstring(L"1700000000") + key, read->GetString(key)) << key;
    EXPECT_EQ(L"D:\\游戏\\下载\\", read->GetString(L"CacheDir"));
    EXPECT_EQ(L"Z:\\Games\\", read->GetString(L"InstallDir"));
}

TEST_F(SettingsTest, KeysAnswerOnlyForTheirKind) {
    std::unique_ptr<VQSettings> settings = Make();
    for (const FlagDefault& flag : kFlagDefaults) {
        EXPECT_EQ(0u, settings->GetInt(flag.key)) << flag.key;
        EXPECT_EQ(L"", settings->GetString(flag.key)) << flag.key;
        EXPECT_FALSE(settings->SetInt(flag.key, 1)) << flag.key;
        EXPECT_FALSE(settings->SetString(flag.key, L"1")) << flag.key;
    }
    for (const IntDefault& number : kIntDefaults) {
        EXPECT_FALSE(settings->GetBool(number.key)) << number.key;
        EXPECT_EQ(L"", settings->GetString(number.key)) << number.key;
        EXPECT_FALSE(settings->SetBool(number.key, true)) << number.key;
        EXPECT_FALSE(settings->SetString(number.key, L"5")) << number.key;
    }
    for (const wchar_t* key : {L"CacheDir", L"InstallDir", L"UpdateTime"}) {
        EXPECT_FALSE(settings->GetBool(key)) << key;
        EXPECT_EQ(0u, settings->GetInt(key)) << key;
        EXPECT_FALSE(settings->SetBool(key, true)) << key;
        EXPECT_FALSE(settings->SetInt(key, 5)) << key;
    }
    for (const wchar_t* key : {L"autorun", L"Unknown", L"", L"AutoRun "}) {
        EXPECT_FALSE(settings->GetBool(key)) << key;
        EXPECT_FALSE(settings->SetBool(key, true)) << key;
    }
    EXPECT_FALSE(settings->IsDirty());
    EXPECT_EQ(1024u, settings->GetInt(L"MaxSpeed"));

    EXPECT_TRUE(settings->SetInt(L"CloseAction", 258));
    EXPECT_EQ(2u, settings->GetInt(L"CloseAction"));
    EXPECT_TRUE(settings->IsDirty());
}

TEST_F(SettingsTest, FoldersNotOnAFixedDriveGetDefaults) {
    struct Case {
        const wchar_t* folder;
        bool kept;
    };
    const Case cases[] = {
        {L"D:\\Games\\Cache\\", true}, {L"d:\\lower", true},          {L"Z:\\", true},
        {L"F:\\Cache", false},         {L"G:\\Shared", false},        {L"\\\\server\\share\\cache", false},
        {L"", false},                  {L"Q:\\no-such-drive", false}, {L"relative\\folder", false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteConfig("<DOWNLOAD><CacheDir>" + WideToNarrow(c.folder) +
                                "</CacheDir><InstallDir>C:\\Games</InstallDir></DOWNLOAD>"));
        std::unique_ptr<VQSettings> settings = Make();
        ASSERT_TRUE(settings->Load());
        settings->WaitFolderPass();
        EXPECT_EQ(c.kept ? std::wstring(c.folder) : L"E:\\ZelmorGames\\Download", settings->GetString(L"CacheDir"))
            << c.folder;
        EXPECT_EQ(L"C:\\Games", settings->GetString(L"InstallDir")) << c.folder;
        EXPECT_EQ(!c.kept, settings->IsDirty()) << c.folder;
    }
}

// Numbers in the file read as the option store reads them: leading digits,
// low 32 bits, CloseAction its low 8 bits; a missing key takes its default.
TEST_F(SettingsTest, NumbersReadFromTheirLeadingDigits) {
    struct Case {
        const char* section;
        const char* key;
        const char* text;  // null: the key is not in the file
        uint32_t expected;
    };
    const Case cases[] = {
        {"DOWNLOAD", "MaxSpeed", "2048", 2048},
        {"DOWNLOAD", "MaxSpeed", "12abc", 12},
        {"DOWNLOAD", "MaxSpeed", "2147483647", 2147483647u},
        {"DOWNLOAD", "MaxSpeed", "0", 0},
        {"DOWNLOAD", "MaxSpeed", "-5", 0},
        {"DOWNLOAD", "MaxSpeed", "", 0},
        {"DOWNLOAD", "MaxSpeed", nullptr, 1024},
        {"DOWNLOAD", "MaxSpeed", "2147483648", 2147483648u},
        {"DOWNLOAD", "MaxSpeed", "4294967297", 1},
        {"UPDATE", "UpdateCycle", "30", 30},
        {"UPDATE", "UpdateCycle", "366", 366},
        {"UPDATE", "UpdateCycle", "0", 0},
        {"UPDATE", "UpdateCycle", nullptr, 7},
        {"IMPORT", "ImportCycle", "1", 1},
        {"IMPORT", "ImportCycle", "4294967296", 0},
        {"IMPORT", "ImportCycle", "x7", 0},
        {"GENERIC", "CloseAction", "1", 1},
        {"GENERIC", "CloseAction", "0", 0},
        {"GENERIC", "CloseAction", "2", 2},
        {"GENERIC", "CloseAction", "258", 2},
    };
    for (const Case& c : cases) {
        std::string element = c.text == nullptr ? std::string("<Other>5</Other>")
                                                : std::string("<") + c.key + ">" + c.text + "</" + c.key + ">";
        ASSERT_TRUE(WriteConfig(std::string("<") + c.section + ">" + element + "</" + c.section + ">"));
        std::unique_ptr<VQSettings> settings = Make();
        ASSERT_TRUE(settings->Load()) << c.key << " " << element;
        EXPECT_EQ(c.expected, settings->GetInt(NarrowToWide(c.key))) << c.key << " " << element;
    }
}

// Whatever a setter takes is what Save writes and Load gives back.
TEST_F(SettingsTest, EveryValueASetterTakesComesBackFromTheFile) {
    struct Case {
        const wchar_t* key;
        uint32_t set;
        uint32_t expected;  // what the getter gives before and after the round trip
    };
    const Case cases[] = {
        {L"CloseAction", 2, 2},
        {L"CloseAction", 258, 2},
        {L"CloseAction", 255, 255},
        {L"MaxSpeed", 0, 0},
        {L"MaxSpeed", 1, 1},
        {L"MaxSpeed", 2147483647u, 2147483647u},
        {L"MaxSpeed", 2147483648u, 2147483648u},
        {L"MaxSpeed", 4294967295u, 4294967295u},
        {L"UpdateCycle", 0, 0},
        {L"UpdateCycle", 366, 366},
        {L"ImportCycle", 0, 0},
        {L"ImportCycle", 1000, 1000},
    };
    for (const Case& c : cases) {
        std::unique_ptr<VQSettings> settings = Make();
        settings->Load();
        settings->WaitFolderPass();
        ASSERT_TRUE(settings->SetInt(c.key, c.set)) << c.key << " " << c.set;
        EXPECT_EQ(c.expected, settings->GetInt(c.key)) << c.key << " " << c.set;
        ASSERT_TRUE(settings->Save()) << c.key << " " << c.set;

        std::unique_ptr<VQSettings> read = Make();
        ASSERT_TRUE(read->Load()) << c.key << " " << c.set;
        read->WaitFolderPass();
        EXPECT_EQ(c.expected, read->GetInt(c.key)) << c.key << " " << c.set << " in " << ReadConfig();
    }
}

TEST_F(SettingsTest, FlagsAreNonZeroNumbers) {
    struct Case {
        const char* options;
        const wchar_t* key;
        bool expected;
    };
    const Case cases[] = {
        {"<GENERIC><AutoRun>0</AutoRun></GENERIC>", L"AutoRun", false},
        {"<GENERIC><AutoRun></AutoRun></GENERIC>", L"AutoRun", false},
        {"<GENERIC><AutoRun>yes</AutoRun></GENERIC>", L"AutoRun", false},
        {"<GENERIC><AutoRun>2</AutoRun></GENERIC>", L"AutoRun", true},
        {"<GENERIC></GENERIC>", L"AutoRun", true},
        {"<ADVANCED><RunGameMin>1</RunGameMin></ADVANCED>", L"RunGameMin", true},
        {"<GENERIC><RunGameMin>1</RunGameMin></GENERIC>", L"RunGameMin", false},  // wrong section
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteConfig(c.options));
        std::unique_ptr<VQSettings> settings = Make();
        ASSERT_TRUE(settings->Load()) << c.options;
        EXPECT_EQ(c.expected, settings->GetBool(c.key)) << c.options;
    }
}

TEST_F(SettingsTest, DamagedFileIsSetAsideAndDefaultsUsed) {
    const std::string damaged[] = {
        "<VERSION>1.7</VERSION><OPTIONS><DOWNLOAD><MaxSpeed>5</MaxSpeed></DOWNLOAD>",
        "<VERSION>1.7</VERSION><SETTINGS><DOWNLOAD><MaxSpeed>5</MaxSpeed></DOWNLOAD></SETTINGS>",
        "",
    };
    for (const std::string& bytes : damaged) {
        ASSERT_TRUE(m_temp.WriteFile(L"config\\config.xml", bytes));
        std::unique_ptr<VQSettings> settings = Make();
        EXPECT_FALSE(settings->Load()) << bytes;
        settings->WaitFolderPass();
        EXPECT_FALSE(settings->IsLoaded()) << bytes;
        EXPECT_TRUE(settings->IsDirty()) << bytes;
        EXPECT_EQ(1024u, settings->GetInt(L"MaxSpeed")) << bytes;
        EXPECT_EQ(L"E:\\ZelmorGames\\Games", settings->GetString(L"InstallDir")) << bytes;
        EXPECT_FALSE(FileExists(ConfigPath())) << bytes;
        ASSERT_TRUE(FileExists(ConfigPath() + L".bad")) << bytes;
        EXPECT_EQ(bytes, m_temp.ReadFile(L"config\\config.xml.bad"));

        ASSERT_TRUE(settings->Save());
        std::unique_ptr<VQSettings> again = Make();
        EXPECT_TRUE(again->Load()) << bytes;
        EXPECT_EQ(bytes, m_temp.ReadFile(L"config\\config.xml.bad"));
    }
}

TEST_F(SettingsTest, FailedSaveIsReportedAndStaysDirty) {
    ASSERT_TRUE(m_temp.WriteFile(L"blocker", "a file where a folder should be"));
    VQSettings underFile(m_temp.PathOf(L"blocker\\config\\config.xml"));
    ASSERT_TRUE(underFile.SetInt(L"MaxSpeed", 5));
    EXPECT_FALSE(underFile.Save());
    EXPECT_TRUE(underFile.IsDirty());

    // A file held open without sharing cannot be replaced; it stays as it was.
    std::unique_ptr<VQSettings> settings = Make();
    ASSERT_TRUE(settings->Save());
    const std::string before = ReadConfig();
    HANDLE held = ::CreateFileW(ConfigPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ASSERT_TRUE(settings->SetInt(L"MaxSpeed", 5));
    EXPECT_FALSE(settings->Save());
    EXPECT_TRUE(settings->IsDirty());
    ::CloseHandle(held);
    EXPECT_EQ(before, ReadConfig());
    EXPECT_TRUE(settings->Save());
    EXPECT_FALSE(settings->IsDirty());
    At(ReadConfig(), "<MaxSpeed>5</MaxSpeed>");
}

TEST_F(SettingsTest, LoadsOnceAndDropsUnknownKeys) {
    ASSERT_TRUE(WriteConfig("<DOWNLOAD><MaxSpeed>2000</MaxSpeed><CacheDir>D:\\C</CacheDir>"
                            "<InstallDir>D:\\I</InstallDir><Mystery>1</Mystery></DOWNLOAD>"
                            "<OTHER><Key>v</Key></OTHER>"));
    std::unique_ptr<VQSettings> settings = Make();
    ASSERT_TRUE(settings->Load());
    EXPECT_FALSE(settings->IsDirty());
    ASSERT_TRUE(WriteConfig("<DOWNLOAD><MaxSpeed>3000</MaxSpeed></DOWNLOAD>"));
    EXPECT_TRUE(settings->Load());
    EXPECT_EQ(2000u, settings->GetInt(L"MaxSpeed"));

    ASSERT_TRUE(settings->Save());
    std::string text = ReadConfig();
    At(text, "<MaxSpeed>2000</MaxSpeed>");
    EXPECT_EQ(std::string::npos, text.find("Mystery"));
    EXPECT_EQ(std::string::npos, text.find("OTHER"));
}

TEST_F(SettingsTest, FolderPassPicksTheFixedDriveWithTheMostFreeSpace) {
    struct Case {
        const char* name;
        std::vector<FakeDrive> drives;
        const wchar_t* cacheDir;
    };
    const Case cases[] = {
        {"most free", StandardDrives(), L"E:\\ZelmorGames\\Download"},
        {"Wine's C: and Z: alike",
         {{L"C:\\", DRIVE_FIXED, 7 * kGiB}, {L"D:\\", DRIVE_CDROM, 0}, {L"Z:\\", DRIVE_FIXED, 7 * kGiB}},
         L"C:\\ZelmorGames\\Download"},
        {"Z: larger", {{L"C:\\", DRIVE_FIXED, 7 * kGiB}, {L"Z:\\", DRIVE_FIXED, 9 * kGiB}}, L"Z:\\ZelmorGames\\Download"},
        {"no fixed drive", {{L"A:\\", DRIVE_REMOVABLE, kGiB}, {L"G:\\", DRIVE_REMOTE, kGiB}},
         L"C:\\ZelmorGames\\Download"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<VQSettings> settings = Make(c.drives);
        EXPECT_FALSE(settings->Load()) << c.name;
        settings->WaitFolderPass();
        EXPECT_EQ(c.cacheDir, settings->GetString(L"CacheDir")) << c.name;
    }
}

TEST_F(SettingsTest, FolderPassRunsOnAWorker) {
    HANDLE gate = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, gate);
    {
        VQSettings settings(ConfigPath());
        settings.SetDriveSource(FakeDrives(StandardDrives(), gate));
        EXPECT_FALSE(settings.Load());
        // The pass waits at the gate; readers see the fallback meanwhile.
        EXPECT_EQ(L"C:\\ZelmorGames\\Download", settings.GetString(L"CacheDir"));
        EXPECT_EQ(L"C:\\ZelmorGames\\Games", settings.GetString(L"InstallDir"));
        ::SetEvent(gate);
        settings.WaitFolderPass();
        EXPECT_EQ(L"E:\\ZelmorGames\\Download", settings.GetString(L"CacheDir"));
        EXPECT_EQ(L"E:\\ZelmorGames\\Games", settings.GetString(L"InstallDir"));

        // Destroyed while a pass runs: the destructor waits for it.
        ::ResetEvent(gate);
        VQSettings* later = new VQSettings(m_temp.PathOf(L"other\\config.xml"));
        later->SetDriveSource(FakeDrives(StandardDrives(), gate));
        later->Load();
        ::SetEvent(gate);
        delete later;
    }
    ::CloseHandle(gate);
}

TEST(SettingsInstanceTest, GetSettingStringReadsTheOneObject) {
    VQSettings& settings = VQSettings::Instance();
    EXPECT_EQ(&settings, &VQSettings::Instance());
    const std::wstring path = settings.GetFilePath();
    EXPECT_EQ(L"config\\config.xml", path.substr(path.size() - 17));
    const std::wstring before = settings.GetString(L"ImportTime");
    ASSERT_TRUE(settings.SetString(L"ImportTime", L"1234567890"));
    EXPECT_EQ(L"1234567890", GetSettingString(L"ImportTime"));
    EXPECT_EQ(L"", GetSettingString(L"MaxSpeed"));
    settings.SetString(L"ImportTime", before);
}

}  // namespace
}  // namespace Tessar
