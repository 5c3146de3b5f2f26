#include "VQUpdate/program/UpdateApp.h"

#include "VQUpdate/UpgradeJournal.h"
#include "VQUpdate/UpgradeMarkers.h"
#include "VQUpdate/UpgradeRun.h"
#include "VQUpdate/UpgradeSeam.h"
#include "VQUpdate/Upgrader.h"
#include "VQUpdate/program/InstallStat.h"
#include "VQUpdate/program/SharedFolderTasks.h"
#include "VQUpdate/program/UpdateResources.h"
#include "VQUpdate/program/UpdateSkin.h"
#include "VQUpdate/program/UpdateWnd.h"
#include "VQCore/gamelib/AppFolder.h"
#include "VQCore/gamelib/AppPaths.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "common/ServerAddresses.h"
#include "ui/SkinManager.h"

#include <shellapi.h>

#include <atomic>

namespace Tessar {

const wchar_t kUpdateEventName[] = L"VQVersionUpdate";
const wchar_t kUpdateBackgroundEventName[] = L"VQVersionUpdate_Background";
const wchar_t kInstallModeArgument[] = L"-install";
const wchar_t kUninstallModeArgument[] = L"-uninstall";
const wchar_t kUpdateModeArgument[] = L"-update";

namespace {

const int kUpgradeAttempts = 26;
const DWORD kUpgradeAttemptPauseMs = 200;
const DWORD kMinuteMs = 60000;
const DWORD kWokenPauseMs = 1000;
const DWORD kUpdateWindowStyle = 0x06CA0000;

std::atomic<int> g_exitCode(0);

std::wstring LoadText(UINT id) {
    return VQSkinManager::Instance().LoadModuleString(id);
}

void CloseEvent(HANDLE& handle) {
    if (handle != nullptr && CloseHandle(handle))
        handle = nullptr;
}

int CreateUpdateWindow(bool hidden) {
    VQUpdateWnd* window = new VQUpdateWnd;
    window->SetHiddenRun(hidden);
    if (window->Create(nullptr, LoadText(IDS_UPDATE_TITLE).c_str(), kUpdateWindowStyle, WS_EX_WINDOWEDGE) ==
        nullptr) {
        delete window;
        return 0;
    }
    if (hidden)
        window->ShowWindow(false, false);
    else
        window->ShowWindow(true, true);
    return 1;
}

// The copy in the work folder reports for the installation it upgrades.
void UseInstallationServers(const std::wstring& programFolder) {
    if (!programFolder.empty())
        LoadServerAddresses(CombinePath(programFolder, kServersIniName));
}

}  // namespace

void SetUpdateExitCode(int code) {
    g_exitCode = code;
}

int UpdateExitCode() {
    return g_exitCode;
}

bool RunInstallReport(const std::wstring& sharedFolder) {
    VQInstallStat stat;
    const bool reported = stat.Report(kStatInstall);
    // The marker is written whether or not the report reached the server:
    // the first run after the install reports once, not at every start.
    const bool marked = WriteInstallMarker(sharedFolder);
    return reported && marked;
}

int RunUpdateMode(const std::wstring& mode) {
    if (mode == kInstallModeArgument) {
        const bool done = RunInstallReport(GetSharedDataFolder());
        PostQuitMessage(0);
        return done ? 1 : 0;
    }
    if (mode == kUninstallModeArgument) {
        VQInstallStat stat;
        bool reported = stat.Report(kStatUninstall);
        std::wstring shared = GetSharedDataFolder();
        if (!shared.empty()) {
            RemoveLinkIniShortcuts();
            DeleteFolderTree(shared);
        }
        PostQuitMessage(0);
        return reported ? 1 : 0;
    }
    if (mode == kUpgradeArgument) {
        std::wstring programFolder = ApplyUpgrade();
        UseInstallationServers(programFolder);
        VQInstallStat stat;
        stat.Report(kStatUpgrade);
        PostQuitMessage(0);
        return 1;
    }
    if (mode == kUpdateModeArgument)
        return CreateUpdateWindow(true);
    return CreateUpdateWindow(false);
}

bool VQUpdateApp::TakeSingleInstance(std::wstring& mode, const std::vector<std::wstring>& arguments) {
    SetLastError(ERROR_SUCCESS);
    m_mainEvent = CreateEventW(nullptr, FALSE, FALSE, InstanceEventName(kUpdateEventName).c_str());
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        HANDLE background = CreateEventW(nullptr, FALSE, FALSE, InstanceEventName(kUpdateBackgroundEventName).c_str());
        if (background != nullptr && GetLastError() == ERROR_ALREADY_EXISTS)
            SetEvent(background);
        if (background != nullptr)
            CloseHandle(background);
        HWND running = FindWindowW(nullptr, LoadText(IDS_UPDATE_TITLE).c_str());
        if (running != nullptr) {
            if (!IsWindowVisible(running))
                ::ShowWindow(running, SW_SHOWNORMAL);
            SetForegroundWindow(running);
            SwitchToThisWindow(running, TRUE);
        }
        return false;
    }
    if (m_mainEvent == nullptr && error != ERROR_SUCCESS)
        return true;  // no events: the run goes on without them
    m_backgroundEvent = CreateEventW(nullptr, FALSE, FALSE, InstanceEventName(kUpdateBackgroundEventName).c_str());
    if (mode == kUpdateModeArgument && arguments.size() == 3 && m_backgroundEvent != nullptr) {
        DWORD minutes = static_cast<DWORD>(_wtoi(arguments[2].c_str()));
        if (minutes > 0 && WaitForSingleObject(m_backgroundEvent, minutes * kMinuteMs) == WAIT_OBJECT_0) {
            // Someone asked for the updater meanwhile: show the check.
            mode.clear();
            Sleep(kWokenPauseMs);
        }
    }
    return true;
}

