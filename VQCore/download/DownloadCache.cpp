#include "VQCore/download/DownloadCache.h"

#include "VQCore/download/InstallPaths.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/Settings.h"
#include "common/FileUtil.h"
#include "common/FormatText.h"
#include "common/IniFile.h"
#include "common/NumberText.h"
#include "common/PathText.h"
#include "common/ResumeRecord.h"
#include "common/TextUtil.h"

#include <windows.h>

#include <time.h>

#include <cwchar>

namespace Tessar {

const wchar_t kCacheCheckSection[] = L"CHECK";
const wchar_t kCachePathKey[] = L"Path";
const wchar_t kCacheTimeKey[] = L"Time";

namespace {

const int64_t kCheckInterval = 86400;      // a day between start-up checks
const int64_t kMaxCacheAge = 259200;       // three days
const uint64_t kStartupFreeBytes = 21474836480ull;  // 20 GiB
const uint64_t kInstalledFreeBytes = 5368709120ull;  // 5 GiB
const uint32_t kMaxSectionChars = 31;
// The kinds of finished download the cache removes.
const wchar_t kFinishedSetupSuffix[] = L".exe";
const wchar_t kFinishedPackageSuffix[] = L".vqz";

std::wstring SectionOf(uint32_t gameId) {
    return FormatString(L"%05u", gameId);
}

int64_t ParseTime(const std::wstring& text) {
    return _wcstoi64(text.c_str(), nullptr, 10);
}

bool SameText(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && CompareNoCase(a, b, a.size()) == 0;
}

// Sections this cache wrote are game ids; anything else is not ours.
bool ParseGameSection(const std::wstring& section, uint32_t& gameId) {
    if (section.empty() || section.size() > 10 || section.find_first_not_of(L"0123456789") != std::wstring::npos)
        return false;
    uint64_t value = StringToUInt64(section);
    if (value > UINT32_MAX)
        return false;
    gameId = static_cast<uint32_t>(value);
    return true;
}

void DeleteIfFile(const std::wstring& path) {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return;
    // A link goes as itself; its attributes are not touched, since that
    // would reach whatever it points to.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        ::DeleteFileW(path.c_str());
    else
        DeleteFileClearReadOnly(path);
}

bool SystemFreeSpace(const std::wstring& root, uint64_t& freeBytes) {
    ULARGE_INTEGER available = {};
    if (!::GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr))
        return false;
    freeBytes = available.QuadPart;
    return true;
}

}  // namespace

VQCleanupDiskSpace::VQCacheSource VQCleanupDiskSpace::SystemSource() {
    VQCacheSource source;
    source.iniPath = []() { return GetCacheIniPath(); };
    source.cacheDir = []() { return GetSettingString(L"CacheDir"); };
    source.now = []() { return static_cast<int64_t>(_time64(nullptr)); };
    source.freeSpace = SystemFreeSpace;
    return source;
}

VQCleanupDiskSpace::VQCleanupDiskSpace() : VQCleanupDiskSpace(SystemSource()) {}

VQCleanupDiskSpace::VQCleanupDiskSpace(const VQCacheSource& source) : m_source(source), m_worker(nullptr) {}

VQCleanupDiskSpace::~VQCleanupDiskSpace() {
    Wait();
    DeleteThreadHolder(m_worker);
}

bool VQCleanupDiskSpace::StampEntry(uint32_t gameId, const std::wstring& path) {
    WriteEntry(path, SectionOf(gameId), Int64ToString(m_source.now()));
    return true;
}

bool VQCleanupDiskSpace::WriteEntry(const std::wstring& path, const std::wstring& section, const std::wstring& time) {
    std::wstring iniPath = m_source.iniPath();
    if (iniPath.empty())
        return false;
    CreateFolderChain(GetFullPathFolder(iniPath));
    IniFile ini(iniPath);
    if (path.empty() && time.empty())
        return ini.DeleteSection(section);
    return ini.WriteString(section, kCachePathKey, path) && ini.WriteString(section, kCacheTimeKey, time);
}

bool VQCleanupDiskSpace::CacheCheckedRecently() {
    std::wstring iniPath = m_source.iniPath();
    if (iniPath.empty())
        return false;
    const int64_t now = m_source.now();
    if (FileExists(iniPath)) {
        std::wstring text = IniFile(iniPath).ReadString(kCacheCheckSection, kCacheTimeKey, L"0");
        // A stamp from the future (a clock set back) counts as no check.
        int64_t age = now - ParseTime(text.substr(0, kMaxSectionChars));
        if (age >= 0 && age < kCheckInterval)
            return true;
    }
    CreateFolderChain(GetFullPathFolder(iniPath));
    IniFile(iniPath).WriteString(kCacheCheckSection, kCacheTimeKey, Int64ToString(now));
    return false;
}

bool VQCleanupDiskSpace::CacheDriveHasSpace(uint64_t bytes) {
    std::wstring cacheDir = m_source.cacheDir();
    if (cacheDir.size() < 3)
        return true;
    uint64_t freeBytes = 0;
    if (!m_source.freeSpace(cacheDir.substr(0, 3), freeBytes))
        return true;
    return freeBytes > bytes;
}

void VQCleanupDiskSpace::CollectGameStatus(const std::vector<VQGameStatusInfo>& installed,
                                           const std::vector<VQGameStatusInfo>& downloads) {
    m_status.clear();
    for (const std::vector<VQGameStatusInfo>* list : {&installed, &downloads}) {
        for (const VQGameStatusInfo& info : *list) {
            boost::shared_ptr<VQGameStatusInfo> status(new VQGameStatusInfo(info));
            status->download = list == &downloads;
            m_status.push_back(status);
        }
    }
}

