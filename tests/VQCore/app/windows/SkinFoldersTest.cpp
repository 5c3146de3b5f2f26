// The skin folders as the build ships them: each restyles every window of
// the four programs (a window missing from the selected skin would keep the
// look of the skin chosen before), under its own name and preview.

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <set>
#include <string>

#include "tests/support/LocalServer.h"

namespace Tessar {
namespace {

// A file of the build folder; empty when it is missing.
std::string ReadBuilt(const std::string& relative) {
    const std::wstring path = ::Tessar::Test::UnixToWindowsPath(::Tessar::Test::BinaryDirUnix() + "/" + relative);
    std::string bytes;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        char buffer[8192];
        for (size_t read; (read = fread(buffer, 1, sizeof(buffer), file)) > 0;) bytes.append(buffer, read);
        fclose(file);
    }
    return bytes;
}

std::set<std::string> WindowNames(const std::string& markup) {
    static const std::regex window("<Window name=\"([A-Za-z]+)\"");
    std::set<std::string> names;
    for (auto it = std::sregex_iterator(markup.begin(), markup.end(), window); it != std::sregex_iterator(); ++it)
        names.insert((*it)[1]);
    return names;
}

TEST(SkinFolders, EverySkinRestylesEveryWindowOfTheFourPrograms) {
    std::set<std::string> windows = WindowNames(ReadBuilt("skin/Layouts.xml"));
    ASSERT_GT(windows.size(), 10u);
    // The updater's, the Flash player's and the web game window's.
    windows.insert({"UpdateWnd", "FlashWnd", "GameHelpWnd", "BrowserWnd"});
    const struct {
        const char* folder;
        const char* rootName;  // in the code page (GBK)
    } skins[] = {
        {"default", "\xBE\xAD\xB5\xE4\xC0\xB6"},  // 经典蓝
        {"dark", "\xD2\xB9\xC9\xAB"},              // 夜色
    };
    for (const auto& skin : skins) {
        const std::string markup = ReadBuilt(std::string("skin/folders/") + skin.folder + "/MarloxWnd.xml");
        ASSERT_FALSE(markup.empty()) << skin.folder;
        EXPECT_NE(std::string::npos, markup.find(std::string("<Root name=\"") + skin.rootName + "\" preview=\"preview.png\""))
            << skin.folder;
        const std::set<std::string> styled = WindowNames(markup);
        for (const std::string& window : windows)
            EXPECT_EQ(1u, styled.count(window)) << skin.folder << " lacks " << window;
        EXPECT_FALSE(ReadBuilt(std::string("skin/folders/") + skin.folder + "/preview.png").empty()) << skin.folder;
    }
}

}  // namespace
}  // namespace Tessar
