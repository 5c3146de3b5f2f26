#pragma once
// MD5 (RFC 1321) and its text form: 32 upper-case hexadecimal digits. It
// checks downloads, icon and game files and guards the scrambled data files.

#include <cstdint>
#include <functional>
#include <string>

namespace Tessar {

struct VQMd5Context {
    VQMd5Context();  // Md5Init

    uint32_t count[2];  // bits hashed so far, low word first
    uint32_t state[4];
    unsigned char block[64];
    unsigned char digest[16];  // set by Md5Final
};

void Md5Init(VQMd5Context& context);
// One 64-byte block into the chaining words.
void Md5Transform(VQMd5Context& context, const unsigned char* block);
void Md5Update(VQMd5Context& context, const void* data, uint32_t length);
// Pads, appends the bit count and leaves the digest in context.digest.
void Md5Final(VQMd5Context& context);

// "%02X" of each of the 16 bytes, in order.
std::wstring BytesToHexUpper(const unsigned char* digest);
// A null pointer or a length below 1 gives the text of 16 zero bytes.
std::wstring Md5OfBuffer(const void* data, int32_t length);
// Empty when the file cannot be opened or read, or is empty. Read in 64 KiB
// chunks so that large packages are never loaded whole.
std::wstring Md5OfFile(const std::wstring& path);
// The same, asking `cancelled` before each chunk: empty once it says true,
// so that whoever waits for a whole-file check of a large package can stop it.
std::wstring Md5OfFile(const std::wstring& path, const std::function<bool()>& cancelled);

}  // namespace Tessar
