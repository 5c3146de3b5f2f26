#include "bench/CatalogueGenerator.h"

#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/GameRecordFields.h"
#include "common/Buffer.h"
#include "common/FileReplace.h"
#include "common/FormatText.h"
#include "common/ScrambledXmlFile.h"
#include "common/XmlDocument.h"
#include "common/XmlElement.h"

#include <cstring>
#include <random>

namespace Tessar {
namespace Bench {

namespace {

// Title cores and a Latin spelling for executable names and addresses.
struct Core {
    const wchar_t* name;
    const char* spelling;
};
const Core kCores[] = {
    {L"三国", "sanguo"},   {L"西游", "xiyou"},     {L"仙剑", "xianjian"}, {L"侠客", "xiake"},
    {L"封神", "fengshen"}, {L"水浒", "shuihu"},    {L"征途", "zhengtu"},  {L"天龙", "tianlong"},
    {L"魔域", "moyu"},     {L"赛车", "saiche"},    {L"足球", "zuqiu"},    {L"坦克", "tanke"},
    {L"飞车", "feiche"},   {L"英雄", "yingxiong"}, {L"战神", "zhanshen"}, {L"诛仙", "zhuxian"},
    {L"轩辕", "xuanyuan"}, {L"剑侠", "jianxia"},   {L"神话", "shenhua"},  {L"古墓", "gumu"},
    {L"帝国", "diguo"},    {L"倚天", "yitian"},    {L"射雕", "shediao"},  {L"鹿鼎", "luding"},
    {L"笑傲", "xiaoao"},   {L"赤壁", "chibi"},     {L"江山", "jiangshan"}, {L"武侠", "wuxia"},
    {L"蜀山", "shushan"},  {L"昆仑", "kunlun"},    {L"龙城", "longcheng"}, {L"天下", "tianxia"},
};
const wchar_t* const kPrefixes[] = {L"", L"", L"", L"新", L"大", L"超级", L"梦幻", L"真", L"武林",
                                    L"魔幻", L"疯狂", L"极品", L"热血", L"决战", L"王者"};
const wchar_t* const kSuffixes[] = {L"传", L"传奇", L"战记", L"风云", L"外传", L"群侠传", L"无双", L"志",
                                    L"争霸", L"世界", L"物语", L"OL", L" Online", L"2", L"3", L"3D",
                                    L"豪华版", L"英雄传", L"之刃", L"奇缘", L"录", L"纪元"};
const wchar_t* const kSubtitles[] = {L"：龙之谷", L"：天之痕", L"：云之遥", L"：问情篇", L"：烽火连城",
                                     L"：血色黄昏", L"：江湖再起", L"：魔王归来"};
const wchar_t* const kCities[] = {L"北京", L"上海", L"广州", L"深圳", L"杭州", L"成都", L"南京", L"武汉"};
const wchar_t* const kBrands[] = {L"星辰", L"天宇", L"龙腾", L"华彩", L"飞扬", L"灵动",
                                  L"云海", L"极光", L"雷霆", L"青鸟", L"金石", L"远航"};
const wchar_t* const kTrades[] = {L"网络科技有限公司", L"软件有限公司", L"数码娱乐有限公司", L"互动娱乐有限公司"};
const wchar_t* const kPhrases[] = {
    L"这是一款以中国古代为背景的角色扮演游戏，",  L"玩家将扮演一位初入江湖的少年侠客，",
    L"在广阔的世界中结识伙伴、修炼武功，",        L"游戏画面精美，剧情跌宕起伏，",
    L"拥有丰富的任务系统和多样的战斗方式，",      L"支持多人在线组队挑战强大的首领，",
    L"独创的五行相克系统让战斗更具策略性，",      L"数百件神兵利器等待玩家去发掘，",
    L"经典的回合制玩法带来轻松愉快的体验，",      L"即时战斗的爽快打击感令人热血沸腾，",
    L"精心设计的关卡考验玩家的智慧与反应，",      L"最终揭开千年之前的惊天秘密。",
    L"感受一段荡气回肠的爱情故事。",              L"与好友一起征战沙场，成就一代霸业。",
};
const char* const kSharedExes[] = {"client.exe", "launcher.exe", "game.exe", "start.exe"};

template <typename T, size_t N>
const T& Pick(std::mt19937& random, const T (&items)[N]) {
    return items[std::uniform_int_distribution<size_t>(0, N - 1)(random)];
}

int Between(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

std::wstring Wide(const char* ascii) {
    return std::wstring(ascii, ascii + std::strlen(ascii));
}

std::wstring HexDigits(std::mt19937& random, int count) {
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring text;
    for (int i = 0; i < count; ++i)
        text += kHex[Between(random, 0, 15)];
    return text;
}

// The ids of each kind in a catalogue of count games, in ascending order.
std::vector<uint32_t> MakeIds(uint32_t count) {
    struct Band {
        uint32_t first;
        uint32_t width;
        uint32_t percent;
    };
    const Band bands[] = {{1, 19999, 40}, {20001, 19999, 25}, {40001, 9999, 5}, {50001, 19999, 20}, {70001, 19999, 10}};
    std::vector<uint32_t> ids;
    uint32_t left = count;
    for (size_t b = 0; b < sizeof(bands) / sizeof(bands[0]); ++b) {
        uint32_t n = b + 1 == sizeof(bands) / sizeof(bands[0]) ? left : count * bands[b].percent / 100;
        if (n > bands[b].width)
            n = bands[b].width;
        for (uint32_t i = 0; i < n; ++i)
            ids.push_back(bands[b].first + i);
        left -= n;
    }
    return ids;
}

VQGameRecord MakeGame(uint32_t id, std::mt19937& random) {
    VQGameRecord game;
    game.ID = id;
    const Core& core = Pick(random, kCores);
    const int serial = Between(random, 1, 999);
    game.GameName = std::wstring(Pick(random, kPrefixes)) + core.name + Pick(random, kSuffixes);
    if (Between(random, 0, 3) == 0)
        game.GameName += Pick(random, kSubtitles);
    const std::wstring spelling = Wide(core.spelling) + std::to_wstring(serial);
    const bool online = IsOnlineGameId(id) || IsToolGameId(id);
    game.ExeName = online && Between(random, 0, 2) == 0 ? Wide(Pick(random, kSharedExes)) : spelling + L".exe";
    game.Publish = Between(random, 0, 19) == 0 ? 0 : 1;
    game.Type = static_cast<uint8_t>(Between(random, 0, 5));
    game.Home = L"http://www." + spelling + L".com/";
    const std::wstring company = std::wstring(Pick(random, kCities)) + Pick(random, kBrands) + Pick(random, kTrades);
    if (IsSingleGameId(id) || online) {
        game.Description = game.GameName + L" 主程序";
        game.Company = company;
        game.InternalName = spelling;
        game.OriginalName = game.ExeName;
        if (Between(random, 0, 1) == 0)
            game.DigitalSignature = company;
        game.Md5 = HexDigits(random, 32);
        game.Size = static_cast<uint64_t>(Between(random, 100, 50000)) * 1024;
        game.UninstallKey = Wide(core.spelling) + L"_is1";
    }
    if (online || IsWebGameId(id)) {
        game.Register = game.Home + L"register.html";
        game.Login = game.Home + L"login.html";
        game.Help = game.Home + L"help/";
    }
    if (Between(random, 0, 3) == 0)
        game.Advert = game.Home + L"ad/" + std::to_wstring(serial) + L".html";
    if (IsWebGameId(id))
        game.League = static_cast<uint8_t>(Between(random, 0, 20));
    for (uint32_t i = 0; i < kGameStatusLength; ++i)
        game.Status[i] = Between(random, 0, 3) == 0 ? '1' : '0';
    if (!IsFlashGameId(id) && !IsWebGameId(id)) {
        game.OS = static_cast<uint8_t>(Between(random, 0, 3));
        game.CpuCount = static_cast<uint8_t>(Between(random, 1, 4));
        game.CpuSpeed = static_cast<float>(Between(random, 8, 32)) / 10.0f;
        game.Memory = static_cast<uint32_t>(Between(random, 1, 16)) * 256;
        game.Video = static_cast<uint32_t>(Between(random, 1, 16)) * 64;
        game.InstallSize = static_cast<uint64_t>(Between(random, 50, 20000)) * 1024 * 1024;
        game.Depend = static_cast<uint16_t>(Between(random, 0, 511));
    }
    for (int n = Between(random, 2, 5); n > 0; --n)
        game.Synopsis += Pick(random, kPhrases);
    game.DLType = static_cast<uint32_t>(Between(random, 1, 2));
    return game;
}

}  // namespace

std::vector<VQGameRecord> MakeSyntheticGames(uint32_t count, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<VQGameRecord> games;
    for (uint32_t id : MakeIds(count))
        games.push_back(MakeGame(id, random));
    return games;
}

bool WriteSyntheticCatalogue(const std::vector<VQGameRecord>& games, const std::wstring& version,
                             const std::wstring& path, std::string* plainText) {
    VQXmlDocument document;
    AddElementText(AddElement(&document, L"VERSION"), version);
    TiXmlElement* database = AddElement(&document, L"DATABASE");
    for (const VQGameRecord& game : games)
        WriteGameFields(AddElement(database, L"GAME"), game);
    VQBuffer<char> bytes;
    if (!ScrambleXmlDocument(document, bytes))
        return false;
    if (plainText != nullptr) {
        VQBuffer<char> plain;
        if (!PrintXmlToBuffer(&document, plain))
            return false;
        plainText->assign(plain.data, plain.size - 1);
    }
    return WriteBytesReplacing(path, bytes.data, bytes.size);
}

}  // namespace Bench
}  // namespace Tessar
