// The runtime environment window as a real window on a made-up machine:
// the hardware facts are given, the runtimes are looked for in a scratch
// registry key and an empty system folder, and the runtimes it installs
// come from the local update server (a package and a setup program).
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "VQCore/app/environment/EnvironmentElement.h"
#include "VQCore/app/environment/EnvironmentWnd.h"
#include "VQCore/download/ConverterRegistry.h"
#include "VQCore/download/PackageMeta.h"
#include "VQCore/download/PackageWriter.h"
#include "VQCore/download/TocNode.h"
#include "VQCore/gamelib/Settings.h"
#include "common/CodePage.h"
#include "common/ServerAddresses.h"
#include "tests/VQCore/app/DialogTestDriver.h"
#include "tests/support/LocalServer.h"
#include "tests/support/ScratchRegistryKey.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UpdateServer.h"
#include "tests/support/WebRoot.h"
#include "tests/ui/WindowInput.h"

namespace Tessar {
namespace Test {
namespace {

const uint32_t kPhysXPackage = 40023;
const uint32_t kOpenAlPackage = 40024;

// A comfortable machine: a Core i7 at 3 GHz, 8 GB, a 1 GB card, Windows 7.
void ComfortableMachine(VQMachineFacts& facts) {
    facts.hardware.processor.name = L"Intel(R) Core(TM) i7   CPU 930 @ 3.00GHz";
    facts.hardware.processor.count = 4;
    facts.hardware.processor.totalClock = 4 * 3000;
    facts.hardware.processor.familyCode = ProcessorFamilyCode(facts.hardware.processor.name);
    VideoControllerInfo video;
    video.name = L"Demo Graphics 9000";
    video.adapterRam = 1024u * 1024 * 1024;
    facts.hardware.videoControllers.push_back(video);
    facts.hardware.osText = L"Windows 7 Ultimate";
    facts.hardware.osCode = kOsWindows7;
    facts.osMajor = 6;
    facts.osMinor = 1;
    facts.totalPhysicalBytes = 8ull << 30;
}

// Runtime trees in a scratch key, an empty system folder; DirectX 9 when
// asked (its d3d9.dll "is there").
VQEnvironmentSources MadeUpMachine(const VQScratchRegistryKey& scratch, const VQTempFolder& system, bool directX9) {
    VQEnvironmentSources sources;
    sources.readMachine = &ComfortableMachine;
    VQDetectEnvironment& environment = sources.detect;
    environment.localMachine.key = scratch.Root();
    environment.localMachine.base = scratch.Path() + L"\\HKLM";
    environment.classesRoot.key = scratch.Root();
    environment.classesRoot.base = scratch.Path() + L"\\HKCR";
    environment.systemFolder = system.Path();
    environment.fileProductVersion = [directX9](const std::wstring& path, uint64_t& version) {
        version = 0x0006000000000000ull;
        return directX9 && path.size() >= 8 && _wcsicmp(path.c_str() + path.size() - 8, L"d3d9.dll") == 0;
    };
    environment.processorArchitecture = [] { return static_cast<uint16_t>(PROCESSOR_ARCHITECTURE_AMD64); };
    environment.clsidFromProgId = [](const wchar_t*, CLSID*) { return static_cast<HRESULT>(REGDB_E_CLASSNOTREG); };
    environment.msiProductState = [](const std::wstring&, int32_t&) { return false; };
    environment.createDxDiagProvider = [](IDxDiagProvider**) { return static_cast<HRESULT>(REGDB_E_CLASSNOTREG); };
    return sources;
}

VQGameRequirements ModestGame(uint32_t id, uint16_t depend) {
    VQGameRequirements game;
    game.gameId = id;
    game.name = L"演示游戏";
    game.kind = id >= 50001 && id <= 69999 ? 3 : 1;
    game.size = 1 << 20;
    game.installSize = 1 << 20;
    game.cpuClass = 2;
    game.cpuSpeed = 1.5f;
    game.memoryMB = 1024;
    game.videoMB = 256;
    game.depend = depend;
    return game;
}

std::string Narrow(const std::wstring& text) { return WideToUtf8(text); }

class EnvironmentWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        VQSettings& settings = VQSettings::Instance();
        m_cacheBefore = settings.GetString(L"CacheDir");
        m_installBefore = settings.GetString(L"InstallDir");
        settings.SetString(L"CacheDir", m_folder.PathOf(L"download") + L"\\");
        settings.SetString(L"InstallDir", m_folder.PathOf(L"games") + L"\\");
        ::CreateDirectoryW(m_folder.PathOf(L"download").c_str(), nullptr);
        ::CreateDirectoryW(m_folder.PathOf(L"games").c_str(), nullptr);
        ASSERT_TRUE(m_scratch.IsValid());
    }
    void TearDown() override {
        VQSettings& settings = VQSettings::Instance();
        settings.SetString(L"CacheDir", m_cacheBefore);
        settings.SetString(L"InstallDir", m_installBefore);
        LoadServerAddresses(ServerAddressesIniPath());
    }

