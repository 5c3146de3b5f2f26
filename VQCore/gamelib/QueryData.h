#pragma once
// The game-name search index: an SQLite file (data\search.vqs) with one row
// per published game of the catalogue (id, name, lower-case pinyin of the
// name), searched by name or pinyin. The index is never updated in place:
// it is built anew whenever it is missing.
//
// Search texts and names reach SQL only as bound parameters or as literals
// quoted by SQLite itself, and "%" and "_" in a search text match only
// themselves. Not thread-safe: each caller makes its own object.

#include "common/XmlFile.h"
#include "VQCore/gamelib/SearchIndexWriter.h"
#include "VQCore/gamelib/SqliteConnection.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {

struct VQSearchResult {
    int32_t id;
    std::wstring name;
};

// Search gives at most this many entries.
const size_t kSearchResultLimit = 10;

class VQQueryData : public VQXmlFile {
public:
    VQQueryData();
    ~VQQueryData() override;

    // Loads the scrambled catalogue file named by the base's path; false
    // when it cannot be read. A parse error is not checked here: the build
    // then finds no games.
    bool Load() override;
    void Close() override;

    // Builds a new index file from the catalogue file. False when the
    // catalogue is missing or the old index cannot be deleted because
    // another connection holds it open (the old index then stays), or when the build
    // fails (the unfinished index file is then deleted, so that the next
    // search builds it again instead of searching an empty index).
    bool RebuildIndex(const std::wstring& indexPath, const std::wstring& sourcePath);
    // The same from records the caller already holds.
    bool RebuildIndexFromGames(const std::wstring& indexPath, const std::vector<VQSearchSourceGame>& games);

    // Appends games whose name begins with the text, then those whose pinyin
    // does, then those whose name or pinyin holds it (ASCII letters in any
    // case), each group in id order and each game once, until the list
    // holds kSearchResultLimit entries (entries already in it count). Opens
    // the index on first use. False when it is missing or cannot be queried.
    bool Search(const std::wstring& indexPath, const std::wstring& text, std::vector<VQSearchResult>& results);
    // The same without a limit, ids only.
    bool SearchIds(const std::wstring& indexPath, const std::wstring& text, std::vector<uint32_t>& ids);

    // Fills an empty index file from the catalogue file; false when the
    // file already holds the table or the catalogue cannot be loaded.
    bool BuildIndex(const std::wstring& indexPath);

    // The searches' connection, open from the first search until destruction
    // or a search of another index, or of the same index after it was built
    // anew. It is an in-memory copy of the index file: the file itself is
    // neither held open nor locked between searches.
    const SqliteConnection& GetConnection() const { return m_connection; }
    const std::wstring& GetOpenIndexPath() const { return m_openIndexPath; }

private:
    template <class Fill>
    bool RecreateIndex(const std::wstring& indexPath, Fill fill);
    bool OpenIndex(const std::wstring& indexPath);
    // Visits the matching rows in the order described at Search, at most
    // limit of them (-1: all); the visitor takes (id, name entry or null:
    // always null without withNames) and returns false to stop. False when
    // the query fails.
    template <class Visit>
    bool RunMatches(const std::wstring& text, int32_t limit, bool withNames, Visit visit);

    std::wstring m_openIndexPath;
    // Times and size of the index file when it was copied.
    WIN32_FILE_ATTRIBUTE_DATA m_openIndexStamp = {};
    SqliteConnection m_connection;
};

// "%", "_" and the escape character "\" of a LIKE pattern made literal.
std::string EscapeLikePattern(const std::string& text);

}  // namespace Tessar
