#pragma once
// Writing imported keys into the registry while recording what each change
// replaced, so that the undo data (RegUndo.h) can put the registry back.
//
// Undo records: a key that existed gets a record with the former content
// of every value the import touched (a delete mark for values that did not
// exist); a key that did not exist gets a delete record for the highest
// key the import created on its way, with delete records of the keys below
// it down to the imported one; a key to delete gets a record of its whole
// former tree (the key itself goes only when it has no sub-keys, as
// RegDeleteKeyW does); a key left unchanged gets the empty record.
// Records are undone last first.
//
// Registry failures other than access denied throw std::runtime_error
// "Operate registry failed(<code>)"; access denied skips the key and makes
// the result false.

#include "VQCore/download/RegKey.h"

#include <deque>

namespace Tessar {

// Backs up and applies every key in order, appending one undo record per
// key to undo. False when any key or value could not be written (the rest
// are still written): access denied, a key without root, a value whose
// former content cannot be read back exactly (left unchanged).
bool ImportRegKeys(std::deque<VQRegKey>& undo, const std::deque<VQRegKey>& keys);

// The undo record of one key; applies it when apply is set. applied (when
// given) is set false when something was not written.
VQRegKey BackupAndApplyRegKey(const VQRegKey& key, bool apply, bool* applied = nullptr);

// Writes one key record: creates the key and sets or deletes its values,
// then (recurse) its sub-keys. A record with deleteKey deletes its sub-keys
// (recurse) and then the key itself when it no longer has any; it never
// creates the key. False when something was not written.
bool ApplyRegKey(const VQRegKey& key, bool recurse);

// Appends every value and sub-key (recursively) the registry holds under
// key now. Throws when a key cannot be opened or listed or a value cannot
// be read back exactly.
void ReadRegKeyTree(VQRegKey& key);

}  // namespace Tessar
