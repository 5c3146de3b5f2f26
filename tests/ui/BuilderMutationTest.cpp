// Thousands of damaged copies of the test skin's layout, style and
// pictures, made from a fixed seed: each is built, laid out, styled and
// painted into a memory DC, and none may crash or hang. A skin is a file
// on the user's disk.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "common/Buffer.h"
#include "common/FileHandle.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/RenderCanvas.h"
#include "tests/ui/SkinFixture.h"
#include "tests/ui/TestWindow.h"
#include "ui/DialogBuilder.h"
#include "ui/PaintManager.h"
#include "ui/SkinManager.h"

namespace Tessar {
namespace {

using Test::TestSkinFolder;
using Test::VQTestWindow;

std::string ReadWhole(const std::wstring& path) {
    VQBuffer<unsigned char> bytes;
    if (!ReadFileToBuffer(path, bytes)) return std::string();
    return std::string(reinterpret_cast<const char*>(bytes.data), bytes.size);
}

class Mutator {
public:
    explicit Mutator(uint32_t seed) : m_random(seed) {}

    int Pick(int count) { return Below(count); }

    std::string Mutate(const std::string& original) {
        std::string text = original;
        int rounds = 1 + Below(4);
        for (int i = 0; i < rounds && !text.empty(); ++i) MutateOnce(text);
        return text;
    }

    // Damage as a disk or a hostile hand does it to a picture: flipped and
    // lost bytes, a cut file, absurd dimensions in the PNG header.
    std::string MutateImage(const std::string& original) {
        std::string bytes = original;
        if (bytes.empty()) return bytes;
        switch (Below(5)) {
        case 0:
            for (int n = 1 + Below(8); n > 0; --n) bytes[Below(static_cast<int>(bytes.size()))] = static_cast<char>(m_random());
            break;
        case 1:
            bytes.resize(Below(static_cast<int>(bytes.size())));
            break;
        case 2:
            bytes.erase(Below(static_cast<int>(bytes.size())), 1 + Below(64));
            break;
        case 3:
            // Width and height of the PNG header (bytes 16-23).
            if (bytes.size() > 24) {
                static const char* const kSides[] = {"\xFF\xFF\xFF\xFF", "\x7F\xFF\xFF\xFF", "\x00\x00\x00\x00",
                                                     "\x00\x01\x00\x00", "\x00\x00\x40\x00"};
                bytes.replace(16 + 4 * Below(2), 4, kSides[Below(5)], 4);
            }
            break;
        default:
            bytes.insert(Below(static_cast<int>(bytes.size())), std::string(1 + Below(32), static_cast<char>(m_random())));
            break;
        }
        return bytes;
    }

private:
    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(m_random() % static_cast<uint32_t>(n)); }

    // Start of a random number in the text, or npos.
    size_t SomeNumber(const std::string& text) {
        for (int tries = 0; tries < 16; ++tries) {
            size_t at = Below(static_cast<int>(text.size()));
            while (at < text.size() && !(text[at] >= '0' && text[at] <= '9')) ++at;
            if (at < text.size()) return at;
        }
        return std::string::npos;
    }

    void MutateOnce(std::string& text) {
        static const char* const kNumbers[] = {"2147483647", "-2147483648", "99999999999999999999", "-1", "0",
                                               "4294967295", "1e9", "0x7fffffff", "-0", ""};
        static const char* const kFragments[] = {"<", ">", "/>", "</Window>", "<Container>", "<Label/>", "\"", "'",
                                                 "&", "&#0;", "&#xFFFF;", "=", "<!--", "<![CDATA[", "\xA1", "\xFF\xFE",
                                                 " width=\"-99\"", " vscrollbar=\"true\"", " inset=\"9999999,-9,0,0\"",
                                                 " range=\"2147483647\" value=\"-5\"", " hor=\"true\""};
        size_t size = text.size();
        switch (Below(9)) {
        case 0:  // flip a byte
            text[Below(static_cast<int>(size))] = static_cast<char>(m_random());
            break;
        case 1: {  // cut a range
            size_t at = Below(static_cast<int>(size));
            text.erase(at, 1 + Below(64));
            break;
        }
        case 2: {  // duplicate a range
            size_t at = Below(static_cast<int>(size));
            std::string piece = text.substr(at, 1 + Below(200));
            text.insert(Below(static_cast<int>(size)), piece);
            break;
        }
        case 3:  // truncate
            text.resize(Below(static_cast<int>(size)));
            break;
        case 4: {  // replace a number
            size_t at = SomeNumber(text);
            if (at == std::string::npos) break;
            size_t end = at;
            while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
            text.replace(at, end - at, kNumbers[Below(sizeof(kNumbers) / sizeof(kNumbers[0]))]);
            break;
        }
        case 5:  // insert a markup fragment
            text.insert(Below(static_cast<int>(size)), kFragments[Below(sizeof(kFragments) / sizeof(kFragments[0]))]);
            break;
        case 6: {  // nest deeply somewhere
            std::string open, close;
            int levels = Below(2) ? 150 + Below(100) : 1000 + Below(5000);
            for (int i = 0; i < levels; ++i) open += "<VerticalLayout>";
            for (int i = 0; i < levels; ++i) close += "</VerticalLayout>";
            size_t at = text.find("<VerticalLayout name=\"content\"");
            if (at == std::string::npos) at = Below(static_cast<int>(size));
            text.insert(at, open + close);
            break;
        }
        case 7: {  // swap two ranges
            size_t a = Below(static_cast<int>(size));
            size_t b = Below(static_cast<int>(size));
            size_t n = 1 + Below(32);
            if (a + n <= size && b + n <= size) {
                std::string pa = text.substr(a, n);
                std::string pb = text.substr(b, n);
                text.replace(a, n, pb);
                text.replace(b, n, pa);
            }
            break;
        }
        default:  // a zero byte in the middle
            text[Below(static_cast<int>(size))] = 0;
            break;
        }
    }

