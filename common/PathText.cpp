#include "common/PathText.h"

#include "common/TextUtil.h"

#include <windows.h>

namespace Tessar {

const wchar_t kPathSeparators[] = L"\\/";

namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// Index just past the last separator of either kind.
size_t LastPartStart(const std::wstring& path) {
    size_t pos = path.find_last_of(kPathSeparators);
    return pos == std::wstring::npos ? 0 : pos + 1;
}

DWORD AttributesOf(const std::wstring& path) {
    return ::GetFileAttributesW(StripQuotes(path).c_str());
}

void AppendFound(std::wstring& found, const std::wstring& item) {
    if (!found.empty())
        found += L' ';
    found += item;
}

}  // namespace

std::wstring NormalizeText(const std::wstring& text, uint32_t flags) {
    std::wstring result = text;
    if (flags & kNormalizeLower)
        MakeLower(result);
    if (flags & kNormalizeUpper)
        MakeUpper(result);
    if (flags & kNormalizeUnquote)
        result = StripQuotes(result);
    if (flags & kNormalizeTrailingBackslash) {
        TrimRightChars(result, kPathSeparators);
        if (!result.empty())
            result += L'\\';
    }
    if (flags & kNormalizeNoTrailingSeparator)
        TrimRightChars(result, kPathSeparators);
    if (flags & kNormalizeBackslashes)
        ReplaceChar(result, L'/', L'\\');
    return result;
}

void SplitFolderAndName(const std::wstring& path, std::wstring& folder, std::wstring& separator,
                        std::wstring& name) {
    size_t pos = path.rfind(L'\\');
    if (pos == std::wstring::npos) {
        folder = path;
        separator.clear();
        name.clear();
        return;
    }
    folder = path.substr(0, pos);
    separator = L"\\";
    name = path.substr(pos + 1);
}

std::wstring CombinePath(const std::wstring& folder, const std::wstring& name) {
    std::wstring head = StripQuotes(folder);
    std::wstring tail = StripQuotes(name);
    if (IsAbsolutePath(tail) || head.empty())
        return tail;
    TrimRightChars(head, kPathSeparators);
    TrimLeftChars(tail, kPathSeparators);
    return head + L'\\' + tail;
}

std::wstring QuoteText(const std::wstring& text) {
    return L'"' + text + L'"';
}

bool IsAbsolutePath(const std::wstring& text) {
    if (text.size() >= 2 && text[0] == L'\\' && text[1] == L'\\')
        return true;
    return text.size() >= 3 && text[1] == L':' && IsSeparator(text[2]);
}

std::wstring GetLastPathPart(const std::wstring& path) {
    size_t pos = path.rfind(L'\\');
    return pos == std::wstring::npos ? path : path.substr(0, pos + 1);
}

std::wstring GetTrimmedLastPathPart(const std::wstring& path) {
    std::wstring part = GetLastPathPart(path);
    TrimRightChars(part, kPathSeparators);
    return GetLastPathPart(part);
}

bool FindInvalidPathChars(const std::wstring& path, std::wstring& found) {
    found.clear();
    for (size_t i = 0; i < path.size(); ++i) {
        wchar_t c = path[i];
        bool bad = c < 32 || c == L'*' || c == L'?' || c == L'<' || c == L'>' || c == L'|' || c == L'"' ||
                   (c == L':' && i != 1);
        if (bad)
            AppendFound(found, std::wstring(1, c));
    }
    return found.empty();
}

void SplitPathParts(const std::wstring& path, std::vector<std::wstring>& parts) {
    SplitAtAnyOf(path, kPathSeparators, parts);
}

bool FindReservedNames(const std::wstring& path, std::wstring& found) {
    static const wchar_t* const kDeviceNames[] = {
        L"CON",  L"PRN",  L"AUX",  L"NUL",  L"COM1", L"COM2", L"COM3", L"COM4", L"COM5", L"COM6", L"COM7",
        L"COM8", L"COM9", L"LPT1", L"LPT2", L"LPT3", L"LPT4", L"LPT5", L"LPT6", L"LPT7", L"LPT8", L"LPT9"};
    found.clear();
    std::vector<std::wstring> parts;
    SplitPathParts(path, parts);
    for (std::wstring part : parts) {
        TrimLeftChars(part, kWhiteSpace);
        TrimRightChars(part, kWhiteSpace);
        // Windows reads "NUL.txt" and "NUL " as the device too.
        std::wstring base = part.substr(0, part.find(L'.'));
        TrimRightChars(base, L" ");
        for (const wchar_t* device : kDeviceNames) {
            if (base.size() == wcslen(device) && CompareNoCase(base, device, base.size()) == 0) {
                AppendFound(found, part);
                break;
            }
        }
    }
    return found.empty();
}

bool IsValidFolderPath(const std::wstring& path) {
    std::wstring found;
    return FindInvalidPathChars(path, found) && FindReservedNames(path, found);
}

bool PathExists(const std::wstring& path) {
    return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool FileExists(const std::wstring& path) {
    DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const std::wstring& path) {
    DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsDriveRoot(const std::wstring& path) {
    if (!FolderExists(path))
        return false;
    std::wstring text = StripQuotes(path);
    TrimRightChars(text, kPathSeparators);
    return text.size() == 2 && text[1] == L':' &&
           ((text[0] >= L'A' && text[0] <= L'Z') || (text[0] >= L'a' && text[0] <= L'z'));
}

std::wstring GetFileExtension(const std::wstring& path) {
    std::wstring name = GetFileName(path);
    size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : name.substr(dot);
}

std::wstring GetFileTitle(const std::wstring& path) {
    std::wstring name = GetFileName(path);
    return name.substr(0, name.size() - GetFileExtension(name).size());
}

std::wstring GetFileName(const std::wstring& path) {
    return path.substr(LastPartStart(path));
}

std::wstring RemoveFileExtension(const std::wstring& path) {
    std::vector<std::wstring> parts;
    SplitPathParts(path, parts);
    if (parts.empty())
        return std::wstring();
    parts.back() = GetFileTitle(parts.back());
    std::wstring result = parts[0];
    for (size_t i = 1; i < parts.size(); ++i)
        result += L'\\' + parts[i];
    return result;
}

}  // namespace Tessar
