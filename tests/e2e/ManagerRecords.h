#pragma once
// What the end-to-end tests read back from a manager's run: its game
// lists, the requests the update server saw, and the processes it started.

#include <windows.h>

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <string>
#include <vector>

#include "VQCore/gamelib/InstalledXmlFile.h"

namespace Tessar {
namespace Test {

class VQUpdateServer;

// The installed record of the game, once the manager has written one.
boost::shared_ptr<VQGameInstalledInfo> InstalledRecord(const std::wstring& listPath, uint32_t id);
bool DownloadListHolds(const std::wstring& listPath, uint32_t id);
// Whether the server saw a request line starting so.
bool HasRequestStarting(const VQUpdateServer& server, const std::string& start);
// How the demo world fetches the game (games.txt of the build's demo
// world, as vqtool demo wrote it): "http", "p2p", "flash" or "web"; empty
// when the game is not listed.
std::string DemoRoadOf(uint32_t id);
// Whether the server saw a request line holding the text (a fault prefix
// comes before the endpoint).
bool HasRequestContaining(const VQUpdateServer& server, const std::string& text);

// The build's stand-in game (GameStandIn.exe).
std::wstring StandInGamePath();
// The "pid|command line" lines the stand-in appended to its record file.
std::vector<std::wstring> ReadStartRecords(const std::wstring& path);
// The process id of such a line.
DWORD ProcessIdOfRecord(const std::wstring& line);
// An installed-games list with one game run by that program;
// `createdFolder` is the folder its install made, when it made one.
bool WriteInstalledGame(const std::wstring& listPath, uint32_t gameId, const std::wstring& program,
                        const std::wstring& arguments, const std::wstring& setupFolder,
                        const std::wstring& createdFolder = std::wstring());
// Waits for the process to end; true also when it is gone already.
bool ProcessEnded(DWORD pid, DWORD timeoutMs);
// Ends the process (a game a test started through the manager).
void EndProcess(DWORD pid);

}  // namespace Test
}  // namespace Tessar
