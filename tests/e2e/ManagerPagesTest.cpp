// The pages as a user goes through them: tab clicks switch pages, and a
// search by Chinese text or by pinyin fills the results page with the
// games the catalogue's search index gives.

#include <gtest/gtest.h>

#include <algorithm>

#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/QueryData.h"
#include "tests/e2e/ManagerHarness.h"

namespace Tessar {
namespace Test {
namespace {

const DWORD kStartTimeout = 90000;
const DWORD kPageTimeout = 30000;

// Where the default skin puts things (main window client coordinates).
const int kTabTop = 57;
const int kTabLeft = 12;
const int kTabWidth = 96;
const POINT kSearchBox = {680, 19};
const POINT kSearchButton = {797, 19};
// The grid of a tile page: 4 rows of 10 cards below the page's bar.
const int kGridColumns = 10;
const int kGridRows = 4;
// A card's picture (48 px, its character in white in the middle) of the
// first cell, and the distance between cells.
const int kCardLeft = 42, kCardTop = 131, kCardPitchX = 91, kCardPitchY = 109;
// The tile area above the quick strip of the installed page.
const RECT kUpperArea = {0, 115, 960, 450};

size_t Saturated(const VQScreenImage& image, const RECT& area) {
    size_t count = 0;
    for (int y = std::max(0L, area.top); y < area.bottom && y < image.height; ++y)
        for (int x = std::max(0L, area.left); x < area.right && x < image.width; ++x) {
            uint32_t c = image.At(x, y);
            int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            if (std::max(r, std::max(g, b)) - std::min(r, std::min(g, b)) > 90) ++count;
        }
    return count;
}

// Cards on the grid: a cell whose picture area is mostly coloured.
int CountCards(const VQScreenImage& image) {
    int cards = 0;
    for (int row = 0; row < kGridRows; ++row)
        for (int column = 0; column < kGridColumns; ++column) {
            // A strip along the picture's top edge, above the character.
            int left = kCardLeft + column * kCardPitchX + 6, top = kCardTop + row * kCardPitchY + 2;
            RECT strip = {left, top, left + 36, top + 6};
            if (Saturated(image, strip) * 10 > static_cast<size_t>(36 * 6) * 6) ++cards;
        }
    return cards;
}

POINT TabCentre(int index) { return POINT{kTabLeft + kTabWidth * index + kTabWidth / 2, kTabTop}; }

// The game library's kind tabs (单机游戏, 网络游戏, ...) on the bar below the
// main tabs: the chosen one is underlined in the accent blue.
const int kKindTabLeft = 16, kKindTabWidth = 88, kKindTabTop = 94, kKindUnderlineY = 107;
const uint32_t kAccentBlue = 0x2D7FF9;

bool KindTabMarked(const VQScreenImage& image, int index) {
    return (image.At(kKindTabLeft + kKindTabWidth * index + kKindTabWidth / 2, kKindUnderlineY) & 0xFFFFFF) ==
           kAccentBlue;
}

class ManagerPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.Prepare());
        m_manager = m_folder.Start(L"");
        WaitFor([&] { return (m_window = m_folder.FindMainWindow(m_manager.pid)) != nullptr || !m_manager.Running(); },
                kStartTimeout);
        ASSERT_NE(nullptr, m_window) << "exit code " << m_manager.ExitCode();
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_window) != FALSE; }, kStartTimeout));
        ASSERT_TRUE(WaitFor([&] { return CountCards(CaptureWindow(m_window)) >= 20; }, kStartTimeout))
            << "the hot page shows no cards";
    }

    void Save(const char* name) {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string file = std::string(info->test_suite_name()) + "." + info->name() + "-" + name + ".png";
        SaveImagePng(CaptureWindow(m_window), ScreenshotFolder() + L"\\" + std::wstring(file.begin(), file.end()));
    }

    // Types into the search box and presses the search button.
    void Search(const std::wstring& text) {
        // The search box is a windowless rich edit: a click gives it the
        // focus, the window hands it the typed characters.
        ClickAt(m_window, kSearchBox);
        PostMessageW(m_window, WM_KEYDOWN, VK_END, 0);
        for (int i = 0; i < 16; ++i) PostMessageW(m_window, WM_KEYDOWN, VK_BACK, 1);
        for (wchar_t c : text) PostMessageW(m_window, WM_CHAR, c, 1);
        ClickAt(m_window, kSearchButton);
    }

    // Waits until the results page shows that many cards; the last count.
    int WaitForCards(int expected) {
        int cards = -1;
        WaitFor([&] { return (cards = CountCards(CaptureWindow(m_window))) == expected; }, kPageTimeout);
        return cards;
    }

    // What the catalogue's index gives for the text.
    std::vector<uint32_t> Expected(const std::wstring& text) {
        std::wstring index = m_folder.Temp().PathOf(L"expected.vqs");
        VQQueryData query;
        std::vector<uint32_t> ids;
        EXPECT_TRUE(query.RebuildIndex(index, m_folder.PathOf(L"data\\database.vqx")));
        EXPECT_TRUE(query.SearchIds(index, text, ids));
        return ids;
    }

    VQManagerFolder m_folder;
    VQManagerProcess m_manager;
    HWND m_window = nullptr;
};

