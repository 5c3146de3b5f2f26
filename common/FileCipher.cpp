#include "common/FileCipher.h"

#include <cstring>

namespace Tessar {

namespace {

// Part of the file format: every enciphered file depends on these. Never
// change them; the golden tests hold them fast.
const uint32_t kKeyConstants[kCipherKeyWords] = {
    0x6B2E91D4, 0x3F8A0C57, 0xD1473EA9, 0x58C2F60B, 0xA93D5C18, 0x0E76B2F3, 0xC45F18A6, 0x7790E43D,
};

// The S-box set of the Applied Cryptography reference code: the first rows
// of DES S8 (box 1) up to DES S1 (box 8).
const unsigned char kSBox[8][16] = {
    {13, 2, 8, 4, 6, 15, 11, 1, 10, 9, 3, 14, 5, 0, 12, 7},   // 1
    {4, 11, 2, 14, 15, 0, 8, 13, 3, 12, 9, 7, 5, 10, 6, 1},   // 2
    {12, 1, 10, 15, 9, 2, 6, 8, 0, 13, 3, 4, 14, 7, 5, 11},   // 3
    {2, 12, 4, 1, 7, 10, 11, 6, 8, 5, 3, 15, 13, 0, 14, 9},   // 4
    {7, 13, 14, 3, 0, 6, 9, 10, 1, 2, 8, 5, 11, 12, 4, 15},   // 5
    {10, 0, 9, 14, 6, 3, 15, 5, 1, 13, 12, 7, 11, 4, 2, 8},   // 6
    {15, 1, 8, 14, 6, 11, 3, 4, 9, 7, 2, 13, 12, 0, 5, 10},   // 7
    {14, 4, 13, 1, 2, 15, 11, 8, 3, 10, 6, 12, 5, 9, 0, 7},   // 8
};

struct GostTables {
    unsigned char k87[256];  // bits 24-31
    unsigned char k65[256];  // bits 16-23
    unsigned char k43[256];  // bits 8-15
    unsigned char k21[256];  // bits 0-7
};

GostTables MakeTables() {
    GostTables t;
    for (int i = 0; i < 256; ++i) {
        int high = i >> 4, low = i & 15;
        t.k87[i] = static_cast<unsigned char>(kSBox[7][high] << 4 | kSBox[6][low]);
        t.k65[i] = static_cast<unsigned char>(kSBox[5][high] << 4 | kSBox[4][low]);
        t.k43[i] = static_cast<unsigned char>(kSBox[3][high] << 4 | kSBox[2][low]);
        t.k21[i] = static_cast<unsigned char>(kSBox[1][high] << 4 | kSBox[0][low]);
    }
    return t;
}

// Shared by all threads; the compiler's guarded static makes the one build
// thread-safe and later calls read only.
const GostTables& Tables() {
    static const GostTables tables = MakeTables();
    return tables;
}

inline uint32_t F(const GostTables& t, uint32_t x) {
    x = static_cast<uint32_t>(t.k87[x >> 24 & 255]) << 24 | static_cast<uint32_t>(t.k65[x >> 16 & 255]) << 16 |
        static_cast<uint32_t>(t.k43[x >> 8 & 255]) << 8 | t.k21[x & 255];
    return x << 11 | x >> 21;
}

inline uint32_t LoadWord(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

inline void StoreWord(uint32_t value, unsigned char* p) {
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value >> 16);
    p[3] = static_cast<unsigned char>(value >> 24);
}

// Eight rounds with the key words in rising (k0..k7) or falling (k7..k0)
// order; written out so that the compiler unrolls all 32 rounds.
inline void RoundsRising(const GostTables& t, const uint32_t* k, uint32_t& n1, uint32_t& n2) {
    n2 ^= F(t, n1 + k[0]); n1 ^= F(t, n2 + k[1]);
    n2 ^= F(t, n1 + k[2]); n1 ^= F(t, n2 + k[3]);
    n2 ^= F(t, n1 + k[4]); n1 ^= F(t, n2 + k[5]);
    n2 ^= F(t, n1 + k[6]); n1 ^= F(t, n2 + k[7]);
}

inline void RoundsFalling(const GostTables& t, const uint32_t* k, uint32_t& n1, uint32_t& n2) {
    n2 ^= F(t, n1 + k[7]); n1 ^= F(t, n2 + k[6]);
    n2 ^= F(t, n1 + k[5]); n1 ^= F(t, n2 + k[4]);
    n2 ^= F(t, n1 + k[3]); n1 ^= F(t, n2 + k[2]);
    n2 ^= F(t, n1 + k[1]); n1 ^= F(t, n2 + k[0]);
}

}  // namespace

void BuildCipherKey(uint32_t* key) {
    for (uint32_t i = 0; i < kCipherKeyWords; ++i)
        key[i] = kKeyConstants[i] * 2 + i;
}

void GostInitTables() {
    Tables();
}

void GostEncryptBlock(const uint32_t* key, uint32_t in1, uint32_t in2, uint32_t& out1, uint32_t& out2) {
    const GostTables& t = Tables();
    uint32_t n1 = in1, n2 = in2;
    RoundsRising(t, key, n1, n2);
    RoundsRising(t, key, n1, n2);
    RoundsRising(t, key, n1, n2);
    RoundsFalling(t, key, n1, n2);
    out1 = n2;
    out2 = n1;
}

// The key words in the reverse order of GostEncryptBlock, which it undoes.
void GostDecryptBlock(const uint32_t* key, uint32_t in1, uint32_t in2, uint32_t& out1, uint32_t& out2) {
    const GostTables& t = Tables();
    uint32_t n1 = in1, n2 = in2;
    RoundsRising(t, key, n1, n2);
    RoundsFalling(t, key, n1, n2);
    RoundsFalling(t, key, n1, n2);
    RoundsFalling(t, key, n1, n2);
    out1 = n2;
    out2 = n1;
}

bool CipherBuffer(uint32_t length, const uint32_t* key, const void* input, void* output, bool encrypt) {
    if (input == nullptr || output == nullptr || key == nullptr || length < 4)
        return false;
    GostInitTables();
    const unsigned char* in = static_cast<const unsigned char*>(input);
    unsigned char* out = static_cast<unsigned char*>(output);
    uint32_t blocks = length / 8;
    for (uint32_t i = 0; i < blocks; ++i, in += 8, out += 8) {
        uint32_t a = 0, b = 0;
        if (encrypt)
            GostEncryptBlock(key, LoadWord(in), LoadWord(in + 4), a, b);
        else
            GostDecryptBlock(key, LoadWord(in), LoadWord(in + 4), a, b);
        StoreWord(a, out);
        StoreWord(b, out + 4);
    }
    uint32_t tail = length % 8;
    if (tail != 0 && in != out)
        std::memmove(out, in, tail);
    return true;
}

}  // namespace Tessar
