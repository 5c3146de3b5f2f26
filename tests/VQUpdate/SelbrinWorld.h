#pragma once
// The scene of the updater's end-to-end runs: an installed program folder
// (Selbrin.exe, the updater's test build that has the upgrade's test seam,
// the manager's stand-in as Norvane.exe, a few data files, servers.ini
// pointing at the local update server), a new release of
// it (the release program is the upgrade stub, which unpacks the release
// tree into its folder) served with its MD5, and the processes the runs
// start, watched and ended by their ids.

#include "tests/VQUpdate/UpdateTestUtil.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UpdateServer.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Tessar {
namespace Test {

// Relative path -> MD5 of every file below a folder.
typedef std::map<std::wstring, std::wstring> VQFileSet;
VQFileSet ReadFileSet(const std::wstring& folder);

class VQProcess {
public:
    VQProcess() = default;
    ~VQProcess();
    VQProcess(const VQProcess&) = delete;
    VQProcess& operator=(const VQProcess&) = delete;

    // Starts the program with the arguments in its folder; the process
    // inherits this process's environment.
    bool Start(const std::wstring& program, const std::wstring& arguments);
    DWORD Id() const { return m_id; }
    // False on time-out; exitCode gets the code.
    bool WaitForExit(DWORD timeoutMs, DWORD& exitCode);
    void Kill();

private:
    HANDLE m_handle = nullptr;
    DWORD m_id = 0;
};

// Ends a process by its id and waits for it.
bool KillProcessById(DWORD id);
// The first visible top-level window of that process with that class (any
// when null); null when there is none within the time.
HWND WaitForProcessWindow(DWORD processId, const wchar_t* className, DWORD timeoutMs);
// Waits until pred() is true; false after timeoutMs.
template <typename Pred>
bool WaitUntil(Pred pred, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!pred()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

struct VQManagerStart {
    std::wstring word;  // "started" or "handed"
    DWORD processId = 0;
    std::wstring parameters;
};

class VQSelbrinWorld {
public:
    VQSelbrinWorld();
    ~VQSelbrinWorld();

    bool Ready() const { return m_ready; }
    std::wstring ProgramPath(const std::wstring& name) const;
    std::wstring Root(const std::wstring& name) const { return m_world.Root().PathOf(name); }
    const VQUpgradeWorld& World() const { return m_world; }
    VQUpdateServer& Server() { return m_server; }

    // update.xml naming the release at the given URL path ("/files/Release.exe"
    // when empty) with the given MD5 (the release's when empty).
    bool ServeRelease(const std::wstring& urlPath = std::wstring(), const std::string& md5 = std::string());
    // restart.vqt as the manager writes it when it starts the updater.
    bool WriteRestartMarkerFor(const std::wstring& parameters) const;

    const VQFileSet& OldFiles() const { return m_oldFiles; }
    const VQFileSet& NewFiles() const { return m_newFiles; }
    // "old", "new", or what differs from both.
    std::wstring InstalledVersion() const;
    // Markers, journal, backup, release folder and download folders that
    // should be gone; empty when none is left.
    std::wstring Leftovers() const;

    // The manager stand-in's log, one entry per start.
    std::vector<VQManagerStart> ManagerStarts() const;
    // Waits for a start with the word "started" after the first `after` entries.
    bool WaitForManagerStart(size_t after, VQManagerStart& start, DWORD timeoutMs) const;

private:
    VQUpgradeWorld m_world;
    VQUpdateServer m_server;
    std::unique_ptr<VQScopedEnvironment> m_managerLog;
    std::unique_ptr<VQScopedEnvironment> m_releaseTree;
    std::unique_ptr<VQScopedEnvironment> m_instanceSuffix;  // the runs' own event names
    VQFileSet m_oldFiles;
    VQFileSet m_newFiles;
    bool m_ready = false;
};

// Keeps a picture of the window as test evidence: "ui-screenshots\NAME.png"
// in the build's tests folder, after letting it paint.
void KeepWindowPicture(HWND window, const std::wstring& name);

// Generous bounds for a Wine process on a loaded machine.
const DWORD kRunTimeoutMs = 90000;

}  // namespace Test
}  // namespace Tessar
