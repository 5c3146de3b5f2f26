#pragma once
// The small probes every runtime detector is made of: can a library be
// loaded, what product version does a file carry, what version does a text
// name.

#include <cstdint>
#include <string>

namespace Tessar {

// LoadLibraryW succeeds and, with an export name, GetProcAddress finds it;
// the library is freed again. No system error box is shown.
bool CanLoadLibrary(const std::wstring& path, const char* exportName = nullptr);

// The file is a library image (PE, with the DLL flag) built for that
// machine (IMAGE_FILE_MACHINE_*). Only its headers are read: a library of
// another word size can be told apart without loading it.
bool IsLibraryImageFor(const std::wstring& path, uint16_t machine);

// The machine this program is built for (IMAGE_FILE_MACHINE_*).
uint16_t OwnImageMachine();

// The product version of the file's fixed version information as major,
// minor, build, revision; version is untouched on failure.
bool GetFileProductVersion(const std::wstring& path, uint32_t version[4]);

// Up to four decimal items separated by "."; an item beginning with "-" is
// negated. Items not present leave their outputs unchanged; false for an
// empty text.
bool ParseVersionText(const std::wstring& text, int32_t version[4]);

// Four parts packed as ExecutableInfo::GetProductVersion gives them.
inline uint64_t PackVersion(uint32_t major, uint32_t minor, uint32_t build, uint32_t revision) {
    return (static_cast<uint64_t>(major & 0xFFFF) << 48) | (static_cast<uint64_t>(minor & 0xFFFF) << 32) |
           (static_cast<uint64_t>(build & 0xFFFF) << 16) | static_cast<uint64_t>(revision & 0xFFFF);
}

}  // namespace Tessar
