#pragma once
// Scrambled data files: the plain XML text behind a checksum head, padded
// with zero bytes to a multiple of 8 and enciphered as a whole with the
// file cipher. The plaintext:
//
//   offset 0   any byte ("<" as written)
//   offset 1   "MD5", any letter case
//   offset 4   any byte (">")
//   offset 5   MD5 of every byte from offset 43 to the end, padding
//              included, as 32 hex digits in any letter case
//   offset 37  any 6 bytes ("</MD5>")
//   offset 43  the rest of the printed XML, then the zero padding
//
// so the first element of the document is MD5 with the checksum as text.

#include "common/Buffer.h"

#include <tinyxml.h>

#include <cstdint>
#include <string>

namespace Tessar {

class VQXmlFile;

const uint32_t kScrambledChecksumOffset = 5;
const uint32_t kScrambledChecksumLength = 32;
const uint32_t kScrambledBodyOffset = 43;
// Larger files are refused as unreadable rather than loaded whole.
const uint64_t kScrambledMaxFileSize = 0x10000000;

// Results of LoadScrambledXmlFile and ReadScrambledFile.
enum : int32_t {
    kScrambledLoaded = 0,      // read, deciphered and checked
    kScrambledUnreadable = 1,  // missing, empty, too large or unreadable
    kScrambledRefused = 2,     // too short to decipher (below 4 bytes)
    kScrambledBadHead = 3,     // the head or the checksum does not match
};

// Reads and deciphers the file into plain (its bytes, then one zero byte)
// and checks the head. On kScrambledBadHead plain still holds the
// plaintext; on kScrambledUnreadable it is left as it was.
int32_t ReadScrambledFile(const std::wstring& path, VQBuffer<char>& plain);
// ReadScrambledFile into the data file's raw text. Subclasses' Load then
// parse the raw text (VQXmlFile::ParseRawText) when the result is 0.
int32_t LoadScrambledXmlFile(VQXmlFile& file, const std::wstring& path);

// Makes the document's first node an MD5 element holding the checksum
// (top-level MD5 elements that were there before are dropped), prints it,
// pads it and enciphers it into out. False when printing fails.
bool ScrambleXmlDocument(TiXmlDocument& document, VQBuffer<char>& out);
// ScrambleXmlDocument, then the bytes written to the path through a
// temporary file: a failed save leaves the old file as it was.
bool SaveScrambledXmlFile(TiXmlDocument& document, const std::wstring& path);

}  // namespace Tessar
