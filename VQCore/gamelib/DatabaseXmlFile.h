#pragma once
// The catalogue: database.vqx in the data folder, one VQGameRecord per game
// id, enciphered behind a checksum head (common/ScrambledXmlFile.h). The
// plain text has three top-level elements:
//
//   <MD5>..</MD5> <VERSION>catalogue version</VERSION>
//   <DATABASE><GAME><ID>00042</ID><GameName>..</GameName>...</GAME>...</DATABASE>
//
// (fields: GameRecordFields.h). The update server's increments are plain
// XML with VERSION, ADD (GAME entries), REMOVE (children holding ids) and
// MODIFY (GAME entries: ID first, then the fields to change).
//
// Look-ups: by id, by executable MD5 (single-player games) and by
// executable name (online games and tools); records with the same key are
// chained through NextSameKey in the order they came. Ten id lists: 0-4
// the published games of kinds single-player, online, Flash, web, tools;
// 5-9 in the same order the games the last increment newly published.
//
// No locks: each user (UI thread, update job, disk scan) works on its own
// object on one thread.

#include "VQCore/gamelib/CatalogueText.h"
#include "VQCore/gamelib/GameRecord.h"
#include "VQCore/gamelib/GameRecordFields.h"
#include "common/XmlFile.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class TiXmlDocument;
class TiXmlElement;

namespace Tessar {

class VQXmlDocument;
struct VQRemoteFileInfo;

// A record read from an entry, before it is inserted.
struct VQNewGame {
    std::unique_ptr<VQGameRecord> record;
    bool publishSeen = false;  // the entry had a Publish element
};

// The loader reads the file's text with the plain reader and, when that
// declines, parses it with TinyXML; both give their entries to the same
// calls (CatalogueText.h), so the records are the same either way.
class VQDatabaseXmlFile : public VQXmlFile, private ICatalogueTextSink {
public:
    typedef std::map<uint32_t, std::unique_ptr<VQGameRecord>> GameMap;
    typedef std::map<std::wstring, VQGameRecord*> GameIndex;
    typedef std::vector<uint32_t> IdList;

    enum : uint32_t {
        kPublishedSingleList = 0,
        kPublishedOnlineList = 1,
        kPublishedFlashList = 2,
        kPublishedWebList = 3,
        kPublishedToolList = 4,
        // The kinds again, as newly published by the last increment.
        kNewSingleList = 5,
        kNewOnlineList = 6,
        kNewFlashList = 7,
        kNewWebList = 8,
        kNewToolList = 9,
        kIdListCount = 10,
    };

    explicit VQDatabaseXmlFile(const std::wstring& path);
    ~VQDatabaseXmlFile() override;

    // Reads, deciphers, checks and parses the file and builds the records,
    // indexes and lists. False, with no records, when the file is missing,
    // cannot be deciphered or does not parse; an odd field never fails it.
    bool Load() override;
    // Drops the documents, records and indexes; the ten lists stay.
    void Close() override;

    // Reads the GAME children of the top-level element named section
    // ("DATABASE", "ADD" or "MODIFY") of the document. Numbers are read from
    // their leading digits (VQCore/gamelib/GameRecordFields.h).
    void ParseGames(const TiXmlDocument* document, const char* section);
    // The update document's ADD, MODIFY and REMOVE.
    void AddGames();
    void ModifyGames();
    void RemoveGames(const TiXmlElement* remove);

    // Brings the catalogue up to date: asks the server with the request
    // (the caller's update address) followed by "&ver=" and VERSION, then
    // applies an increment and saves, or replaces the file by a full copy
    // (incremental becomes false; the objects are not reloaded). changed
    // tells whether anything was applied or replaced. Every failure leaves
    // the file and the records as they were, except that an increment
    // applied in memory whose save failed stays applied.
    bool UpdateFromServer(const std::wstring& request, bool& changed, bool& incremental);
    // Fetches the whole file and moves it into place. Without a reply (or
    // one without DownloadUrl) asks the server with the request as it is.
    // The copy must match the reply's MD5 (when it gives one) and load as a
    // catalogue before it replaces the file; the records are not reloaded.
    bool Download(const std::wstring& request, const VQRemoteFileInfo* reply, bool& changed);
    // Writes the file enciphered, through a temporary file.
    bool Save();

    // Null when absent.
    const VQGameRecord* FindById(uint32_t id) const;
    // The first record of the chain with that key; null when there is none.
    const VQGameRecord* FindByMd5(const std::wstring& md5) const;
    const VQGameRecord* FindByExeName(const std::wstring& exeName) const;
    // Ascending ids.
    const GameMap& GetGames() const { return m_games; }
    // An index past the last gives an empty list.
    const IdList& GetIdList(uint32_t index) const;

    const std::wstring& GetVersion() const { return m_version; }
    void SetVersion(const std::wstring& version) { m_version = version; }
    const std::wstring& GetMd5() const { return m_md5; }

private:
    void OnHeadText(const char* element, const char* text) override;
    void OnEntryStart() override;
    void OnField(const char* name, const char* text) override;
    void OnEntryEnd() override;

    // Close, and the lists and texts emptied as well.
    void Reset();
    bool ApplyIncrement(const unsigned char* text, uint32_t length);
    void ModifyGame(const TiXmlElement* game);
    void InsertGame(VQNewGame& game, bool isAdd);
    void LinkToIndex(VQGameRecord* record);
    void UnlinkFromIndexes(const VQGameRecord* record);
    void ListPublished(uint32_t id, bool alsoAsNew);
    void UnlistPublished(uint32_t id);

    std::unique_ptr<VQXmlDocument> m_update;
    GameMap m_games;
    GameIndex m_md5Index;
    GameIndex m_exeIndex;
    IdList m_lists[kIdListCount];
    // The entry being read by Load.
    VQNewGame m_entry;
    VQGameFieldCursor m_entryCursor;
};

}  // namespace Tessar