    std::mt19937 m_random;
};

TEST(BuilderMutationTest, DamagedSkinsNeverCrash) {
    // A copy of the whole test skin (GBK markup, pictures, the enciphered
    // logo) that the variants damage one file at a time.
    VQTempFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    const std::wstring source = TestSkinFolder();
    std::vector<std::wstring> images;
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((source + L"*").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::wstring name = found.cFileName;
        ASSERT_TRUE(::CopyFileW((source + name).c_str(), folder.PathOf(name).c_str(), FALSE));
        if (name.size() > 4 && (name.compare(name.size() - 4, 4, L".png") == 0 || name.compare(name.size() - 4, 4, L".vqp") == 0))
            images.push_back(name);
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    const std::string layout = ReadWhole(folder.PathOf(L"MarloxWnd.xml"));
    const std::string style = ReadWhole(folder.PathOf(L"style.xml"));
    ASSERT_GT(layout.size(), 1000u);
    ASSERT_GT(style.size(), 100u);
    ASSERT_GE(images.size(), 5u);

    // Pictures resolve in the copy; nothing cached from elsewhere is used,
    // and nothing damaged stays cached for later tests.
    VQSkinManager& skins = VQSkinManager::Instance();
    const std::wstring savedFolder = skins.GetResourceFolder();
    skins.SetResourceFolder(folder.Path());
    skins.FreeImageCaches();

    VQTestWindow window(480, 360);
    Tessar::Test::VQRenderCanvas canvas(480, 360);
    const std::wstring layoutPath = folder.PathOf(L"MarloxWnd.xml");
    const std::wstring stylePath = folder.PathOf(L"style.xml");
    Mutator mutator(20261210);
    const int kVariants = 3000;
    int built = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kVariants; ++i) {
        // A quarter each: the layout, the style, both, one picture.
        const int kind = i % 4;
        std::wstring damagedImage;
        std::string savedImage;
        if (kind == 3) {
            damagedImage = images[mutator.Pick(static_cast<int>(images.size()))];
            savedImage = ReadWhole(folder.PathOf(damagedImage));
            ASSERT_TRUE(folder.WriteFile(damagedImage, mutator.MutateImage(savedImage)));
            skins.FreeImageCaches();
        } else {
            ASSERT_TRUE(folder.WriteFile(L"MarloxWnd.xml", kind == 1 ? layout : mutator.Mutate(layout)));
            ASSERT_TRUE(folder.WriteFile(L"style.xml", kind == 0 ? style : mutator.Mutate(style)));
        }
        {
            VQPaintManager manager;
            manager.Init(window.Handle());
            VQDialogBuilder builder;
            VQControl* root = builder.Create(layoutPath, L"TestWnd", MarkupFromFile, L"", &manager);
            if (root != nullptr) {
                ++built;
                manager.AttachRootControl(root);
                root->SetPos(0, 0, 480, 360);
                VQDialogBuilder styler;
                styler.LoadMarkup(&manager, stylePath, L"TestWnd", MarkupFromFile);
                root->SetPos(0, 0, 480, 360);
                RECT all = {0, 0, 480, 360};
                root->DoPaint(canvas.DC(), all);
            }
        }
        if (kind == 3) {
            ASSERT_TRUE(folder.WriteFile(damagedImage, savedImage));
            skins.FreeImageCaches();
        }
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    skins.FreeImageCaches();
    skins.SetResourceFolder(savedFolder);
    // Many variants still hold a usable window; the damage must not have
    // stopped every build.
    EXPECT_GT(built, kVariants / 10);
    EXPECT_LT(built, kVariants);
    // The time is reported, not asserted: test programs share a loaded machine.
    std::printf("%d variants, %d built, %.1f s\n", kVariants, built, seconds);
}

}  // namespace
}  // namespace Tessar
