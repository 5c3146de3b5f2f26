#pragma once
// The registry undo data: the undo records of an import as one byte block,
// kept in the uninstall record, and putting them back.
//
// Block (little-endian): u32 record count, u32 payload length (bytes after
// this 8-byte head), then per record a u32 length and a serialised
// VQRegKey: u32 name length N, the full name in UTF-16LE (2N bytes, "-" in
// front for a key to delete), u32 sub-key count, per sub-key u32 length and
// the serialised sub-key, u32 value count, per value u32 name length M, the
// name (2M bytes), u16 type (0x00FF: delete the value), u32 data length D
// and the raw data (D bytes).

#include "VQCore/download/RegKey.h"
#include "common/Buffer.h"

#include <deque>

namespace Tessar {

// Replaces out's content with the block of the records, in list order.
void WriteRegUndoData(const std::deque<VQRegKey>& undo, VQBuffer<unsigned char>& out);

// Reads the whole block first and applies nothing when any part of it is
// malformed (false). Then applies the records last first, so that later
// changes are undone before earlier ones; false when something could not
// be written. Registry failures other than access denied throw as in
// ApplyRegKey.
bool ApplyRegUndoData(const VQBuffer<unsigned char>& data);

}  // namespace Tessar
