// The HTTP task's worker: the retry delay, the download information, and
// the choice between a finished file, a resume and a fresh download; and
// the deletion of a task's partial files.
#include "VQCore/download/HttpTask.h"

#include "VQCore/download/DownloadMessage.h"
#include "VQCore/download/DownloadTarget.h"
#include "common/DownloadEndCodes.h"
#include "common/FileHandle.h"
#include "common/FileUtil.h"
#include "common/FormatText.h"
#include "common/Md5.h"
#include "common/NumberText.h"
#include "common/PathText.h"
#include "common/ResumeRecord.h"
#include "common/ServerAddresses.h"
#include "common/TextUtil.h"

#include <cwchar>
#include <vector>

namespace Tessar {

namespace {

const size_t kMd5TextLength = 32;

// The data file that belongs to a resume record: both are named after the
// same target.
std::wstring DataPathOfRecord(const std::wstring& recordPath) {
    std::wstring suffix = kResumeRecordSuffix;
    if (recordPath.size() <= suffix.size() ||
        CompareNoCase(recordPath.substr(recordPath.size() - suffix.size()), suffix, suffix.size()) != 0)
        return std::wstring();
    return recordPath.substr(0, recordPath.size() - suffix.size()) + kDataFileSuffix;
}

bool SameMd5Text(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && CompareNoCase(a, b, a.size()) == 0;
}

}  // namespace

uint32_t VQHttpTask::RunSteps() {
    if (!WaitRetryDelay())
        return kDownloadCancelled;
    OnStage(0);

    std::wstring request = MakeSoftRequest(kQueryUrlEndpoint) + L"&id=";
    std::wstring url = FormatString(L"%s%05d", request.c_str(), GetId());
    // A hostile or broken server cannot hold the task here: the reply has a
    // time limit, and a stop ends the wait at once.
    VQHttpGetLimits limits;
    limits.totalMs = m_infoLimitMs.load();
    limits.stopRequested = [this] { return IsCancelled(); };
    VQRemoteFileInfo info;
    if (!FetchDownloadInfo(url, info, limits))
        return IsCancelled() ? kDownloadCancelled : kDownloadInfoFailed;
    SetDownloadInfo(info);
    // DownloadType 2 names the peer-to-peer engine, any other value HTTP;
    // the owner replaces this task by a peer-to-peer one on event 9.
    if (info.downloadType == kBTTaskKind) {
        RaiseEvent(kDownloadEventOtherTransport, info.downloadType);
        return kDownloadOtherTransport;
    }
    return DownloadWith(info);
}

bool VQHttpTask::WaitRetryDelay() {
    uint32_t step = m_retryStepMs.load();
    uint32_t steps = RetryDelaySteps(GetFailureCount(), m_retryBaseMs.load(), step);
    for (uint32_t i = 0; i < steps; ++i) {
        if (IsCancelled())
            return false;
        Sleep(step);
    }
    return true;
}

uint32_t VQHttpTask::DownloadWith(const VQRemoteFileInfo& info) {
    std::wstring saved = GetRecordPath();
    if (CanResume(saved, info))
        return VerifyFinished(m_downloader.Resume(this, info, saved), info);

    // A FileName that is not one plain name would write elsewhere.
    std::wstring target = DownloadTargetPath(GetFolder(), info.fileName);
    if (target.empty())
        return kDownloadInfoFailed;
    if (IsComplete(target, info)) {
        OnSetupPath(target);
        return kDownloadFinished;
    }
    // A stop during the whole-file check ends the check, and the run.
    if (IsCancelled())
        return kDownloadCancelled;
    std::wstring recordPath = FormatString(L"%s%s", target.c_str(), kResumeRecordSuffix);
    if (CanResume(recordPath, info))
        return VerifyFinished(m_downloader.Resume(this, info, recordPath), info);
    return VerifyFinished(m_downloader.Download(this, info, target), info);
}

bool VQHttpTask::CanResume(const std::wstring& recordPath, const VQRemoteFileInfo& info) {
    return !recordPath.empty() && FileExists(recordPath) && m_downloader.ReadResumeRecord(recordPath) &&
           !info.fileSize.empty() && StringToUInt64(info.fileSize) == m_downloader.GetTotalSize() &&
           info.md5.size() == kMd5TextLength &&
           CompareNoCase(info.md5, m_downloader.GetMd5Text(), kMd5TextLength) == 0;
}

bool VQHttpTask::IsComplete(const std::wstring& target, const VQRemoteFileInfo& info) {
    if (target.empty() || info.fileSize.empty() || info.md5.empty())
        return false;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(file, target, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0))
        return false;
    uint64_t size = 0;
    bool sized = GetFileHandleSize(file, size);
    CloseFileHandle(file);
    if (!sized || size == 0 || size != StringToUInt64(info.fileSize))
        return false;
    std::wstring md5 = Md5OfFile(target, [this] { return IsCancelled(); });
    return !md5.empty() && SameMd5Text(md5, info.md5);
}

uint32_t VQHttpTask::VerifyFinished(uint32_t result, const VQRemoteFileInfo& info) {
    // A transfer that delivered other bytes than the server's MD5 describes
    // is no finished download: the file goes, and the next start fetches it
    // anew.
    if (result != kDownloadFinished || info.md5.size() != kMd5TextLength)
        return result;
    std::wstring target = GetSetupPath();
    if (target.empty())
        return result;
    // The downloader hashes the file as its ranges arrive; a run that could
    // not (no MD5 in its record, an unreadable file) leaves it to a pass
    // here, which a stop ends (the task is being removed, whoever removes it
    // waits for this run); the file stays for the next start.
    std::wstring md5 = m_downloader.GetFileMd5();
    if (md5.empty())
        md5 = Md5OfFile(target, [this] { return IsCancelled(); });
    if (md5.empty() && IsCancelled())
        return kDownloadCancelled;
    if (SameMd5Text(md5, info.md5))
        return result;
    ForceDeleteFile(target);
    return kDownloadVerifyFailed;
}

void VQHttpTask::DeleteTaskFiles() {
    std::wstring recordPath = GetRecordPath();
    if (recordPath.empty())
        return;
    std::wstring dataPath = GetDataPath();
    if (dataPath.empty()) {
        // Only the record's own data file: a record names any path it
        // likes, and a damaged or planted one must not delete other files.
        VQResumeHead head;
        std::vector<VQRangeRecord> ranges;
        std::wstring own = DataPathOfRecord(recordPath);
        if (!own.empty() && ReadResumeRecordFile(recordPath, head, ranges)) {
            std::wstring stored = GetRecordText(head.dataPath);
            if (stored.size() == own.size() && CompareNoCase(stored, own, own.size()) == 0)
                dataPath = stored;
        }
    }
    if (!dataPath.empty() && FileExists(dataPath))
        ForceDeleteFile(dataPath);
    if (FileExists(recordPath))
        ForceDeleteFile(recordPath);
}

}  // namespace Tessar
