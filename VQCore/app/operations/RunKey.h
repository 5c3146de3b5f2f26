#pragma once
// The run key and run id of an installed game's tile. A game can be
// installed more than once (a tool with several programs, a game added by
// hand beside its catalogue twin); the run key tells those tiles apart in
// desktop shortcuts and second-start requests.

#include <cstdint>
#include <string>

namespace Tessar {

class VQGameIcon;

// Upper-case hex MD5 of the lower-cased program followed by the lower-cased
// arguments (their UTF-16 code units, no terminators); empty when both are
// empty.
std::wstring MakeRunKey(const std::wstring& program, const std::wstring& arguments);
std::wstring MakeRunKey(const VQGameIcon& tile);
// "%05d" of the id without a key, else "%05d.{key}": what follows
// "-exec_app=" in a shortcut.
std::wstring MakeRunId(uint32_t gameId, const std::wstring& runKey);
// True when the tile is the one a request names: same id, and the key is
// empty or equals the tile's run key, letter case ignored.
bool RunKeyMatches(const VQGameIcon& tile, uint32_t gameId, const std::wstring& runKey);

}  // namespace Tessar
