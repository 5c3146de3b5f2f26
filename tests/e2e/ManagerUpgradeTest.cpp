// A pending upgrade left by an interrupted job is finished by the next
// start of the manager, but never by a second start while a manager runs
// from the folder: that start only hands over to the running one.

#include <gtest/gtest.h>

#include "VQUpdate/MarkerFile.h"
#include "common/Md5.h"
#include "tests/e2e/ManagerHarness.h"

namespace Tessar {
namespace Test {
namespace {

const DWORD kStartTimeout = 90000;

class ManagerUpgradeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.Prepare());
        m_work = m_folder.Temp().PathOf(L"tmp\\vqtemp");
        ASSERT_TRUE(m_folder.Temp().MakeFolder(L"tmp\\vqtemp"));
    }

    void TearDown() override { EndUpgraderCopies(); }

    // The demo game plays the updater copy: run with "-upgrade" it shows a
    // window titled so.
    void WritePendingUpgrade() {
        std::wstring copy = m_work + L"\\Selbrin.exe";
        ASSERT_TRUE(CopyFileW(BuildPath(L"demo\\game\\DemoGame.exe").c_str(), copy.c_str(), FALSE));
        std::wstring md5 = Md5OfFile(copy);
        ASSERT_FALSE(md5.empty());
        ASSERT_TRUE(WriteMarkerFile(m_work + L"\\upgrade.vqt", JoinList({kMarkerRunWord, copy, md5, m_folder.Folder()})));
    }

    bool RestartMarkerWritten() const {
        return GetFileAttributesW((m_work + L"\\restart.vqt").c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    static HWND UpgraderCopyWindow() { return FindWindowW(L"VQDemoGame", L"-upgrade"); }

    // The manager started them; the test ends them by their pids.
    void EndUpgraderCopies() {
        while (HWND window = UpgraderCopyWindow()) {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
            if (process == nullptr) break;
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 30000);
            CloseHandle(process);
        }
    }

    VQManagerFolder m_folder;
    std::wstring m_work;
};

TEST_F(ManagerUpgradeTest, AStartWithAPendingUpgradeHandsOverToTheUpgraderCopy) {
    WritePendingUpgrade();
    VQManagerProcess manager = m_folder.Start(L"-background");
    ASSERT_TRUE(manager.WaitForExit(kStartTimeout));
    EXPECT_EQ(static_cast<DWORD>(-1), manager.ExitCode());
    EXPECT_TRUE(RestartMarkerWritten());
    EXPECT_TRUE(WaitFor([] { return UpgraderCopyWindow() != nullptr; }, kStartTimeout))
        << "the updater copy was not started";
    EXPECT_EQ(0, m_folder.CountMainWindows());
}

TEST_F(ManagerUpgradeTest, ASecondStartWhileOneRunsLeavesThePendingUpgradeAlone) {
    VQManagerProcess first = m_folder.Start(L"-background");
    HWND window = nullptr;
    WaitFor([&] { return (window = m_folder.FindMainWindow(first.pid)) != nullptr || !first.Running(); },
            kStartTimeout);
    ASSERT_NE(nullptr, window) << "exit code " << first.ExitCode();

    WritePendingUpgrade();
    VQManagerProcess second = m_folder.Start(L"");
    ASSERT_TRUE(second.WaitForExit(kStartTimeout));
    EXPECT_EQ(static_cast<DWORD>(-1), second.ExitCode());
    // It handed over to the running manager and went no further.
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window) != FALSE; }, kStartTimeout));
    EXPECT_FALSE(RestartMarkerWritten());
    EXPECT_EQ(nullptr, UpgraderCopyWindow());
    EXPECT_TRUE(first.Running());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((m_work + L"\\upgrade.vqt").c_str()));
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