bool VQUpdateApp::TakeUpgradeInstance() {
    // The old updater ends right after starting this copy; from the last
    // try on this run holds the event whatever the outcome.
    for (int attempt = 0; attempt < kUpgradeAttempts; ++attempt) {
        SetLastError(ERROR_SUCCESS);
        HANDLE event = CreateEventW(nullptr, FALSE, FALSE, InstanceEventName(kUpdateEventName).c_str());
        bool fresh = event != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
        if (fresh || attempt == kUpgradeAttempts - 1) {
            m_mainEvent = event;
            break;
        }
        // Our own handle would keep the event alive: let it go between tries.
        if (event != nullptr)
            CloseHandle(event);
        Sleep(kUpgradeAttemptPauseMs);
    }
    if (m_mainEvent == nullptr)
        m_mainEvent = CreateEventW(nullptr, FALSE, FALSE, InstanceEventName(kUpdateEventName).c_str());
    SetLastError(ERROR_SUCCESS);
    m_upgradeEvent = CreateEventW(nullptr, FALSE, FALSE, InstanceEventName(kUpgradeEventName).c_str());
    if (m_upgradeEvent != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxW(nullptr, LoadText(IDS_UPDATE_ALREADY_RUNNING).c_str(), LoadText(IDS_UPDATE_TITLE).c_str(),
                    MB_ICONERROR);
        return false;
    }
    return true;
}

int VQUpdateApp::Run(HINSTANCE instance) {
    std::vector<std::wstring> arguments;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 0; argv != nullptr && i < count; ++i)
        arguments.push_back(argv[i]);
    if (argv != nullptr)
        LocalFree(argv);
    return Run(instance, arguments);
}

int VQUpdateApp::Run(HINSTANCE instance, const std::vector<std::wstring>& arguments) {
    std::wstring mode = arguments.size() >= 2 ? arguments[1] : std::wstring();
    VQSkinManager::Instance().SetResourceModule(instance);
    if (mode == kUpgradeArgument) {
        if (!TakeUpgradeInstance())
            return 0;
    } else {
        if (!TakeSingleInstance(mode, arguments))
            return 0;
        // An upgrade of this folder that died half-way is undone before
        // anything else runs (unless one is being applied right now).
        if (!IsUpgradeRunning())
            RecoverInterruptedUpgrade(GetAppFolder());
    }
    VQSkinManager::Instance().SetResourceFolder(UpdateSkinFolder());
    return RunUpdateMode(mode);
}

void VQUpdateApp::Close() {
    CloseEvent(m_upgradeEvent);
    CloseEvent(m_backgroundEvent);
    CloseEvent(m_mainEvent);
}

}  // namespace Tessar
