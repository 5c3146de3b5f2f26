#include "VQCore/gamelib/SearchIndexWriter.h"

#include "common/CodePage.h"
#include "common/XmlElement.h"
#include "VQCore/gamelib/Pinyin.h"
#include "VQCore/gamelib/SqliteConnection.h"

#include <cstdlib>
#include <cstring>

namespace Tessar {

const char kSearchIndexCreateStatement[] =
    "create table GAME_NAME_SPELL (id INTEGER primary key, name VARCHAR(64), spell VARCHAR(64));";

namespace {

// The pinyin table is keyed by GB2312 codes, so names are spelled from
// their GBK bytes whatever the system's code page.
const UINT kGbkCodePage = 936;

const int32_t kToolIdFirst = 40001;
const int32_t kToolIdLast = 49999;

bool IsIndexed(const VQSearchSourceGame& game) {
    return game.published && (game.id < kToolIdFirst || game.id > kToolIdLast);
}

}  // namespace

void ReadCatalogueGames(const TiXmlNode* document, std::vector<VQSearchSourceGame>& games) {
    const TiXmlElement* database = FindChildElement(document, L"DATABASE");
    if (!database)
        return;
    for (const TiXmlElement* record = database->FirstChildElement(); record;
         record = record->NextSiblingElement()) {
        VQSearchSourceGame game = {0, std::wstring(), false};
        int found = 0;
        for (const TiXmlElement* field = record->FirstChildElement(); field && found < 3;
             field = field->NextSiblingElement()) {
            std::wstring text;
            if (!GetElementText(field, text))
                continue;
            const char* name = field->Value();
            if (strcmp(name, "ID") == 0) {
                game.id = _wtoi(text.c_str());
                ++found;
            } else if (strcmp(name, "GameName") == 0) {
                game.name = text;
                ++found;
            } else if (strcmp(name, "Publish") == 0) {
                game.published = _wtoi(text.c_str()) != 0;
                ++found;
            }
        }
        if (found == 3)
            games.push_back(game);
    }
}

std::string SpellGameName(const std::wstring& name) {
    // A character GBK lacks spells as "?", like one without a reading.
    const std::string gbk = WideToCodePage(kGbkCodePage, name, '?');
    const std::string spell = ConvertToPinyin(nullptr, gbk);
    // The spelling is ASCII but for the GB2312 letters with diaeresis.
    return WideToUtf8(CodePageToWide(kGbkCodePage, spell.data(), spell.size()));
}

bool WriteSearchIndex(const std::wstring& indexPath, const std::vector<VQSearchSourceGame>& games) {
    SqliteConnection connection = {};
    bool ok = SqliteOpen(connection, WideToUtf8(indexPath).c_str()) &&
              SqliteExec(connection, kSearchIndexCreateStatement) == 0 &&
              SqliteExec(connection, "begin transaction;") == 0;
    if (ok) {
        {
            VQSqliteStatement insert(connection,
                                     "insert into GAME_NAME_SPELL(id, name, spell) values(?1, ?2, ?3);");
            ok = insert.IsValid();
            for (size_t i = 0; ok && i < games.size(); ++i) {
                const VQSearchSourceGame& game = games[i];
                if (!IsIndexed(game))
                    continue;
                // A failed insert (an id met twice) leaves only that game out.
                ok = insert.BindInt(1, game.id) && insert.BindText(2, WideToUtf8(game.name)) &&
                     insert.BindText(3, SpellGameName(game.name));
                if (ok)
                    insert.Run();
            }
        }
        ok = ok && SqliteExec(connection, "commit transaction;") == 0;
        if (!ok)
            SqliteExec(connection, "rollback transaction;");
    }
    SqliteRelease(connection);
    return ok;
}

}  // namespace Tessar
