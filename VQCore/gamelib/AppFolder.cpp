#include "VQCore/gamelib/AppFolder.h"

#include "common/FileUtil.h"
#include "common/SystemUtil.h"

#include <mutex>

namespace Tessar {

namespace {

// Read from worker threads too, so the override has its own lock.
std::mutex g_overrideLock;
std::wstring g_override;

}  // namespace

std::wstring GetAppFolder() {
    {
        std::lock_guard<std::mutex> lock(g_overrideLock);
        if (!g_override.empty())
            return g_override;
    }
    std::wstring program = GetOwnModulePath();
    return program.empty() ? program : GetFullPathFolder(program);
}

void SetAppFolderOverride(const std::wstring& folder) {
    std::lock_guard<std::mutex> lock(g_overrideLock);
    g_override = folder;
    while (!g_override.empty() && (g_override.back() == L'\\' || g_override.back() == L'/'))
        g_override.pop_back();
    if (!folder.empty())
        g_override += L'\\';
}

}  // namespace Tessar
