#pragma once
// The vqmeta entry of a "VQZ" package: key/value texts that tell the
// installation where the game goes and what to run. Layout: u32 pair
// count, then per pair key and value, each a u32 character count followed
// by that many UTF-16LE characters.

#include <cstdint>
#include <map>
#include <string>

namespace Tessar {

extern const wchar_t kMetaEntryName[];  // "vqmeta"
extern const wchar_t kMetaFolder[];     // "vqfolder": folder below the target
extern const wchar_t kMetaExe[];        // "vqexe": program to run
extern const wchar_t kMetaArgs[];       // "vqargs": its arguments
// A top-level entry the installation runs after extracting.
extern const wchar_t kTasksEntryName[];  // "##tasks##.txt"

std::string EncodePackageMeta(const std::map<std::wstring, std::wstring>& values);
// Adds the pairs to values; a key already there keeps its value. False when
// the data ends inside a pair (the pairs before it are kept).
bool DecodePackageMeta(const unsigned char* data, uint32_t size, std::map<std::wstring, std::wstring>& values);

}  // namespace Tessar
