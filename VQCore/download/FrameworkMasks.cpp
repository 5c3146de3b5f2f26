#include "VQCore/download/RuntimeMasks.h"

#include "common/PathText.h"
#include "VQCore/download/VersionProbe.h"

namespace Tessar {

namespace {

struct XnaRow {
    uint32_t bit;
    const wchar_t* key;
    const wchar_t* nativeLibrary;
};

const XnaRow kXnaReleases[] = {
    {0x01, L"SOFTWARE\\Microsoft\\XNA\\Framework\\v1.0", L"XnaNative1.dll"},
    {0x02, L"SOFTWARE\\Microsoft\\XNA\\Framework\\v2.0", L"XnaNative2.dll"},
    {0x04, L"SOFTWARE\\Microsoft\\XNA\\Framework\\v3.0", L"XnaNative.dll"},
    {0x08, L"SOFTWARE\\Microsoft\\XNA\\Framework\\v3.1", L"XnaNative.dll"},
    {0x10, L"SOFTWARE\\Microsoft\\XNA\\Framework\\v4.0", L"XnaNative.dll"},
};

// Bits by service-pack level 0, 1, 2; a zero bit means that level counts
// for nothing. anyLevel: the level-0 bit stands for every level.
struct DotNetRow {
    const wchar_t* key;
    uint32_t bits[3];
    bool anyLevel;
};

const DotNetRow kDotNetReleases[] = {
    {L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v2.0.50727", {0x001, 0x002, 0x004}, false},
    {L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v3.0", {0x008, 0x010, 0x020}, false},
    {L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v3.5", {0x040, 0x080, 0}, false},
    {L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full", {0x100, 0, 0}, true},
    {L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Client", {0x200, 0, 0}, true},
};

bool IsXnaReleaseInstalled(const XnaRow& row, const VQDetectEnvironment& environment) {
    VQRegKeyHolder key;
    if (!environment.localMachine.Open(key, row.key))
        return false;
    std::wstring folder;
    if (!key.RegQueryString(L"NativeLibraryPath", folder) || folder.empty())
        return false;
    const std::wstring library = CombinePath(folder, row.nativeLibrary);
    if (!FileExists(library))
        return false;
    std::wstring text;
    int32_t parsed[4] = {0, 0, 0, 0};
    if (key.RegQueryString(L"ProductVersion", text) && ParseVersionText(text, parsed))
        return true;
    uint32_t fileVersion[4] = {0, 0, 0, 0};
    return GetFileProductVersion(library, fileVersion);
}

}  // namespace

void DetectXna(uint32_t& mask, const VQDetectEnvironment& environment) {
    mask = 0;
    for (const XnaRow& row : kXnaReleases) {
        if (IsXnaReleaseInstalled(row, environment))
            mask |= row.bit;
    }
}

void DetectDotNet(uint32_t& mask, const VQDetectEnvironment& environment) {
    mask = 0;
    for (const DotNetRow& row : kDotNetReleases) {
        VQRegKeyHolder key;
        if (!environment.localMachine.Open(key, row.key))
            continue;
        uint32_t install = 0;
        if (!key.RegQueryDword(L"Install", install) || install == 0)
            continue;
        uint32_t servicePack = 0;
        if (!key.RegQueryDword(L"SP", servicePack))
            servicePack = 0;
        const uint32_t level = servicePack & 0xFF;
        if (row.anyLevel)
            mask |= row.bits[0];
        else if (level < 3)
            mask |= row.bits[level];
    }
}

}  // namespace Tessar
