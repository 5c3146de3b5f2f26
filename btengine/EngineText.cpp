#include "btengine/EngineText.h"

#include <windows.h>

namespace Tessar {

namespace {

std::wstring ToWide(const std::string& text, UINT codePage) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
    return out;
}

std::string FromWide(const std::wstring& text, UINT codePage) {
    if (text.empty()) return std::string();
    int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

}  // namespace

std::string AnsiToUtf8(const std::string& ansi) { return FromWide(ToWide(ansi, CP_ACP), CP_UTF8); }
std::string Utf8ToAnsi(const std::string& utf8) { return FromWide(ToWide(utf8, CP_UTF8), CP_ACP); }
std::wstring Utf8ToWide(const std::string& utf8) { return ToWide(utf8, CP_UTF8); }
std::wstring AnsiToWide(const std::string& ansi) { return ToWide(ansi, CP_ACP); }

std::string ParentFolder(const std::string& path) {
    size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos) return std::string();
    return path.substr(0, cut);
}

}  // namespace Tessar
