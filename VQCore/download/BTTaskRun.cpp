// The peer-to-peer task's worker: download information, the saved torrent
// or a fresh one from the server, and the engine task that downloads it.
#include "VQCore/download/BTTask.h"

#include "VQCore/download/BTManager.h"
#include "VQCore/download/DownloadMessage.h"
#include "VQCore/download/DownloadTarget.h"
#include "common/CodePage.h"
#include "common/DownloadEndCodes.h"
#include "common/FormatText.h"
#include "common/HttpGetter.h"
#include "common/Md5.h"
#include "common/NumberText.h"
#include "common/PathText.h"
#include "common/ResumeRecord.h"
#include "common/ServerAddresses.h"
#include "common/Singleton.h"
#include "common/TextUtil.h"

#include <vector>

namespace Tessar {

namespace {


VQBTManager& Manager() {
    return VQSingleton<VQBTManager>::Instance();
}

std::string Ansi(const std::wstring& text) {
    return WideToCodePage(CP_ACP, text);
}

bool SameMd5(const std::wstring& a, const std::wstring& b) {
    return !a.empty() && a.size() == b.size() && CompareNoCase(a, b, a.size()) == 0;
}

// FileSize as the reply writes it: decimal, a leading "-" negates.
int64_t SignedSize(const std::wstring& text) {
    if (!text.empty() && text[0] == L'-')
        return -static_cast<int64_t>(StringToUInt64(text.substr(1)));
    return static_cast<int64_t>(StringToUInt64(text));
}

const uint32_t kSessionStartWaitMs = 30000;

}  // namespace

void VQBTTask::WorkerEntry(void* task) {
    static_cast<VQBTTask*>(task)->RunWorker();
}

void VQBTTask::RunWorker() {
    ReleaseReplacedTask();
    // The engine may still be starting (it starts after the first paint).
    IBTSession* session = Manager().WaitForSession(kSessionStartWaitMs);
    if (session == nullptr) {
        Fail(kDownloadNoSession);
        return;
    }
    std::wstring request = MakeSoftRequest(kQueryUrlEndpoint) + L"&id=";
    std::wstring url = FormatString(L"%s%05d", request.c_str(), GetId());
    VQRemoteFileInfo info;
    if (!FetchDownloadInfo(url, info)) {
        Fail(kDownloadInfoUnusable);
        return;
    }
    SetDownloadInfo(info);
    if (info.downloadType != kBTTaskKind) {
        // The owner replaces this task by one of the other kind; no end event.
        RaiseEvent(kDownloadEventOtherTransport, info.downloadType);
        return;
    }
    if (info.md5.empty() || info.torrentUrl.empty() || (info.downloadUrl.empty() && info.spareUrl.empty())) {
        Fail(kDownloadInfoUnusable);
        return;
    }
    // The content and "<FileName>.vql" go into the download folder only.
    std::wstring savePath = DownloadTargetPath(GetFolder(), info.fileName);
    if (savePath.empty()) {
        Fail(kDownloadInfoUnusable);
        return;
    }
    if (HandleStop())
        return;
    // A seed of this game would hold the same torrent in the session.
    if (Manager().HasSeed(GetId()))
        Manager().RemoveSeedById(GetId());

    std::wstring saved = GetRecordPath();
    if (CheckTorrent(saved, info)) {
        if (OpenByTorrent())
            SetState(kTaskRunning);
        HandleStop();
        return;
    }
    std::wstring recordPath = FormatString(L"%s%s", savePath.c_str(), kResumeRecordSuffix);
    {
        std::lock_guard<std::mutex> hold(m_pathLock);
        m_savePath = savePath;
        m_recordPath = recordPath;
        m_record.LogPath = recordPath;
    }
    RaiseTextEvent(kDownloadEventRecordPath, recordPath);
    bool opened = false;
    if (CheckTorrent(recordPath, info))
        opened = OpenByTorrent();
    else if (!m_stop)
        opened = FetchTorrent(info);
    if (opened)
        SetState(kTaskRunning);
    // A stop that came while the engine task was being opened ends here.
    HandleStop();
}

bool VQBTTask::CheckTorrent(const std::wstring& path, const VQRemoteFileInfo& info) {
    IBTSession* session = Manager().GetSession();
    if (session == nullptr || path.empty() || !FileExists(path) || info.md5.empty())
        return false;
    if (!session->ParseTorrentFile(Ansi(path), nullptr))
        return false;
    return SameMd5(Md5OfFile(path), info.md5);
}

bool VQBTTask::OpenByTorrent() {
    IBTTask* task = m_engineTask.load();
    if (task != nullptr) {
        task->Start();
        return true;
    }
    IBTSession* session = Manager().GetSession();
    std::string error;
    task = session != nullptr
               ? session->OpenTaskFromTorrent(Ansi(GetRecordPath()), kBTOpenDownload, this, &error)
               : nullptr;
    if (task == nullptr) {
        Fail(kDownloadEngineOpenFailed);
        return false;
    }
    m_engineTask = task;
    task->Start();
    return true;
}

bool VQBTTask::FetchTorrent(const VQRemoteFileInfo& info) {
    IBTTask* open = m_engineTask.load();
    if (open != nullptr) {
        open->Start();
        return true;
    }
    {
        std::lock_guard<std::mutex> hold(m_pathLock);
        m_torrentUrl = info.torrentUrl;
    }
    m_torrentLength = 0;
    if (!HttpGetToMemory(info.torrentUrl, m_torrent, m_torrentLength)) {
        Fail(kDownloadTorrentFetchFailed);
        return false;
    }
    if (m_torrentLength == 0 || static_cast<int64_t>(m_torrentLength) != SignedSize(info.fileSize)) {
        Fail(kDownloadTorrentSizeDiffers);
        return false;
    }
    if (!SameMd5(Md5OfBuffer(m_torrent.data, static_cast<int32_t>(m_torrentLength)), info.md5)) {
        Fail(kDownloadTorrentMd5Differs);
        return false;
    }
    std::string folder = Ansi(GetFolder());
    std::string record = Ansi(GetRecordPath());
    std::vector<std::string> urls;
    for (const std::wstring* url : {&info.downloadUrl, &info.spareUrl}) {
        if (!url->empty())
            urls.push_back(Ansi(*url));
    }
    std::vector<const char*> webSeeds;
    for (const std::string& url : urls)
        webSeeds.push_back(url.c_str());
    BTOpenParams params = {folder.c_str(), record.c_str(), 1, m_torrent.data, m_torrentLength, 0,
                           webSeeds.data(), static_cast<uint32_t>(webSeeds.size())};
    IBTSession* session = Manager().GetSession();
    std::string error;
    IBTTask* task = session != nullptr ? session->AddTask(&params, this, &error) : nullptr;
    if (task == nullptr) {
        Fail(kDownloadEngineOpenFailed);
        return false;
    }
    m_engineTask = task;
    task->Start();
    return true;
}

}  // namespace Tessar
