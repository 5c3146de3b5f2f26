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
    kGameFieldRead,     // stored in the record
    kGameFieldIgnored,  // not a field of the record (ID included)
};

// Stores the text (null: empty) in the field of that name. Numbers are read
// from their leading digits ("00042abc" is 42, "x" is 0) and kept by the low
// bits of their field (DLType: 16 bits), so that an odd field never costs
// a record; Publish also sets publishSeen. CPU is "count" or
// "count|speed".
VQGameFieldResult ReadGameField(VQGameRecord& record, const char* name, const char* text, bool& publishSeen,
                                VQGameFieldCursor& cursor);
// The element's text when its first child is a text node, else null.
const char* GameElementText(const TiXmlElement* element);
// A game id as the C runtime's _wtoi reads it (blanks, a sign, leading
// digits; null or no digits give 0, which is no id).
uint32_t ReadGameId(const char* text);
bool IsGameIdField(const char* name);

// Appends the record's children to the GAME element in the file's order,
// leaving out empty texts and zero numbers as the format says.
void WriteGameFields(TiXmlElement* game, const VQGameRecord& record);

}  // namespace Tessar
