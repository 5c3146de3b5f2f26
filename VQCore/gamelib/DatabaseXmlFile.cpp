#include "VQCore/gamelib/DatabaseXmlFile.h"

#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/GameRecordFields.h"
#include "common/CodePage.h"
#include "common/ScrambledXmlFile.h"
#include "common/XmlDocument.h"
#include "common/XmlElement.h"

#include <algorithm>
#include <cstring>

namespace Tessar {

namespace {

const char kDatabaseSection[] = "DATABASE";
const char kAddSection[] = "ADD";
const char kModifySection[] = "MODIFY";
const wchar_t kVersionElement[] = L"VERSION";
const wchar_t kDatabaseElement[] = L"DATABASE";
const wchar_t kGameElement[] = L"GAME";

// The published-game list (0-4) of the id's kind, or -1 for none.
int PublishedListOf(uint32_t id) {
    if (IsSingleGameId(id))
        return VQDatabaseXmlFile::kPublishedSingleList;
    if (IsOnlineGameId(id))
        return VQDatabaseXmlFile::kPublishedOnlineList;
    if (IsFlashGameId(id))
        return VQDatabaseXmlFile::kPublishedFlashList;
    if (IsWebGameId(id))
        return VQDatabaseXmlFile::kPublishedWebList;
    if (IsToolGameId(id))
        return VQDatabaseXmlFile::kPublishedToolList;
    return -1;
}

void Unlink(VQDatabaseXmlFile::GameIndex& index, const std::wstring& key, const VQGameRecord* record) {
    auto found = index.find(key);
    if (found == index.end())
        return;
    if (found->second == record) {
        found->second = record->NextSameKey;
        return;
    }
    for (VQGameRecord* at = found->second; at != nullptr; at = at->NextSameKey) {
        if (at->NextSameKey == record) {
            at->NextSameKey = record->NextSameKey;
            return;
        }
    }
}

// Appends at the end of the key's chain; an emptied chain keeps its key.
void Link(VQDatabaseXmlFile::GameIndex& index, const std::wstring& key, VQGameRecord* record) {
    record->NextSameKey = nullptr;
    VQGameRecord*& first = index[key];
    if (first == nullptr) {
        first = record;
        return;
    }
    VQGameRecord* last = first;
    while (last->NextSameKey != nullptr)
        last = last->NextSameKey;
    last->NextSameKey = record;
}

// One field of an entry outside MODIFY.
void ReadNewGameField(VQNewGame& game, const char* name, const char* text, VQGameFieldCursor& cursor) {
    if (IsGameIdField(name))
        game.record->ID = ReadGameId(text);
    else
        ReadGameField(*game.record, name, text, game.publishSeen, cursor);
}

// Reads an entry outside MODIFY into a new record; elements without text
// leave their field at its default.
void ReadNewGame(const TiXmlElement* game, VQNewGame& parsed) {
    parsed.record.reset(new VQGameRecord);
    parsed.publishSeen = false;
    VQGameFieldCursor cursor;
    for (const TiXmlElement* field = game->FirstChildElement(); field != nullptr;
         field = field->NextSiblingElement()) {
        const char* text = GameElementText(field);
        if (text != nullptr)
            ReadNewGameField(parsed, field->Value(), text, cursor);
    }
}

}  // namespace

VQDatabaseXmlFile::VQDatabaseXmlFile(const std::wstring& path) : VQXmlFile(path) {}

VQDatabaseXmlFile::~VQDatabaseXmlFile() {
    Close();
}

bool VQDatabaseXmlFile::Load() {
    Reset();
    if (LoadScrambledXmlFile(*this, m_path) == kScrambledLoaded && TerminatedRawText() != nullptr) {
        if (ReadPlainCatalogue(TerminatedRawText(), *this))
            return true;
        // Outside the plain form: TinyXML reads it, from a clean start.
        Reset();
        if (ParseRawText()) {
            ReadCatalogueTree(*m_document, *this);
            return true;
        }
    }
    Reset();
    return false;
}

void VQDatabaseXmlFile::OnHeadText(const char* element, const char* text) {
    (std::strcmp(element, "MD5") == 0 ? m_md5 : m_version) = NarrowToWide(text);
}

void VQDatabaseXmlFile::OnEntryStart() {
    m_entry.record.reset(new VQGameRecord);
    m_entry.publishSeen = false;
    m_entryCursor = VQGameFieldCursor();
}

void VQDatabaseXmlFile::OnField(const char* name, const char* text) {
    if (m_entry.record)
        ReadNewGameField(m_entry, name, text, m_entryCursor);
}

void VQDatabaseXmlFile::OnEntryEnd() {
    InsertGame(m_entry, false);
    m_entry.record.reset();
}

void VQDatabaseXmlFile::Reset() {
    Close();
    for (IdList& list : m_lists)
        list.clear();
    m_md5.clear();
    m_version.clear();
}

void VQDatabaseXmlFile::Close() {
    m_update.reset();
    DeleteDocument();
    m_md5Index.clear();
    m_exeIndex.clear();
    m_games.clear();
}

void VQDatabaseXmlFile::ParseGames(const TiXmlDocument* document, const char* section) {
    if (document == nullptr || section == nullptr)
        return;
    const bool isAdd = std::strcmp(section, kAddSection) == 0;
    const bool isModify = std::strcmp(section, kModifySection) == 0;
    const TiXmlElement* top = document->FirstChildElement(section);
    if (top == nullptr)
        return;
    std::vector<const TiXmlElement*> entries;
    for (const TiXmlElement* game = top->FirstChildElement(); game != nullptr; game = game->NextSiblingElement())
        entries.push_back(game);
    if (isModify) {
        for (const TiXmlElement* game : entries)
            ModifyGame(game);
        return;
    }
    for (const TiXmlElement* entry : entries) {
        VQNewGame game;
        ReadNewGame(entry, game);
        InsertGame(game, isAdd);
    }
}

void VQDatabaseXmlFile::ModifyGame(const TiXmlElement* game) {
    VQGameRecord* target = nullptr;
    bool wasPublished = false;
    bool publishSeen = false;
    VQGameFieldCursor cursor;
    for (const TiXmlElement* field = game->FirstChildElement(); field != nullptr;
         field = field->NextSiblingElement()) {
        // An empty element clears its field.
        const char* text = GameElementText(field);
        if (text == nullptr)
            text = "";
        const char* name = field->Value();
        if (IsGameIdField(name)) {
            if (target != nullptr)
                continue;  // the id of a record is never changed
            auto found = m_games.find(ReadGameId(text));
            if (found == m_games.end() || !found->second)
                return;  // nothing to modify: the entry is dropped
            target = found->second.get();
            wasPublished = target->Publish != 0;
            UnlinkFromIndexes(target);
            continue;
        }
        if (target == nullptr)
            continue;  // fields before ID have nothing to change yet
        ReadGameField(*target, name, text, publishSeen, cursor);
    }
    if (target == nullptr)
        return;
    // Only a game that becomes published is new; one that was already
    // published is neither listed again nor counted.
    bool published = target->Publish != 0;
    if (published && !wasPublished)
        ListPublished(target->ID, publishSeen);
    else if (!published && wasPublished)
        UnlistPublished(target->ID);
    LinkToIndex(target);
}

void VQDatabaseXmlFile::InsertGame(VQNewGame& game, bool isAdd) {
    if (!game.record)
        return;
    uint32_t id = game.record->ID;
    if (id == 0 || m_games.count(id) != 0)
        return;  // no id, or the first entry of the id wins
    VQGameRecord* record = game.record.get();
    m_games.emplace(id, std::move(game.record));
    if (record->Publish != 0)
        ListPublished(id, isAdd && game.publishSeen);
    LinkToIndex(record);
}

void VQDatabaseXmlFile::AddGames() {
    ParseGames(m_update.get(), kAddSection);
}

void VQDatabaseXmlFile::ModifyGames() {
    ParseGames(m_update.get(), kModifySection);
}

void VQDatabaseXmlFile::RemoveGames(const TiXmlElement* remove) {
    if (remove == nullptr)
        return;
    for (const TiXmlElement* entry = remove->FirstChildElement(); entry != nullptr;
         entry = entry->NextSiblingElement()) {
        const char* text = GameElementText(entry);
        if (text == nullptr)
            continue;
        uint32_t id = ReadGameId(text);
        auto found = m_games.find(id);
        if (found == m_games.end())
            continue;
        if (found->second) {
            UnlinkFromIndexes(found->second.get());
            if (found->second->Publish != 0)
                UnlistPublished(id);
        }
        m_games.erase(found);
    }
}

void VQDatabaseXmlFile::LinkToIndex(VQGameRecord* record) {
    record->NextSameKey = nullptr;
    uint32_t id = record->ID;
    if (IsSingleGameId(id)) {
        if (!record->Md5.empty())
            Link(m_md5Index, record->Md5, record);
    } else if (IsOnlineGameId(id) || IsToolGameId(id)) {
        if (!record->ExeName.empty())
            Link(m_exeIndex, record->ExeName, record);
    }
}

void VQDatabaseXmlFile::UnlinkFromIndexes(const VQGameRecord* record) {
    Unlink(m_md5Index, record->Md5, record);
    Unlink(m_exeIndex, record->ExeName, record);
}

void VQDatabaseXmlFile::ListPublished(uint32_t id, bool alsoAsNew) {
    int list = PublishedListOf(id);
    if (list < 0)
        return;
    m_lists[list].push_back(id);
    if (alsoAsNew)
        m_lists[kNewSingleList + list].push_back(id);
}

void VQDatabaseXmlFile::UnlistPublished(uint32_t id) {
    int list = PublishedListOf(id);
    if (list < 0)
        return;
    for (IdList* ids : {&m_lists[list], &m_lists[kNewSingleList + list]})
        ids->erase(std::remove(ids->begin(), ids->end(), id), ids->end());
}

bool VQDatabaseXmlFile::Save() {
    VQXmlDocument* document = NewDocument();
    AddElementText(AddElement(document, kVersionElement), m_version);
    TiXmlElement* database = AddElement(document, kDatabaseElement);
    if (database == nullptr)
        return false;
    for (const auto& entry : m_games) {
        if (entry.second)
            WriteGameFields(AddElement(database, kGameElement), *entry.second);
    }
    // The checksum element goes first; the file is replaced only when
    // everything was written.
    return SaveScrambledXmlFile(*document, m_path);
}

const VQGameRecord* VQDatabaseXmlFile::FindById(uint32_t id) const {
    auto found = m_games.find(id);
    return found != m_games.end() ? found->second.get() : nullptr;
}

const VQGameRecord* VQDatabaseXmlFile::FindByMd5(const std::wstring& md5) const {
    auto found = m_md5Index.find(md5);
    return found != m_md5Index.end() ? found->second : nullptr;
}

const VQGameRecord* VQDatabaseXmlFile::FindByExeName(const std::wstring& exeName) const {
    auto found = m_exeIndex.find(exeName);
    return found != m_exeIndex.end() ? found->second : nullptr;
}

const VQDatabaseXmlFile::IdList& VQDatabaseXmlFile::GetIdList(uint32_t index) const {
    static const IdList kEmpty;
    return index < kIdListCount ? m_lists[index] : kEmpty;
}

}  // namespace Tessar
