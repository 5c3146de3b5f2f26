#pragma once
// The uninstall record "VQUnistall.dat" that an install writes into its
// install folder, and the uninstall from it.
//
// Layout (little-endian): "VQUT", version byte 1, u32 A and the file log
// (A bytes: per created folder and extracted file, in creation order, a u32
// byte count n and n bytes of UTF-16LE path), u32 B and the registry undo
// block (B bytes, RegUndo.h). This writer appends a seal: "VQUS" and the
// MD5 of every byte before it; a record whose seal does not match was
// damaged and removes nothing.
//
// The record lies in the game's folder, which any user process may write,
// while the uninstall may run elevated. So the seal proves nothing about
// who wrote it: what the install wrote is known by its digest, kept in the
// installed list (in the program's own folder). Only a record with that
// digest may remove what its install made outside its folder or put the
// registry back; any other record is read as far as its own folder goes
// and its registry block is left alone.

#include "common/Buffer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {

extern const wchar_t kUninstallRecordName[];  // "VQUnistall.dat"
// Longest file log or registry block a record may hold.
const uint32_t kUninstallMaxLogBytes = 0x100000;

enum class VQRecordSeal {
    kNone,      // ends after the registry block
    kValid,
    kDamaged,   // a seal that does not match, or bytes after it
};

struct VQUninstallRecord {
    std::vector<std::wstring> paths;  // creation order
    VQBuffer<unsigned char> registryUndo;
    VQRecordSeal seal = VQRecordSeal::kNone;
};

// Writes the record, replacing the file, and gives its digest (see
// UninstallRecordDigest) when digest is set. A file log over the limit is
// shortened by leaving out what lies below installFolder when the log
// holds installFolder itself (the uninstall removes that folder whole);
// false when it is still too long, or on any write failure (no file is
// left then).
bool WriteUninstallRecord(const std::wstring& path, const std::vector<std::wstring>& fileLog,
                          const VQBuffer<unsigned char>& registryUndo, const std::wstring& installFolder,
                          std::wstring* digest = nullptr);

// 32 upper-case hex digits: MD5 of the record's folder (full, upper case)
// and of every byte of the record, so that a genuine record copied into
// another folder is not taken for that folder's. Empty when the file
// cannot be read or lies in a drive root.
std::wstring UninstallRecordDigest(const std::wstring& path);

// False for a missing file and any format error (bad magic or version, a
// length over the limit or past the end, an odd or empty path record).
bool ReadUninstallRecord(const std::wstring& path, VQUninstallRecord& record);

// Removes what the record lists, last first, then undoes the registry
// changes, deletes the record and, when the record lists its own folder,
// that folder. Inside the record's folder a folder goes with its tree
// (except subfolders holding another game's record). Only when the record
// has knownDigest (what the install kept; empty: none known) does it
// remove files and empty folders outside its folder and undo its registry
// changes; otherwise those parts are left out, which is no failure. False,
// removing nothing, for a record that cannot be read or is damaged, or
// that lies in a drive root; false after the files when the registry undo
// fails.
bool UninstallFromData(const std::wstring& path, const std::wstring& knownDigest = std::wstring());

}  // namespace Tessar
