#include "common/HttpRequest.h"

#include "common/CodePage.h"
#include "common/NumberText.h"

#include <cwchar>

namespace Tessar {

namespace {

bool IsUnsafeHttpChar(unsigned c) {
    // C0 controls (CR, LF, TAB, NUL), the blank, DEL and the C1 controls.
    return c <= 0x20 || (c >= 0x7F && c <= 0x9F);
}

}  // namespace

bool IsSafeHttpText(const std::wstring& text) {
    for (wchar_t c : text) {
        if (IsUnsafeHttpChar(static_cast<unsigned>(c)))
            return false;
    }
    return true;
}

bool SplitHttpUrl(const wchar_t* url, std::wstring& host, uint16_t& port, std::wstring& path) {
    if (url == nullptr)
        return false;
    std::wstring text(url);
    if (!IsSafeHttpText(text))
        return false;
    size_t scheme = text.find(L"://");
    if (scheme != std::wstring::npos)
        text.erase(0, scheme + 3);
    size_t slash = text.find(L'/');
    if (slash == std::wstring::npos)
        return false;
    size_t colon = text.find(L':');
    std::wstring name;
    uint16_t number = port;
    if (colon != std::wstring::npos && colon < slash) {
        name = text.substr(0, colon);
        int value = _wtoi(text.substr(colon + 1, slash - colon - 1).c_str());
        if (value < 1 || value > 65535)
            return false;
        number = static_cast<uint16_t>(value);
    } else {
        name = text.substr(0, slash);
    }
    if (name.empty())
        return false;
    host = name;
    port = number;
    path = text.substr(slash);
    return true;
}

bool BuildHttpGetRequest(const std::wstring& path, const wchar_t* range, std::string& request,
                         const std::wstring& host, uint16_t port) {
    if (host.empty() || path.empty() || !IsSafeHttpText(host) || !IsSafeHttpText(path) ||
        (range != nullptr && !IsSafeHttpText(range)))
        return false;
    std::string narrowHost = WideToNarrow(host);
    std::string text = "GET " + WideToNarrow(path) + " HTTP/1.1\r\n";
    text += "Host: " + narrowHost;
    if (port != 80)
        text += ":" + std::to_string(port);
    text += "\r\n";
    text += "Accept: */*\r\n";
    text += "Pragma: no-cache\r\n";
    text += "Cache-Control: no-cache\r\n";
    text += "User-Agent:  Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 5.1; march1.0)\r\n";
    text += "Referer: http://" + narrowHost + "\r\n";
    text += "Connection: Keep-Alive\r\n";
    if (range != nullptr)
        text += "Range: bytes=" + WideToNarrow(range) + "\r\n";
    text += "\r\n";
    if (text.size() > kMaxHttpRequestBytes)
        return false;
    request.swap(text);
    return true;
}

std::wstring FormatRangeText(uint64_t first, uint64_t last) {
    return UInt64ToString(first) + L"-" + UInt64ToString(last);
}

}  // namespace Tessar
