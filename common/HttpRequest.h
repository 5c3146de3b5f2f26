#pragma once
// URLs and GET requests of the raw HTTP range downloader.

#include <cstdint>
#include <string>

namespace Tessar {

// True when text may stand in a request line or a header: no control
// character (CR and LF among them) and no blank. A URL from the server is
// data; one that carried these could end the request line early and add
// headers or whole requests of its own.
bool IsSafeHttpText(const std::wstring& text);

// Splits "scheme://host[:port]/path" (the scheme may be missing). The path
// runs from the first "/" after the host on, inclusive. Without a ":port"
// the port is left as it was. False for a null URL, one that is not
// IsSafeHttpText, no "/", an empty host or a port outside 1-65535.
bool SplitHttpUrl(const wchar_t* url, std::wstring& host, uint16_t& port, std::wstring& path);

const size_t kMaxHttpRequestBytes = 4096;

// The request, in the ANSI code page, with a "Range: bytes=" line when a
// range text is given; the host carries ":port" unless the port is 80.
// False when it would be longer than kMaxHttpRequestBytes, or when the
// host, path or range is not IsSafeHttpText (they may come from a resume
// record on disk).
bool BuildHttpGetRequest(const std::wstring& path, const wchar_t* range, std::string& request,
                         const std::wstring& host, uint16_t port);

// "first-last" of a byte range, in decimal.
std::wstring FormatRangeText(uint64_t first, uint64_t last);

}  // namespace Tessar
