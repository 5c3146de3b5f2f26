#include "VQCore/app/windows/SettingsForm.h"

#include "VQCore/app/start/ResourceString.h"

#include "VQCore/gamelib/Settings.h"
#include "common/PathText.h"
#include "tests/support/ScratchRegistryKey.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UnusedDrive.h"

#include <gtest/gtest.h>

#include <string>

namespace Tessar {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Every field changed from the defaults, with folders that exist.
VQSettingsForm ChangedForm(const VQSettingsForm& from, const VQTempFolder& folder) {
    VQSettingsForm form = from;
    form.autoRun = !form.autoRun;
    form.autoStartUndone = !form.autoStartUndone;
    form.closeToTray = !form.closeToTray;
    form.showSpeed = !form.showSpeed;
    form.speedLimit = !form.speedLimit;
    form.maxSpeedText = L"333";
    form.cacheDir = folder.PathOf(L"cache");
    form.installDir = folder.PathOf(L"games");
    form.completeMessageTip = !form.completeMessageTip;
    form.completeAudioTip = !form.completeAudioTip;
    form.exitMessageTip = !form.exitMessageTip;
    form.repairGameTip = !form.repairGameTip;
    form.importRegular = !form.importRegular;
    form.importCycleIndex = form.importCycleIndex == 4 ? 0 : 4;
    form.openEffect = !form.openEffect;
    form.completePowerOff = !form.completePowerOff;
    form.runGameMin = !form.runGameMin;
    form.hideMainWnd = !form.hideMainWnd;
    form.hideRunGame = !form.hideRunGame;
    form.forceKillGame = !form.forceKillGame;
    form.updateRegular = !form.updateRegular;
    form.updateCycleIndex = form.updateCycleIndex == 1 ? 3 : 1;
    return form;
}

void ExpectSameForm(const VQSettingsForm& a, const VQSettingsForm& b) {
    EXPECT_EQ(a.autoRun, b.autoRun);
    EXPECT_EQ(a.autoStartUndone, b.autoStartUndone);
    EXPECT_EQ(a.closeToTray, b.closeToTray);
    EXPECT_EQ(a.showSpeed, b.showSpeed);
    EXPECT_EQ(a.speedLimit, b.speedLimit);
    EXPECT_EQ(a.maxSpeedText, b.maxSpeedText);
    EXPECT_EQ(a.completeMessageTip, b.completeMessageTip);
    EXPECT_EQ(a.completeAudioTip, b.completeAudioTip);
    EXPECT_EQ(a.exitMessageTip, b.exitMessageTip);
    EXPECT_EQ(a.repairGameTip, b.repairGameTip);
    EXPECT_EQ(a.importRegular, b.importRegular);
    EXPECT_EQ(a.importCycleIndex, b.importCycleIndex);
    EXPECT_EQ(a.openEffect, b.openEffect);
    EXPECT_EQ(a.runGameMin, b.runGameMin);
    EXPECT_EQ(a.hideMainWnd, b.hideMainWnd);
    EXPECT_EQ(a.hideRunGame, b.hideRunGame);
    EXPECT_EQ(a.forceKillGame, b.forceKillGame);
    EXPECT_EQ(a.updateRegular, b.updateRegular);
    EXPECT_EQ(a.updateCycleIndex, b.updateCycleIndex);
}

TEST(SettingsForm, EveryChangedSettingIsStoredAndReadBack) {
    VQTempFolder folder;
    const std::wstring path = folder.PathOf(L"config\\config.xml");
    VQSettingsForm changed;
    {
        VQSettings settings(path);
        const VQSettingsForm form = ChangedForm(ReadSettingsForm(settings), folder);
        EXPECT_TRUE(CheckSettingsForm(form, settings).empty());
        const VQSettingsChanges changes = StoreSettingsForm(form, settings);
        EXPECT_TRUE(changes.any);
        EXPECT_TRUE(changes.showSpeed);
        EXPECT_TRUE(changes.speedLimit);
        EXPECT_TRUE(changes.cacheDir);
        EXPECT_TRUE(changes.openEffect);
        EXPECT_TRUE(changes.hideMainWnd);
        EXPECT_TRUE(changes.hideRunGame);
        EXPECT_TRUE(changes.forceKillGame);
        ASSERT_TRUE(settings.Save());
        changed = form;
    }
    VQSettings reread(path);
    ASSERT_TRUE(reread.Load());
    reread.WaitFolderPass();
    ExpectSameForm(changed, ReadSettingsForm(reread));
    // Folders are kept with their trailing separator.
    EXPECT_EQ(folder.PathOf(L"cache") + L"\\", reread.GetString(L"CacheDir"));
    EXPECT_EQ(folder.PathOf(L"games") + L"\\", reread.GetString(L"InstallDir"));
}

TEST(SettingsForm, UnchangedFormWritesNothing) {
    VQTempFolder folder;
    VQSettings settings(folder.PathOf(L"config.xml"));
    const VQSettingsForm form = ReadSettingsForm(settings);
    const VQSettingsChanges changes = StoreSettingsForm(form, settings);
    EXPECT_FALSE(changes.any);
    EXPECT_FALSE(settings.IsDirty());
}

TEST(SettingsForm, SpeedLimitIsCheckedBeforeItIsStored) {
    struct Case {
        const wchar_t* text;
        bool accepted;
        VQSettingsRefusal refusal;
    } cases[] = {
        {L"1", true, {}},
        {L"2048", true, {}},
        {L"1048576", true, {}},
        {L"0", false, VQSettingsRefusal::kSpeedOutOfRange},
        {L"-5", false, VQSettingsRefusal::kSpeedOutOfRange},
        {L"1048577", false, VQSettingsRefusal::kSpeedOutOfRange},
        {L"abc", false, VQSettingsRefusal::kSpeedNotNumber},
        {L"", false, VQSettingsRefusal::kSpeedNotNumber},
        {L"12kb", false, VQSettingsRefusal::kSpeedNotNumber},
        {L"99999999999999999999", false, VQSettingsRefusal::kSpeedNotNumber},
    };
    VQTempFolder folder;
    for (const Case& c : cases) {
        VQSettings settings(folder.PathOf(L"config.xml"));
        const uint32_t before = settings.GetInt(L"MaxSpeed");
        VQSettingsForm form = ReadSettingsForm(settings);
        form.maxSpeedText = c.text;
        const std::vector<VQSettingsProblem> problems = CheckSettingsForm(form, settings);
        StoreSettingsForm(form, settings);
        if (c.accepted) {
            EXPECT_TRUE(problems.empty()) << Narrow(c.text);
            EXPECT_EQ(std::to_wstring(settings.GetInt(L"MaxSpeed")), c.text) << Narrow(c.text);
        } else {
            ASSERT_EQ(1u, problems.size()) << Narrow(c.text);
            EXPECT_EQ(164u, problems[0].controlId);
            EXPECT_EQ(c.refusal, problems[0].refusal) << Narrow(c.text);
            EXPECT_EQ(before, settings.GetInt(L"MaxSpeed")) << Narrow(c.text);
        }
    }
}

// A stored limit out of range (the file edited by hand) sits in a box the
// user cannot edit while the limit is off: it does not stop the other
// settings from being saved, and stays as it was.
TEST(SettingsForm, AnOddStoredSpeedWithTheLimitOffIsNoRefusal) {
    VQTempFolder folder;
    VQSettings settings(folder.PathOf(L"config.xml"));
    settings.SetBool(L"SpeedLimit", false);
    settings.SetInt(L"MaxSpeed", 0);
    VQSettingsForm form = ReadSettingsForm(settings);
    ASSERT_EQ(L"0", form.maxSpeedText);
    form.autoStartUndone = !form.autoStartUndone;
    EXPECT_TRUE(CheckSettingsForm(form, settings).empty());
    StoreSettingsForm(form, settings);
    EXPECT_EQ(form.autoStartUndone, settings.GetBool(L"AutoStartUndone"));
    EXPECT_EQ(0u, settings.GetInt(L"MaxSpeed"));
    // Turning the limit on asks for a limit in range.
    form.speedLimit = true;
    const std::vector<VQSettingsProblem> problems = CheckSettingsForm(form, settings);
    ASSERT_EQ(1u, problems.size());
    EXPECT_EQ(VQSettingsRefusal::kSpeedOutOfRange, problems[0].refusal);
}

TEST(SettingsForm, FoldersAreCheckedAndMade) {
    VQTempFolder folder;
    const std::wstring missingDrive = FindUnusedDriveRoot();
    struct Case {
        std::wstring text;
        bool accepted;
        VQSettingsRefusal refusal;
    } cases[] = {
        {folder.PathOf(L"new\\deeper\\games"), true, {}},
        {folder.Path() + L"\\", true, {}},
        {folder.PathOf(std::wstring(220, L'x')), false, VQSettingsRefusal::kFolderTooLong},
        {L"Games", false, VQSettingsRefusal::kFolderInvalid},
        {L"C:", false, VQSettingsRefusal::kFolderInvalid},
        {folder.PathOf(L"a|b"), false, VQSettingsRefusal::kFolderInvalid},
        {folder.PathOf(L"con\\x"), false, VQSettingsRefusal::kFolderInvalid},
        {L"\\\\server\\share\\games", false, VQSettingsRefusal::kFolderInvalid},
        {missingDrive.empty() ? std::wstring() : missingDrive + L"Games", false, VQSettingsRefusal::kFolderNoDrive},
    };
    for (const Case& c : cases) {
        if (c.text.empty()) continue;  // no unused drive letter on this machine
        VQSettings settings(folder.PathOf(L"config.xml"));
        const std::wstring before = settings.GetString(L"InstallDir");
        VQSettingsForm form = ReadSettingsForm(settings);
        form.installDir = c.text;
        const std::vector<VQSettingsProblem> problems = CheckSettingsForm(form, settings);
        StoreSettingsForm(form, settings);
        if (c.accepted) {
            EXPECT_TRUE(problems.empty()) << Narrow(c.text);
            EXPECT_TRUE(FolderExists(c.text)) << Narrow(c.text);
            EXPECT_EQ(c.text.back() == L'\\' ? c.text : c.text + L"\\", settings.GetString(L"InstallDir"));
        } else {
            ASSERT_EQ(1u, problems.size()) << Narrow(c.text);
            EXPECT_EQ(147u, problems[0].controlId);
            EXPECT_EQ(c.refusal, problems[0].refusal) << Narrow(c.text);
            EXPECT_EQ(before, settings.GetString(L"InstallDir")) << Narrow(c.text);
        }
    }
}

TEST(SettingsForm, SameFolderInOtherLettersIsNoChange) {
    VQTempFolder folder;
    VQSettings settings(folder.PathOf(L"config.xml"));
    ASSERT_TRUE(settings.SetString(L"CacheDir", folder.PathOf(L"Cache\\")));
    VQSettingsForm form = ReadSettingsForm(settings);
    std::wstring upper = folder.PathOf(L"CACHE");
    form.cacheDir = upper;
    EXPECT_FALSE(StoreSettingsForm(form, settings).cacheDir);
    // A longer name that begins with the stored one is another folder.
    form.cacheDir = folder.PathOf(L"Cache2");
    EXPECT_TRUE(StoreSettingsForm(form, settings).cacheDir);
    EXPECT_EQ(folder.PathOf(L"Cache2\\"), settings.GetString(L"CacheDir"));
}

TEST(SettingsForm, CycleIndexOutsideTheListLeavesTheCycle) {
    VQTempFolder folder;
    VQSettings settings(folder.PathOf(L"config.xml"));
    ASSERT_TRUE(settings.SetInt(L"ImportCycle", 5));  // not one of the items
    VQSettingsForm form = ReadSettingsForm(settings);
    EXPECT_EQ(-1, form.importCycleIndex);
    StoreSettingsForm(form, settings);
    EXPECT_EQ(5u, settings.GetInt(L"ImportCycle"));
    form.importCycleIndex = 3;
    StoreSettingsForm(form, settings);
    EXPECT_EQ(15u, settings.GetInt(L"ImportCycle"));
}

TEST(SettingsForm, RestoringDownloadDefaultsStoresNothingByItself) {
    VQTempFolder folder;
    VQSettings settings(folder.PathOf(L"config.xml"));
    VQSettingsForm form = ReadSettingsForm(settings);
    form.speedLimit = true;
    RestoreDownloadDefaults(form);
    EXPECT_TRUE(form.showSpeed);
    EXPECT_FALSE(form.speedLimit);
    EXPECT_EQ(L"1024", form.maxSpeedText);
    EXPECT_EQ(L"C:\\ZelmorGames\\Download", form.cacheDir);
    EXPECT_EQ(L"C:\\ZelmorGames\\Games", form.installDir);
    EXPECT_FALSE(settings.IsDirty());
}

TEST(SettingsForm, EveryRefusalHasItsOwnText) {
    const VQSettingsRefusal refusals[] = {
        VQSettingsRefusal::kSpeedNotNumber, VQSettingsRefusal::kSpeedOutOfRange, VQSettingsRefusal::kFolderTooLong,
        VQSettingsRefusal::kFolderInvalid,  VQSettingsRefusal::kFolderNoDrive,   VQSettingsRefusal::kFolderCannotMake,
    };
    std::vector<std::wstring> texts;
    for (VQSettingsRefusal refusal : refusals) {
        const std::wstring text = LoadResourceString(RefusalTextId(refusal));
        EXPECT_FALSE(text.empty()) << RefusalTextId(refusal);
        for (const std::wstring& other : texts) EXPECT_NE(other, text) << RefusalTextId(refusal);
        texts.push_back(text);
    }
    EXPECT_EQ(L"\x9009\x62E9\x7684\x76EE\x5F55\x592A\x957F\xFF0C\x8D85\x8FC7" L"200\x4E2A\x5B57\x7B26\xFF01",
              LoadResourceString(RefusalTextId(VQSettingsRefusal::kFolderTooLong)));
}

bool AutoRunValue(const VQAutoRunEntry& entry, std::wstring& value) {
    wchar_t data[1024] = L"";
    DWORD size = sizeof(data);
    const LONG result = ::RegGetValueW(entry.root, entry.keyPath.c_str(), entry.valueName.c_str(), RRF_RT_REG_SZ,
                                       nullptr, data, &size);
    value = result == ERROR_SUCCESS ? data : L"";
    return result == ERROR_SUCCESS;
}

TEST(SettingsForm, SavingWritesTheFileAndFollowsAutoRun) {
    VQTempFolder folder;
    VQScratchRegistryKey scratch;
    ASSERT_TRUE(scratch.IsValid());
    const VQAutoRunEntry entry = {scratch.Root(), scratch.Path() + L"\\Run", L"Norvane.exe"};
    const std::wstring path = folder.PathOf(L"config.xml");
    VQSettings settings(path);
    settings.SetAutoRunEntry(entry);
    VQSettingsForm form = ReadSettingsForm(settings);
    form.autoRun = true;
    bool saved = false;
    SaveSettingsForm(form, settings, saved);
    EXPECT_TRUE(saved);
    std::wstring value;
    ASSERT_TRUE(AutoRunValue(entry, value));
    EXPECT_NE(std::wstring::npos, value.find(L"-background")) << Narrow(value);
    {
        VQSettings reread(path);
        ASSERT_TRUE(reread.Load());
        reread.WaitFolderPass();
        EXPECT_TRUE(reread.GetBool(L"AutoRun"));
    }
    form.autoRun = false;
    SaveSettingsForm(form, settings, saved);
    EXPECT_TRUE(saved);
    EXPECT_FALSE(AutoRunValue(entry, value));
}

}  // namespace
}  // namespace Tessar
