#include "VQCore/app/operations/UninstallWorker.h"

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

// After a finished uninstall: the folder the install created goes when the
// rules allow; otherwise the game's folder that is left (its own, its
// recorded folder, or its program's) is named in the outcome.
void RemoveOwnFolder(const VQUninstallJob& job, VQUninstallOutcome& outcome) {
    const std::wstring& created = job.createdFolder;
    if (!created.empty() && FolderExists(created) && IsDeletableGameFolder(created, job.names.third, job.rules)) {
        DeleteFolderTree(created);
        outcome.folderDeleted = !FolderExists(created);
        if (outcome.folderDeleted) return;
    }
    std::wstring programFolder, separator, name;
    if (!job.names.third.empty() && FileExists(job.names.third))
        SplitFolderAndName(job.names.third, programFolder, separator, name);
    for (const std::wstring& left : {created, job.names.second, programFolder}) {
        if (!left.empty() && FolderExists(left)) {
            outcome.keptFolder = left;
            return;
        }
    }
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
        key.RegQueryString(L"UninstallString", command) &&
        command.find_first_not_of(L" \t\r\n\"") != std::wstring::npos) {
        // The game has an uninstaller: it runs, or the uninstall fails. Its
        // files are never deleted in its place.
        routeChosen = true;
        outcome->route = kUninstallByProgram;
        std::wstring program, parameters;
        HANDLE started = nullptr;
        if (SplitUninstallCommand(command, program, parameters) &&
            ShellExecuteTarget(std::wstring(), program, parameters, std::wstring(), SW_SHOWNORMAL, &started) &&
            started != nullptr) {
            VQKernelHandle process(started);
            const WaitResult waited = WaitUnlessStopped(job->stopEvent, process.Get());
            if (waited == kWaitStopped) return;
            DWORD exitCode = STILL_ACTIVE;
            ran = waited == kWaitEnded && GetExitCodeProcess(process.Get(), &exitCode) != FALSE;
            outcome->exitCode = exitCode;
        } else {
            outcome->failedCommand = command;
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
    if (outcome->finished) RemoveOwnFolder(*job, *outcome);
    PostOutcome(*job, std::move(outcome));
}

}  // namespace Tessar
