#include "VQFlash/GameArguments.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>

namespace Tessar {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

std::wstring Trim(const std::wstring& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && (IsBlank(text[end - 1]) || text[end - 1] == L'\r' || text[end - 1] == L'\n')) --end;
    return text.substr(begin, end - begin);
}

}  // namespace

std::wstring ParsePlayerArgument(const std::wstring& commandLine) {
    size_t i = 0;
    while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
    // The program name, quoted or not.
    if (i < commandLine.size() && commandLine[i] == L'"') {
        const size_t close = commandLine.find(L'"', i + 1);
        i = close == std::wstring::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && !IsBlank(commandLine[i])) ++i;
    }
    std::wstring rest = Trim(commandLine.substr(i));
    if (rest.size() >= 2 && rest.front() == L'"') {
        const size_t close = rest.find(L'"', 1);
        rest = rest.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
    }
    return Trim(rest);
}

VQBrowserArguments ParseBrowserArguments(const std::vector<std::wstring>& arguments) {
    static const wchar_t* const kPrefixes[] = {L"-name=", L"-url=", L"-homepage="};
    VQBrowserArguments result;
    result.enough = arguments.size() >= 3;
    std::wstring* last = nullptr;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        std::wstring* target = nullptr;
        size_t prefixLength = 0;
        for (int p = 0; p < 3 && target == nullptr; ++p) {
            const size_t length = std::wcslen(kPrefixes[p]);
            if (argument.size() >= length && _wcsnicmp(argument.c_str(), kPrefixes[p], length) == 0) {
                target = p == 0 ? &result.name : (p == 1 ? &result.url : &result.homepage);
                prefixLength = length;
            }
        }
        if (target != nullptr) {
            *target = argument.substr(prefixLength);
            last = target;
        } else if (last != nullptr && !argument.empty()) {
            // An unquoted value with blanks arrives in pieces.
            *last += L" " + argument;
        }
    }
    return result;
}

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) {
    std::vector<std::wstring> result;
    int count = 0;
    LPWSTR* list = ::CommandLineToArgvW(commandLine.c_str(), &count);
    if (list == nullptr) return result;
    for (int i = 0; i < count; ++i) result.push_back(list[i]);
    ::LocalFree(list);
    return result;
}

}  // namespace Tessar
