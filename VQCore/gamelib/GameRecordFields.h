#pragma once
// The fields of a GAME element of the catalogue (database.vqx and the
// update replies): reading one child element into a record and writing a
// record's children. Names and texts are TinyXML's narrow text in the
// system code page.

#include "VQCore/gamelib/GameRecord.h"

#include <cstddef>
#include <cstdint>

class TiXmlElement;

namespace Tessar {

// Where the last field was found; the next look-up starts after it, since
// files list the fields in the writer's order.
struct VQGameFieldCursor {
    size_t next = 0;
};

enum VQGameFieldResult {
    kGameFieldRead,       // stored in the record
    kGameFieldIgnored,    // not a field of the record (ID included)
    kGameFieldMalformed,  // a number that is not plain decimal in range
};

// Stores the text (null: empty) in the field of that name. Numbers are
// checked against their field's width (DLType: 16 bits); Publish also sets
// publishSeen.
VQGameFieldResult ReadGameField(VQGameRecord& record, const char* name, const char* text, bool& publishSeen,
                                VQGameFieldCursor& cursor);
// The element's text when its first child is a text node, else null.
const char* GameElementText(const TiXmlElement* element);
// A game id: plain decimal within 32 bits (0 is read as 0).
bool ReadGameId(const char* text, uint32_t& id);
bool IsGameIdField(const char* name);

// Appends the record's children to the GAME element in the file's order,
// leaving out empty texts and zero numbers as the format says.
void WriteGameFields(TiXmlElement* game, const VQGameRecord& record);

}  // namespace Tessar
