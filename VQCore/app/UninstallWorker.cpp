#include "VQCore/app/UninstallWorker.h"

#include <shlobj.h>

#include <memory>
#include <vector>

#include "VQCore/download/UninstallRecord.h"
#include "common/FileUtil.h"
#include "common/KernelHandle.h"
#include "common/PathText.h"
#include "common/Registry.h"
#include "common/SystemUtil.h"
#include "common/TextUtil.h"
#include "common/Thread.h"

namespace Tessar {

const wchar_t kUninstallKeyRoot[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

namespace {

const wchar_t* const kRecordNames[] = {L"VQUnistall.dat", L"vqunins.dat"};

// Lower case, backslashes, no trailing separator, full path; empty when it
// cannot be made full.
std::wstring ComparablePath(const std::wstring& path) {
    if (path.empty()) return std::wstring();
    std::wstring full;
    size_t namePos = 0;
    if (!GetFullPath(NormalizeText(path, kNormalizeBackslashes | kNormalizeUnquote), full, namePos))
        return std::wstring();
    full = NormalizeText(full, kNormalizeLower | kNormalizeNoTrailingSeparator);
    return full;
}

// `inner` is `outer` or lies below it.
bool IsSameOrBelow(const std::wstring& inner, const std::wstring& outer) {
    if (inner.empty() || outer.empty()) return false;
    if (inner.size() < outer.size() || inner.compare(0, outer.size(), outer) != 0) return false;
    return inner.size() == outer.size() || inner[outer.size()] == L'\\';
}

std::wstring SpecialFolder(int csidl) {
    wchar_t buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE)) return std::wstring();
    return buffer;
}

// Folders no game folder may be, nor hold.
std::vector<std::wstring> GuardedFolders() {
    std::vector<std::wstring> folders;
    const int kinds[] = {CSIDL_WINDOWS,       CSIDL_SYSTEM,         CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILES_COMMON,
                         CSIDL_PROFILE,       CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL,    CSIDL_APPDATA,
                         CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA, CSIDL_PROGRAMS,      CSIDL_STARTUP};
    for (int kind : kinds) folders.push_back(SpecialFolder(kind));
    wchar_t temp[MAX_PATH + 1] = {};
    if (GetTempPathW(MAX_PATH + 1, temp)) folders.push_back(temp);
    return folders;
}

// The first existing uninstall record in the install folder, then in the
// run program's folder.
std::wstring FindUninstallRecord(const VQStringTriple& names) {
    std::vector<std::wstring> folders;
    if (!names.second.empty()) folders.push_back(names.second);
    if (!names.third.empty()) {
        std::wstring folder, separator, name;
        SplitFolderAndName(names.third, folder, separator, name);
        if (!separator.empty()) folders.push_back(folder);
    }
    for (const std::wstring& folder : folders) {
        if (!FolderExists(folder)) continue;
        for (const wchar_t* name : kRecordNames) {
            const std::wstring path = CombinePath(folder, name);
            if (FileExists(path)) return path;
        }
    }
    return std::wstring();
}

// A key name is one sub-key of the uninstall keys, never a path.
bool IsPlainKeyName(const std::wstring& name) {
    return !name.empty() && name.find_first_of(L"\\/") == std::wstring::npos && name != L"." && name != L"..";
}

enum WaitResult { kWaitEnded, kWaitStopped, kWaitFailed };

WaitResult WaitUnlessStopped(HANDLE stopEvent, HANDLE work) {
    HANDLE waits[2] = {work, stopEvent};
    const DWORD count = stopEvent ? 2 : 1;
    const DWORD result = WaitForMultipleObjects(count, waits, FALSE, INFINITE);
    if (result == WAIT_OBJECT_0) return kWaitEnded;
    if (result == WAIT_OBJECT_0 + 1) return kWaitStopped;
    return kWaitFailed;
}

void PostOutcome(const VQUninstallJob& job, std::unique_ptr<VQUninstallOutcome> outcome) {
    if (job.reportWindow == nullptr || job.reportMessage == 0) return;
    if (PostMessageW(job.reportWindow, job.reportMessage, 0, reinterpret_cast<LPARAM>(outcome.get())))
        outcome.release();
}

}  // namespace

bool UninstallFinished(VQUninstallRoute route, bool ran, DWORD exitCode) {
    switch (route) {
    case kUninstallByProgram: return ran && exitCode == 0;
    case kUninstallByRecord: return ran;
    case kUninstallFolderOnly: return true;
    }
    return false;
}

