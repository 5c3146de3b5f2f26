#include "common/Md5.h"

#include "common/Buffer.h"
#include "common/FileHandle.h"

#include <windows.h>

#include <cstring>

namespace Tessar {

namespace {

const uint32_t kMd5ChunkSize = 0x10000;

inline uint32_t RotateLeft(uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) { return (x & y) | (~x & z); }
inline uint32_t G(uint32_t x, uint32_t y, uint32_t z) { return (x & z) | (y & ~z); }
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; }
inline uint32_t I(uint32_t x, uint32_t y, uint32_t z) { return y ^ (x | ~z); }

inline void FF(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, int s, uint32_t t) {
    a = b + RotateLeft(a + F(b, c, d) + x + t, s);
}
inline void GG(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, int s, uint32_t t) {
    a = b + RotateLeft(a + G(b, c, d) + x + t, s);
}
inline void HH(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, int s, uint32_t t) {
    a = b + RotateLeft(a + H(b, c, d) + x + t, s);
}
inline void II(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, int s, uint32_t t) {
    a = b + RotateLeft(a + I(b, c, d) + x + t, s);
}

void StoreLittleEndian(uint32_t value, unsigned char* out) {
    out[0] = static_cast<unsigned char>(value);
    out[1] = static_cast<unsigned char>(value >> 8);
    out[2] = static_cast<unsigned char>(value >> 16);
    out[3] = static_cast<unsigned char>(value >> 24);
}

}  // namespace

VQMd5Context::VQMd5Context() {
    Md5Init(*this);
}

void Md5Init(VQMd5Context& context) {
    context.count[0] = context.count[1] = 0;
    context.state[0] = 0x67452301;
    context.state[1] = 0xEFCDAB89;
    context.state[2] = 0x98BADCFE;
    context.state[3] = 0x10325476;
    std::memset(context.block, 0, sizeof(context.block));
    std::memset(context.digest, 0, sizeof(context.digest));
}

void Md5Transform(VQMd5Context& context, const unsigned char* block) {
    uint32_t x[16];
    for (int i = 0; i < 16; ++i) {
        x[i] = static_cast<uint32_t>(block[i * 4]) | (static_cast<uint32_t>(block[i * 4 + 1]) << 8) |
               (static_cast<uint32_t>(block[i * 4 + 2]) << 16) | (static_cast<uint32_t>(block[i * 4 + 3]) << 24);
    }
    uint32_t a = context.state[0], b = context.state[1], c = context.state[2], d = context.state[3];

    FF(a, b, c, d, x[0], 7, 0xd76aa478);
    FF(d, a, b, c, x[1], 12, 0xe8c7b756);
    FF(c, d, a, b, x[2], 17, 0x242070db);
    FF(b, c, d, a, x[3], 22, 0xc1bdceee);
    FF(a, b, c, d, x[4], 7, 0xf57c0faf);
    FF(d, a, b, c, x[5], 12, 0x4787c62a);
    FF(c, d, a, b, x[6], 17, 0xa8304613);
    FF(b, c, d, a, x[7], 22, 0xfd469501);
    FF(a, b, c, d, x[8], 7, 0x698098d8);
    FF(d, a, b, c, x[9], 12, 0x8b44f7af);
    FF(c, d, a, b, x[10], 17, 0xffff5bb1);
    FF(b, c, d, a, x[11], 22, 0x895cd7be);
    FF(a, b, c, d, x[12], 7, 0x6b901122);
    FF(d, a, b, c, x[13], 12, 0xfd987193);
    FF(c, d, a, b, x[14], 17, 0xa679438e);
    FF(b, c, d, a, x[15], 22, 0x49b40821);

    GG(a, b, c, d, x[1], 5, 0xf61e2562);
    GG(d, a, b, c, x[6], 9, 0xc040b340);
    GG(c, d, a, b, x[11], 14, 0x265e5a51);
    GG(b, c, d, a, x[0], 20, 0xe9b6c7aa);
    GG(a, b, c, d, x[5], 5, 0xd62f105d);
    GG(d, a, b, c, x[10], 9, 0x02441453);
    GG(c, d, a, b, x[15], 14, 0xd8a1e681);
    GG(b, c, d, a, x[4], 20, 0xe7d3fbc8);
    GG(a, b, c, d, x[9], 5, 0x21e1cde6);
    GG(d, a, b, c, x[14], 9, 0xc33707d6);
    GG(c, d, a, b, x[3], 14, 0xf4d50d87);
    GG(b, c, d, a, x[8], 20, 0x455a14ed);
    GG(a, b, c, d, x[13], 5, 0xa9e3e905);
    GG(d, a, b, c, x[2], 9, 0xfcefa3f8);
    GG(c, d, a, b, x[7], 14, 0x676f02d9);
    GG(b, c, d, a, x[12], 20, 0x8d2a4c8a);

    HH(a, b, c, d, x[5], 4, 0xfffa3942);
    HH(d, a, b, c, x[8], 11, 0x8771f681);
    HH(c, d, a, b, x[11], 16, 0x6d9d6122);
    HH(b, c, d, a, x[14], 23, 0xfde5380c);
    HH(a, b, c, d, x[1], 4, 0xa4beea44);
    HH(d, a, b, c, x[4], 11, 0x4bdecfa9);
    HH(c, d, a, b, x[7], 16, 0xf6bb4b60);
    HH(b, c, d, a, x[10], 23, 0xbebfbc70);
    HH(a, b, c, d, x[13], 4, 0x289b7ec6);
    HH(d, a, b, c, x[0], 11, 0xeaa127fa);
    HH(c, d, a, b, x[3], 16, 0xd4ef3085);
    HH(b, c, d, a, x[6], 23, 0x04881d05);
    HH(a, b, c, d, x[9], 4, 0xd9d4d039);
    HH(d, a, b, c, x[12], 11, 0xe6db99e5);
    HH(c, d, a, b, x[15], 16, 0x1fa27cf8);
    HH(b, c, d, a, x[2], 23, 0xc4ac5665);

    II(a, b, c, d, x[0], 6, 0xf4292244);
    II(d, a, b, c, x[7], 10, 0x432aff97);
    II(c, d, a, b, x[14], 15, 0xab9423a7);
    II(b, c, d, a, x[5], 21, 0xfc93a039);
    II(a, b, c, d, x[12], 6, 0x655b59c3);
    II(d, a, b, c, x[3], 10, 0x8f0ccc92);
    II(c, d, a, b, x[10], 15, 0xffeff47d);
    II(b, c, d, a, x[1], 21, 0x85845dd1);
    II(a, b, c, d, x[8], 6, 0x6fa87e4f);
    II(d, a, b, c, x[15], 10, 0xfe2ce6e0);
    II(c, d, a, b, x[6], 15, 0xa3014314);
    II(b, c, d, a, x[13], 21, 0x4e0811a1);
    II(a, b, c, d, x[4], 6, 0xf7537e82);
    II(d, a, b, c, x[11], 10, 0xbd3af235);
    II(c, d, a, b, x[2], 15, 0x2ad7d2bb);
    II(b, c, d, a, x[9], 21, 0xeb86d391);

    context.state[0] += a;
    context.state[1] += b;
    context.state[2] += c;
    context.state[3] += d;
}

