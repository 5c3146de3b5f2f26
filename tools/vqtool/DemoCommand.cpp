// vqtool demo FOLDER COUNT [WORLD DEMOGAME]: the demo catalogue that
// `bash scripts/run` and the end-to-end tests serve: FOLDER\data\database.vqx
// with COUNT games of generated Chinese names, FOLDER\data\hot.vqx (a hot
// list drawn from them) and FOLDER\pic\NNNNN.vqp, an enciphered picture
// per game: a coloured card carrying the game's first character. With
// WORLD, the records carry what their roads need and WORLD receives the
// roads (games.txt) and the packages, made with the demo game program
// DEMOGAME (DemoWorld.h).
#include "tools/vqtool/Command.h"
#include "tools/vqtool/DemoWorld.h"

#include "bench/CatalogueGenerator.h"
#include "common/Buffer.h"
#include "common/FileCipher.h"
#include "common/FileReplace.h"
#include "common/FileUtil.h"
#include "common/FormatText.h"
#include "common/ScrambledXmlFile.h"
#include "common/XmlDocument.h"
#include "common/XmlElement.h"
#include "tools/imageencode/BitmapCanvas.h"
#include "tools/imageencode/ImageEncode.h"
#include "VQCore/gamelib/GameId.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>


namespace Tessar {
namespace {

const int kCardSide = 64;
const uint32_t kDemoSeed = 20261210;
const size_t kHotPerKind = 6;

// Card colours: saturated but calm, picked by the game id.
const COLORREF kCardColours[] = {
    RGB(0x2D, 0x7F, 0xF9), RGB(0xFF, 0x8A, 0x00), RGB(0x2F, 0xB3, 0x6B), RGB(0xE5, 0x48, 0x4D),
    RGB(0x8E, 0x5C, 0xD9), RGB(0x1E, 0xA7, 0xB8), RGB(0xD9, 0x5C, 0x9E), RGB(0x5C, 0x6B, 0xC0),
};

// Draws the card with GDI into a 32-bit DIB and returns it as PNG bytes.
bool DrawCard(uint32_t id, wchar_t character, std::string& png) {
    VQBitmapCanvas canvas(kCardSide, kCardSide);
    if (!canvas.IsValid()) return false;
    HDC dc = canvas.DC();
    COLORREF colour = kCardColours[id % (sizeof(kCardColours) / sizeof(kCardColours[0]))];
    // A vertical blend from the colour to a darker shade.
    for (int y = 0; y < kCardSide; ++y) {
        int shade = 100 - y * 25 / kCardSide;
        COLORREF row = RGB(GetRValue(colour) * shade / 100, GetGValue(colour) * shade / 100,
                           GetBValue(colour) * shade / 100);
        HBRUSH brush = CreateSolidBrush(row);
        RECT line = {0, y, kCardSide, y + 1};
        FillRect(dc, &line, brush);
        DeleteObject(brush);
    }
    HFONT font = CreateFontW(-kCardSide * 5 / 8, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH,
                             L"WenQuanYi Micro Hei");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
    RECT all = {0, 0, kCardSide, kCardSide};
    DrawTextW(dc, &character, 1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    // Opaque RGBA, rounded corners left transparent.
    std::vector<unsigned char> rgba = canvas.OpaqueRgba();
    const int radius = 6;
    for (int y = 0; y < kCardSide; ++y) {
        for (int x = 0; x < kCardSide; ++x) {
            size_t at = (static_cast<size_t>(y) * kCardSide + x) * 4;
            int dx = x < radius ? radius - x : (x >= kCardSide - radius ? x - (kCardSide - radius - 1) : 0);
            int dy = y < radius ? radius - y : (y >= kCardSide - radius ? y - (kCardSide - radius - 1) : 0);
            if (dx * dx + dy * dy > radius * radius) rgba[at + 3] = 0;
        }
    }
    SelectObject(dc, oldFont);
    DeleteObject(font);
    return EncodePng(rgba.data(), kCardSide, kCardSide, png);
}

bool WritePicture(const std::wstring& folder, const VQGameRecord& game, const uint32_t* key) {
    std::string png;
    wchar_t first = game.GameName.empty() ? L'游' : game.GameName[0];
    if (!DrawCard(game.ID, first, png)) return false;
    if (!CipherBuffer(static_cast<uint32_t>(png.size()), key, &png[0], &png[0], true)) return false;
    return WriteBytesReplacing(folder + FormatString(L"%05u.vqp", game.ID), png.data(), png.size());
}

// The hot list: the first published games of each kind.
bool WriteHotList(const std::vector<VQGameRecord>& games, const std::wstring& path) {
    VQXmlDocument document;
    AddElementText(AddElement(&document, L"VERSION"), L"demo-1");
    TiXmlElement* hot = AddElement(&document, L"HOT");
    const wchar_t* kinds[] = {L"PC", L"ONLINE", L"FLASH", L"WEBGAME", L"TOOL"};
    for (int kind = 0; kind < 5; ++kind) {
        TiXmlElement* list = AddElement(hot, kinds[kind]);
        size_t count = 0;
        for (const VQGameRecord& game : games) {
            if (count == kHotPerKind) break;
            if (!game.Publish || static_cast<int>(GameKindOf(game.ID)) != kind + 1) continue;
            AddElementText(AddElement(list, L"ID"), FormatString(L"%u", game.ID));
            ++count;
        }
    }
    VQBuffer<char> bytes;
    if (!ScrambleXmlDocument(document, bytes)) return false;
    return WriteBytesReplacing(path, bytes.data, bytes.size);
}

int RunDemo(const VQToolArgs& args) {
    if (args.size() != 2 && args.size() != 4) return ToolError(L"demo takes FOLDER COUNT [WORLD DEMOGAME]");
    std::wstring folder = args[0];
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    uint32_t count = static_cast<uint32_t>(_wtoi(args[1].c_str()));
    if (count == 0 || count > 20000) return ToolError(L"COUNT must be 1 to 20000");
    const std::wstring data = folder + L"data\\";
    const std::wstring pictures = folder + L"pic\\";
    if (!CreateFolderChain(data) || !CreateFolderChain(pictures)) return ToolError(L"cannot make " + folder);

    std::vector<VQGameRecord> games = Bench::MakeSyntheticGames(count, kDemoSeed);
    if (args.size() == 4) {
        std::wstring world = args[2];
        if (!world.empty() && world.back() != L'\\' && world.back() != L'/') world += L'\\';
        ShapeDemoGames(games);
        if (!WriteDemoWorld(games, world, args[3])) return ToolError(L"cannot write the demo world into " + world);
    }
    if (!Bench::WriteSyntheticCatalogue(games, L"demo-1", data + L"database.vqx", nullptr))
        return ToolError(L"cannot write the catalogue");
    if (!WriteHotList(games, data + L"hot.vqx")) return ToolError(L"cannot write the hot list");
    uint32_t key[kCipherKeyWords];
    BuildCipherKey(key);
    for (const VQGameRecord& game : games)
        if (!WritePicture(pictures, game, key)) return ToolError(FormatString(L"cannot draw game %u", game.ID));
    return 0;
}

const VQToolCommand kDemo(L"demo", L"FOLDER COUNT [WORLD DEMOGAME]   write the demo catalogue, hot list and game pictures\n"
                          L"      (and the demo world's roads and packages)", RunDemo);

}  // namespace
}  // namespace Tessar
