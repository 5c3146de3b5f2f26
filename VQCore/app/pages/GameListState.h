#pragma once
// The start-up filling of the main window's pages: tiles for the installed
// games, the quick strip, the unfinished downloads, the hot list and the
// five kind pages, built from the list files, the catalogue and the
// recommendation lists; and the installed and download lists written back
// from the tiles. The tiles made here are handed to the window's pages,
// which own them; the lists below own nothing.

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "VQCore/app/pages/RecommendXmlFile.h"
#include "VQCore/gamelib/ListFileAside.h"

namespace Tessar {

class VQDatabaseXmlFile;
class VQDownloadQueue;
class VQDownloadTask;
struct VQGameDownloadInfo;
class VQGameIcon;
class VQListSaver;
struct VQGameRecord;

typedef std::vector<VQGameIcon*> VQTileList;

// Where the loaders read; empty texts mean the program's data folder.
struct VQGameListPaths {
    std::wstring installList;
    std::wstring downloadList;
    std::wstring advertList;
    std::wstring hotList;
};

class VQGameListState {
public:
    enum ListIndex {
        MissingIconList = 0,
        InstalledList = 1,
        QuickList = 2,
        DownloadList = 3,
        HotList = 4,
        FirstKindList = 5,  // kinds 1-5 in 5-9
        ListCount = 10,
    };
    static const size_t kQuickStripSize = 8;

    VQGameListState();
    // Stores the catalogue, empties the lists and lists the picture folder.
    void Init(const VQDatabaseXmlFile* database);
    // Forgets the lists, not the tiles.
    void Clear();
    void SetPaths(const VQGameListPaths& paths) { m_paths = paths; }
    // Whether a desktop shortcut exists for a game (the installed tiles
    // carry the answer); by default the shared folder's link.ini is asked
    // (HasShortcutRecord).
    void SetShortcutProbe(std::function<bool(uint32_t)> probe) { m_hasShortcut = std::move(probe); }
    // Queues a downloaded game's install; without it the tile waits for
    // the user.
    void SetInstallPush(std::function<void(VQGameIcon*)> push) { m_pushInstall = std::move(push); }
    // Makes the download task of an unfinished download (an HTTP or
    // peer-to-peer task by the record's Type by default).
    typedef std::function<VQDownloadTask*(const VQGameDownloadInfo&, const std::wstring& folder)> TaskFactory;
    void SetTaskFactory(TaskFactory factory) { m_makeTask = std::move(factory); }
    // The AutoStartUndone setting (read from the settings by default).
    void SetAutoStartUndone(bool on) { m_autoStartSet = true; m_autoStart = on; }

    // A list file that exists but does not load is set aside (never
    // written over); UnreadableLists tells which, and where it went.
    bool LoadInstalledIcons();
    bool LoadDownloadIcons(VQDownloadQueue* queue);
    bool LoadAdvertIcons();
    // The catalogue's tiles of the kind pages after their advert tiles: one
    // per published game of the kind (newly published ones only when
    // subset is set) not advertised already, tools of type 4 left out.
    bool LoadRecommendIcons(bool subset);
    // The same tiles made at most budget at a time, so that a caller on the
    // UI thread can spread 10000 of them over many frames: true while
    // games are left (call again with the same subset).
    bool LoadRecommendIconsStep(bool subset, size_t budget);
    bool LoadHotIcons();

    VQTileList GetMissingIconIds() const { return m_lists[MissingIconList]; }
    VQTileList GetInstalledIds() const { return m_lists[InstalledList]; }
    VQTileList GetQuickIds() const { return m_lists[QuickList]; }
    VQTileList GetDownloadIds() const { return m_lists[DownloadList]; }
    VQTileList GetHotIds() const { return m_lists[HotList]; }
    VQTileList GetSingleGameIds() const { return m_lists[FirstKindList]; }
    VQTileList GetOnlineGameIds() const { return m_lists[FirstKindList + 1]; }
    VQTileList GetFlashGameIds() const { return m_lists[FirstKindList + 2]; }
    VQTileList GetWebGameIds() const { return m_lists[FirstKindList + 3]; }
    VQTileList GetToolIds() const { return m_lists[FirstKindList + 4]; }
    uint32_t GetNextCustomId() const { return m_nextCustomId; }
    // The list files (InstalledList, DownloadList) that existed but did not load.
    struct UnreadableList {
        ListIndex list;
        VQListAside aside;
    };
    const std::vector<UnreadableList>& UnreadableLists() const { return m_unreadable; }
    // Deletes every tile of every list once (for callers that keep none).
    void DeleteTiles();

    // Copies a catalogue entry into a tile and gives it its picture; a
    // game without a picture file joins the missing-icon list.
    void FillIconFromEntry(const VQGameRecord& entry, VQGameIcon* tile);

private:
    // The kind page's tile of the game, unless one of its first advertCount
    // tiles (its advert tiles) is that game.
    void AddKindTile(int kind, uint32_t id, size_t advertCount, bool skipToolType4);
    void TopUpQuickStrip(VQGameIcon* tool);
    // A not-installed tile of a catalogue game, as the kind, advert and hot
    // pages show it; null when out of memory.
    VQGameIcon* NewCatalogueTile(const VQGameRecord& entry);
    // The catalogue's record of a game id, when the game is published.
    const VQGameRecord* PublishedEntry(int32_t id) const;
    bool AutoStartUndone() const;

    // Where LoadRecommendIconsStep goes on.
    struct RecommendCursor {
        bool started = false;
        int kind = 0;
        size_t next = 0;
        size_t advertCounts[VQRecommendXmlFile::kKindLists] = {};
    };
    RecommendCursor m_recommend;
    void NoteUnreadable(ListIndex list, const std::wstring& path);

    // Which games have a picture file: the picture folder is listed once by
    // Init instead of asking for each of thousands of games.
    std::set<uint32_t> m_pictures;
    const VQDatabaseXmlFile* m_database = nullptr;
    uint32_t m_nextCustomId = 90001;
    VQTileList m_lists[ListCount];
    VQGameListPaths m_paths;
    std::vector<UnreadableList> m_unreadable;
    std::function<bool(uint32_t)> m_hasShortcut;
    std::function<void(VQGameIcon*)> m_pushInstall;
    TaskFactory m_makeTask;
    bool m_autoStartSet = false;
    bool m_autoStart = false;
};

// Renumbers the custom games densely, then writes the installed tiles
// (state 1) of both lists to the installed list file. A renumbered game's
// desktop shortcut is made again for its new id (the old one and its record
// removed), or goes through `renameShortcut` (old id, tile) when given.
bool SaveInstalledList(const VQTileList& installed, const VQTileList& quick, const std::wstring& path = std::wstring(),
                       std::function<void(uint32_t, VQGameIcon*)> renameShortcut = nullptr);
// Writes the tiles in states 2-6 to the download list file.
bool SaveDownloadList(const VQTileList& downloads, const std::wstring& path = std::wstring());
// The same two files written by the saver's thread: the renumbering and
// the records are done now, on the caller's thread.
void PostInstalledList(VQListSaver& saver, const VQTileList& installed, const VQTileList& quick);
void PostDownloadList(VQListSaver& saver, const VQTileList& downloads);

}  // namespace Tessar
