#include "VQCore/app/operations/UninstallCommand.h"

#include <windows.h>

#include <vector>

#include "common/PathText.h"
#include "common/TextUtil.h"

namespace Tessar {

namespace {

const wchar_t kProgramExtension[] = L".exe";

std::wstring SystemFolder(UINT (WINAPI* query)(LPWSTR, UINT)) {
    wchar_t buffer[MAX_PATH + 1] = {};
    const UINT length = query(buffer, MAX_PATH + 1);
    return length > 0 && length <= MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

// The file itself, or for a name without an extension its ".exe".
bool FindProgramFile(const std::wstring& path, std::wstring& found) {
    if (FileExists(path)) {
        found = path;
        return true;
    }
    if (GetFileExtension(GetFileName(path)).empty() && FileExists(path + kProgramExtension)) {
        found = path + kProgramExtension;
        return true;
    }
    return false;
}

// The folders a bare program name is looked for in, in order.
std::vector<std::wstring> SearchFolders() {
    std::vector<std::wstring> folders;
    folders.push_back(SystemFolder(::GetSystemDirectoryW));
    folders.push_back(SystemFolder(::GetWindowsDirectoryW));
    const DWORD size = ::GetEnvironmentVariableW(L"PATH", nullptr, 0);
    if (size > 0) {
        std::wstring path(size, L'\0');
        const DWORD length = ::GetEnvironmentVariableW(L"PATH", &path[0], size);
        path.resize(length < size ? length : 0);
        size_t start = 0;
        while (start <= path.size()) {
            size_t end = path.find(L';', start);
            if (end == std::wstring::npos) end = path.size();
            std::wstring folder = StripQuotes(path.substr(start, end - start));
            TrimLeftChars(folder, kWhiteSpace);
            TrimRightChars(folder, kWhiteSpace);
            // Only absolute folders: a relative one would be the current folder's.
            if (IsAbsolutePath(folder)) folders.push_back(folder);
            start = end + 1;
        }
    }
    return folders;
}

bool IsBareName(const std::wstring& text) {
    return !text.empty() && text.find_first_of(L"\\/:") == std::wstring::npos;
}

// An absolute path as it stands; a bare name on the search path; nothing
// else (a relative path would depend on the current folder).
bool ResolveProgram(const std::wstring& text, std::wstring& found) {
    if (text.empty()) return false;
    if (IsAbsolutePath(text)) return FindProgramFile(text, found);
    if (!IsBareName(text)) return false;
    for (const std::wstring& folder : SearchFolders())
        if (!folder.empty() && FindProgramFile(CombinePath(folder, text), found)) return true;
    return false;
}

std::wstring Trimmed(const std::wstring& text) {
    std::wstring trimmed = text;
    TrimLeftChars(trimmed, kWhiteSpace);
    TrimRightChars(trimmed, kWhiteSpace);
    return trimmed;
}

}  // namespace

bool SplitUninstallCommand(const std::wstring& command, std::wstring& program, std::wstring& parameters) {
    program.clear();
    parameters.clear();
    const std::wstring text = Trimmed(command);
    if (text.empty()) return false;
    if (text[0] == L'"') {
        const size_t end = text.find(L'"', 1);
        if (end == std::wstring::npos || !ResolveProgram(text.substr(1, end - 1), program)) return false;
        parameters = Trimmed(text.substr(end + 1));
        return true;
    }
    // The whole text first, then ever shorter parts ending before a blank.
    size_t end = text.size();
    for (;;) {
        const std::wstring candidate = Trimmed(text.substr(0, end));
        if (ResolveProgram(candidate, program)) {
            parameters = Trimmed(text.substr(end));
            return true;
        }
        if (end == 0) break;
        const size_t blank = text.find_last_of(L" \t", end - 1);
        if (blank == std::wstring::npos) break;
        end = blank;
    }
    program.clear();
    return false;
}

}  // namespace Tessar
