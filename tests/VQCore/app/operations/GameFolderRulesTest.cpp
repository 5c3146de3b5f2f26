// The rules for removing one installed game's folder, gathered from the
// window's tiles: every other installed game's program and folders and the
// downloads' files are kept; the game's own copies on the quick strip are no
// other game.
#include "VQCore/app/operations/GameFolderRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "VQCore/app/pages/GameIcon.h"
#include "tests/VQCore/app/TileTestHost.h"

namespace Tessar {
namespace {

bool Holds(const std::vector<std::wstring>& paths, const std::wstring& path) {
    return std::find(paths.begin(), paths.end(), path) != paths.end();
}

TEST(GameFolderRules, OtherGamesAndDownloadsAreKept) {
    std::vector<std::unique_ptr<VQGameIcon>> tiles;
    auto make = [&tiles](uint32_t id, uint32_t state, const std::wstring& program, const std::wstring& arguments) {
        tiles.emplace_back(::Tessar::Test::MakeTile(id, L"game", state));
        tiles.back()->Data().runProgram = program;
        tiles.back()->Data().runArguments = arguments;
        return tiles.back().get();
    };
    VQGameIcon* removed = make(1, kTileInstalled, L"D:\\Games\\Pub\\One\\one.exe", L"-w");
    removed->Data().createdFolder = L"D:\\Games\\Pub";
    VQGameIcon* twin = make(1, kTileInstalled, L"D:\\Games\\Pub\\One\\one.exe", L"-w");  // the quick strip's copy
    VQGameIcon* other = make(2, kTileInstalled, L"D:\\Games\\Pub\\Two\\two.exe", L"-x");
    other->Data().setupFolder = L"D:\\Games\\Pub";
    other->Data().workingFolder = L"D:\\Games\\Pub\\Two";
    VQGameIcon* flash = make(50001, kTileInstalled, L"C:\\Norvane\\Pallico.exe", L"D:\\Games\\Pub\\F\\config.ini");
    flash->Data().createdFolder = L"D:\\Games\\Pub\\F";
    VQGameIcon* notInstalled = make(3, kTileNotInstalled, L"D:\\Games\\Pub\\Three\\three.exe", L"");
    VQGameIcon* download = make(4, kTilePaused, L"", L"");
    download->Data().logPath = L"D:\\Games\\Pub\\four.vqz.vql";
    VQGameIcon* waiting = make(5, kTileDownloaded, L"", L"");
    waiting->Data().setupPath = L"D:\\Games\\Pub\\five.exe";

    const VQGameFolderRules rules =
        GameFolderRulesFor(*removed, {removed, twin, other, flash, notInstalled}, {download, waiting});
    const struct {
        const char* name;
        std::wstring path;
        bool kept;
    } cases[] = {
        {"another game's program", L"D:\\Games\\Pub\\Two\\two.exe", true},
        {"another game's folder", L"D:\\Games\\Pub", true},
        {"another game's working folder", L"D:\\Games\\Pub\\Two", true},
        {"a Flash game's config.ini", L"D:\\Games\\Pub\\F\\config.ini", true},
        {"a Flash game's own folder", L"D:\\Games\\Pub\\F", true},
        {"a paused download's resume record", L"D:\\Games\\Pub\\four.vqz.vql", true},
        {"a package waiting for its install", L"D:\\Games\\Pub\\five.exe", true},
        {"the game's own program", L"D:\\Games\\Pub\\One\\one.exe", false},
        {"a not installed tile's program", L"D:\\Games\\Pub\\Three\\three.exe", false},
        {"arguments that are no path", L"-x", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.kept, Holds(rules.keptPaths, c.path)) << c.name;
}

}  // namespace
}  // namespace Tessar
