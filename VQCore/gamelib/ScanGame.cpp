#include "VQCore/gamelib/ScanGame.h"

#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/GameId.h"
#include "common/DriveUtil.h"
#include "common/FormatText.h"
#include "common/PathText.h"
#include "common/ShellFolders.h"
#include "common/TempFile.h"
#include "common/TextUtil.h"

#include <memory>

namespace Tessar {

namespace {

std::wstring WithoutTrailingSeparators(const std::wstring& path) {
    std::wstring text = NormalizeText(path, kNormalizeBackslashes);
    TrimRightChars(text, kPathSeparators);
    return text;
}

std::wstring WithTrailingBackslash(const std::wstring& path) {
    return WithoutTrailingSeparators(path) + L'\\';
}

// One path is the other or lies below it: case-insensitive over the
// shorter length, and the longer one goes on with a separator there (so
// "C:\Fav" and "C:\Favorites" do not agree).
bool PathsAgree(const std::wstring& a, const std::wstring& b) {
    std::wstring x = WithoutTrailingSeparators(a);
    std::wstring y = WithoutTrailingSeparators(b);
    if (x.empty() || y.empty() || PrefixCompareNoCase(x, y) != 0)
        return false;
    const std::wstring& longer = x.size() < y.size() ? y : x;
    size_t shorter = x.size() < y.size() ? x.size() : y.size();
    return longer.size() == shorter || longer[shorter] == L'\\';
}

std::wstring WindowsFolder() {
    std::wstring folder;
    return GetWindowsFolder(folder) ? folder : std::wstring();
}

}  // namespace

VQScanGame::VQScanGame(VQDatabaseXmlFile** databaseSlot, const VQGameTileFactory& tileFactory)
    : m_databaseSlot(databaseSlot), m_tileFactory(tileFactory), m_listDrives(&ListLogicalDrives) {}

VQScanGame::~VQScanGame() {
    Stop();
    Wait();
    m_thread.reset();
}

bool VQScanGame::Start(uint32_t mode, VQScanGameCallback* callback, const std::wstring& startPath) {
    if (m_thread) {
        HANDLE handle = m_thread->GetHandle();
        if (handle != INVALID_HANDLE_VALUE && ::WaitForSingleObject(handle, 0) == WAIT_TIMEOUT)
            return false;
        m_thread->Wait();
        m_thread.reset();
    }
    m_filesSeen = 0;
    m_stopRequested = false;
    m_pauseRequested = false;
    m_stopEvent.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_runEvent.Reset(::CreateEventW(nullptr, TRUE, TRUE, nullptr));
    if (!m_stopEvent.IsValid() || !m_runEvent.IsValid())
        return false;
    m_block.mode = mode;
    m_block.startPath = startPath;
    m_block.databaseSlot = m_databaseSlot;
    m_block.scan = this;
    m_block.callback = callback;
    m_thread.reset(new VQThread(&VQScanGame::ScanDrives, &m_block));
    if (!m_thread->Start()) {
        m_thread.reset();
        return false;
    }
    return true;
}

void VQScanGame::Pause() {
    m_pauseRequested = true;
    if (m_runEvent.IsValid())
        ::ResetEvent(m_runEvent.Get());
}

void VQScanGame::Resume() {
    m_pauseRequested = false;
    if (m_runEvent.IsValid())
        ::SetEvent(m_runEvent.Get());
}

void VQScanGame::Stop() {
    m_stopRequested = true;
    if (m_stopEvent.IsValid())
        ::SetEvent(m_stopEvent.Get());
    // A paused walk waits on the run event and must wake to see the stop.
    if (m_runEvent.IsValid())
        ::SetEvent(m_runEvent.Get());
}

void VQScanGame::Wait() {
    if (m_thread)
        m_thread->Wait();
}

bool VQScanGame::WaitUpTo(DWORD milliseconds) {
    return !m_thread || m_thread->WaitUpTo(milliseconds);
}

void VQScanGame::ScanDrives(void* block) {
    static_cast<ThreadBlock*>(block)->scan->RunScan();
}

void VQScanGame::RunScan() {
    VQDatabaseXmlFile** slot = m_block.databaseSlot;
    VQDatabaseXmlFile* ownDatabase = nullptr;
    VQDatabaseXmlFile* noSlot = nullptr;
    if (slot == nullptr)
        slot = &noSlot;
    bool loaded = true;
    if (*slot == nullptr) {
        ownDatabase = new VQDatabaseXmlFile(GetDatabasePath());
        *slot = ownDatabase;
        if (!ownDatabase->Load()) {
            delete ownDatabase;
            ownDatabase = nullptr;
            *slot = nullptr;
            loaded = false;
        }
    }
    m_block.databaseSlot = slot;

    std::vector<std::wstring> roots;
    if (loaded && BuildScanRoots(m_block.startPath, roots, m_block.mode) && !roots.empty()) {
        VQFileFinder finder(this, BuildExclusionList(m_block.mode, m_block.startPath));
        size_t count = roots.size();
        for (size_t i = 0; i < count; ++i) {
            if (PathExists(roots[i]) && !finder.Enum(roots[i]))
                break;
            if (m_block.callback != nullptr)
                m_block.callback->OnProgress(static_cast<uint32_t>(100 * (i + 1) / count));
        }
    }

    if (ownDatabase != nullptr) {
        delete ownDatabase;
        *slot = nullptr;
    }
    m_block.databaseSlot = m_databaseSlot;
    if (m_block.callback != nullptr)
        m_block.callback->OnFinished();
}

const VQDatabaseXmlFile* VQScanGame::Database() const {
    // While a scan runs the thread block's slot is the one in use (the
    // owner's, or the scan's own when the owner gave none).
    VQDatabaseXmlFile** slot = m_block.databaseSlot != nullptr ? m_block.databaseSlot : m_databaseSlot;
    return slot != nullptr ? *slot : nullptr;
}

bool VQScanGame::BuildScanRoots(const std::wstring& startPath, std::vector<std::wstring>& roots,
                                uint32_t mode) const {
    roots.clear();
    if (mode < kScanShortcutFolders || mode > kScanStartPath)
        return false;
    if (mode == kScanStartPath) {
        roots.push_back(startPath);
        return true;
    }
    std::vector<std::wstring> drives;
    if (mode == kScanAllDrives) {
        if (m_listDrives)
            m_listDrives(drives);
        roots = drives;
        return true;
    }
    const std::wstring shortcutFolders[] = {
        GetDesktopFolder(),      GetCommonDesktopFolder(),   GetQuickLaunchFolder(),
        GetCommonQuickLaunchFolder(), GetProgramsMenuFolder(), GetCommonProgramsMenuFolder(),
    };
    for (const std::wstring& folder : shortcutFolders) {
        if (!folder.empty())
            roots.push_back(folder);
    }
    if (mode == kScanGameFolders && m_listDrives && m_listDrives(drives)) {
        for (const std::wstring& drive : drives) {
            std::wstring root = WithTrailingBackslash(drive);
            for (const wchar_t* below : {L"ZelmorGames\\Games", L"Games"}) {
                if (FolderExists(root + below))
                    roots.push_back(root + below);
            }
        }
    }
    return true;
}

std::wstring VQScanGame::BuildExclusionList(uint32_t mode, const std::wstring& startPath) const {
    std::wstring list;
    const std::wstring specialFolders[] = {
        WindowsFolder(), GetLocalSettingsFolder(), GetCookiesFolder(), GetRecentFolder(), GetFavoritesFolder(),
    };
    for (const std::wstring& folder : specialFolders) {
        if (folder.empty())
            continue;
        // A start path inside a special folder is still walked.
        if (mode == kScanStartPath && PathsAgree(folder, startPath))
            continue;
        list += WithoutTrailingSeparators(folder) + L';';
    }
    std::vector<std::wstring> drives;
    if (m_listDrives && m_listDrives(drives)) {
        for (const std::wstring& drive : drives) {
            std::wstring root = WithTrailingBackslash(drive);
            list += root + L"RECYCLER;";
            list += root + L"System Volume Information;";
        }
    }
    return list;
}

int32_t VQScanGame::ShouldStop() {
    if (m_stopRequested.load())
        return 1;
    if (m_pauseRequested.load() && m_runEvent.IsValid())
        ::WaitForSingleObject(m_runEvent.Get(), INFINITE);
    return m_stopRequested.load() ? 1 : 0;
}

int32_t VQScanGame::OnDirectory(const std::wstring& folder) {
    if (m_block.callback != nullptr)
        m_block.callback->OnDirectory(folder);
    return 0;
}

int32_t VQScanGame::OnFile(const std::wstring& name, const std::wstring& folder) {
    ++m_filesSeen;
    if (m_block.callback != nullptr)
        m_block.callback->OnFileCount(m_filesSeen);

    // Most files are neither programs, shortcuts nor .ini files: no path
    // text is made for them.
    bool isIni = HasExtension(name, kIniExtension);
    if (!isIni && !HasExtension(name, kProgramExtension) && !HasExtension(name, kShortcutExtension))
        return 0;
    std::wstring target, arguments, workingFolder;
    if (!ClassifyFile(CombinePath(folder, name), target, arguments, workingFolder))
        return 0;
    const VQGameRecord* record = MatchFlashGameFolder(name, folder);
    // An .ini file only ever names a Flash game; programs are matched by
    // their hash, name and version texts.
    if (record == nullptr && !isIni)
        record = MatchKnownGame(target);
    if (record == nullptr)
        return 0;
    return ReportGame(*record, name, folder, target, arguments, workingFolder) ? 0 : 1;
}

bool VQScanGame::ReportGame(const VQGameRecord& record, const std::wstring& fileName, const std::wstring& folder,
                            const std::wstring& target, const std::wstring& arguments,
                            const std::wstring& workingFolder) {
    std::unique_ptr<IGameTile> tile;
    if (m_tileFactory)
        tile = m_tileFactory();
    if (!tile)
        return false;
    tile->SetState(kTileInstalled);
    tile->SetGameId(record.ID);
    tile->SetFromRecord(record);
    tile->SetUninstallKey(record.UninstallKey);
    tile->SetStatus(record.Status);
    if (IsFlashGameId(record.ID)) {
        tile->SetFullPath(GetFlashPlayerPath());
        tile->SetRunArg(CombinePath(folder, fileName));
        tile->SetWorkingDir(std::wstring());
    } else {
        tile->SetFullPath(target);
        tile->SetRunArg(arguments);
        tile->SetWorkingDir(workingFolder);
    }
    std::wstring iconPath = GetGameIconPath(record.ID);
    bool iconMissing = !FileExists(iconPath);
    if (iconMissing) {
        tile->SetImage(FormatString(L"res='%d' restype='PNG'", kDefaultGamePictureId));
    } else {
        tile->SetImage(L"file='" + iconPath + L"' encrypt='true'");
    }
    if (m_block.callback != nullptr)
        m_block.callback->OnGameFound(std::move(tile), iconMissing);
    return true;
}

}  // namespace Tessar
