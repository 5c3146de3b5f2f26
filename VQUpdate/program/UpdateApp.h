#pragma once
// The updater program: the mode by first argument, the single-instance
// rules with their named events, and the dispatch.
//
//   -install     install report, then the marker "stat.vqs" (sent or not)
//   -uninstall   uninstall report, link.ini shortcuts and the shared folder
//   -update [M]  hidden check (after M minutes when given alone; a second
//                start during the wait makes it a shown check)
//   -upgrade     the copy in the work folder applies a prepared upgrade
//   anything     the shown check

#include <windows.h>

#include <string>
#include <vector>

namespace Tessar {

extern const wchar_t kUpdateEventName[];            // L"VQVersionUpdate"
extern const wchar_t kUpdateBackgroundEventName[];  // L"VQVersionUpdate_Background"
extern const wchar_t kInstallModeArgument[];        // L"-install"
extern const wchar_t kUninstallModeArgument[];      // L"-uninstall"
extern const wchar_t kUpdateModeArgument[];         // L"-update"

class VQUpdateApp {
public:
    VQUpdateApp() = default;
    ~VQUpdateApp() { Close(); }
    VQUpdateApp(const VQUpdateApp&) = delete;
    VQUpdateApp& operator=(const VQUpdateApp&) = delete;

    // Command line, single instance, skin set-up, the mode. Non-zero: the
    // message loop runs.
    int Run(HINSTANCE instance);
    int Run(HINSTANCE instance, const std::vector<std::wstring>& arguments);
    // Closes the events: upgrade, background, main.
    void Close();

private:
    // False when another updater runs (it was woken or brought forward).
    bool TakeSingleInstance(std::wstring& mode, const std::vector<std::wstring>& arguments);
    bool TakeUpgradeInstance();

    HANDLE m_mainEvent = nullptr;
    HANDLE m_backgroundEvent = nullptr;
    HANDLE m_upgradeEvent = nullptr;
};

// The "-install" work: the install report, then the marker "stat.vqs" in
// the shared folder, also when the report could not be sent. True when the
// report was sent and the marker made.
bool RunInstallReport(const std::wstring& sharedFolder);

// The dispatch by mode; non-zero means the message loop runs.
int RunUpdateMode(const std::wstring& mode);

// The process's exit code, set by the update window at the end of a run
// (0 after a hand-over, 1 at the end of a hidden run); 0 otherwise.
void SetUpdateExitCode(int code);
int UpdateExitCode();

}  // namespace Tessar
