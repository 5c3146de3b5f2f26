#include "VQCore/app/pages/GameIconTipText.h"

#include "VQCore/gamelib/GameId.h"

namespace Tessar {

namespace {

const wchar_t* const kSingleGenres[] = {L"全部游戏", L"即时战略", L"角色扮演", L"体育竞技", L"动作冒险",
                                        L"动作射击", L"策略战棋", L"休闲益智", L"第一人称射击", L"动作游戏",
                                        L"桌面棋牌", L"模拟经营", L"赛车竞速", L"格斗街机", L"休闲街机"};
const wchar_t* const kFlashGenres[] = {L"全部游戏", L"益智", L"敏捷", L"体育", L"射击", L"冒险",
                                       L"动作", L"解谜", L"休闲", L"儿童", L"战争", L"换装"};
const wchar_t* const kToolGenres[] = {L"全部工具", L"对战平台", L"棋牌游戏", L"游戏助手", L"系统工具"};
// Kinds 1-6 of the id bands.
const wchar_t* const kKindTexts[] = {L"单机游戏", L"网络游戏", L"flash游戏", L"网页游戏", L"游戏工具", L"自定义"};

template <size_t N>
std::wstring GenreOr(const wchar_t* const (&genres)[N], uint32_t genre, const wchar_t* other) {
    return genre < N ? genres[genre] : other;
}

}  // namespace

std::wstring TipCategoryText(int listId, uint32_t gameId, uint32_t genre) {
    switch (listId) {
    case 114: return GenreOr(kSingleGenres, genre, L"单机游戏");
    case 115: return L"网络游戏";
    case 116: return L"网页游戏";
    case 117: return GenreOr(kFlashGenres, genre, L"flash游戏");
    case 118: return GenreOr(kToolGenres, genre, L"游戏工具");
    case 119: return std::wstring();
    default: break;
    }
    const int kind = static_cast<int>(GameKindOf(gameId));
    return kind >= 1 && kind <= 6 ? kKindTexts[kind - 1] : L"未知游戏";
}

}  // namespace Tessar
