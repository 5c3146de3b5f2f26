// Crash safety of the upgrade: the "-upgrade" run of the real updater copy
// is stopped by the upgrade's test seam at one step after another and
// killed by its process id there. The next start of the manager then finds
// a complete old or a complete new version, and nothing of the job is left.
#include "VQUpdate/UpgradeJournal.h"
#include "VQUpdate/UpgradeSeam.h"
#include "tests/programs/upgradeseam/EnvironmentSeam.h"
#include "common/PathText.h"
#include "tests/VQUpdate/SelbrinWorld.h"
#include "tests/support/HeldFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace Tessar {
namespace {

using namespace ::Tessar::Test;

TEST(SelbrinCrash, AnUpgradeKilledAtAnyStepIsFinishedOrUndoneWholeAtTheNextStart) {
    struct Case {
        const wchar_t* step;
        bool lockFile;     // a held program file makes the copy fail and roll back
        bool journal;      // the kill leaves a journal
        const wchar_t* killedState;  // "old", "half", or null when either
    } cases[] = {
        {L"markers", false, false, L"old"},  // markers read, nothing run yet
        {L"journal", false, true, L"old"},   // originals saved, journal written, nothing replaced
        {L"copy:2", false, true, L"half"},   // after the first replaced file
        {L"copy:4", false, true, L"half"},   // in the middle of the copy
        {L"rollback", true, true, nullptr},  // during the roll-back
    };
    for (const Case& c : cases) {
        std::string name(c.step, c.step + wcslen(c.step));
        VQSelbrinWorld world;
        ASSERT_TRUE(world.Ready()) << name;
        ASSERT_TRUE(world.WriteRestartMarkerFor(L"-background")) << name;
        std::unique_ptr<VQHeldFile> hold;
        if (c.lockFile) {
            hold.reset(new VQHeldFile(world.ProgramPath(L"sub\\res.txt")));
            ASSERT_TRUE(hold->Held()) << name;
        }
        std::wstring seamFile = world.Root(L"seam.txt");
        {
            VQScopedEnvironment step(kUpgradeSeamVariable, c.step);
            VQScopedEnvironment file(kUpgradeSeamFileVariable, seamFile);
            VQProcess selbrin;
            ASSERT_TRUE(selbrin.Start(world.ProgramPath(L"Selbrin.exe"), L"-update")) << name;
            DWORD code = 99;
            ASSERT_TRUE(selbrin.WaitForExit(kRunTimeoutMs, code)) << name;
            ASSERT_EQ(0u, code) << name << ": the updater copy was started";
        }
        ASSERT_TRUE(WaitForFile(seamFile, kRunTimeoutMs)) << name << ": the copy reached the step";
        DWORD copy = static_cast<DWORD>(atoi(ReadBytes(seamFile).c_str()));
        ASSERT_TRUE(KillProcessById(copy)) << name;
        if (hold)
            hold->Release();
        // What the kill left is really half done.
        EXPECT_EQ(c.journal, FileExists(JournalPath(world.World().ProgramFolder()))) << name;
        std::wstring killed = world.InstalledVersion();
        if (c.killedState != nullptr && std::wstring(c.killedState) == L"old") {
            EXPECT_EQ(L"old", killed) << name;
        } else if (c.killedState != nullptr) {
            EXPECT_TRUE(killed != L"old" && killed != L"new") << name;
        }
        EXPECT_TRUE(world.ManagerStarts().empty()) << name << ": the killed run restarted nothing";

        // The next start of the manager.
        VQProcess manager;
        ASSERT_TRUE(manager.Start(world.ProgramPath(L"Norvane.exe"), L"")) << name;
        VQManagerStart started;
        ASSERT_TRUE(world.WaitForManagerStart(0, started, kRunTimeoutMs)) << name << ": a manager runs";
        WaitUntil([&] { return !IsUpgradeRunning() && world.Leftovers().empty(); }, kRunTimeoutMs);
        std::wstring version = world.InstalledVersion();
        EXPECT_TRUE(version == L"old" || version == L"new") << name << ": " << std::string(version.begin(), version.end());
        std::wstring left = world.Leftovers();
        EXPECT_EQ(L"", left) << name;
        KillProcessById(started.processId);
    }
}

// Kills the copy at the step; false when it did not get there.
bool RunUntilKilled(VQSelbrinWorld& world, const wchar_t* step) {
    std::wstring seamFile = world.Root(L"seam.txt");
    VQScopedEnvironment seam(kUpgradeSeamVariable, step);
    VQScopedEnvironment file(kUpgradeSeamFileVariable, seamFile);
    VQProcess selbrin;
    DWORD code = 99;
    if (!selbrin.Start(world.ProgramPath(L"Selbrin.exe"), L"-update") || !selbrin.WaitForExit(kRunTimeoutMs, code) ||
        code != 0 || !WaitForFile(seamFile, kRunTimeoutMs))
        return false;
    return KillProcessById(static_cast<DWORD>(atoi(ReadBytes(seamFile).c_str())));
}

TEST(SelbrinCrash, ANextStartThatCannotFinishTheJobRollsTheHalfUpgradeBack) {
    struct Case {
        const char* name;
        bool managerStarts;  // else the updater starts (a hidden check that finds nothing new)
    } cases[] = {
        {"the manager, whose pending job no longer checks out", true},
        {"the updater", false},
    };
    for (const Case& c : cases) {
        VQSelbrinWorld world;
        ASSERT_TRUE(world.Ready()) << c.name;
        ASSERT_TRUE(world.WriteRestartMarkerFor(L"-background")) << c.name;
        ASSERT_TRUE(RunUntilKilled(world, L"copy:3")) << c.name;
        std::wstring half = world.InstalledVersion();
        ASSERT_TRUE(half != L"old" && half != L"new") << c.name;
        DWORD code = 99;
        if (c.managerStarts) {
            // The updater copy changed since it was prepared: not started again.
            std::wstring copy = world.World().WorkFolder() + L"\\Selbrin.exe";
            ASSERT_TRUE(WriteBytes(copy, ReadBytes(copy) + "changed")) << c.name;
            VQProcess manager;
            ASSERT_TRUE(manager.Start(world.ProgramPath(L"Norvane.exe"), L"")) << c.name;
            VQManagerStart started;
            ASSERT_TRUE(world.WaitForManagerStart(0, started, kRunTimeoutMs)) << c.name;
            KillProcessById(started.processId);
        } else {
            ASSERT_TRUE(world.Server().Port() != 0);
            ASSERT_TRUE(world.World().Root().WriteFile(L"server\\update.xml", "<VERSION>1.7.1.1752</VERSION>"));
            VQProcess selbrin;
            ASSERT_TRUE(selbrin.Start(world.ProgramPath(L"Selbrin.exe"), L"-update")) << c.name;
            ASSERT_TRUE(selbrin.WaitForExit(kRunTimeoutMs, code)) << c.name;
            EXPECT_EQ(1u, code) << c.name;
        }
        EXPECT_EQ(L"old", world.InstalledVersion()) << c.name;
        EXPECT_FALSE(FileExists(JournalPath(world.World().ProgramFolder()))) << c.name;
        EXPECT_FALSE(FolderExists(BackupFolder(world.World().ProgramFolder()))) << c.name;
    }
}

}  // namespace
}  // namespace Tessar
