#include "common/FileCipher.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>
#include <thread>
#include <vector>

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

// One table per input byte: the substitution of that byte, shifted to its
// place and rotated left by 11, so that a round function is four look-ups
// (the substituted bytes occupy separate bits, so the rotation of their
// union is the union of their rotations).
struct GostTables {
    uint32_t byte0[256];  // bits 0-7
    uint32_t byte1[256];  // bits 8-15
    uint32_t byte2[256];  // bits 16-23
    uint32_t byte3[256];  // bits 24-31
};

inline uint32_t RotateLeft11(uint32_t x) {
    return x << 11 | x >> 21;
}

GostTables MakeTables() {
    GostTables t;
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t high = i >> 4, low = i & 15;
        uint32_t k87 = static_cast<uint32_t>(kSBox[7][high] << 4 | kSBox[6][low]);
        uint32_t k65 = static_cast<uint32_t>(kSBox[5][high] << 4 | kSBox[4][low]);
        uint32_t k43 = static_cast<uint32_t>(kSBox[3][high] << 4 | kSBox[2][low]);
        uint32_t k21 = static_cast<uint32_t>(kSBox[1][high] << 4 | kSBox[0][low]);
        t.byte3[i] = RotateLeft11(k87 << 24);
        t.byte2[i] = RotateLeft11(k65 << 16);
        t.byte1[i] = RotateLeft11(k43 << 8);
        t.byte0[i] = RotateLeft11(k21);
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
    return t.byte3[x >> 24] ^ t.byte2[x >> 16 & 255] ^ t.byte1[x >> 8 & 255] ^ t.byte0[x & 255];
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
// order, on N independent blocks side by side: interleaving them hides the
// latency of each round's look-ups, which one block alone must wait for.
template <int N>
inline void RoundsRising(const GostTables& t, const uint32_t* k, uint32_t* n1, uint32_t* n2) {
#pragma GCC unroll 4
    for (int r = 0; r < 8; r += 2) {
#pragma GCC unroll 8
        for (int j = 0; j < N; ++j)
            n2[j] ^= F(t, n1[j] + k[r]);
#pragma GCC unroll 8
        for (int j = 0; j < N; ++j)
            n1[j] ^= F(t, n2[j] + k[r + 1]);
    }
}

template <int N>
inline void RoundsFalling(const GostTables& t, const uint32_t* k, uint32_t* n1, uint32_t* n2) {
#pragma GCC unroll 4
    for (int r = 0; r < 8; r += 2) {
#pragma GCC unroll 8
        for (int j = 0; j < N; ++j)
            n2[j] ^= F(t, n1[j] + k[7 - r]);
#pragma GCC unroll 8
        for (int j = 0; j < N; ++j)
            n1[j] ^= F(t, n2[j] + k[6 - r]);
    }
}

// Deciphering takes the key words in the reverse order of enciphering,
// which it undoes. The halves come out swapped.
template <int N>
inline void CipherBlocks(const GostTables& t, const uint32_t* key, bool encrypt, uint32_t* n1, uint32_t* n2) {
    RoundsRising<N>(t, key, n1, n2);
    if (encrypt) {
        RoundsRising<N>(t, key, n1, n2);
        RoundsRising<N>(t, key, n1, n2);
    } else {
        RoundsFalling<N>(t, key, n1, n2);
        RoundsFalling<N>(t, key, n1, n2);
    }
    RoundsFalling<N>(t, key, n1, n2);
}

template <int N>
inline void CipherBytes(const GostTables& t, const uint32_t* key, bool encrypt, const unsigned char* in,
                        unsigned char* out) {
    uint32_t n1[N], n2[N];
    for (int j = 0; j < N; ++j) {
        n1[j] = LoadWord(in + 8 * j);
        n2[j] = LoadWord(in + 8 * j + 4);
    }
    CipherBlocks<N>(t, key, encrypt, n1, n2);
    for (int j = 0; j < N; ++j) {
        StoreWord(n2[j], out + 8 * j);
        StoreWord(n1[j], out + 8 * j + 4);
    }
}

const uint32_t kLanes = 4;
const uint32_t kParallelMinBytes = 1u << 20;
const unsigned kMaxCipherThreads = 4;

void CipherRange(const GostTables& t, const uint32_t* key, bool encrypt, const unsigned char* in,
                 unsigned char* out, uint32_t blocks) {
    uint32_t i = 0;
    for (; i + kLanes <= blocks; i += kLanes, in += 8 * kLanes, out += 8 * kLanes)
        CipherBytes<kLanes>(t, key, encrypt, in, out);
    for (; i < blocks; ++i, in += 8, out += 8)
        CipherBytes<1>(t, key, encrypt, in, out);
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
    uint32_t n1 = in1, n2 = in2;
    CipherBlocks<1>(Tables(), key, true, &n1, &n2);
    out1 = n2;
    out2 = n1;
}

void GostDecryptBlock(const uint32_t* key, uint32_t in1, uint32_t in2, uint32_t& out1, uint32_t& out2) {
    uint32_t n1 = in1, n2 = in2;
    CipherBlocks<1>(Tables(), key, false, &n1, &n2);
    out1 = n2;
    out2 = n1;
}

bool CipherBuffer(uint32_t length, const uint32_t* key, const void* input, void* output, bool encrypt) {
    if (input == nullptr || output == nullptr || key == nullptr || length < 4)
        return false;
    const unsigned char* in = static_cast<const unsigned char*>(input);
    unsigned char* out = static_cast<unsigned char*>(output);
    const GostTables& t = Tables();
    const uint32_t blocks = length / 8;

    // Large buffers (the catalogue) are shared out over a few threads; a
    // part no thread could be started for is done here.
    unsigned parts = 1;
    if (length >= kParallelMinBytes) {
        unsigned cores = std::thread::hardware_concurrency();
        parts = cores < 2 ? 1 : cores < kMaxCipherThreads ? cores : kMaxCipherThreads;
    }
    const uint32_t perPart = (blocks + parts - 1) / parts;
    std::vector<std::thread> workers;
    unsigned started = 1;
    try {
        for (; started < parts; ++started) {
            uint32_t first = started * perPart;
            uint32_t count = first < blocks ? std::min(perPart, blocks - first) : 0;
            workers.emplace_back(CipherRange, std::cref(t), key, encrypt, in + 8 * static_cast<size_t>(first),
                                 out + 8 * static_cast<size_t>(first), count);
        }
    } catch (const std::exception&) {
        // Fewer threads than parts: the rest below.
    }
    CipherRange(t, key, encrypt, in, out, std::min(perPart, blocks));
    for (unsigned part = started; part < parts; ++part) {
        uint32_t first = part * perPart;
        if (first < blocks)
            CipherRange(t, key, encrypt, in + 8 * static_cast<size_t>(first), out + 8 * static_cast<size_t>(first),
                        std::min(perPart, blocks - first));
    }
    for (std::thread& worker : workers)
        worker.join();

    uint32_t tail = length % 8;
    const size_t done = 8 * static_cast<size_t>(blocks);
    if (tail != 0 && in != out)
        std::memmove(out + done, in + done, tail);
    return true;
}

}  // namespace Tessar
