#include "VQCore/gamelib/QueryData.h"

#include "common/CodePage.h"
#include "common/FileUtil.h"
#include "common/KernelHandle.h"
#include "common/PathText.h"
#include "common/ScrambledXmlFile.h"
#include "common/XmlDocument.h"

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <unordered_set>

namespace Tessar {

namespace {

struct SqliteTextFree {
    void operator()(char* text) const { sqlite3_free(text); }
};
using SqliteText = std::unique_ptr<char, SqliteTextFree>;

// Frees the table of one query whichever way the reading of it ends.
struct ScopedResult {
    SqliteResult result = {};
    ~ScopedResult() { SqliteFreeResult(result); }
};

bool SameFileTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

bool SameFileStamp(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b) {
    return SameFileTime(a.ftCreationTime, b.ftCreationTime) && SameFileTime(a.ftLastWriteTime, b.ftLastWriteTime) &&
           a.nFileSizeLow == b.nFileSizeLow && a.nFileSizeHigh == b.nFileSizeHigh;
}

}  // namespace

std::string EscapeLikePattern(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        if (c == '%' || c == '_' || c == '\\')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

VQQueryData::VQQueryData() : m_connection() {}

VQQueryData::~VQQueryData() {
    SqliteRelease(m_connection);
}

bool VQQueryData::Load() {
    if (LoadScrambledXmlFile(*this, m_path) != kScrambledLoaded)
        return false;
    ParseRawText();
    return true;
}

void VQQueryData::Close() {
    DeleteDocument();
}

template <class Fill>
bool VQQueryData::RecreateIndex(const std::wstring& indexPath, Fill fill) {
    // An index that cannot be deleted is in use by a search: creating over
    // it would cut the file from under that connection.
    if (FileExists(indexPath) && !DeleteFileClearReadOnly(indexPath))
        return false;
    bool ok;
    {
        // Held open while the index is filled, as the file's first writer.
        VQKernelHandle file(CreateFileW(indexPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid())
            return false;
        ok = fill();
    }
    if (!ok)
        DeleteFileClearReadOnly(indexPath);
    return ok;
}

bool VQQueryData::RebuildIndex(const std::wstring& indexPath, const std::wstring& sourcePath) {
    if (!FileExists(sourcePath))
        return false;
    m_path = sourcePath;
    return RecreateIndex(indexPath, [&] { return BuildIndex(indexPath); });
}

bool VQQueryData::RebuildIndexFromGames(const std::wstring& indexPath,
                                        const std::vector<VQSearchSourceGame>& games) {
    return RecreateIndex(indexPath, [&] { return WriteSearchIndex(indexPath, games); });
}

bool VQQueryData::BuildIndex(const std::wstring& indexPath) {
    if (!Load())
        return false;
    std::vector<VQSearchSourceGame> games;
    ReadCatalogueGames(GetDocument(), games);
    Close();
    return WriteSearchIndex(indexPath, games);
}

bool VQQueryData::OpenIndex(const std::wstring& indexPath) {
    WIN32_FILE_ATTRIBUTE_DATA stamp = {};
    if (!FileExists(indexPath) || !GetFileAttributesExW(indexPath.c_str(), GetFileExInfoStandard, &stamp))
        return false;
    // An index is never changed in place, only deleted and built anew: the
    // copy stays good while the file keeps its times and size.
    if (m_connection.handle && m_openIndexPath == indexPath && SameFileStamp(stamp, m_openIndexStamp))
        return true;
    m_openIndexPath.clear();
    // Searched in a copy, so that no search ever keeps the data update from
    // deleting the file or a rebuild from replacing it.
    if (!SqliteOpenCopy(m_connection, WideToUtf8(indexPath).c_str()))
        return false;
    m_openIndexPath = indexPath;
    m_openIndexStamp = stamp;
    return true;
}

template <class Visit>
bool VQQueryData::RunMatches(const std::wstring& text, int32_t limit, bool withNames, Visit visit) {
    const std::string escaped = EscapeLikePattern(WideToUtf8(text));
    const std::string prefix = escaped + "%";
    const std::string anywhere = "%" + escaped + "%";
    // One pass over the table instead of three: every prefix match is also a
    // match anywhere, so the rows of the three searches are the matches
    // anywhere, ordered by the first search that finds them, then by id (the
    // order of a table scan). %Q makes SQLite quote each pattern itself, so
    // no text can end the literal; "limit -1" means no limit.
    // A caller that wants ids alone does not have thousands of names copied
    // into the result table.
    SqliteText statement(sqlite3_mprintf(
        "select %s from GAME_NAME_SPELL"
        " where name like %Q escape '\\' or spell like %Q escape '\\'"
        " order by case when name like %Q escape '\\' then 0"
        " when spell like %Q escape '\\' then 1 else 2 end, id limit %d;",
        withNames ? "id, name" : "id", anywhere.c_str(), anywhere.c_str(), prefix.c_str(), prefix.c_str(), limit));
    if (!statement)
        return false;
    ScopedResult query;
    const int32_t rows = SqliteQuery(m_connection, statement.get(), query.result);
    if (rows < 0)
        return false;
    for (int32_t row = 1; row <= rows; ++row) {
        const char* id = SqliteResultText(query.result, row, 0);
        if (!visit(id ? atoi(id) : 0, withNames ? SqliteResultText(query.result, row, 1) : nullptr))
            break;
    }
    return true;
}

bool VQQueryData::Search(const std::wstring& indexPath, const std::wstring& text,
                         std::vector<VQSearchResult>& results) {
    if (!OpenIndex(indexPath))
        return false;
    // Each game's id is unique in the table, so at most as many matching
    // rows repeat a listed game as the list holds: the first
    // kSearchResultLimit rows always fill the list when enough games match.
    return RunMatches(text, static_cast<int32_t>(kSearchResultLimit), true, [&](int32_t id, const char* name) {
        if (results.size() >= kSearchResultLimit)
            return false;
        for (const VQSearchResult& listed : results) {
            if (listed.id == id)
                return true;
        }
        results.push_back({id, name ? Utf8ToWide(std::string(name)) : std::wstring()});
        return results.size() < kSearchResultLimit;
    });
}

bool VQQueryData::SearchIds(const std::wstring& indexPath, const std::wstring& text, std::vector<uint32_t>& ids) {
    if (!OpenIndex(indexPath))
        return false;
    // A set beside the list: an empty text matches every game of the index.
    std::unordered_set<uint32_t> listed(ids.begin(), ids.end());
    return RunMatches(text, -1, false, [&](int32_t id, const char*) {
        if (listed.insert(static_cast<uint32_t>(id)).second)
            ids.push_back(static_cast<uint32_t>(id));
        return true;
    });
}

}  // namespace Tessar