bool VQCleanupDiskSpace::StartupCheck(const std::vector<VQGameStatusInfo>& installed,
                                      const std::vector<VQGameStatusInfo>& downloads) {
    if (CacheCheckedRecently() || CacheDriveHasSpace(kStartupFreeBytes))
        return false;
    CollectGameStatus(installed, downloads);
    return Start();
}

bool VQCleanupDiskSpace::Start() {
    if (m_worker != nullptr && m_worker->IsRunning())
        return false;
    Wait();
    if (m_worker == nullptr)
        m_worker = new VQThread(&VQCleanupDiskSpace::WorkerMain, this);
    return m_worker->Start();
}

void VQCleanupDiskSpace::Wait() {
    if (m_worker != nullptr && m_worker->GetHandle() != INVALID_HANDLE_VALUE)
        m_worker->Wait();
}

void VQCleanupDiskSpace::WorkerMain(void* cache) {
    VQCleanupDiskSpace* self = static_cast<VQCleanupDiskSpace*>(cache);
    self->CleanupOldFiles();
    self->m_status.clear();
}

bool VQCleanupDiskSpace::LiesOnCacheDrive(const std::wstring& path) {
    std::wstring cacheDir = m_source.cacheDir();
    return !path.empty() && !cacheDir.empty() && ToUpperChar(path[0]) == ToUpperChar(cacheDir[0]);
}

void VQCleanupDiskSpace::CleanupEntry(const std::wstring& path, uint32_t gameId) {
    std::wstring iniPath = m_source.iniPath();
    if (iniPath.empty() || !FileExists(path))
        return;
    // Only the game's own download: never a file the user installed from.
    const std::wstring section = SectionOf(gameId);
    std::wstring recorded = IniFile(iniPath).ReadString(section, kCachePathKey);
    if (!SameText(recorded, path) && !SameText(recorded, path + kResumeRecordSuffix))
        return;
    if (LiesOnCacheDrive(path) && CacheDriveHasSpace(kInstalledFreeBytes))
        return;
    DeleteCachedFiles(recorded);
    WriteEntry(std::wstring(), section, std::wstring());
}

void VQCleanupDiskSpace::RecordInstalledFile(uint32_t gameId, const std::wstring& path) {
    if (path.empty()) return;
    CleanupEntry(path, gameId);
    if (FileExists(path)) StampEntry(gameId, path);
}

void VQCleanupDiskSpace::DeleteCachedFiles(const std::wstring& path) {
    // cache.ini lies where any user process can write it: what it names is
    // taken only inside the download folder, and only as a download's files.
    const std::wstring cacheDir = m_source.cacheDir();
    if (cacheDir.empty() || !IsPathBelow(path, cacheDir))
        return;
    // The names are formed from the resolved path, so that no "." or ".."
    // in the record leads them elsewhere.
    const std::wstring full = NormalInstallPath(path);
    const std::wstring extension = GetFileExtension(full);
    if (SameText(extension, kFinishedSetupSuffix) || SameText(extension, kFinishedPackageSuffix)) {
        DeleteIfFile(full);
        return;
    }
    // Anything else stands for a download's resume record: the pair of
    // files "<name>.vqt" and "<name>.vql", and for a record "<target>.vql"
    // the finished target when it is a setup program or a package.
    std::wstring stem = full.substr(0, full.size() - extension.size());
    DeleteIfFile(stem + kDataFileSuffix);
    DeleteIfFile(stem + kResumeRecordSuffix);
    if (SameText(extension, kResumeRecordSuffix)) {
        const std::wstring targetExtension = GetFileExtension(stem);
        if (SameText(targetExtension, kFinishedSetupSuffix) || SameText(targetExtension, kFinishedPackageSuffix))
            DeleteIfFile(stem);
    }
}

void VQCleanupDiskSpace::CleanupOldFiles() {
    std::wstring iniPath = m_source.iniPath();
    if (iniPath.empty() || !FileExists(iniPath))
        return;
    IniFile ini(iniPath);
    std::vector<std::wstring> sections;
    ini.ListSections(sections);
    const std::wstring cacheDir = m_source.cacheDir();
    const int64_t now = m_source.now();
    for (const std::wstring& section : sections) {
        uint32_t gameId = 0;
        if (!ParseGameSection(section, gameId))
            continue;
        std::vector<std::wstring> keys;
        std::vector<std::wstring> values;
        // A section holding anything else than its two keys is not ours.
        if (ini.ReadSection(section, keys, values) != 2)
            continue;
        std::wstring path;
        std::wstring time;
        for (size_t i = 0; i < keys.size(); ++i) {
            if (SameText(keys[i], kCachePathKey))
                path = values[i];
            else if (SameText(keys[i], kCacheTimeKey))
                time = values[i];
        }
        if (path.empty() || time.empty())
            continue;
        bool otherDrive = !cacheDir.empty() && ToUpperChar(path[0]) != ToUpperChar(cacheDir[0]);
        bool old = now - ParseTime(time) > kMaxCacheAge;
        if (!otherDrive && !old)
            continue;
        // A download tile still needs its files in every state (a failed
        // one resumes from them); so does any game waiting or downloading.
        bool keep = false;
        for (const boost::shared_ptr<VQGameStatusInfo>& status : m_status) {
            if (status->gameId == gameId && (status->download || (status->state != 1 && status->state != 2)))
                keep = true;
        }
        if (keep)
            continue;
        DeleteCachedFiles(path);
        WriteEntry(std::wstring(), section, std::wstring());
    }
}

VQCleanupDiskSpace& GetDownloadCache() {
    static VQCleanupDiskSpace cache;
    return cache;
}

}  // namespace Tessar
