#include "VQCore/app/environment/RuntimeChain.h"

#include "VQCore/app/environment/RuntimeInstall.h"
#include "VQCore/download/ConverterRegistry.h"
#include "VQCore/download/PackageMeta.h"
#include "VQCore/download/PackageWriter.h"
#include "VQCore/download/TocNode.h"
#include "tests/support/LocalServer.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace Tessar {
namespace {

TEST(RuntimeChainRows, DownloadOneMissingRuntimeAfterTheOther) {
    VQRuntimeState state;
    state.directXMajor = 9;  // DirectX present, Visual C++ 2005 and Java missing
    VQRuntimeRows rows;
    rows.Fill(1, 0x0004 | 0x0080 | 0x0200, state);
    ASSERT_EQ(3u, rows.Rows().size());
    EXPECT_EQ(40020u, rows.Rows()[0].runtime->packageId);  // Java first in the list
    EXPECT_EQ(kRowNotSatisfied, rows.Rows()[0].state);
    EXPECT_EQ(kRowSatisfied, rows.Rows()[1].state);        // DirectX
    EXPECT_EQ(kRowNotSatisfied, rows.Rows()[2].state);     // Visual C++ 2005
    EXPECT_FALSE(rows.AllInstalled());

    VQRuntimeRow* first = rows.StartNextDownload();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(40020u, first->runtime->packageId);
    EXPECT_EQ(kRowDownloading, first->state);
    first->state = kRowFailed;  // its download failed: the chain goes on
    VQRuntimeRow* second = rows.StartNextDownload();
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(40025u, second->runtime->packageId);
    second->state = kRowSatisfied;
    EXPECT_EQ(nullptr, rows.StartNextDownload());
    EXPECT_FALSE(rows.AllInstalled());  // the failed row stays failed
    EXPECT_EQ(first, rows.FindByPackage(40020));
    EXPECT_EQ(nullptr, rows.FindByPackage(40018 + 100));
}

TEST(RuntimeChainRows, NothingMissingNothingToDownload) {
    VQRuntimeRows rows;
    rows.Fill(1, 0, VQRuntimeState());
    EXPECT_TRUE(rows.Rows().empty());
    EXPECT_TRUE(rows.AllInstalled());
    EXPECT_EQ(nullptr, rows.StartNextDownload());
}

TEST(RuntimeChainDownloadEnd, EndCodesDecideTheNextStep) {
    struct Case {
        bool peerToPeer;
        uint32_t code;
        uint32_t retries;
        VQDownloadEndStep step;
    } cases[] = {
        {false, 0, 0, VQDownloadEndStep::kInstall},
        {true, 0, 9, VQDownloadEndStep::kInstall},
        {false, 0xE000000A, 0, VQDownloadEndStep::kNothing},
        {true, 0x80004004, 0, VQDownloadEndStep::kNothing},
        {false, 0xE0000003, 0, VQDownloadEndStep::kRetry},
        {false, 0xE0000009, 3, VQDownloadEndStep::kRetry},
        {false, 0xE0000009, 4, VQDownloadEndStep::kNext},
        {false, 0xE0000002, 0, VQDownloadEndStep::kNext},
        {false, 0xE000000D, 0, VQDownloadEndStep::kNext},
        {true, 0xE000000D, 0, VQDownloadEndStep::kRetry},
        {true, 0xE0000012, 3, VQDownloadEndStep::kRetry},
        {true, 0xE0000003, 0, VQDownloadEndStep::kNext},
        {true, 0xE000000A, 0, VQDownloadEndStep::kNext},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.step, DecideDownloadEnd(c.peerToPeer, c.code, c.retries))
            << (c.peerToPeer ? "p2p " : "http ") << std::hex << c.code << " retries " << c.retries;
}

// A message-only window that catches the install thread's report.
class VQReportCatcher {
public:
    VQReportCatcher() : m_window(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~VQReportCatcher() { ::DestroyWindow(m_window); }
    HWND Get() const { return m_window; }
    // Pumps until the report arrives (at most a generous minute).
    bool Wait(uint32_t& packageId, VQRuntimeInstallResult& result) {
        const DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < 60000) {
            MSG message;
            while (::PeekMessageW(&message, m_window, 0, 0, PM_REMOVE)) {
                if (message.message == kWmRuntimeInstalled) {
                    packageId = static_cast<uint32_t>(message.wParam);
                    result = static_cast<VQRuntimeInstallResult>(message.lParam);
                    return true;
                }
                ::DispatchMessageW(&message);
            }
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        }
        return false;
    }

private:
    HWND m_window;
};

TEST(RuntimeChainInstallThread, ReportsTheOutcomeToTheWindow) {
    VQTempFolder folder;
    const std::wstring package = folder.PathOf(L"java.vqz");
    VQTocNode root(nullptr, kTocFolder);
    AddBytesEntry(root, kMetaEntryName, kTocInline, EncodePackageMeta({{kMetaFolder, L"Java"}}), kConverterStored);
    AddBytesEntry(root, L"java.txt", kTocFile, "runtime", kConverterStored);
    ASSERT_TRUE(WritePackage(root, package));
    const std::wstring stub =
        ::Tessar::Test::UnixToWindowsPath(::Tessar::Test::BinaryDirUnix() + "/fixtures/runtime") + L"\\RuntimeSetup.exe";
    const std::wstring failingSetup = folder.PathOf(L"vc_result_2.exe");
    ASSERT_TRUE(::CopyFileW(stub.c_str(), failingSetup.c_str(), FALSE));

    struct Case {
        const char* name;
        std::wstring file;
        uint32_t packageId;
        VQRuntimeInstallResult result;
    } cases[] = {
        {"package", package, 40020, VQRuntimeInstallResult::kInstalled},
        {"setup answering 2", failingSetup, 40025, VQRuntimeInstallResult::kFailed},
        {"missing file", folder.PathOf(L"gone.exe"), 40026, VQRuntimeInstallResult::kFailed},
    };
    const VQSharedEvent stop = MakeSharedEvent(true);
    VQReportCatcher catcher;
    ASSERT_NE(nullptr, catcher.Get());
    for (const Case& c : cases) {
        VQRuntimeInstallJob job;
        job.packageId = c.packageId;
        job.filePath = c.file;
        job.installFolder = folder.PathOf(L"games");
        job.stopEvent = stop;
        job.window = catcher.Get();
        std::unique_ptr<VQThread> thread = StartRuntimeInstallThread(job);
        ASSERT_TRUE(thread) << c.name;
        uint32_t packageId = 0;
        VQRuntimeInstallResult result = VQRuntimeInstallResult::kStopped;
        ASSERT_TRUE(catcher.Wait(packageId, result)) << c.name;
        thread->Wait();
        EXPECT_EQ(c.packageId, packageId) << c.name;
        EXPECT_EQ(c.result, result) << c.name;
    }
    EXPECT_EQ("runtime", folder.ReadFile(L"games\\Java\\java.txt"));
}

TEST(RuntimeChainInstallThread, StoppedInstallReportsNothing) {
    VQTempFolder folder;
    const std::wstring stub =
        ::Tessar::Test::UnixToWindowsPath(::Tessar::Test::BinaryDirUnix() + "/fixtures/runtime") + L"\\RuntimeSetup.exe";
    const std::wstring setup = folder.PathOf(L"vc_result_1.exe");
    ASSERT_TRUE(::CopyFileW(stub.c_str(), setup.c_str(), FALSE));
    const VQSharedEvent stop = MakeSharedEvent(true);
    ::SetEvent(stop->Get());  // already stopping
    VQReportCatcher catcher;
    VQRuntimeInstallJob job;
    job.packageId = 40026;
    job.filePath = setup;
    job.installFolder = folder.PathOf(L"games");
    job.stopEvent = stop;
    job.window = catcher.Get();
    RunRuntimeInstallJob(job);
    MSG message;
    EXPECT_FALSE(::PeekMessageW(&message, catcher.Get(), kWmRuntimeInstalled, kWmRuntimeInstalled, PM_REMOVE));
    // No setup program was started at all.
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW((setup + L".seen.ini").c_str()));
}

}  // namespace
}  // namespace Tessar
