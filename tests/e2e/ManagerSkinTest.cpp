// A skin folder is the user's to change: a damaged or hostile skin chosen
// on disk leaves the manager running with its built-in skin.

#include <gtest/gtest.h>

#include "tests/e2e/ManagerHarness.h"

namespace Tessar {
namespace Test {
namespace {

const DWORD kStartTimeout = 90000;

struct HostileSkin {
    const char* name;
    std::string layout;
};

std::string DeepNesting(int depth) {
    std::string text = "<Root name=\"bad\" index=\"1\"><Window>";
    for (int i = 0; i < depth; ++i) text += "<Container>";
    for (int i = 0; i < depth; ++i) text += "</Container>";
    return text + "</Window></Root>";
}

size_t CardPixels(HWND window) {
    VQScreenImage image = CaptureWindow(window);
    size_t count = 0;
    for (int y = image.height / 4; y < image.height * 9 / 10; ++y) {
        for (int x = 0; x < image.width; ++x) {
            uint32_t c = image.At(x, y);
            int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            if (std::max(r, std::max(g, b)) - std::min(r, std::min(g, b)) > 90) ++count;
        }
    }
    return count;
}

TEST(ManagerSkinTest, AHostileSkinChosenOnDiskLeavesTheBuiltInSkin) {
    const HostileSkin skins[] = {
        {"truncated markup", "<Root name=\"bad\" index=\"1\"><Window size=\"960,660\"><Default name=\"Button\""},
        {"not markup at all", std::string(4096, '\xFF')},
        {"nesting far too deep", DeepNesting(5000)},
        {"huge sizes and missing pictures",
         "<Root name=\"bad\" index=\"1\"><Window size=\"99999999,99999999\" caption=\"0,0,0,-5\">"
         "<Image name=\"nothere.png\"/><Font name=\"x\" size=\"-2147483648\"/>"
         "<Default name=\"Button\" value=\"bkimage=&quot;file='..\\..\\..\\windows\\win.ini'&quot;\"/>"
         "</Window></Root>"},
    };
    for (const HostileSkin& skin : skins) {
        VQManagerFolder folder;
        ASSERT_TRUE(folder.Prepare()) << skin.name;
        ASSERT_TRUE(folder.Temp().WriteFile(L"Norvane\\skin\\bad\\MarloxWnd.xml", skin.layout)) << skin.name;
        ASSERT_TRUE(folder.Temp().WriteFile(L"Norvane\\skin\\skin.xml",
                                            "<?xml version=\"1.0\"?>\n<SkinSetting name=\"bad\" />\n"))
            << skin.name;
        VQManagerProcess manager = folder.Start(L"");
        HWND window = nullptr;
        WaitFor([&] { return (window = folder.FindMainWindow(manager.pid)) != nullptr || !manager.Running(); },
                kStartTimeout);
        ASSERT_NE(nullptr, window) << skin.name << ": exit code " << manager.ExitCode();
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(window) != FALSE; }, kStartTimeout)) << skin.name;
            size_t cards = 0;
        EXPECT_TRUE(WaitFor([&] { return (cards = CardPixels(window)) > 4 * 40 * 40; }, kStartTimeout))
            << skin.name << ": " << cards << " card pixels";
        EXPECT_TRUE(manager.Running()) << skin.name;
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(manager.WaitForExit(60000)) << skin.name;
    }
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
