#include "common/Md5.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace Tessar {
namespace {

struct Md5Case {
    const char* input;
    const wchar_t* digest;
};

// The test suite of RFC 1321, appendix A.5, in upper case.
const Md5Case kRfc1321Cases[] = {
    {"a", L"0CC175B9C0F1B6A831C399E269772661"},
    {"abc", L"900150983CD24FB0D6963F7D28E17F72"},
    {"message digest", L"F96B697D7CB7938D525A2F31AAF161D0"},
    {"abcdefghijklmnopqrstuvwxyz", L"C3FCD3D76192E4007DFB496CCA67E13B"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", L"D174AB98D277D9F5A5611C2C9F419D9F"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     L"57EDF4A22BE3C955AC49DA2E2107B67A"},
};

TEST(Md5Test, BufferGivesTheRfc1321Digests) {
    for (const Md5Case& c : kRfc1321Cases) {
        std::string input(c.input);
        EXPECT_EQ(std::wstring(c.digest), Md5OfBuffer(input.data(), static_cast<int32_t>(input.size())))
            << "input: " << c.input;
    }
}

TEST(Md5Test, EmptyOrNullBufferGivesZeroDigest) {
    const std::wstring zeros(32, L'0');
    EXPECT_EQ(zeros, Md5OfBuffer(nullptr, 10));
    EXPECT_EQ(zeros, Md5OfBuffer("abc", 0));
    EXPECT_EQ(zeros, Md5OfBuffer("abc", -1));
}

TEST(Md5Test, UpdatesInPiecesEqualOneUpdate) {
    // Lengths around the 56- and 64-byte edges of padding and blocks.
    std::string data;
    for (int i = 0; i < 300; ++i)
        data += static_cast<char>(i * 7 + 3);
    const uint32_t lengths[] = {1, 55, 56, 57, 63, 64, 65, 119, 120, 128, 129, 300};
    const uint32_t pieces[] = {1, 3, 63, 64, 65};
    for (uint32_t length : lengths) {
        std::wstring whole = Md5OfBuffer(data.data(), static_cast<int32_t>(length));
        for (uint32_t piece : pieces) {
            VQMd5Context context;
            for (uint32_t at = 0; at < length; at += piece)
                Md5Update(context, data.data() + at, length - at < piece ? length - at : piece);
            Md5Final(context);
            EXPECT_EQ(whole, BytesToHexUpper(context.digest)) << "length " << length << " piece " << piece;
        }
    }
}

TEST(Md5Test, BytesToHexUpperFormatsEachByte) {
    unsigned char bytes[16];
    for (int i = 0; i < 16; ++i)
        bytes[i] = static_cast<unsigned char>(i * 17 + 10);
    EXPECT_EQ(L"0A1B2C3D4E5F708192A3B4C5D6E7F809", BytesToHexUpper(bytes));
}

TEST(Md5Test, FileOfAMillionLettersSpansManyChunks) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"a.bin", std::string(1000000, 'a')));
    // The known digest of one million "a".
    EXPECT_EQ(L"7707D6AE4E027C70EEA2A935C2296F21", Md5OfFile(folder.PathOf(L"a.bin")));
}

TEST(Md5Test, FileDigestEqualsBufferDigest) {
    VQTempFolder folder;
    const uint32_t sizes[] = {1, 65535, 65536, 65537, 200000};
    for (uint32_t size : sizes) {
        std::string bytes(size, '\0');
        for (uint32_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>((i * 31) ^ (i >> 8));
        ASSERT_TRUE(folder.WriteFile(L"f.bin", bytes));
        EXPECT_EQ(Md5OfBuffer(bytes.data(), static_cast<int32_t>(size)), Md5OfFile(folder.PathOf(L"f.bin")))
            << "size " << size;
    }
}

TEST(Md5Test, AFileCheckAskedToStopEndsWithoutADigest) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"a.bin", std::string(1000000, 'a')));
    const struct {
        const char* name;
        int stopAfterChunks;  // -1: never
        const wchar_t* digest;
    } cases[] = {
        {"never asked to stop", -1, L"7707D6AE4E027C70EEA2A935C2296F21"},
        {"stopped before the first chunk", 0, L""},
        {"stopped after the third chunk", 3, L""},
    };
    for (const auto& c : cases) {
        int looks = 0;
        const std::wstring digest = Md5OfFile(folder.PathOf(L"a.bin"), [&] {
            ++looks;
            return c.stopAfterChunks >= 0 && looks > c.stopAfterChunks;
        });
        EXPECT_EQ(std::wstring(c.digest), digest) << c.name;
        // Asked before each chunk, and no more once it said stop.
        EXPECT_EQ(c.stopAfterChunks < 0 ? 16 : c.stopAfterChunks + 1, looks) << c.name;
    }
}

TEST(Md5Test, EmptyMissingOrFolderGivesEmptyText) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"empty.bin", std::string()));
    ASSERT_TRUE(folder.MakeFolder(L"sub"));
    EXPECT_EQ(L"", Md5OfFile(folder.PathOf(L"empty.bin")));
    EXPECT_EQ(L"", Md5OfFile(folder.PathOf(L"missing.bin")));
    EXPECT_EQ(L"", Md5OfFile(folder.PathOf(L"sub")));
}

}  // namespace
}  // namespace Tessar
