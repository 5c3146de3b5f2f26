#pragma once
// Shared by the package tests: whole-file bytes, patching fields of a
// written package, file times and the fixture paths of the build.

#include <windows.h>

#include <cstdint>
#include <string>

namespace Tessar {

// Empty when the file cannot be read.
std::string ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
void PatchU32(std::string& bytes, size_t offset, uint32_t value);
void PatchU64(std::string& bytes, size_t offset, uint64_t value);

// A fixed, recognisable time: the given day of 2009 at noon (UTC).
FILETIME DayOf2009(int month, int day);
bool GetTimes(const std::wstring& path, FILETIME& creation, FILETIME& access, FILETIME& write);
bool SameTime(const FILETIME& a, const FILETIME& b);
DWORD AttributesOf(const std::wstring& path);

// Files made by vqtool during the build (Z: path into the build folder);
// empty when the environment does not say where.
std::wstring FixturePath(const std::wstring& name);
// The package fixtures' source folders in the source tree.
std::wstring FixtureSourcePath(const std::wstring& name);

// Writes "p.vqz" in the folder: one folder entry "sub" holding one file.
std::wstring WriteSubFolderPackage(const std::wstring& folder, const std::wstring& fileName, const std::string& bytes,
                                   uint16_t converterId);

// Relative paths and bytes of every file below the folder, sorted, one
// "path=bytes\n" line each; folders appear as "path/\n".
std::string DescribeTree(const std::wstring& folder);

}  // namespace Tessar
