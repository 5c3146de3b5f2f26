#include "common/FileCipher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace Tessar {
namespace {

std::string FromHex(const char* hex) {
    std::string bytes;
    for (size_t i = 0; hex[i] != '\0' && hex[i + 1] != '\0'; i += 2)
        bytes += static_cast<char>(std::stoi(std::string(hex + i, 2), nullptr, 16));
    return bytes;
}

std::string Cipher(const std::string& input, bool encrypt) {
    uint32_t key[kCipherKeyWords];
    BuildCipherKey(key);
    std::string output(input.size(), '\0');
    EXPECT_TRUE(CipherBuffer(static_cast<uint32_t>(input.size()), key, input.data(), &output[0], encrypt));
    return output;
}

// Golden values: files enciphered by earlier builds must stay readable, so
// the key table and the transform are frozen here. The ciphertexts were
// computed by a separate implementation of the transform.
TEST(FileCipherTest, KeyTableIsFrozen) {
    const uint32_t expected[kCipherKeyWords] = {0xD65D23A8, 0x7F1418AF, 0xA28E7D54, 0xB185EC19,
                                                0x527AB834, 0x1CED65EB, 0x88BE3152, 0xEF21C881};
    uint32_t key[kCipherKeyWords];
    BuildCipherKey(key);
    for (uint32_t i = 0; i < kCipherKeyWords; ++i)
        EXPECT_EQ(expected[i], key[i]) << "key word " << i;
}

struct GoldenCase {
    const char* name;
    const char* plainHex;
    const char* cipherHex;
};

const GoldenCase kGoldenCases[] = {
    {"zero block", "0000000000000000", "2F1D47F70B8D6C5E"},
    // "Tessar data file" then a 3-byte tail ("end") that stays as it is.
    {"two blocks and tail", "54657373617220646174612066696C65656E64",
     "CFCBD1F89BC79D928C6577E774C4AEA1656E64"},
};

TEST(FileCipherTest, EnciphersAndDeciphersGoldenBlocks) {
    for (const GoldenCase& c : kGoldenCases) {
        std::string plain = FromHex(c.plainHex);
        std::string cipher = FromHex(c.cipherHex);
        EXPECT_EQ(cipher, Cipher(plain, true)) << c.name;
        EXPECT_EQ(plain, Cipher(cipher, false)) << c.name;
    }
}

TEST(FileCipherTest, RoundTripKeepsEveryLength) {
    for (uint32_t length = 4; length <= 41; ++length) {
        std::string plain(length, '\0');
        for (uint32_t i = 0; i < length; ++i)
            plain[i] = static_cast<char>(i * 37 + length);
        std::string cipher = Cipher(plain, true);
        uint32_t whole = length / 8 * 8;
        EXPECT_EQ(plain.substr(whole), cipher.substr(whole)) << "tail, length " << length;
        if (whole > 0) {
            EXPECT_NE(plain.substr(0, whole), cipher.substr(0, whole)) << "length " << length;
        }
        EXPECT_EQ(plain, Cipher(cipher, false)) << "length " << length;
    }
}

TEST(FileCipherTest, BlocksAreIndependent) {
    std::string block = "ABCDEFGH";
    std::string twelve = Cipher(block + "tail", true);
    EXPECT_EQ("tail", twelve.substr(8));
    std::string sixteen = Cipher(block + block, true);
    EXPECT_EQ(sixteen.substr(0, 8), sixteen.substr(8));
    EXPECT_EQ(twelve.substr(0, 8), sixteen.substr(0, 8));
}

TEST(FileCipherTest, ShortOrNullInputIsRefusedUntouched) {
    uint32_t key[kCipherKeyWords];
    BuildCipherKey(key);
    char input[8] = "abcdefg";
    char output[8] = "XXXXXXX";
    EXPECT_FALSE(CipherBuffer(3, key, input, output, true));
    EXPECT_FALSE(CipherBuffer(0, key, input, output, false));
    EXPECT_EQ(0, std::memcmp(output, "XXXXXXX", 8));
    EXPECT_FALSE(CipherBuffer(8, key, nullptr, output, true));
    EXPECT_FALSE(CipherBuffer(8, key, input, nullptr, true));
    EXPECT_FALSE(CipherBuffer(8, nullptr, input, output, true));
    // 4 to 7 bytes are only copied.
    EXPECT_TRUE(CipherBuffer(5, key, input, output, true));
    EXPECT_EQ(0, std::memcmp(output, "abcdeXX", 7));
}

TEST(FileCipherTest, WorksInPlace) {
    std::string plain = FromHex(kGoldenCases[1].plainHex);
    std::string data = plain;
    uint32_t key[kCipherKeyWords];
    BuildCipherKey(key);
    ASSERT_TRUE(CipherBuffer(static_cast<uint32_t>(data.size()), key, &data[0], &data[0], true));
    EXPECT_EQ(FromHex(kGoldenCases[1].cipherHex), data);
}

TEST(FileCipherTest, DecryptBlockInvertsEncryptBlock) {
    uint32_t key[kCipherKeyWords];
    BuildCipherKey(key);
    uint32_t a = 0x12345678, b = 0x9ABCDEF0;
    for (int i = 0; i < 1000; ++i) {
        uint32_t c1 = 0, c2 = 0, p1 = 0, p2 = 0;
        GostEncryptBlock(key, a, b, c1, c2);
        GostDecryptBlock(key, c1, c2, p1, p2);
        ASSERT_EQ(a, p1) << "round " << i;
        ASSERT_EQ(b, p2) << "round " << i;
        a = a * 1664525u + 1013904223u;
        b ^= c1;
    }
}

// Large buffers are shared out over threads; every block, the last ones
// and the tail included, must come out as from the block transform.
TEST(FileCipherTest, LargeBuffersMatchTheBlockTransform) {
    uint32_t key[kCipherKeyWords];
    BuildCipherKey(key);
    for (uint32_t length : {(3u << 20) + 5, (1u << 20) + 8 * 3, 1u << 20}) {
        SCOPED_TRACE(length);
        std::string plain(length, '\0');
        for (uint32_t i = 0; i < length; ++i)
            plain[i] = static_cast<char>(i * 2654435761u >> 24);
        const std::string cipher = Cipher(plain, true);
        for (uint32_t at = 0; at + 8 <= length; at += 8) {
            uint32_t in[2], out[2], expected[2];
            std::memcpy(in, plain.data() + at, 8);
            GostEncryptBlock(key, in[0], in[1], expected[0], expected[1]);
            std::memcpy(out, cipher.data() + at, 8);
            ASSERT_EQ(expected[0], out[0]) << "block at " << at;
            ASSERT_EQ(expected[1], out[1]) << "block at " << at;
        }
        EXPECT_EQ(plain.substr(length / 8 * 8), cipher.substr(length / 8 * 8));
        std::string inPlace = cipher;
        ASSERT_TRUE(CipherBuffer(length, key, &inPlace[0], &inPlace[0], false));
        EXPECT_TRUE(inPlace == plain);
    }
}

TEST(FileCipherTest, ThreadsCipherAtOnceWithTheSameResult) {
    std::string plain(4096 + 5, '\0');
    for (size_t i = 0; i < plain.size(); ++i)
        plain[i] = static_cast<char>(i ^ (i >> 5));
    const std::string expected = Cipher(plain, true);
    const int kThreads = 8;
    std::vector<std::string> results(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&plain, &results, t] {
            uint32_t key[kCipherKeyWords];
            BuildCipherKey(key);
            std::string out(plain.size(), '\0');
            for (int round = 0; round < 20; ++round) {
                if (!CipherBuffer(static_cast<uint32_t>(plain.size()), key, plain.data(), &out[0], true))
                    return;
            }
            results[t] = out;
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(expected, results[t]) << "thread " << t;
}

}  // namespace
}  // namespace Tessar
