// The texts of the tray icon and its balloon, and of the game-icon tip's
// category line.
#include <gtest/gtest.h>

#include "VQCore/app/pages/GameIconTipText.h"
#include "VQCore/app/mainwindow/TrayIcon.h"

namespace Tessar {
namespace {

TEST(TrayText, BalloonTextsKeepAtMostSixtyFourCharacters) {
    const struct {
        const char* name;
        size_t length;
        size_t kept;
    } cases[] = {{"empty", 0, 0}, {"short", 10, 10}, {"exactly 64", 64, 64}, {"65", 65, 64}, {"long", 300, 64}};
    for (const auto& c : cases) {
        const std::wstring text(c.length, L'游');
        EXPECT_EQ(std::wstring(c.kept, L'游'), TrayTextCut(text)) << c.name;
    }
}

TEST(TrayText, ABalloonAsksForOneSecondAndCarriesItsTexts) {
    const NOTIFYICONDATAW data = TrayBalloonData(std::wstring(70, L'游'), L"Tovana游戏");
    EXPECT_EQ(1000u, data.uTimeout);
    EXPECT_EQ(static_cast<DWORD>(NIIF_INFO), data.dwInfoFlags);
    EXPECT_EQ(static_cast<UINT>(NIF_INFO), data.uFlags);
    EXPECT_EQ(1u, data.uID);
    EXPECT_EQ(std::wstring(64, L'游'), std::wstring(data.szInfo));
    EXPECT_EQ(L"Tovana游戏", std::wstring(data.szInfoTitle));
}

TEST(TipCategoryText, GenreOfThePageOrKindOfTheIdBand) {
    const struct {
        const char* name;
        int listId;
        uint32_t gameId;
        uint32_t genre;
        const wchar_t* text;
    } cases[] = {
        {"single-player genre", 114, 12, 1, L"即时战略"},
        {"single-player genre past the list", 114, 12, 15, L"单机游戏"},
        {"online page", 115, 20001, 3, L"网络游戏"},
        {"web page", 116, 70001, 0, L"网页游戏"},
        {"flash genre", 117, 50001, 11, L"换装"},
        {"flash genre 12 or more", 117, 50001, 12, L"flash游戏"},
        {"tool genre", 118, 40001, 4, L"系统工具"},
        {"tool genre past the list", 118, 40001, 5, L"游戏工具"},
        {"download page", 119, 12, 1, L""},
        {"hot page: kind of the id", 113, 50002, 1, L"flash游戏"},
        {"installed page: a custom game", 120, 90001, 0, L"自定义"},
        {"an id outside every band", 120, 99999 + 1, 0, L"未知游戏"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.text, TipCategoryText(c.listId, c.gameId, c.genre)) << c.name;
}

}  // namespace
}  // namespace Tessar
