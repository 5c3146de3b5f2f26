#include "VQCore/app/start/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include <cwctype>

namespace Tessar {

namespace {

const wchar_t kBackground[] = L"-background";
const wchar_t kUpdateData[] = L"-update_data";
const wchar_t kExecApp[] = L"-exec_app";
const size_t kExecAppLength = 9;
// The id of "-exec_app=00042.{..}" is written with five digits.
const size_t kExecIdDigits = 5;

bool SameUpper(wchar_t a, wchar_t b) { return std::towupper(a) == std::towupper(b); }

// Whole-text comparison without letter case: "-background2" is not "-background".
bool EqualsNoCase(const std::wstring& text, const wchar_t* word) {
    std::wstring other(word);
    if (text.size() != other.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (!SameUpper(text[i], other[i])) return false;
    return true;
}

bool StartsWithNoCase(const std::wstring& text, const wchar_t* word, size_t length) {
    if (text.size() < length) return false;
    for (size_t i = 0; i < length; ++i)
        if (!SameUpper(text[i], word[i])) return false;
    return true;
}

void ParseExecRequest(const std::wstring& argument, VQExecRequest& request) {
    size_t equals = argument.find(L'=');
    if (equals == std::wstring::npos) return;
    size_t idStart = equals + 1;
    size_t point = argument.find(L'.', idStart);
    if (point != std::wstring::npos && point - idStart != kExecIdDigits) return;
    size_t idEnd = point == std::wstring::npos ? argument.size() : point;
    uint32_t id = 0;
    for (size_t i = idStart; i < idEnd && argument[i] >= L'0' && argument[i] <= L'9'; ++i)
        id = id * 10 + static_cast<uint32_t>(argument[i] - L'0');
    request.gameId = id;
    if (point == std::wstring::npos) return;
    size_t open = argument.find(L'{', point);
    if (open == std::wstring::npos) return;
    size_t close = argument.find(L'}', open + 1);
    if (close == std::wstring::npos) return;
    request.arguments = argument.substr(open + 1, close - open - 1);
}

}  // namespace

VQCommandLine ParseFirstArgument(const std::wstring& argument) {
    VQCommandLine result;
    result.firstArgument = argument;
    if (EqualsNoCase(argument, kBackground)) result.flags |= kStartBackground;
    if (EqualsNoCase(argument, kUpdateData)) result.flags |= kStartUpdateData;
    if (StartsWithNoCase(argument, kExecApp, kExecAppLength)) {
        result.flags |= kStartExecApp;
        ParseExecRequest(argument, result.exec);
    }
    return result;
}

VQCommandLine ParseProcessCommandLine() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring first;
    if (arguments && count > 1) first = arguments[1];
    if (arguments) LocalFree(arguments);
    return ParseFirstArgument(first);
}

}  // namespace Tessar
