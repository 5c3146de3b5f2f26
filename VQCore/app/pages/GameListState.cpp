#include "VQCore/app/pages/GameListState.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <new>

#include "VQCore/app/operations/DownloadTasks.h"
#include "VQCore/app/operations/DesktopShortcut.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/ListSaver.h"
#include "VQCore/app/pages/RecommendXmlFile.h"
#include "VQCore/download/BTTask.h"
#include "VQCore/download/DownloadQueue.h"
#include "VQCore/download/HttpTask.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/InstalledXmlFile.h"
#include "VQCore/gamelib/DownloadXmlFile.h"
#include "VQCore/gamelib/Settings.h"
#include "common/DriveUtil.h"
#include "common/FileFinder.h"
#include "common/FormatText.h"
#include "common/PathText.h"

namespace Tessar {

namespace {

std::wstring OrDefault(const std::wstring& path, std::wstring (*builder)()) {
    return path.empty() ? builder() : path;
}

bool Contains(const VQTileList& list, uint32_t id) {
    return std::any_of(list.begin(), list.end(), [id](const VQGameIcon* tile) { return tile->GetGameId() == id; });
}

std::wstring CustomIconDescription(uint32_t id) {
    const std::wstring path = GetGameIconPath(id);
    if (FileExists(path)) return L"file='" + path + L"' icon='true' dest='30,15,62,47'";
    // The built-in picture on its own: a picture text inside a file name
    // would never draw.
    return FormatString(L"res='%d' restype='PNG' dest='22,7,70,55'", static_cast<int>(PicDefaultGame));
}

uint32_t TileStateOfTask(uint32_t taskState) {
    switch (taskState) {
    case kTaskWaiting: return kTileWaiting;
    case kTaskRunning: return kTileDownloading;
    case kTaskFinished: return kTileDownloaded;
    case kTaskStopped: return kTilePaused;
    case kTaskFailed: return kTileNotInstalled;
    default: return 0;
    }
}

uint32_t TaskStateOfTile(int tileState) {
    switch (tileState) {
    case kTileWaiting: return kTaskWaiting;
    case kTileDownloading: return kTaskRunning;
    case kTileDownloaded: return kTaskFinished;
    case kTilePaused: return kTaskStopped;
    case kTileNotInstalled: return kTaskFailed;
    default: return 0;
    }
}

}  // namespace

VQGameListState::VQGameListState() {}

void VQGameListState::Init(const VQDatabaseXmlFile* database) {
    m_database = database;
    m_nextCustomId = kFirstCustomGameId;
    for (VQTileList& list : m_lists) list.clear();
    m_unreadable.clear();
    m_pictures.clear();
    std::wstring folder, separator, name;
    SplitFolderAndName(GetGameIconPath(0), folder, separator, name);
    FindFileIterator finder;
    FindFileEntry entry;
    for (bool found = finder.First(CombinePath(folder, L"*.vqp"), entry); found; found = finder.Next(entry)) {
        if (entry.IsFolder()) continue;
        const uint32_t id = static_cast<uint32_t>(wcstoul(entry.name.c_str(), nullptr, 10));
        // Only a name the program itself would give the game's picture.
        if (_wcsicmp(GetFileName(GetGameIconPath(id)).c_str(), entry.name.c_str()) == 0) m_pictures.insert(id);
    }
}

void VQGameListState::Clear() {
    for (VQTileList& list : m_lists) VQTileList().swap(list);
}

void VQGameListState::DeleteTiles() {
    VQTileList all;
    for (VQTileList& list : m_lists)
        for (VQGameIcon* tile : list)
            if (std::find(all.begin(), all.end(), tile) == all.end()) all.push_back(tile);
    // The missing-icon list shares its tiles with the others.
    for (VQGameIcon* tile : all) delete tile;
    Clear();
}

bool VQGameListState::AutoStartUndone() const {
    return m_autoStartSet ? m_autoStart : VQSettings::Instance().GetBool(L"AutoStartUndone");
}

void VQGameListState::FillIconFromEntry(const VQGameRecord& entry, VQGameIcon* tile) {
    tile->SetFromRecord(entry);
    if (m_pictures.count(entry.ID)) {
        tile->SetImage(L"file='" + GetGameIconPath(entry.ID) + L"' encrypt='true'");
        return;
    }
    tile->SetImage(FormatString(L"res='%d' restype='PNG'", static_cast<int>(PicDefaultGame)));
    if (!Contains(m_lists[MissingIconList], entry.ID)) m_lists[MissingIconList].push_back(tile);
}

void VQGameListState::NoteUnreadable(ListIndex list, const std::wstring& path) {
    UnreadableList unreadable{list, VQListAside()};
    if (SetUnreadableListAside(path, unreadable.aside)) m_unreadable.push_back(unreadable);
}

bool VQGameListState::LoadInstalledIcons() {
    VQInstalledXmlFile file;
    const std::wstring path = OrDefault(m_paths.installList, GetInstallListPath);
    if (!file.LoadFile(path)) {
        file.Close();  // lets go of the file before it is moved
        NoteUnreadable(InstalledList, path);
        return false;
    }
    for (int pass = 0; pass < 2; ++pass) {
        const VQInstalledXmlFile::Records& records = pass == 0 ? file.GetCommonRecords() : file.GetQuickRecords();
        for (const VQInstalledXmlFile::Record& record : records) {
            if (!record) continue;
            const VQGameRecord* entry = m_database ? m_database->FindById(record->ID) : nullptr;
            const bool custom = !entry && IsCustomGameId(record->ID);
            if (!entry && !custom) continue;
            VQGameIcon* tile = new (std::nothrow) VQGameIcon();
            if (!tile) continue;
            tile->SetState(kTileInstalled);
            VQGameIconData& data = tile->Data();
            data.runProgram = record->FullPath;
            data.runArguments = record->RunArg;
            data.workingFolder = record->WorkingDir;
            data.installTime = record->SetupTime;
            data.uninstallDigest = record->UninstallDigest;
            data.lastRunTime = record->LastRunTime;
            data.runCount = record->RunCount;
            if (entry) {
                data.setupFolder = record->SetupDir;
                data.createdFolder = record->CreatedDir;
                data.registered = record->Registered != 0;
                FillIconFromEntry(*entry, tile);
                tile->SetState(kTileInstalled);
                const bool toQuick = pass == 1 && m_lists[QuickList].size() < kQuickStripSize;
                m_lists[toQuick ? QuickList : InstalledList].push_back(tile);
            } else {
                data.gameId = record->ID;
                tile->SetText(record->Name);
                tile->SetImage(CustomIconDescription(record->ID));
                m_lists[InstalledList].push_back(tile);
                if (record->ID >= m_nextCustomId) m_nextCustomId = record->ID + 1;
            }
            // A desktop shortcut made in an earlier run: its tile offers to
            // remove it, and removing the game takes it along.
            if (m_hasShortcut ? m_hasShortcut(record->ID) : HasShortcutRecord(record->ID)) data.operationFlag2 = 1;
        }
    }
    return true;
}

bool VQGameListState::LoadDownloadIcons(VQDownloadQueue* queue) {
    VQDownloadXmlFile file;
    const std::wstring path = OrDefault(m_paths.downloadList, GetDownloadListPath);
    if (!file.LoadFile(path)) {
        file.Close();  // lets go of the file before it is moved
        NoteUnreadable(DownloadList, path);
        return false;
    }
    const bool autoStart = AutoStartUndone();
    const std::wstring folder = GetDownloadFolder();
    for (const VQDownloadXmlFile::Record& record : file.GetRecords()) {
        if (!record) continue;
        const VQGameRecord* entry = m_database ? m_database->FindById(record->ID) : nullptr;
        if (!entry) continue;
        VQGameIcon* tile = new (std::nothrow) VQGameIcon();
        if (!tile) continue;
        FillIconFromEntry(*entry, tile);
        VQGameIconData& data = tile->Data();
        data.completedBytes = record->Completed;
        data.totalBytes = record->Total;
        data.logPath = record->LogPath;
        uint32_t state = TileStateOfTask(record->State);
        if (record->State != kTaskFinished) {
            data.downloadUrl = record->URL;
            VQDownloadTask* task = nullptr;
            if (m_makeTask) task = m_makeTask(*record, folder);
            else if (record->Type == kBTTaskKind) task = new (std::nothrow) VQBTTask(record->ID, folder, record->LogPath);
            else task = new (std::nothrow) VQHttpTask(record->ID, folder, record->LogPath);
            if (task) {
                tile->SetDownloadTask(task);
                if (queue) queue->Add(task);
            }
        } else {
            data.setupPath = record->SetupPath;
        }
        if (state == kTileDownloading) {
            VQDownloadTask* task = tile->GetDownloadTask();
            if (autoStart && queue && task) {
                if (!queue->StartNext(task)) state = task->GetState() == kTaskWaiting ? kTileWaiting : kTileNotInstalled;
                if (task->GetState() == kTaskFailed) state = kTileNotInstalled;
            } else {
                state = kTilePaused;
            }
        }
        tile->SetState(state);
        m_lists[DownloadList].push_back(tile);
    }
    for (VQGameIcon* tile : m_lists[DownloadList]) {
        const int state = tile->GetState();
        VQDownloadTask* task = tile->GetDownloadTask();
        if (state == kTileDownloaded) {
            if (autoStart && m_pushInstall) {
                m_pushInstall(tile);
            } else {
                tile->Data().listFlag = 1;
                tile->SetState(kTileDownloaded);
            }
        } else if ((state == kTileWaiting || state == kTilePaused) && autoStart) {
            if (!task || !queue) continue;
            if (queue->RunningCount() >= queue->GetRunningLimit()) {
                task->SetState(kTaskWaiting);
                tile->SetState(kTileWaiting);
            } else if (task->Start()) {
                tile->SetState(kTileDownloading);
            } else {
                tile->SetState(task->GetState() == kTaskWaiting ? kTileWaiting : kTileNotInstalled);
            }
        } else if (state == kTileWaiting) {
            tile->SetState(kTilePaused);
        }
    }
    return true;
}

void VQGameListState::TopUpQuickStrip(VQGameIcon* tool) {
    VQTileList& quick = m_lists[QuickList];
    if (quick.size() >= kQuickStripSize || Contains(quick, tool->GetGameId())) return;
    VQGameIcon* copy = new (std::nothrow) VQGameIcon();
    if (!copy) return;
    copy->CopyFrom(*tool);
    quick.push_back(copy);
}

VQGameIcon* VQGameListState::NewCatalogueTile(const VQGameRecord& entry) {
    VQGameIcon* tile = new (std::nothrow) VQGameIcon();
    if (!tile) return nullptr;
    tile->SetState(kTileNotInstalled);
    FillIconFromEntry(entry, tile);
    tile->SetState(kTileNotInstalled);
    return tile;
}

const VQGameRecord* VQGameListState::PublishedEntry(int32_t id) const {
    const VQGameRecord* entry = m_database ? m_database->FindById(static_cast<uint32_t>(id)) : nullptr;
    return entry && entry->Publish ? entry : nullptr;
}

bool VQGameListState::LoadAdvertIcons() {
    VQRecommendXmlFile file(OrDefault(m_paths.advertList, GetAdvertListPath), VQRecommendXmlFile::AdvertList);
    if (!file.Load()) return false;
    for (int kind = 0; kind < VQRecommendXmlFile::kKindLists; ++kind) {
        for (int32_t id : file.GetList(kind)) {
            const VQGameRecord* entry = PublishedEntry(id);
            VQGameIcon* tile = entry ? NewCatalogueTile(*entry) : nullptr;
            if (!tile) continue;
            m_lists[FirstKindList + kind].push_back(tile);
            if (kind == 4) TopUpQuickStrip(tile);
        }
    }
    return true;
}

void VQGameListState::AddKindTile(int kind, uint32_t id, size_t advertCount, bool skipToolType4) {
    VQTileList& page = m_lists[FirstKindList + kind];
    for (size_t i = 0; i < advertCount && i < page.size(); ++i)
        if (page[i]->GetGameId() == id) return;
    const VQGameRecord* entry = m_database ? m_database->FindById(id) : nullptr;
    if (!entry) return;
    if (skipToolType4 && IsToolGameId(id) && entry->Type == 4) return;
    VQGameIcon* tile = NewCatalogueTile(*entry);
    if (!tile) return;
    page.push_back(tile);
    if (kind == 4) TopUpQuickStrip(tile);
}

bool VQGameListState::LoadRecommendIcons(bool subset) {
    if (!m_database) return false;
    while (LoadRecommendIconsStep(subset, SIZE_MAX)) {
    }
    return true;
}

bool VQGameListState::LoadRecommendIconsStep(bool subset, size_t budget) {
    if (!m_database) return false;
    RecommendCursor& at = m_recommend;
    if (!at.started) {
        at = RecommendCursor();
        at.started = true;
        for (int kind = 0; kind < VQRecommendXmlFile::kKindLists; ++kind)
            at.advertCounts[kind] = m_lists[FirstKindList + kind].size();
    }
    for (; at.kind < VQRecommendXmlFile::kKindLists; ++at.kind, at.next = 0) {
        const uint32_t index = (subset ? VQDatabaseXmlFile::kNewSingleList : VQDatabaseXmlFile::kPublishedSingleList) + at.kind;
        const VQDatabaseXmlFile::IdList& source = m_database->GetIdList(index);
        for (; at.next < source.size(); ++at.next) {
            if (budget == 0) return true;
            --budget;
            AddKindTile(at.kind, source[at.next], at.advertCounts[at.kind], true);
        }
    }
    at.started = false;
    return false;
}

bool VQGameListState::LoadHotIcons() {
    VQRecommendXmlFile file(OrDefault(m_paths.hotList, GetHotListPath), VQRecommendXmlFile::HotList);
    if (!file.Load()) return false;
    for (int kind = 0; kind < VQRecommendXmlFile::kKindLists; ++kind) {
        for (int32_t id : file.GetList(kind)) {
            const VQGameRecord* entry = PublishedEntry(id);
            VQGameIcon* tile = entry ? NewCatalogueTile(*entry) : nullptr;
            if (!tile) continue;
            m_lists[HotList].push_back(tile);
        }
    }
    return true;
}

// Keeps the ids of the games the user added dense: a game whose id lies
// past the count takes the lowest free id, with its picture file.
static void RenumberCustomGames(const VQTileList& installed, std::function<void(uint32_t, VQGameIcon*)>& renameShortcut) {
    std::vector<VQGameIcon*> custom;
    for (VQGameIcon* tile : installed)
        if (IsCustomGameId(tile->GetGameId())) custom.push_back(tile);
    std::sort(custom.begin(), custom.end(),
              [](const VQGameIcon* a, const VQGameIcon* b) { return a->GetGameId() < b->GetGameId(); });
    const uint32_t n = static_cast<uint32_t>(custom.size());
    auto used = [&custom](uint32_t id) {
        return std::any_of(custom.begin(), custom.end(), [id](const VQGameIcon* t) { return t->GetGameId() == id; });
    };
    for (VQGameIcon* tile : custom) {
        const uint32_t oldId = tile->GetGameId();
        if (oldId < kFirstCustomGameId + n) continue;
        uint32_t newId = 0;
        for (uint32_t id = kFirstCustomGameId; id < kLastCustomGameId && newId == 0; ++id)
            if (!used(id)) newId = id;
        if (newId == 0) continue;
        const std::wstring oldPath = GetGameIconPath(oldId), newPath = GetGameIconPath(newId);
        if (FileExists(newPath)) DeleteFileW(newPath.c_str());
        MoveFileW(oldPath.c_str(), newPath.c_str());
        tile->SetGameId(newId);
        tile->SetImage(L"file='" + newPath + L"' icon='true' dest='30,15,62,47'");
        if (!tile->Data().operationFlag2) continue;
        if (renameShortcut) {
            renameShortcut(oldId, tile);
        } else {
            // The old shortcut starts the old id: it goes, and one for the
            // new id takes its place.
            RemoveShortcutRecord(oldId);
            if (!CreateDesktopShortcut(tile)) tile->Data().operationFlag2 = 0;
        }
    }
}

namespace {

// The installed tiles (state 1) of both lists as the list file's records.
void MakeInstalledRecords(const VQTileList& installed, const VQTileList& quick,
                          VQInstalledXmlFile::Records (&records)[2]) {
    const VQTileList* lists[2] = {&installed, &quick};
    for (int i = 0; i < 2; ++i) {
        for (const VQGameIcon* tile : *lists[i]) {
            if (tile->GetState() != kTileInstalled) continue;
            VQInstalledXmlFile::Record record(new VQGameInstalledInfo());
            const VQGameIconData& data = tile->Data();
            record->ID = tile->GetGameId();
            record->FullPath = data.runProgram;
            record->RunArg = data.runArguments;
            record->WorkingDir = data.workingFolder;
            record->SetupDir = data.setupFolder;
            record->CreatedDir = data.createdFolder;
            record->UninstallDigest = data.uninstallDigest;
            record->SetupTime = data.installTime;
            record->LastRunTime = data.lastRunTime;
            record->RunCount = data.runCount;
            record->Registered = data.registered ? 1 : 0;
            if (IsCustomGameId(tile->GetGameId())) record->Name = tile->GetText();
            records[i].push_back(record);
        }
    }
}

// The tiles in states 2-6 as the download list file's records.
VQDownloadXmlFile::Records MakeDownloadRecords(const VQTileList& downloads) {
    VQDownloadXmlFile::Records records;
    for (const VQGameIcon* tile : downloads) {
        const int state = tile->GetState();
        if (state < static_cast<int>(kTileNotInstalled) || state > static_cast<int>(kTileDownloaded)) continue;
        VQDownloadXmlFile::Record record(new VQGameDownloadInfo());
        const VQGameIconData& data = tile->Data();
        record->ID = tile->GetGameId();
        record->State = TaskStateOfTile(state);
        record->Completed = data.completedBytes;
        record->Total = data.totalBytes;
        record->Type = tile->GetDownloadTask() ? tile->GetDownloadTask()->GetKind() : 1;
        if (state == kTileDownloaded) record->SetupPath = data.setupPath;
        else record->LogPath = data.logPath;
        records.push_back(record);
    }
    return records;
}

}  // namespace

bool SaveInstalledList(const VQTileList& installed, const VQTileList& quick, const std::wstring& path,
                       std::function<void(uint32_t, VQGameIcon*)> renameShortcut) {
    RenumberCustomGames(installed, renameShortcut);
    VQInstalledXmlFile::Records records[2];
    MakeInstalledRecords(installed, quick, records);
    VQInstalledXmlFile file;
    file.SetRecords(records[0], records[1]);
    return file.Save(path.empty() ? GetInstallListPath() : path);
}

bool SaveDownloadList(const VQTileList& downloads, const std::wstring& path) {
    VQDownloadXmlFile file;
    file.SetRecords(MakeDownloadRecords(downloads));
    return file.Save(path.empty() ? GetDownloadListPath() : path);
}

void PostInstalledList(VQListSaver& saver, const VQTileList& installed, const VQTileList& quick) {
    // No hook: a renumbered game's desktop shortcut is made again for its new id.
    std::function<void(uint32_t, VQGameIcon*)> remakeShortcut;
    RenumberCustomGames(installed, remakeShortcut);
    VQInstalledXmlFile::Records records[2];
    MakeInstalledRecords(installed, quick, records);
    const std::wstring path = GetInstallListPath();
    VQInstalledXmlFile::Records common = std::move(records[0]), quickRecords = std::move(records[1]);
    saver.Post(path, [path, common, quickRecords] {
        VQInstalledXmlFile file;
        file.SetRecords(common, quickRecords);
        return file.Save(path);
    });
}

void PostDownloadList(VQListSaver& saver, const VQTileList& downloads) {
    const std::wstring path = GetDownloadListPath();
    VQDownloadXmlFile::Records records = MakeDownloadRecords(downloads);
    saver.Post(path, [path, records] {
        VQDownloadXmlFile file;
        file.SetRecords(records);
        return file.Save(path);
    });
}

}  // namespace Tessar
