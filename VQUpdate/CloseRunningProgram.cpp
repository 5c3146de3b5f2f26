#include "VQUpdate/CloseRunningProgram.h"

#include "VQCore/gamelib/AppFolder.h"
#include "common/KernelHandle.h"
#include "common/Module.h"
#include "common/TextUtil.h"

#include <tlhelp32.h>

#include <atomic>

namespace Tessar {

namespace {

// String-table texts of the updater program.
const UINT kCaptionText = 1006;
const UINT kAskInstallText = 1007;
const UINT kNotClosedText = 1008;

std::wstring LoadProgramText(UINT id) {
    const wchar_t* text = nullptr;
    int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 && text != nullptr ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

class VQMessageBoxPrompt : public IUpgradePrompt {
public:
    bool AskInstallNow(HWND owner) override {
        return MessageBoxW(owner, LoadProgramText(kAskInstallText).c_str(), LoadProgramText(kCaptionText).c_str(),
                           MB_YESNO | MB_ICONINFORMATION | MB_SYSTEMMODAL) == IDYES;
    }
    // "不能关闭程序，请手动关闭后，再次尝试。": retry waits again.
    bool AskWaitLonger(HWND owner) override {
        return MessageBoxW(owner, LoadProgramText(kNotClosedText).c_str(), LoadProgramText(kCaptionText).c_str(),
                           MB_RETRYCANCEL | MB_ICONWARNING | MB_SYSTEMMODAL) == IDRETRY;
    }
};

VQMessageBoxPrompt g_messageBoxPrompt;
std::atomic<IUpgradePrompt*> g_prompt(&g_messageBoxPrompt);

typedef HANDLE(WINAPI* SnapshotFunction)(DWORD, DWORD);
typedef HANDLE(WINAPI* OpenProcessFunction)(DWORD, BOOL, DWORD);
typedef BOOL(WINAPI* ProcessWalkFunction)(HANDLE, PROCESSENTRY32W*);
typedef DWORD(WINAPI* ModuleNameFunction)(HANDLE, HMODULE, wchar_t*, DWORD);
typedef BOOL(WINAPI* EnumWindowsFunction)(WNDENUMPROC, LPARAM);

BOOL CALLBACK PostCloseToProcessWindow(HWND window, LPARAM processId) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(processId))
        PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

}  // namespace

IUpgradePrompt* SetUpgradePrompt(IUpgradePrompt* prompt) {
    IUpgradePrompt* before = g_prompt.exchange(prompt != nullptr ? prompt : &g_messageBoxPrompt);
    return before == &g_messageBoxPrompt ? nullptr : before;
}

bool CloseRunningProgram(HWND owner, const std::wstring& programName, DWORD waitMs) {
    VQModule kernel;
    VQModule user;
    VQModule psapi;
    kernel.Load(L"Kernel32.dll");
    user.Load(L"user32.dll");
    psapi.Load(L"Psapi.dll");
    auto snapshot = reinterpret_cast<SnapshotFunction>(kernel.GetFunction("CreateToolhelp32Snapshot"));
    auto openProcess = reinterpret_cast<OpenProcessFunction>(kernel.GetFunction("OpenProcess"));
    auto first = reinterpret_cast<ProcessWalkFunction>(kernel.GetFunction("Process32FirstW"));
    auto next = reinterpret_cast<ProcessWalkFunction>(kernel.GetFunction("Process32NextW"));
    auto moduleName = reinterpret_cast<ModuleNameFunction>(psapi.GetFunction("GetModuleFileNameExW"));
    auto enumWindows = reinterpret_cast<EnumWindowsFunction>(user.GetFunction("EnumWindows"));
    if (!snapshot || !openProcess || !first || !next || !moduleName || !enumWindows)
        return true;

    // The folder with its backslash, so that "C:\Game" never matches
    // "C:\Game2\Norvane.exe".
    std::wstring ownFolder = GetAppFolder();
    if (ownFolder.empty())
        return true;
    VQKernelHandle processes(snapshot(TH32CS_SNAPPROCESS, 0));
    if (!processes.IsValid())
        return true;
    bool asked = false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = first(processes.Get(), &entry); more; more = next(processes.Get(), &entry)) {
        std::wstring name = entry.szExeFile;
        if (name.size() != programName.size() || CompareNoCase(name, programName, name.size()) != 0)
            continue;
        VQKernelHandle process(openProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID));
        if (process.Get() == nullptr)
            continue;
        wchar_t path[MAX_PATH * 2] = {};
        DWORD length = moduleName(process.Get(), nullptr, path, MAX_PATH * 2);
        if (length < ownFolder.size() || CompareNoCase(path, ownFolder, ownFolder.size()) != 0)
            continue;
        if (!asked) {
            asked = true;
            if (!g_prompt.load()->AskInstallNow(owner))
                return false;
        }
        enumWindows(PostCloseToProcessWindow, static_cast<LPARAM>(entry.th32ProcessID));
        while (WaitForSingleObject(process.Get(), waitMs) != WAIT_OBJECT_0) {
            if (!g_prompt.load()->AskWaitLonger(owner))
                return false;
            // A window that came up meanwhile (a question of the manager's
            // end) is asked too.
            enumWindows(PostCloseToProcessWindow, static_cast<LPARAM>(entry.th32ProcessID));
        }
    }
    return true;
}

}  // namespace Tessar
