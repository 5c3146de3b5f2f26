#include "VQUpdate/Version.h"

#include "VQCore/gamelib/AppFolder.h"
#include "common/FormatText.h"
#include "common/Module.h"
#include "common/PathText.h"

#include <cstdlib>

namespace Tessar {

const wchar_t kVersionLibraryName[] = L"Ulvesta.dll";
const char kVersionExportName[] = "DllGetVersion";

namespace {

// The component fills four 32-bit integers: major, minor, build, revision.
typedef void(WINAPI* DllGetVersionFunction)(int32_t* fields);

}  // namespace

bool ParseVersionText(const std::wstring& text, VQVersion& version) {
    int32_t* fields[4] = {&version.major, &version.minor, &version.build, &version.revision};
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        size_t dot = text.find(L'.', start);
        if (dot == std::wstring::npos)
            return false;
        *fields[i] = _wtoi(text.substr(start, dot - start).c_str());
        start = dot + 1;
    }
    if (start >= text.size())
        return false;
    *fields[3] = _wtoi(text.substr(start).c_str());
    return true;
}

std::wstring FormatVersion(const VQVersion& version) {
    return FormatString(L"%d.%d.%d.%d", version.major, version.minor, version.build, version.revision);
}

bool IsOlderVersion(const VQVersion& local, const VQVersion& remote) {
    const int32_t mine[4] = {local.major, local.minor, local.build, local.revision};
    const int32_t theirs[4] = {remote.major, remote.minor, remote.build, remote.revision};
    for (int i = 0; i < 4; ++i) {
        if (mine[i] != theirs[i])
            return mine[i] < theirs[i];
    }
    return false;
}

void GetLocalVersion(VQVersion& version) {
    version = kBuiltInVersion;
    std::wstring folder = GetAppFolder();
    if (folder.empty())
        return;
    VQModule library;
    if (!library.Load(CombinePath(folder, kVersionLibraryName)))
        return;
    auto getVersion = reinterpret_cast<DllGetVersionFunction>(library.GetFunction(kVersionExportName));
    if (getVersion == nullptr)
        return;
    int32_t fields[4] = {version.major, version.minor, version.build, version.revision};
    getVersion(fields);
    version.major = fields[0];
    version.minor = fields[1];
    version.build = fields[2];
    version.revision = fields[3];
}

}  // namespace Tessar
