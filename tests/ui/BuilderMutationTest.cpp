// Thousands of damaged copies of the test skin's layout and style, made
// from a fixed seed: each is built, laid out, painted into a memory DC and
// styled, and none may crash or hang. A skin is a file on the user's disk.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "common/Buffer.h"
#include "common/FileHandle.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/SkinFixture.h"
#include "tests/ui/TestWindow.h"
#include "ui/DialogBuilder.h"
#include "ui/PaintManager.h"

namespace Tessar {
namespace {

using Test::TestSkinPath;
using Test::VQTestWindow;

std::string ReadWhole(const std::wstring& path) {
    VQBuffer<unsigned char> bytes;
    if (!ReadFileToBuffer(path, bytes)) return std::string();
    return std::string(reinterpret_cast<const char*>(bytes.data), bytes.size);
}

class Mutator {
public:
    explicit Mutator(uint32_t seed) : m_random(seed) {}

    std::string Mutate(const std::string& original) {
        std::string text = original;
        int rounds = 1 + Below(4);
        for (int i = 0; i < rounds && !text.empty(); ++i) MutateOnce(text);
        return text;
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

TEST(BuilderMutationTest, DamagedLayoutsAndStylesNeverCrash) {
    VQTempFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    // The fixtures as the build wrote them (GBK).
    std::string layout = ReadWhole(TestSkinPath(L"MarloxWnd.xml"));
    std::string style = ReadWhole(TestSkinPath(L"style.xml"));
    ASSERT_GT(layout.size(), 1000u);
    ASSERT_GT(style.size(), 100u);

    VQTestWindow window(480, 360);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 480;
    info.bmiHeader.biHeight = -360;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memoryDC = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(memoryDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ oldBitmap = ::SelectObject(memoryDC, bitmap);

    const std::wstring layoutPath = folder.PathOf(L"MarloxWnd.xml");
    const std::wstring stylePath = folder.PathOf(L"style.xml");
    Mutator mutator(20261210);
    const int kVariants = 3000;
    int built = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kVariants; ++i) {
        // A third damage the layout, a third the style, a third both.
        int which = i % 3;
        ASSERT_TRUE(folder.WriteFile(L"MarloxWnd.xml", which == 1 ? layout : mutator.Mutate(layout)));
        ASSERT_TRUE(folder.WriteFile(L"style.xml", which == 0 ? style : mutator.Mutate(style)));
        VQPaintManager manager;
        manager.Init(window.Handle());
        VQDialogBuilder builder;
        VQControl* root = builder.Create(layoutPath, L"TestWnd", MarkupFromFile, L"", &manager);
        if (root == nullptr) continue;
        ++built;
        manager.AttachRootControl(root);
        root->SetPos(0, 0, 480, 360);
        VQDialogBuilder styler;
        styler.LoadMarkup(&manager, stylePath, L"TestWnd", MarkupFromFile);
        root->SetPos(0, 0, 480, 360);
        RECT all = {0, 0, 480, 360};
        root->DoPaint(memoryDC, all);
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::SelectObject(memoryDC, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(memoryDC);
    // Many variants still hold a usable window; the damage must not have
    // stopped every build.
    EXPECT_GT(built, kVariants / 10);
    EXPECT_LT(built, kVariants);
    EXPECT_LT(seconds, 60.0);
    std::printf("%d variants, %d built, %.1f s\n", kVariants, built, seconds);
}

}  // namespace
}  // namespace Tessar