void Md5Update(VQMd5Context& context, const void* data, uint32_t length) {
    if (data == nullptr || length == 0)
        return;
    const unsigned char* input = static_cast<const unsigned char*>(data);
    uint32_t used = (context.count[0] >> 3) & 0x3F;
    uint32_t bitsLow = length << 3;
    context.count[0] += bitsLow;
    if (context.count[0] < bitsLow)
        ++context.count[1];
    context.count[1] += length >> 29;

    uint32_t room = 64 - used;
    uint32_t i = 0;
    if (length >= room) {
        std::memcpy(context.block + used, input, room);
        Md5Transform(context, context.block);
        for (i = room; i + 63 < length; i += 64)
            Md5Transform(context, input + i);
        used = 0;
    }
    std::memcpy(context.block + used, input + i, length - i);
}

void Md5Final(VQMd5Context& context) {
    unsigned char bits[8];
    StoreLittleEndian(context.count[0], bits);
    StoreLittleEndian(context.count[1], bits + 4);
    static const unsigned char kPadding[64] = {0x80};
    uint32_t used = (context.count[0] >> 3) & 0x3F;
    uint32_t padLength = used < 56 ? 56 - used : 120 - used;
    Md5Update(context, kPadding, padLength);
    Md5Update(context, bits, 8);
    for (int i = 0; i < 4; ++i)
        StoreLittleEndian(context.state[i], context.digest + i * 4);
}

std::wstring BytesToHexUpper(const unsigned char* digest) {
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text(32, L'0');
    for (int i = 0; i < 16; ++i) {
        text[i * 2] = kDigits[digest[i] >> 4];
        text[i * 2 + 1] = kDigits[digest[i] & 0x0F];
    }
    return text;
}

std::wstring Md5OfBuffer(const void* data, int32_t length) {
    VQMd5Context context;
    if (data == nullptr || length < 1)
        return BytesToHexUpper(context.digest);  // all zero
    Md5Update(context, data, static_cast<uint32_t>(length));
    Md5Final(context);
    return BytesToHexUpper(context.digest);
}

std::wstring Md5OfFile(const std::wstring& path) {
    return Md5OfFile(path, std::function<bool()>());
}

std::wstring Md5OfFile(const std::wstring& path, const std::function<bool()>& cancelled) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(file, path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL))
        return std::wstring();
    uint64_t size = 0;
    if (!GetFileHandleSize(file, size) || size == 0) {
        CloseFileHandle(file);
        return std::wstring();
    }
    VQMd5Context context;
    VQBuffer<unsigned char> chunk(kMd5ChunkSize);
    uint64_t total = 0;
    uint32_t got = 0;
    while (ReadFileHandle(file, chunk.data, chunk.size, &got)) {
        if (cancelled && cancelled()) {
            CloseFileHandle(file);
            return std::wstring();
        }
        Md5Update(context, chunk.data, got);
        total += got;
    }
    CloseFileHandle(file);
    // A read that failed before the end would give the digest of part of
    // the file, which must never pass for the whole.
    if (total < size)
        return std::wstring();
    Md5Final(context);
    return BytesToHexUpper(context.digest);
}

}  // namespace Tessar
