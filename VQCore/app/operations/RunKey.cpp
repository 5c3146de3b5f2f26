#include "VQCore/app/operations/RunKey.h"

#include <algorithm>

#include "VQCore/app/pages/GameIcon.h"
#include "common/FormatText.h"
#include "common/Md5.h"
#include "common/TextUtil.h"

namespace Tessar {

std::wstring MakeRunKey(const std::wstring& program, const std::wstring& arguments) {
    if (program.empty() && arguments.empty()) return std::wstring();
    std::wstring joined = program;
    MakeLower(joined);
    std::wstring lowerArguments = arguments;
    MakeLower(lowerArguments);
    joined += lowerArguments;
    return Md5OfBuffer(joined.data(), static_cast<int32_t>(joined.size() * sizeof(wchar_t)));
}

std::wstring MakeRunKey(const VQGameIcon& tile) {
    return MakeRunKey(tile.Data().runProgram, tile.Data().runArguments);
}

std::wstring MakeRunId(uint32_t gameId, const std::wstring& runKey) {
    const std::wstring id = FormatString(L"%05u", gameId);
    if (runKey.empty()) return id;
    return id + L".{" + runKey + L"}";
}

bool RunKeyMatches(const VQGameIcon& tile, uint32_t gameId, const std::wstring& runKey) {
    if (tile.GetGameId() != gameId) return false;
    if (runKey.empty()) return true;
    const std::wstring own = MakeRunKey(tile);
    return CompareNoCase(runKey, own, std::max(runKey.size(), own.size())) == 0;
}

}  // namespace Tessar