TEST_F(ManagerPagesTest, TabClicksSwitchPages) {
    size_t hotCards = Saturated(CaptureWindow(m_window), kUpperArea);
    Save("hot");
    // My games: nothing installed, so the tile area above the quick strip is empty.
    ClickAt(m_window, TabCentre(0));
    EXPECT_TRUE(WaitFor([&] { return Saturated(CaptureWindow(m_window), kUpperArea) < hotCards / 20; }, kPageTimeout));
    Save("installed");
    // The game library: the single-player games.
    ClickAt(m_window, TabCentre(2));
    EXPECT_TRUE(WaitFor([&] { return CountCards(CaptureWindow(m_window)) == kGridRows * kGridColumns; }, kPageTimeout));
    Save("library");
    // The kind shown is marked as chosen, and the mark follows a click.
    VQScreenImage library = CaptureWindow(m_window);
    EXPECT_TRUE(KindTabMarked(library, 0)) << "单机游戏 is shown but not marked";
    EXPECT_FALSE(KindTabMarked(library, 1));
    ClickAt(m_window, POINT{kKindTabLeft + kKindTabWidth + kKindTabWidth / 2, kKindTabTop});
    EXPECT_TRUE(WaitFor(
        [&] {
            const VQScreenImage image = CaptureWindow(m_window);
            return KindTabMarked(image, 1) && !KindTabMarked(image, 0);
        },
        kPageTimeout))
        << "网络游戏 chosen but the mark did not follow";
    Save("library-online");
    // Back to the hot list.
    ClickAt(m_window, TabCentre(1));
    EXPECT_TRUE(WaitFor([&] { return Saturated(CaptureWindow(m_window), kUpperArea) > hotCards / 2; }, kPageTimeout));
}

// With the opening effect on (as the settings have it by default) a tab
// click slides the pages; when the slide's last step is in, the window
// writes the installed list again (install.vqx, gone before the click).
TEST_F(ManagerPagesTest, APageSlideEndsWithTheInstalledListWrittenAgain) {
    const std::wstring list = m_folder.PathOf(L"data\\install.vqx");
    ::DeleteFileW(list.c_str());
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(list.c_str()));
    const size_t hotCards = Saturated(CaptureWindow(m_window), kUpperArea);
    ClickAt(m_window, TabCentre(0));
    EXPECT_TRUE(WaitFor([&] { return ::GetFileAttributesW(list.c_str()) != INVALID_FILE_ATTRIBUTES; }, kPageTimeout))
        << "install.vqx was not written after the slide";
    EXPECT_TRUE(WaitFor([&] { return Saturated(CaptureWindow(m_window), kUpperArea) < hotCards / 20; }, kPageTimeout))
        << "the hot list still shows after the slide";
    Save("installed");
}

TEST_F(ManagerPagesTest, SearchByChineseTextShowsTheMatchingGames) {
    const std::wstring text = L"梦幻";
    std::vector<uint32_t> expected = Expected(text);
    ASSERT_FALSE(expected.empty());
    VQDatabaseXmlFile database(m_folder.PathOf(L"data\\database.vqx"));
    ASSERT_TRUE(database.Load());
    for (uint32_t id : expected) {
        const VQGameRecord* game = database.FindById(id);
        ASSERT_NE(nullptr, game);
        EXPECT_NE(std::wstring::npos, game->GameName.find(text)) << id;
    }
    Search(text);
    const int shown = std::min<int>(static_cast<int>(expected.size()), kGridRows * kGridColumns);
    EXPECT_EQ(shown, WaitForCards(shown));
    Save("results");
}

TEST_F(ManagerPagesTest, SearchByPinyinShowsTheMatchingGames) {
    const std::wstring text = L"menghuan";
    std::vector<uint32_t> expected = Expected(text);
    ASSERT_FALSE(expected.empty());
    Search(text);
    const int shown = std::min<int>(static_cast<int>(expected.size()), kGridRows * kGridColumns);
    EXPECT_EQ(shown, WaitForCards(shown));
    Save("results");
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
