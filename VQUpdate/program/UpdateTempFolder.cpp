#include "VQUpdate/program/UpdateTempFolder.h"

#include "common/FileUtil.h"
#include "common/PathText.h"
#include "common/TempFile.h"

#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <mutex>

namespace Tessar {

namespace {

const wchar_t kTempFolderPrefix[] = L"VQ$";
// Enough tries for any folder that is not broken; each existing name is one.
const int kMaxTries = 10000;

std::mutex g_numbersLock;  // guards the two numbers below
bool g_seeded = false;
int g_first = 0;
int g_second = 0;

}  // namespace

bool MakeUniqueTempFolder(std::wstring& path, const std::wstring& baseFolder, const std::wstring& prefix) {
    std::wstring base = baseFolder;
    if (base.empty() && !GetTempFolder(base))
        return false;
    std::lock_guard<std::mutex> hold(g_numbersLock);
    if (!g_seeded) {
        srand(static_cast<unsigned>(time(nullptr)));
        g_first = rand() % 1000;
        g_second = rand() % 5000;
        g_seeded = true;
    }
    for (int tries = 0; tries < kMaxTries; ++tries) {
        ++g_second;
        wchar_t name[64];
        swprintf(name, 64, L"%lsD.%.03d.%.03d", prefix.c_str(), g_first, g_second);
        std::wstring candidate = CombinePath(base, name);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path = NormalizeText(candidate, kNormalizeTrailingBackslash);
            return true;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        ++g_first;
    }
    return false;
}

VQUpdateTempFolder::~VQUpdateTempFolder() {
    if (m_exists)
        DeleteFolderTree(NormalizeText(m_path, kNormalizeNoTrailingSeparator));
}

bool VQUpdateTempFolder::Create() {
    if (m_exists)
        DeleteFolderTree(NormalizeText(m_path, kNormalizeNoTrailingSeparator));
    m_path.clear();
    m_exists = MakeUniqueTempFolder(m_path, std::wstring(), kTempFolderPrefix);
    return m_exists;
}

}  // namespace Tessar
