#include "VQCore/app/jobs/IconFetch.h"

#include "VQCore/download/GamePackage.h"
#include "VQCore/gamelib/AppPaths.h"
#include "common/FileFinder.h"
#include "common/FileUtil.h"
#include "common/FormatText.h"
#include "common/HttpGetter.h"
#include "common/Md5.h"
#include "common/PathText.h"
#include "common/RemoteFileInfo.h"
#include "common/ServerAddresses.h"
#include "common/TempFile.h"
#include "common/TextUtil.h"

namespace Tessar {

namespace {

const wchar_t kIconWorkFolder[] = L"vqicon";
const size_t kIconNameDigits = 5;

bool IsStopping(HANDLE stopEvent) {
    return stopEvent != nullptr && WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0;
}

std::wstring IconRequest(const std::wstring& id) {
    return MakeSoftRequest(kUpdateIconEndpoint) + L"&id=" + id;
}

// The reply's file in an owned temporary file, checked against its MD5.
bool FetchReplyFile(const std::wstring& request, TempFileHolder& holder, std::wstring& path) {
    VQRemoteFileInfo info;
    if (!FetchDownloadInfo(request, info) || info.downloadUrl.empty()) return false;
    if (!CreateTempFile(holder, path)) return false;
    if (!HttpGetToFile(info.downloadUrl, path, nullptr, 0)) return false;
    if (!info.md5.empty()) {
        const std::wstring md5 = Md5OfFile(path);
        if (md5.empty() || PrefixCompareNoCase(md5, info.md5) != 0) return false;
    }
    return true;
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// "NNNNN.vqp" -> the game id; 0 for any other name.
uint32_t IconNameId(const std::wstring& name) {
    if (name.size() != kIconNameDigits + 4 || _wcsicmp(name.c_str() + kIconNameDigits, L".vqp") != 0) return 0;
    uint32_t id = 0;
    for (size_t i = 0; i < kIconNameDigits; ++i) {
        if (name[i] < L'0' || name[i] > L'9') return 0;
        id = id * 10 + (name[i] - L'0');
    }
    return id;
}

std::wstring DefaultWorkFolder() {
    std::wstring temp;
    if (!GetTempFolder(temp)) return std::wstring();
    // One folder per process: two managers (or tests) never share one.
    return FormatString(L"%s%s\\%lu", temp.c_str(), kIconWorkFolder, GetCurrentProcessId());
}

}  // namespace

std::wstring IconImageText(const std::wstring& iconPath) { return L"file='" + iconPath + L"' encrypt='true'"; }

bool FetchGameIcon(uint32_t gameId) {
    TempFileHolder holder;
    std::wstring temp;
    if (!FetchReplyFile(IconRequest(FormatString(L"%05u", gameId)), holder, temp)) return false;
    const std::wstring target = GetGameIconPath(gameId);
    if (!CreateFolderChain(FolderOf(target))) return false;
    if (FileExists(target)) DeleteFileClearReadOnly(target);
    if (!MoveFileReplace(temp, target)) return false;
    holder.owned = false;
    return true;
}

HRESULT FetchIconPackage(uint32_t code, VQIconJob& job) {
    const wchar_t* name = code == kIconPackageFlash ? L"flash" : code == kIconPackageClient ? L"pconline" : nullptr;
    if (name == nullptr) return 0;
    TempFileHolder holder;
    std::wstring package;
    if (!FetchReplyFile(IconRequest(name), holder, package)) return 0;

    const std::wstring work = job.workFolder.empty() ? DefaultWorkFolder() : job.workFolder;
    const std::wstring pictures = FolderOf(GetGameIconPath(0));
    if (work.empty()) return 0;
    // What a stopped run left behind is not this package's.
    DeleteFolderTree(work);
    if (!CreateFolderChain(work) || !CreateFolderChain(pictures)) return 0;

    VQGamePackage reader;
    const bool extracted = ExtractGamePackage(work + L"\\", reader, package, job.stopEvent);
    ReleaseTempFile(holder);

    HRESULT result = !extracted && IsStopping(job.stopEvent) ? E_ABORT : 0;
    if (extracted) {
        FindFileIterator files;
        FindFileEntry entry;
        for (bool more = files.First(work + L"\\*.*", entry); more; more = files.Next(entry)) {
            if (entry.IsDots() || entry.IsFolder()) continue;
            if (IsStopping(job.stopEvent)) {
                result = E_ABORT;
                break;
            }
            const uint32_t id = IconNameId(entry.name);
            if (id == 0) continue;
            const std::wstring target = GetGameIconPath(id);
            if (FileExists(target)) continue;
            if (!MoveFileW((work + L"\\" + entry.name).c_str(), target.c_str())) continue;
            if (job.onPicture) job.onPicture(id, target);
            for (auto it = job.ids.begin(); it != job.ids.end();) it = *it == id ? job.ids.erase(it) : it + 1;
        }
        files.Close();
    }
    DeleteFolderTree(work);
    return result;
}

HRESULT RunIconJob(VQIconJob& job) {
    if (job.mask & kIconPackageClient) {
        if (FetchIconPackage(kIconPackageClient, job) == E_ABORT) return E_ABORT;
    }
    if (job.mask & kIconPackageFlash) {
        if (FetchIconPackage(kIconPackageFlash, job) == E_ABORT) return E_ABORT;
    }
    if (!(job.mask & 1)) return 0;
    for (uint32_t id : std::vector<uint32_t>(job.ids)) {
        if (IsStopping(job.stopEvent)) return E_ABORT;
        if (FetchGameIcon(id) && job.onPicture) {
            const std::wstring path = GetGameIconPath(id);
            if (FileExists(path)) job.onPicture(id, path);
        }
    }
    return 0;
}

}  // namespace Tessar
