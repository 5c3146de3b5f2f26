#pragma once
// Writing the rows of the game-name search index (see QueryData.h).

#include <tinyxml.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {

// What the index needs of one catalogue record.
struct VQSearchSourceGame {
    int32_t id;
    std::wstring name;
    bool published;
};

// Table of the index file; the statement that creates it fails on a file
// that already holds it, so an index is never filled twice.
extern const char kSearchIndexCreateStatement[];

// The catalogue's game records below the top-level DATABASE element, in
// document order: records whatever their element names, each taken once it
// has shown ID, GameName and Publish with readable texts, in any order.
void ReadCatalogueGames(const TiXmlNode* document, std::vector<VQSearchSourceGame>& games);

// The lower-case pinyin spelling of a name as UTF-8.
std::string SpellGameName(const std::wstring& name);

// Fills an empty index file in one transaction; false when it cannot be
// opened, already holds the table, or the rows cannot be committed.
// Unpublished games and game tools are left out; a game whose id is
// already in the index is left out too.
bool WriteSearchIndex(const std::wstring& indexPath, const std::vector<VQSearchSourceGame>& games);

}  // namespace Tessar
