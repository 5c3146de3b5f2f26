// The settings part of the import of an older installation: config.vqc,
// an older config\config.xml, and the version check that ends the import.

#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/OptionStore.h"
#include "common/CodePage.h"
#include "tests/VQCore/gamelib/OldInstallation.h"

#include <gtest/gtest.h>

#include <string>

namespace Tessar {
namespace {

const wchar_t kConfig[] = L"config\\config.xml";

std::wstring VersionOf(const std::wstring& path) {
    OptionStore store;
    store.LoadFile(path);
    return store.GetVersion();
}

TEST(OldSettingsImportTest, NothingOldChangesNothing) {
    VQOldInstallation old;
    ASSERT_TRUE(old.IsValid());
    EXPECT_FALSE(old.Import());
    EXPECT_TRUE(old.Snapshot().empty());
    EXPECT_FALSE(old.Settings().IsDirty());
}

TEST(OldSettingsImportTest, SettingsFileVersionDecidesWhetherItIsConverted) {
    struct Case {
        const char* name;
        std::wstring text;
        bool current;    // the caller's flag
        bool converted;  // replaced by a current file
    };
    const std::wstring options = L"<DOWNLOAD><MaxSpeed>300</MaxSpeed></DOWNLOAD>";
    const Case cases[] = {
        {"current", OptionFileText(L"1.7", options), true, false},
        {"no version", OptionFileText(nullptr, options), true, false},
        {"version 1", OptionFileText(L"1", options), true, false},
        {"empty version", OptionFileText(L"", options), true, false},
        {"not well-formed", L"<VERSION>1.5</VERSION><OPTIONS><DOWNLOAD>", true, false},
        {"1.6", OptionFileText(L"1.6", options), false, false},
        {"1.6 in other words", OptionFileText(L"1.6.2", options), false, false},
        {"1.5", OptionFileText(L"1.5", options), false, true},
        {"2.0", OptionFileText(L"2.0", options), false, true},
    };
    for (const Case& c : cases) {
        VQOldInstallation old;
        ASSERT_TRUE(old.IsValid());
        ASSERT_TRUE(old.Write(kConfig, c.text)) << c.name;
        const std::string before = old.Read(kConfig);
        EXPECT_EQ(c.current, old.Import()) << c.name;
        EXPECT_FALSE(old.Has(L"config\\config.tmp")) << c.name;
        if (c.converted) {
            EXPECT_EQ(L"1.7", VersionOf(old.PathOf(kConfig))) << c.name;
            EXPECT_EQ(300u, old.Settings().GetInt(L"MaxSpeed")) << c.name;
        } else {
            EXPECT_EQ(before, old.Read(kConfig)) << c.name;
            EXPECT_FALSE(old.Settings().IsDirty()) << c.name;
        }
    }
}

TEST(OldSettingsImportTest, OldSettingsFileIsCarriedOver) {
    VQOldInstallation old;
    ASSERT_TRUE(old.IsValid());
    ASSERT_TRUE(old.MakeFolder(L"下载"));
    const std::wstring cacheDir = old.PathOf(L"下载");
    ASSERT_TRUE(old.Write(L"config.vqc",
                          OptionFileText(L"1.2",
                                         L"<CloseOptions><CloseAction>1</CloseAction></CloseOptions>"
                                         L"<DownloadOptions><CacheDir>" +
                                             cacheDir +
                                             L"</CacheDir>"
                                             L"<MaxSpeed>300</MaxSpeed><SpeedLimit>5</SpeedLimit></DownloadOptions>"
                                             L"<GenericOptions><AutoRun>0</AutoRun><AutoStartUndone>1</AutoStartUndone>"
                                             L"<InstallDir>" +
                                             old.PathOf(L"gone") +
                                             L"</InstallDir></GenericOptions>"
                                             L"<PromptOptions><CompleteAudioTip>0</CompleteAudioTip>"
                                             L"<CompleteMessageTip>0</CompleteMessageTip></PromptOptions>"
                                             L"<UpdateOptions><DailyUpdateADTime>1200000001</DailyUpdateADTime>"
                                             L"<DailyUpdateDBTime>1200000002</DailyUpdateDBTime>"
                                             L"<UpdateTime>1200000003</UpdateTime></UpdateOptions>")));
    ASSERT_TRUE(old.WriteBytes(L"complete.wav", "RIFF"));

    // The file written from config.vqc is current, so the import ends there.
    EXPECT_TRUE(old.Import());
    VQSettings& settings = old.Settings();
    EXPECT_EQ(1u, settings.GetInt(L"CloseAction"));
    EXPECT_EQ(cacheDir, settings.GetString(L"CacheDir"));
    EXPECT_EQ(300u, settings.GetInt(L"MaxSpeed"));
    EXPECT_TRUE(settings.GetBool(L"SpeedLimit"));
    EXPECT_FALSE(settings.GetBool(L"AutoRun"));
    EXPECT_TRUE(settings.GetBool(L"AutoStartUndone"));
    EXPECT_EQ(L"", settings.GetString(L"InstallDir"));  // its folder is gone
    EXPECT_FALSE(settings.GetBool(L"CompleteAudioTip"));
    EXPECT_FALSE(settings.GetBool(L"CompleteMessageTip"));
    EXPECT_EQ(L"1200000001", settings.GetString(L"UpdateAdvertTime"));
    EXPECT_EQ(L"1200000002", settings.GetString(L"UpdateDatabaseTime"));
    EXPECT_EQ(L"1200000003", settings.GetString(L"UpdateTime"));
    EXPECT_FALSE(settings.IsDirty());

    EXPECT_EQ(L"1.7", VersionOf(old.PathOf(kConfig)));
    OptionStore saved;
    saved.LoadFile(old.PathOf(kConfig));
    EXPECT_EQ(cacheDir, saved.GetText(L"DOWNLOAD", L"CacheDir", L""));
    EXPECT_FALSE(old.Has(L"config.vqc"));
    EXPECT_FALSE(old.Has(L"complete.wav"));
}

TEST(OldSettingsImportTest, OldSettingsFileDefaultsAndRefusedValues) {
    struct Case {
        const char* name;
        std::wstring downloadOptions;
        uint32_t maxSpeed;
    };
    const Case cases[] = {
        {"missing", L"", 1024},
        {"positive", L"<MaxSpeed>64</MaxSpeed>", 64},
        {"zero", L"<MaxSpeed>0</MaxSpeed>", 77},
        {"negative", L"<MaxSpeed>-5</MaxSpeed>", 77},
        {"negative as 32 bits", L"<MaxSpeed>4294967291</MaxSpeed>", 77},
    };
    for (const Case& c : cases) {
        VQOldInstallation old;
        ASSERT_TRUE(old.IsValid());
        // A value the old file cannot give shows what was left alone.
        old.Settings().SetInt(L"MaxSpeed", 77);
        old.Settings().SetBool(L"CompleteAudioTip", false);
        old.Settings().SetInt(L"CloseAction", 1);
        ASSERT_TRUE(old.Write(
            L"config.vqc", OptionFileText(L"1.2", L"<DownloadOptions>" + c.downloadOptions + L"</DownloadOptions>")));
        old.Import();
        EXPECT_EQ(c.maxSpeed, old.Settings().GetInt(L"MaxSpeed")) << c.name;
        EXPECT_TRUE(old.Settings().GetBool(L"CompleteAudioTip")) << c.name;
        EXPECT_EQ(0u, old.Settings().GetInt(L"CloseAction")) << c.name;
        EXPECT_FALSE(old.Settings().GetBool(L"AutoRun")) << c.name;
        EXPECT_FALSE(old.Has(L"config.vqc")) << c.name;
    }
}

TEST(OldSettingsImportTest, OldSettingsFileGivesWayToACurrentOne) {
    VQOldInstallation old;
    ASSERT_TRUE(old.IsValid());
    ASSERT_TRUE(
        old.Write(L"config.vqc", OptionFileText(L"1.2", L"<CloseOptions><CloseAction>1</CloseAction></CloseOptions>")));
    ASSERT_TRUE(old.Write(kConfig, OptionFileText(L"1.7", L"")));
    const std::string before = old.Read(kConfig);
    EXPECT_TRUE(old.Import());
    EXPECT_FALSE(old.Settings().IsDirty());
    EXPECT_EQ(0u, old.Settings().GetInt(L"CloseAction"));
    EXPECT_EQ(before, old.Read(kConfig));
    EXPECT_FALSE(old.Has(L"config.vqc"));
}

TEST(OldSettingsImportTest, FailedSaveKeepsTheOldSettingsFile) {
    VQOldInstallation old;
    ASSERT_TRUE(old.IsValid());
    const std::wstring text = OptionFileText(L"1.2", L"<CloseOptions><CloseAction>1</CloseAction></CloseOptions>");
    ASSERT_TRUE(old.Write(L"config.vqc", text));
    // A file where the config folder should be: the settings cannot be saved.
    ASSERT_TRUE(old.WriteBytes(L"config", "x"));
    EXPECT_FALSE(old.Import());
    EXPECT_TRUE(old.Settings().IsDirty());
    EXPECT_TRUE(old.Has(L"config.vqc"));
    EXPECT_EQ(WideToNarrow(text), old.Read(L"config.vqc"));
}

TEST(OldSettingsImportTest, OlderConfigFileIsConverted) {
    VQOldInstallation old;
    ASSERT_TRUE(old.IsValid());
    old.Settings().SetBool(L"OpenEffect", false);
    old.Settings().SetBool(L"CompleteMessageTip", false);
    old.Settings().SetString(L"UpdateHotTime", L"9");
    ASSERT_TRUE(old.Write(
        kConfig, OptionFileText(L"1.5",
                                L"<ADVANCE><ExitMessageTip>0</ExitMessageTip><RepairGameTip>0</RepairGameTip></ADVANCE>"
                                L"<CLOSE><CloseAction>1</CloseAction></CLOSE>"
                                L"<DOWNLOAD><CacheDir>D:\\旧下载</CacheDir><MaxSpeed>0</MaxSpeed>"
                                L"<SpeedLimit>1</SpeedLimit></DOWNLOAD>"
                                L"<GENERIC><AutoRun>0</AutoRun><AutoStartUndone>1</AutoStartUndone>"
                                L"<InstallDir>D:\\Games</InstallDir></GENERIC>"
                                L"<PROMPT><CompleteAudioTip>0</CompleteAudioTip></PROMPT>"
                                L"<UPDATE><UpdateAdvertTime>11</UpdateAdvertTime>"
                                L"<UpdateDatabaseTime>22</UpdateDatabaseTime>"
                                L"<UpdateTime>33</UpdateTime></UPDATE>")));
    EXPECT_FALSE(old.Import());
    VQSettings& settings = old.Settings();
    // Keys the file lacks get their old defaults.
    EXPECT_TRUE(settings.GetBool(L"OpenEffect"));
    EXPECT_TRUE(settings.GetBool(L"CompleteMessageTip"));
    EXPECT_EQ(L"", settings.GetString(L"UpdateHotTime"));
    EXPECT_FALSE(settings.GetBool(L"ExitMessageTip"));
    EXPECT_FALSE(settings.GetBool(L"RepairGameTip"));
    EXPECT_EQ(1u, settings.GetInt(L"CloseAction"));
    // Folders are taken whether or not they exist.
    EXPECT_EQ(L"D:\\旧下载", settings.GetString(L"CacheDir"));
    EXPECT_EQ(L"D:\\Games", settings.GetString(L"InstallDir"));
    EXPECT_EQ(1024u, settings.GetInt(L"MaxSpeed"));
    EXPECT_TRUE(settings.GetBool(L"SpeedLimit"));
    EXPECT_FALSE(settings.GetBool(L"AutoRun"));
    EXPECT_TRUE(settings.GetBool(L"AutoStartUndone"));
    EXPECT_FALSE(settings.GetBool(L"CompleteAudioTip"));
    EXPECT_EQ(L"11", settings.GetString(L"UpdateAdvertTime"));
    EXPECT_EQ(L"22", settings.GetString(L"UpdateDatabaseTime"));
    EXPECT_EQ(L"33", settings.GetString(L"UpdateTime"));
    EXPECT_FALSE(settings.IsDirty());

    EXPECT_EQ(L"1.7", VersionOf(old.PathOf(kConfig)));
    EXPECT_FALSE(old.Has(L"config\\config.tmp"));
    // A second start finds a current file.
    EXPECT_TRUE(old.Import());
}

TEST(OldSettingsImportTest, OlderConfigMaxSpeed) {
    struct Case {
        const wchar_t* text;
        uint32_t maxSpeed;
    };
    const Case cases[] = {{L"", 1024},           {L"0", 1024}, {L"-1", 1024},
                          {L"2147483648", 1024}, {L"1", 1},    {L"2147483647", 2147483647}};
    for (const Case& c : cases) {
        VQOldInstallation old;
        ASSERT_TRUE(old.IsValid());
        ASSERT_TRUE(old.Write(kConfig, OptionFileText(L"1.4", L"<DOWNLOAD><MaxSpeed>" + std::wstring(c.text) +
                                                                  L"</MaxSpeed></DOWNLOAD>")));
        old.Import();
        EXPECT_EQ(c.maxSpeed, old.Settings().GetInt(L"MaxSpeed")) << WideToNarrow(c.text);
    }
}

TEST(OldSettingsImportTest, FailedSavePutsTheOlderConfigFileBack) {
    // The settings object writes below a file, so its save fails.
    VQOldInstallation old(L"blocked\\config.xml");
    ASSERT_TRUE(old.IsValid());
    ASSERT_TRUE(old.WriteBytes(L"blocked", "x"));
    ASSERT_TRUE(old.Write(kConfig, OptionFileText(L"1.5", L"<CLOSE><CloseAction>1</CloseAction></CLOSE>")));
    const std::string before = old.Read(kConfig);
    EXPECT_FALSE(old.Import());
    EXPECT_TRUE(old.Settings().IsDirty());
    EXPECT_EQ(before, old.Read(kConfig));
    EXPECT_FALSE(old.Has(L"config\\config.tmp"));
}

}  // namespace
}  // namespace Tessar
