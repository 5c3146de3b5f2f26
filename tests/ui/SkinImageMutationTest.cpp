// Thousands of damaged variants of the test skin's pictures (fixed seed):
// byte flips, cuts, wild header sizes, and enciphered bytes cut or flipped.
// Each decodes to a bounded picture or to nothing, never a crash or hang.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "common/FileCipher.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/RenderCanvas.h"
#include "ui/SkinManager.h"

namespace Tessar {
namespace {

using Test::ReadWholeFile;
using Test::SkinFixture;

std::string Mutate(const std::string& original, std::mt19937& random) {
    std::string bytes = original;
    switch (random() % 5) {
        case 0: {  // a few flipped bytes
            int flips = 1 + random() % 8;
            for (int i = 0; i < flips; ++i) bytes[random() % bytes.size()] ^= static_cast<char>(1 + random() % 255);
            break;
        }
        case 1:  // cut anywhere
            bytes.resize(random() % bytes.size());
            break;
        case 2: {  // wild sizes in the header
            for (size_t at = 16; at < 24 && at < bytes.size(); ++at) bytes[at] = static_cast<char>(random());
            break;
        }
        case 3: {  // a block of noise somewhere
            size_t at = random() % bytes.size();
            for (size_t i = at; i < bytes.size() && i < at + 64; ++i) bytes[i] = static_cast<char>(random());
            break;
        }
        default: {  // a duplicated stretch
            size_t at = random() % bytes.size();
            bytes.insert(at, bytes.substr(at, random() % 200));
            break;
        }
    }
    return bytes;
}

TEST(SkinImageMutationTest, DamagedPicturesDecodeBoundedOrNotAtAll) {
    const wchar_t* sources[] = {L"window_bk.png", L"button.png", L"logo.png", L"nine-alpha.png", L"solid.bmp"};
    std::mt19937 random(20240611);
    int decoded = 0, refused = 0;
    for (const wchar_t* source : sources) {
        const std::string original = ReadWholeFile(SkinFixture(source));
        ASSERT_FALSE(original.empty());
        for (int i = 0; i < 800; ++i) {
            std::string bytes = Mutate(original, random);
            VQImageInfo* image = DecodeSkinImage(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                                                 0xFFFF00FF);
            if (image == nullptr) {
                ++refused;
                continue;
            }
            ++decoded;
            EXPECT_GT(image->width, 0);
            EXPECT_LE(image->width, kMaxSkinImageSide);
            EXPECT_LE(static_cast<uint64_t>(image->width) * image->height, kMaxSkinImagePixels);
            BITMAP info = {};
            EXPECT_NE(0, ::GetObjectW(image->bitmap, sizeof(info), &info));
            VQSkinManager::FreeImage(image);
        }
    }
    // Both outcomes happen: the variants are neither all harmless nor all fatal.
    EXPECT_GT(decoded, 0);
    EXPECT_GT(refused, 0);
}

TEST(SkinImageMutationTest, DamagedEncipheredPicturesFailCleanly) {
    const std::string original = ReadWholeFile(SkinFixture(L"logo.vqp"));
    ASSERT_FALSE(original.empty());
    VQTempFolder folder;
    VQSkinManager& skins = VQSkinManager::Instance();
    std::mt19937 random(7);
    for (int i = 0; i < 300; ++i) {
        std::string bytes = Mutate(original, random);
        const std::wstring name = L"mutated.vqp";
        ASSERT_TRUE(folder.WriteFile(name, bytes));
        VQImageInfo* image = skins.LoadImageFile(folder.PathOf(name), 0, true);
        if (image != nullptr) {
            EXPECT_LE(image->width, kMaxSkinImageSide);
            VQSkinManager::FreeImage(image);
        }
    }
}

}  // namespace
}  // namespace Tessar
