#pragma once
// The program's own file cipher: the GOST 28147-89 block transform with a
// 256-bit key built at run time, applied to each 8-byte block on its own
// (no chaining). A tail shorter than 8 bytes stays as it is. Data files,
// icon files and marker files written with it can be read only by builds
// with the same key constants.

#include <cstdint>

namespace Tessar {

const uint32_t kCipherKeyWords = 8;  // a key table is 32 bytes

// Fills the caller's key table (kCipherKeyWords words).
void BuildCipherKey(uint32_t* key);

// Enciphers (encrypt true) or deciphers length bytes from input to output.
// False, with the output untouched, for a null pointer or a length below 4.
bool CipherBuffer(uint32_t length, const uint32_t* key, const void* input, void* output, bool encrypt);

// Builds the four substitution tables once per process; safe from any
// thread, and every block operation calls it itself.
void GostInitTables();
void GostEncryptBlock(const uint32_t* key, uint32_t in1, uint32_t in2, uint32_t& out1, uint32_t& out2);
void GostDecryptBlock(const uint32_t* key, uint32_t in1, uint32_t in2, uint32_t& out1, uint32_t& out2);

}  // namespace Tessar
