#include "bench/BenchFolders.h"

#include <windows.h>

namespace Tessar {
namespace Bench {

std::wstring OwnFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring text = path;
    return text.substr(0, text.find_last_of(L'\\'));
}

bool CopyTree(const std::wstring& source, const std::wstring& target) {
    CreateDirectoryW(target.c_str(), nullptr);
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((source + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return true;
    bool ok = true;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = CopyTree(source + L"\\" + name, target + L"\\" + name);
        else
            ok = CopyFileW((source + L"\\" + name).c_str(), (target + L"\\" + name).c_str(), FALSE) != FALSE;
    } while (ok && FindNextFileW(find, &found));
    FindClose(find);
    return ok;
}

}  // namespace Bench
}  // namespace Tessar
