#include "tools/vqtool/DemoWorld.h"

#include "VQCore/download/ConverterRegistry.h"
#include "VQCore/download/GamePackageWriter.h"
#include "VQCore/download/PackageMeta.h"
#include "VQCore/download/PackageWriter.h"
#include "VQCore/gamelib/GameId.h"
#include "common/CodePage.h"
#include "common/FileReplace.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "common/FormatText.h"

#include <map>
#include <set>

namespace Tessar {

namespace {

// Places in the library's first row (published single-player games in id
// order) whose games come over peer-to-peer; every other download is HTTP.
const size_t kPeerToPeerPlaces[] = {1, 6};
// The first single-player game runs on any system and needs DirectX 9/10,
// Visual C++ 2008 SP1 and Java (depend bits of the environment window).
const uint16_t kFirstGameRuntimes = 0x0004 | 0x0040 | 0x0200;
const int kFlashWidth = 640;
const int kFlashHeight = 480;

const wchar_t* RoadName(VQDemoRoad road) {
    switch (road) {
    case VQDemoRoad::kHttp: return L"http";
    case VQDemoRoad::kPeerToPeer: return L"p2p";
    case VQDemoRoad::kFlash: return L"flash";
    case VQDemoRoad::kWeb: return L"web";
    }
    return L"http";
}

std::wstring PackageName(const VQGameRecord& game) {
    return FormatString(IsFlashGameId(game.ID) ? L"%05u.vqb" : L"%05u.vqz", game.ID);
}

// Bits written from the most significant one on, as SWF's RECT wants them.
class BitWriter {
public:
    void Put(uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            if (m_used == 0) m_bytes.push_back(0);
            if ((value >> i) & 1) m_bytes.back() = static_cast<char>(m_bytes.back() | (0x80 >> m_used));
            m_used = (m_used + 1) % 8;
        }
    }
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
    int m_used = 0;
};

void PutU16(std::string& out, uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

// A real, smallest movie: one frame of the card's colour at the game's
// size (SWF 10: header, frame rectangle in twips, 24 frames a second,
// SetBackgroundColor, ShowFrame, End).
std::string MakeMovie(uint32_t colour) {
    const int kBits = 15;
    BitWriter rect;
    rect.Put(kBits, 5);
    rect.Put(0, kBits);
    rect.Put(kFlashWidth * 20, kBits);
    rect.Put(0, kBits);
    rect.Put(kFlashHeight * 20, kBits);
    std::string body = rect.Bytes();
    PutU16(body, 24 << 8);
    PutU16(body, 1);
    PutU16(body, (9 << 6) | 3);
    body += static_cast<char>(colour & 0xFF);
    body += static_cast<char>((colour >> 8) & 0xFF);
    body += static_cast<char>((colour >> 16) & 0xFF);
    PutU16(body, 1 << 6);
    PutU16(body, 0);
    std::string movie = "FWS";
    movie += static_cast<char>(10);
    const uint32_t length = static_cast<uint32_t>(8 + body.size());
    for (int i = 0; i < 4; ++i) movie += static_cast<char>((length >> (8 * i)) & 0xFF);
    return movie + body;
}

// UTF-16LE with a byte-order mark: the profile functions read Chinese
// names from it whatever the code page.
std::string Utf16File(const std::wstring& text) {
    std::string bytes("\xFF\xFE", 2);
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

// A folder name of the game's own: its name, with the id when another
// game of the catalogue has that name already.
std::wstring FolderOf(const VQGameRecord& game, std::set<std::wstring>& taken) {
    std::wstring folder = game.GameName;
    for (wchar_t& c : folder)
        if (wcschr(L"\\/:*?\"<>|", c) != nullptr) c = L'_';
    if (folder.empty() || !taken.insert(folder).second) {
        folder += FormatString(L" %05u", game.ID);
        taken.insert(folder);
    }
    return folder;
}

bool WriteGamePackageOf(const VQGameRecord& game, const std::wstring& folder, const std::wstring& program,
                        const std::wstring& path) {
    std::map<std::wstring, std::wstring> meta;
    meta[kMetaFolder] = folder;
    meta[kMetaExe] = L"##install##\\DemoGame.exe";
    // The demo game shows its first argument as the window's title.
    meta[kMetaArgs] = L"\"" + game.GameName + L"\"";
    VQTocNode root(nullptr, kTocFolder);
    AddBytesEntry(root, kMetaEntryName, kTocInline, EncodePackageMeta(meta), kConverterZip);
    AddFileEntry(root, L"DemoGame.exe", program, kConverterZip);
    return WritePackage(root, path);
}

bool WriteFlashPackageOf(const VQGameRecord& game, const std::wstring& folder, const std::wstring& path) {
    static const uint32_t kColours[] = {0x2D7FF9, 0xFF8A00, 0x2FB36B, 0xE5484D, 0x8E5CD9, 0x1EA7B8};
    const std::wstring movie = FormatString(L"%05u.swf", game.ID);
    const std::wstring config = L"[main]\r\nname=" + game.GameName + L"\r\nswf=" + movie +
                                L"\r\nhelp=help.txt\r\nwidth=" + std::to_wstring(kFlashWidth) +
                                L"\r\nheight=" + std::to_wstring(kFlashHeight) + L"\r\n";
    const std::string help = WideToUtf8(game.GameName + L"：用鼠标点击开始游戏。\r\n");
    std::vector<VQGamePackSource> sources(4);
    sources[0].item.type = kGameItemFolder;
    const struct {
        std::wstring name;
        std::string bytes;
    } files[] = {
        {L"config.ini", Utf16File(config)},
        {movie, MakeMovie(kColours[game.ID % (sizeof(kColours) / sizeof(kColours[0]))])},
        {L"help.txt", help},
    };
    if (!SetGamePackageItemPath(sources[0].item, folder)) return false;
    for (size_t i = 0; i < 3; ++i) {
        VQGamePackSource& source = sources[i + 1];
        source.item.type = kGameItemFile;
        source.bytes = files[i].bytes;
        if (!SetGamePackageItemPath(source.item, folder + L"\\" + files[i].name)) return false;
    }
    return WriteGamePackage(sources, path);
}

}  // namespace

void ShapeDemoGames(std::vector<VQGameRecord>& games) {
    size_t place = 0;
    for (VQGameRecord& game : games) {
        game.DLType = 1;
        if (IsWebGameId(game.ID)) game.League = 1;
        if (!IsSingleGameId(game.ID) || !game.Publish) continue;
        if (place == 0) {
            // Any system will do: its runtimes are what the check shows.
            game.Depend = kFirstGameRuntimes;
            game.OS = 0;
        }
        for (size_t p2p : kPeerToPeerPlaces)
            if (place == p2p) game.DLType = 2;
        ++place;
    }
}

VQDemoRoad DemoRoadOf(const VQGameRecord& game) {
    if (IsWebGameId(game.ID)) return VQDemoRoad::kWeb;
    if (IsFlashGameId(game.ID)) return VQDemoRoad::kFlash;
    return game.DLType == 2 ? VQDemoRoad::kPeerToPeer : VQDemoRoad::kHttp;
}

bool WriteDemoWorld(const std::vector<VQGameRecord>& games, const std::wstring& world,
                    const std::wstring& demoGameProgram) {
    const std::wstring packages = world + L"packages\\";
    if (!CreateFolderChain(packages) || !FileExists(demoGameProgram)) return false;
    std::wstring list =
        L"# The demo catalogue's games and how each is fetched (written by vqtool demo):\n"
        L"# id road package name; road is http, p2p, flash or web; package is - for web games.\n";
    std::set<std::wstring> folders;
    for (const VQGameRecord& game : games) {
        const VQDemoRoad road = DemoRoadOf(game);
        std::wstring package = L"-";
        if (road != VQDemoRoad::kWeb) {
            package = PackageName(game);
            const std::wstring folder = FolderOf(game, folders);
            const bool written = road == VQDemoRoad::kFlash
                                     ? WriteFlashPackageOf(game, folder, packages + package)
                                     : WriteGamePackageOf(game, folder, demoGameProgram, packages + package);
            if (!written) return false;
        }
        list += FormatString(L"%05u %s %s ", game.ID, RoadName(road), package.c_str()) + game.GameName + L"\n";
    }
    const std::string bytes = WideToUtf8(list);
    return WriteBytesReplacing(world + L"games.txt", bytes.data(), static_cast<uint32_t>(bytes.size()));
}

}  // namespace Tessar