bool IsDeletableGameFolder(const std::wstring& folder, const std::wstring& runProgram,
                           const std::wstring& protectedFolder) {
    if (!IsAbsolutePath(folder) || !FolderExists(folder) || IsDriveRoot(folder)) return false;
    const std::wstring target = ComparablePath(folder);
    if (target.empty()) return false;
    // "X:" and "\\server\share" and the like: at least one folder below a root.
    std::vector<std::wstring> parts;
    SplitPathParts(target, parts);
    if (parts.size() < 2 || (target.compare(0, 2, L"\\\\") == 0 && parts.size() < 5)) return false;
    std::vector<std::wstring> guarded = GuardedFolders();
    guarded.push_back(protectedFolder);
    for (const std::wstring& other : guarded) {
        const std::wstring comparable = ComparablePath(other);
        if (!comparable.empty() && IsSameOrBelow(comparable, target)) return false;
    }
    if (!runProgram.empty() && !IsSameOrBelow(ComparablePath(runProgram), target)) return false;
    return true;
}

bool SplitUninstallCommand(const std::wstring& command, std::wstring& program, std::wstring& parameters) {
    program.clear();
    parameters.clear();
    std::wstring text = command;
    TrimLeftChars(text, kWhiteSpace);
    TrimRightChars(text, kWhiteSpace);
    if (text.empty()) return false;
    if (FileExists(StripQuotes(text))) {
        program = StripQuotes(text);
        return true;
    }
    size_t end;
    if (text[0] == L'"') {
        end = text.find(L'"', 1);
        if (end == std::wstring::npos) return false;
        program = text.substr(1, end - 1);
        ++end;
    } else {
        end = text.find(L' ');
        program = text.substr(0, end);
    }
    if (end != std::wstring::npos && end < text.size()) {
        parameters = text.substr(end);
        TrimLeftChars(parameters, kWhiteSpace);
    }
    if (!FileExists(program)) {
        program.clear();
        parameters.clear();
        return false;
    }
    return true;
}

void UninstallFromDataThread(void* argument) {
    std::unique_ptr<std::shared_ptr<VQRecordReplay>> held(static_cast<std::shared_ptr<VQRecordReplay>*>(argument));
    if (!held || !*held) return;
    VQRecordReplay& replay = **held;
    if (replay.path.empty() || !FileExists(replay.path)) return;
    replay.succeeded = UninstallFromData(replay.path, replay.knownDigest);
}

void UninstallGame(void* argument) {
    std::unique_ptr<VQUninstallJob> job(static_cast<VQUninstallJob*>(argument));
    if (!job) return;
    std::unique_ptr<VQUninstallOutcome> outcome(new VQUninstallOutcome);
    outcome->gameId = job->gameId;
    outcome->runProgram = job->names.third;

    bool ran = false;
    bool routeChosen = false;
    std::wstring command;
    VQRegKeyHolder key;
    if (IsPlainKeyName(job->names.first) &&
        key.RegOpenKeyPath(job->keyRoot, job->keyPath + L"\\" + job->names.first, KEY_QUERY_VALUE) &&
        key.RegQueryString(L"UninstallString", command)) {
        std::wstring program, parameters;
        HANDLE started = nullptr;
        if (SplitUninstallCommand(command, program, parameters) &&
            ShellExecuteTarget(std::wstring(), program, parameters, std::wstring(), SW_SHOWNORMAL, &started) &&
            started != nullptr) {
            VQKernelHandle process(started);
            routeChosen = true;
            outcome->route = kUninstallByProgram;
            const WaitResult waited = WaitUnlessStopped(job->stopEvent, process.Get());
            if (waited == kWaitStopped) return;
            DWORD exitCode = STILL_ACTIVE;
            ran = waited == kWaitEnded && GetExitCodeProcess(process.Get(), &exitCode) != FALSE;
            outcome->exitCode = exitCode;
        }
    }
    key.RegCloseKeyHandle();

    if (!routeChosen) {
        const std::wstring recordPath = FindUninstallRecord(job->names);
        if (!recordPath.empty()) {
            outcome->route = kUninstallByRecord;
            // Replayed on a thread of its own so that the shutdown need not
            // wait for it; the record is its own copy.
            std::shared_ptr<VQRecordReplay> replay = std::make_shared<VQRecordReplay>();
            replay->path = recordPath;
            replay->knownDigest = job->knownDigest;
            auto* handOver = new std::shared_ptr<VQRecordReplay>(replay);
            VQThread thread(&UninstallFromDataThread, handOver);
            if (!thread.Start()) {
                delete handOver;
            } else {
                const WaitResult waited = WaitUnlessStopped(job->stopEvent, thread.GetHandle());
                if (waited == kWaitStopped) return;
                ran = waited == kWaitEnded && replay->succeeded.load();
            }
        } else {
            outcome->route = kUninstallFolderOnly;
        }
    }

    outcome->finished = UninstallFinished(outcome->route, ran, outcome->exitCode);
    const std::wstring& folder = job->names.second;
    if (outcome->finished && !folder.empty() && FolderExists(folder) &&
        IsDeletableGameFolder(folder, job->names.third, job->protectedFolder)) {
        DeleteFolderTree(folder);
        outcome->folderDeleted = !FolderExists(folder);
    }
    PostOutcome(*job, std::move(outcome));
}

}  // namespace Tessar