    // Checks the game and waits for the rows.
    void Check(VQEnvironmentWnd& window, const VQGameRequirements& game) {
        ASSERT_TRUE(::IsWindow(window.GetHWND()));
        window.ShowWindow(true, false);
        ASSERT_TRUE(window.CheckGame(game));
        ASSERT_TRUE(PumpUntil([&] { return !window.IsDetecting(); }, 30000)) << "the detection never reported";
        PumpUntil([&] { return ControlCenter(window, VQEnvironmentWnd::kCpuRowId).x >= 0; }, 5000);
    }

    std::vector<uint32_t> RuntimeStates(const VQEnvironmentWnd& window) const {
        std::vector<uint32_t> states;
        for (size_t i = 0; i < window.RuntimeRowCount(); ++i) {
            VQEnvironmentElement* row = window.RuntimeRowAt(i);
            states.push_back(row ? row->GetState() : 99);
        }
        return states;
    }

    VQTempFolder m_folder;
    VQTempFolder m_system;
    VQScratchRegistryKey m_scratch;
    std::wstring m_cacheBefore, m_installBefore;
};

TEST_F(EnvironmentWndTest, GameWhoseNeedsAreMetShowsEveryRowSatisfied) {
    VQEnvironmentWnd window(nullptr, MadeUpMachine(m_scratch, m_system, true));
    Check(window, ModestGame(1234, 0x0004));
    const struct {
        int id;
        const char* name;
    } rows[] = {{VQEnvironmentWnd::kCpuRowId, "cpu"},     {VQEnvironmentWnd::kMemoryRowId, "memory"},
                {VQEnvironmentWnd::kVideoRowId, "video"}, {VQEnvironmentWnd::kDiskRowId, "disk"},
                {VQEnvironmentWnd::kOsRowId, "os"}};
    for (const auto& r : rows) {
        VQEnvironmentElement* row = window.HardwareRow(r.id);
        ASSERT_NE(nullptr, row) << r.name;
        EXPECT_EQ(static_cast<uint32_t>(kRowSatisfied), row->GetState()) << r.name << ": " << Narrow(row->GetNameText());
        EXPECT_EQ(L"满足要求", row->GetStatusText()) << r.name;
    }
    EXPECT_EQ(L"Intel(R) Core(TM) i7CPU 930 @ 3.00GHz", window.HardwareRow(VQEnvironmentWnd::kCpuRowId)->GetNameText());
    EXPECT_EQ(L"8.00 GB", window.HardwareRow(VQEnvironmentWnd::kMemoryRowId)->GetNameText());
    EXPECT_EQ(window.DiskText(), window.HardwareRow(VQEnvironmentWnd::kDiskRowId)->GetNameText());
    ASSERT_EQ(1u, window.RuntimeRowCount());
    EXPECT_EQ(L"DirectX 9.0 and 10.0", window.RuntimeRowAt(0)->GetNameText());
    EXPECT_EQ(std::vector<uint32_t>{kRowSatisfied}, RuntimeStates(window));
    EXPECT_TRUE(window.IsBadgeSatisfied());
    EXPECT_FALSE(window.IsInstallOfferShown());
    std::wstring title(64, L'\0');
    title.resize(::GetWindowTextW(window.GetHWND(), &title[0], 64));
    EXPECT_EQ(L"游戏环境监测 - 演示游戏", title);
    KeepScreenshot(window.GetHWND(), L"EnvironmentWnd-met");
}

TEST_F(EnvironmentWndTest, RuntimeRowsFollowTheGame) {
    VQEnvironmentWnd window(nullptr, MadeUpMachine(m_scratch, m_system, false));
    const struct {
        const char* name;
        uint32_t id;
        uint16_t depend;
        std::vector<std::wstring> rows;
        bool offer;
    } cases[] = {
        {"no runtimes", 1234, 0, {}, false},
        {"flash game, whatever it depends on", 50001, 0x0102, {L"Adobe Flash Player ActiveX"}, true},
        {"missing runtimes in the window's order", 1235, 0x0106,
         {L"Nvidia PhysX System", L"OpenAL", L"DirectX 9.0 and 10.0"}, true},
    };
    for (const auto& c : cases) {
        Check(window, ModestGame(c.id, c.depend));
        std::vector<std::wstring> names;
        for (size_t i = 0; i < window.RuntimeRowCount(); ++i) names.push_back(window.RuntimeRowAt(i)->GetNameText());
        EXPECT_EQ(c.rows, names) << c.name;
        for (uint32_t state : RuntimeStates(window)) EXPECT_EQ(static_cast<uint32_t>(kRowNotSatisfied), state) << c.name;
        EXPECT_EQ(c.offer, window.IsInstallOfferShown()) << c.name;
        EXPECT_EQ(!c.offer, window.IsBadgeSatisfied()) << c.name;
    }
    KeepScreenshot(window.GetHWND(), L"EnvironmentWnd-missing");
}

TEST_F(EnvironmentWndTest, RowStatesShowWhatTheyMean) {
    VQEnvironmentWnd window(nullptr, MadeUpMachine(m_scratch, m_system, false));
    Check(window, ModestGame(1234, 0));
    VQEnvironmentElement* row = window.HardwareRow(VQEnvironmentWnd::kDiskRowId);
    ASSERT_NE(nullptr, row);
    const struct {
        uint32_t state;
        const wchar_t* status;
        bool pause, cancel, changeDir;
    } cases[] = {
        {kRowSatisfied, L"满足要求", false, false, false},
        {kRowNotSatisfied, L"不满足要求", false, false, false},
        {kRowDownloading, L"", true, true, false},
        {kRowInstalling, L"正在安装", false, false, false},
        {kRowOtherDriveHasRoom, L"不满足要求", false, false, true},
        // A failed row shows the runtime still missing, without progress.
        {kRowFailed, L"不满足要求", false, false, false},
    };
    for (const auto& c : cases) {
        row->SetState(c.state);
        EXPECT_EQ(c.status, row->GetStatusText()) << c.state;
        EXPECT_EQ(c.pause, row->IsButtonShown(VQEnvironmentButton::kPause)) << c.state;
        EXPECT_FALSE(row->IsButtonShown(VQEnvironmentButton::kContinue)) << c.state;
        EXPECT_EQ(c.cancel, row->IsButtonShown(VQEnvironmentButton::kCancel)) << c.state;
        EXPECT_EQ(c.changeDir, row->IsButtonShown(VQEnvironmentButton::kChangeDir)) << c.state;
    }
    row->SetState(kRowInstalling);
    EXPECT_EQ(L"100%", row->GetPercentText());
    EXPECT_EQ(100, row->GetProgressValue());
}

void WriteRuntimePackage(const std::wstring& path) {
    VQTocNode root(nullptr, kTocFolder);
    AddBytesEntry(root, kMetaEntryName, kTocInline, EncodePackageMeta({{kMetaFolder, L"DemoOpenAL"}}),
                  kConverterStored);
    AddBytesEntry(root, L"OpenAL32.dll", kTocFile, std::string(4000, 'a'), kConverterStored);
    ASSERT_TRUE(WritePackage(root, path));
}

// The reply of query_url.php for a runtime: the file on nginx (ranged
// downloads need a server that answers ranges), its size and MD5.
void WriteQueryReply(const VQTempFolder& root, uint32_t id, const std::wstring& url, const std::wstring& file,
                     const std::string& bytes) {
    const std::wstring xml = L"<?xml version=\"1.0\"?>\n<FILE><DownloadUrl>" + url + L"</DownloadUrl><Md5>" +
                             Md5Of(bytes) + L"</Md5><FileSize>" + std::to_wstring(bytes.size()) +
                             L"</FileSize><FileName>" + file + L"</FileName><DownloadType>1</DownloadType></FILE>\n";
    ASSERT_TRUE(root.WriteFile(L"query_url\\" + std::to_wstring(id) + L".xml", WideToUtf8(xml)));
}

TEST_F(EnvironmentWndTest, OneClickInstallsEachMissingRuntimeInTurn) {
    // PhysX comes as a setup program that answers "2" (not installed),
    // OpenAL as a package: the failure shows and OpenAL goes on.
    VQTempFolder made;
    WriteRuntimePackage(made.PathOf(L"openal.vqz"));
    const std::string package = made.ReadFile(L"openal.vqz");
    const std::string setup = ReadWholeFile(UnixToWindowsPath(BinaryDirUnix() + "/fixtures/runtime") + L"\\RuntimeSetup.exe");
    ASSERT_FALSE(package.empty());
    ASSERT_FALSE(setup.empty());
    VQWebRoot files;
    ASSERT_TRUE(files.WriteFile(L"PhysX_result_2.exe", setup));
    ASSERT_TRUE(files.WriteFile(L"openal.vqz", package));
    VQLocalServer nginx;
    ASSERT_TRUE(StartNginx(nginx, files));
    VQTempFolder served;
    WriteQueryReply(served, kPhysXPackage, nginx.Url(L"/PhysX_result_2.exe"), L"PhysX_result_2.exe", setup);
    WriteQueryReply(served, kOpenAlPackage, nginx.Url(L"/openal.vqz"), L"openal.vqz", package);
    VQUpdateServer server;
    ASSERT_TRUE(server.Start(served.Path()));
    ASSERT_TRUE(SetServerAddress(kUpdateServer, server.Url(L"")));

    VQEnvironmentWnd window(nullptr, MadeUpMachine(m_scratch, m_system, true));
    Check(window, ModestGame(1236, 0x0102));
    ASSERT_EQ(2u, window.RuntimeRowCount());
    ASSERT_TRUE(window.IsInstallOfferShown());
    ASSERT_TRUE(ClickControl(window, VQEnvironmentWnd::kInstallButtonId));

    // Every state each row passes through, as the UI thread sees it.
    std::vector<uint32_t> seen[2];
    auto watch = [&] {
        for (size_t i = 0; i < 2; ++i) {
            const uint32_t state = window.RuntimeRowAt(i)->GetState();
            if (seen[i].empty() || seen[i].back() != state) seen[i].push_back(state);
        }
        return !window.IsWorking() && (seen[1].back() == kRowSatisfied || seen[1].back() == kRowFailed);
    };
    EXPECT_TRUE(PumpUntil(watch, 90000));
    PumpUntil([] { return false; }, 300);  // the last states painted
    EXPECT_EQ(L"不满足要求", window.RuntimeRowAt(0)->GetStatusText());
    EXPECT_EQ(L"满足要求", window.RuntimeRowAt(1)->GetStatusText());
    KeepScreenshot(window.GetHWND(), L"EnvironmentWnd-installed");
    EXPECT_EQ((std::vector<uint32_t>{kRowNotSatisfied, kRowDownloading, kRowInstalling, kRowFailed}), seen[0]);
    EXPECT_EQ((std::vector<uint32_t>{kRowNotSatisfied, kRowDownloading, kRowInstalling, kRowSatisfied}), seen[1]);
    EXPECT_EQ(std::string(4000, 'a'), m_folder.ReadFile(L"games\\DemoOpenAL\\OpenAL32.dll"));
    // The setup program was told the install folder, without its separator.
    wchar_t told[MAX_PATH] = L"";
    ::GetPrivateProfileStringW(L"seen", L"dir", L"", told, MAX_PATH,
                               m_folder.PathOf(L"download\\PhysX_result_2.exe.seen.ini").c_str());
    EXPECT_EQ(m_folder.PathOf(L"games"), std::wstring(told));
    EXPECT_FALSE(window.IsBadgeSatisfied()) << "PhysX is still missing";
    std::vector<std::string> requests = server.Requests();
    std::string log;
    for (const std::string& request : requests) log += request + "\n";
    ASSERT_GE(requests.size(), 2u) << log;
    EXPECT_NE(std::string::npos, log.find("id=40024")) << log;
    EXPECT_EQ("/query_url.php?soft=1.7&id=40023", requests[0]);
}

TEST_F(EnvironmentWndTest, ADetectionThatTakesLongDoesNotHoldUpTheStopOrTheWindowsEnd) {
    // The machine's description takes half a minute (a WMI query that hangs).
    auto released = std::make_shared<std::atomic<bool>>(false);
    VQEnvironmentSources sources = MadeUpMachine(m_scratch, m_system, true);
    sources.readMachine = [released](VQMachineFacts& facts) {
        for (int i = 0; i < 600 && !*released; ++i) ::Sleep(50);
        ComfortableMachine(facts);
    };
    DWORD before = 0;
    {
        VQEnvironmentWnd window(nullptr, sources);
        ASSERT_TRUE(::IsWindow(window.GetHWND()));
        ASSERT_TRUE(window.CheckGame(ModestGame(10001, 0)));
        ASSERT_TRUE(window.IsDetecting());
        before = ::GetTickCount();
        window.StopWork();
        EXPECT_LT(::GetTickCount() - before, VQEnvironmentWnd::kStopWaitMs + 3000) << "the stop waited for the detection";
        EXPECT_FALSE(window.IsDetecting());
        // A new check while the last detection still runs: its late result
        // belongs to no check.
        ASSERT_TRUE(window.CheckGame(ModestGame(10002, 0)));
        before = ::GetTickCount();
    }
    EXPECT_LT(::GetTickCount() - before, VQEnvironmentWnd::kStopWaitMs + 3000) << "the window's end waited";
    // The detections left behind end on their own with the state they hold.
    *released = true;
    ::Sleep(500);
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
