// The demo world's part of `vqtool demo`: how each game of the demo
// catalogue is fetched (its road), the packages the demo servers hand out,
// and games.txt, the plain list of roads that
// tests/support/servers/demo_world.py reads to answer the manager.
#pragma once

#include "VQCore/gamelib/GameRecord.h"

#include <string>
#include <vector>

namespace Tessar {

enum class VQDemoRoad {
    kHttp,        // a "VQZ" package over HTTP ranges (nginx)
    kPeerToPeer,  // the same kind of package from a seeder (aria2c)
    kFlash,       // a format B package over HTTP, played in Pallico
    kWeb,         // no download: the page opens in Dravenn
};

// Sets what the roads need on the records: the download type (a few
// single-player games of the library's first row come over peer-to-peer,
// the other downloads over HTTP), the browser flag of every web game, and
// the runtime requirements of the first single-player game (any system,
// three runtimes).
void ShapeDemoGames(std::vector<VQGameRecord>& games);

VQDemoRoad DemoRoadOf(const VQGameRecord& game);

// Writes into the world folder games.txt and, below packages\, one package
// per game that downloads: NNNNN.vqz (the demo game program, installed into
// a folder named after the game and started with the game's name) or
// NNNNN.vqb (a Flash game: config.ini, a movie and a help text).
bool WriteDemoWorld(const std::vector<VQGameRecord>& games, const std::wstring& world,
                    const std::wstring& demoGameProgram);

}  // namespace Tessar
