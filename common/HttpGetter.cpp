#include "common/HttpGetter.h"

#include "common/CodePage.h"
#include "common/FileHandle.h"
#include "common/FileUtil.h"
#include "common/HttpRequest.h"
#include "common/PathText.h"
#include "common/ServerNumber.h"

#include <atomic>
#include <cstring>
#include <new>

namespace Tessar {

namespace {

std::atomic<DWORD> g_receiveTimeoutMs(kHttpDefaultReceiveTimeoutMs);

// Empty reads in a row are not required: the fourth of the whole transfer
// ends it, so a server that stops sending cannot keep the loop going.
const uint32_t kMaxEmptyReads = 4;
const DWORD kEmptyReadPauseMs = 10;

void SetTimeouts(HINTERNET handle) {
    DWORD connectTimeout = kHttpConnectTimeoutMs;
    DWORD retries = kHttpConnectRetries;
    DWORD receiveTimeout = g_receiveTimeoutMs.load();
    // A refused option leaves WinINet's default; the request still goes out.
    InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connectTimeout, sizeof(connectTimeout));
    InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof(retries));
    InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receiveTimeout, sizeof(receiveTimeout));
    InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &receiveTimeout, sizeof(receiveTimeout));
}

bool IsStopped(HANDLE stopEvent) {
    return stopEvent != nullptr && WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0;
}

// One header as text; false when absent or longer than `characters`.
bool QueryHeaderText(HINTERNET request, DWORD query, std::wstring& text, size_t characters = 63) {
    std::wstring value(characters + 1, L'\0');
    DWORD size = static_cast<DWORD>(characters * sizeof(wchar_t));
    if (!HttpQueryInfoW(request, query, &value[0], &size, nullptr))
        return false;
    text.assign(value.c_str(), size / sizeof(wchar_t));
    return true;
}

bool IsRedirectStatus(uint64_t status) {
    return status == HTTP_STATUS_MOVED || status == HTTP_STATUS_REDIRECT || status == HTTP_STATUS_REDIRECT_METHOD ||
           status == HTTP_STATUS_REDIRECT_KEEP_VERB || status == 308;
}

// Where a redirect leads: its Location, taken relative to the URL asked for.
bool RedirectTarget(HINTERNET request, const std::wstring& from, std::wstring& target) {
    std::wstring location;
    if (!QueryHeaderText(request, HTTP_QUERY_LOCATION, location, INTERNET_MAX_URL_LENGTH) || location.empty())
        return false;
    std::wstring combined(INTERNET_MAX_URL_LENGTH + 1, L'\0');
    DWORD size = INTERNET_MAX_URL_LENGTH;
    // As sent: a Location with blanks or control characters is refused by
    // the next SendGet rather than made presentable here.
    if (!InternetCombineUrlW(from.c_str(), location.c_str(), &combined[0], &size, ICU_NO_ENCODE))
        return false;
    target.assign(combined.c_str());
    return !target.empty();
}

// The handles of one GET, closed in reverse order of opening.
struct OpenedRequest {
    VQInternetHandle session;
    VQInternetHandle connection;
    VQInternetHandle request;
    uint32_t length = 0;

    // Before the next GET of a redirect: closing a session frees its
    // children's handle values, which the next ones may be given again.
    void Close() {
        request.Reset();
        connection.Reset();
        session.Reset();
        length = 0;
    }
};

// Sends a GET of an http:// or https:// URL. The request is opened in steps
// rather than with InternetOpenUrl so that the time-outs sit on every
// handle before anything is sent: some WinINet versions give the hidden
// connection of InternetOpenUrl no receive time-out at all.
bool SendGet(const std::wstring& url, DWORD flags, OpenedRequest& opened) {
    // WinINet would put blanks or a CR/LF of a server's URL into the
    // request as they stand.
    if (url.empty() || url.size() > INTERNET_MAX_URL_LENGTH || !IsSafeHttpText(url))
        return false;
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = 1;  // non-zero: point into the URL
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts))
        return false;
    if ((parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) ||
        parts.lpszHostName == nullptr || parts.dwHostNameLength == 0)
        return false;
    std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring object;
    if (parts.lpszUrlPath != nullptr)
        object.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (object.empty())
        object = L"/";
    if (parts.lpszExtraInfo != nullptr)
        object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (parts.nScheme == INTERNET_SCHEME_HTTPS)
        flags |= INTERNET_FLAG_SECURE;
    // Our servers set no cookies; staying out of the cookie store also keeps
    // clear of the URL-cache lock that every WinINet process shares.
    // Redirects are followed by OpenUrl, a counted number of times.
    flags |= INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTO_REDIRECT;

    opened.Close();
    opened.session.Reset(InternetOpenW(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (opened.session.Get() == nullptr)
        return false;
    SetTimeouts(opened.session.Get());
    opened.connection.Reset(InternetConnectW(opened.session.Get(), host.c_str(), parts.nPort, nullptr, nullptr,
                                             INTERNET_SERVICE_HTTP, 0, 0));
    if (opened.connection.Get() == nullptr)
        return false;
    SetTimeouts(opened.connection.Get());
    opened.request.Reset(
        HttpOpenRequestW(opened.connection.Get(), L"GET", object.c_str(), nullptr, nullptr, nullptr, flags, 0));
    if (opened.request.Get() == nullptr)
        return false;
    SetTimeouts(opened.request.Get());
    return HttpSendRequestW(opened.request.Get(), nullptr, 0, nullptr, 0) != FALSE;
}

// A sent GET whose status is 200 and whose Content-Length is 1 to
// maxLength, after at most kHttpMaxRedirects redirects. A set stopEvent
// (may be null) ends it between two requests.
bool OpenUrl(const std::wstring& url, uint32_t maxLength, HANDLE stopEvent, OpenedRequest& opened) {
    std::wstring current = url;
    uint64_t status = 0;
    std::wstring text;
    for (uint32_t redirects = 0;; ++redirects) {
        if (IsStopped(stopEvent))
            return false;
        // Never from the cache: update replies must be current.
        if (!SendGet(current, INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE,
                     opened))
            return false;
        if (!QueryHeaderText(opened.request.Get(), HTTP_QUERY_STATUS_CODE, text) ||
            !ParseServerNumber(text, 999, status))
            return false;
        if (!IsRedirectStatus(status))
            break;
        std::wstring next;
        if (redirects >= kHttpMaxRedirects || !RedirectTarget(opened.request.Get(), current, next))
            return false;
        current = next;
    }
    if (status != HTTP_STATUS_OK)
        return false;
    uint64_t length = 0;
    if (!QueryHeaderText(opened.request.Get(), HTTP_QUERY_CONTENT_LENGTH, text) ||
        !ParseServerNumber(text, maxLength, length) || length == 0)
        return false;
    opened.length = static_cast<uint32_t>(length);
    return true;
}

// Reads the body in blocks of at most kHttpReadBlock bytes to where
// place() says, handing each count to sink(), which returns false to fail
// at once. Ends when length bytes came, a read fails, the fourth empty read
// of the transfer happens or the stop event (may be null) is set.
template <typename Place, typename Sink>
bool ReadBody(HINTERNET request, uint32_t length, HANDLE stopEvent, VQTransferCounter& counter, Place place,
              Sink sink) {
    uint32_t emptyReads = 0;
    while (counter.bytesRead < length) {
        if (IsStopped(stopEvent))
            break;
        uint32_t want = length - counter.bytesRead;
        if (want > kHttpReadBlock)
            want = kHttpReadBlock;
        // Waits for the next bytes (each wait bounded by the receive
        // time-out) and asks for no more than came: a read of more would
        // wait until all of them are there.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0))
            break;
        if (available < want)
            want = available;
        int32_t got = want == 0 ? 0 : ReadInternetFileTimed(request, place(), want, counter);
        if (got < 0)
            break;
        if (got == 0) {
            Sleep(kEmptyReadPauseMs);
            if (++emptyReads >= kMaxEmptyReads)
                break;
            continue;
        }
        if (!sink(static_cast<uint32_t>(got)))
            return false;
    }
    return counter.bytesRead == length;
}

}  // namespace

DWORD SetHttpReceiveTimeout(DWORD milliseconds) {
    return g_receiveTimeoutMs.exchange(milliseconds);
}

VQTransferCounter::VQTransferCounter(uint32_t expected)
    : startTick(GetTickCount()), lastTick(startTick), expectedLength(expected), bytesRead(0) {}

void CloseInternetHandle(HINTERNET& handle) {
    if (handle == nullptr)
        return;
    InternetCloseHandle(handle);
    handle = nullptr;
}

int32_t ReadInternetFileTimed(HINTERNET request, void* block, uint32_t size, VQTransferCounter& counter) {
    if (request == nullptr || block == nullptr)
        return -1;
    if (size > static_cast<uint32_t>(INT32_MAX))
        size = static_cast<uint32_t>(INT32_MAX);
    DWORD read = 0;
    if (!InternetReadFile(request, block, size, &read) || read > size)
        return -1;
    counter.bytesRead += read;
    counter.lastTick = GetTickCount();
    return static_cast<int32_t>(read);
}

bool HttpGetToMemory(const std::wstring& url, VQBuffer<unsigned char>& buffer, uint32_t& length,
                     HANDLE stopEvent) {
    buffer.Resize(0);
    OpenedRequest opened;
    if (!OpenUrl(url, kHttpMaxMemoryReply, stopEvent, opened))
        return false;
    try {
        buffer.Resize(opened.length + 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::memset(buffer.data, 0, buffer.size);

    VQTransferCounter counter(opened.length);
    unsigned char* data = buffer.data;
    bool complete = ReadBody(
        opened.request.Get(), opened.length, stopEvent, counter, [&] { return data + counter.bytesRead; },
        [](uint32_t) { return true; });
    if (!complete) {
        buffer.Resize(0);
        return false;
    }
    length = opened.length;
    return true;
}

bool HttpGetToFile(const std::wstring& url, const std::wstring& target, HANDLE stopEvent, uint32_t expectedLength,
                   VQTransferCounter* counter) {
    if (target.empty())
        return false;
    OpenedRequest opened;
    if (!OpenUrl(url, UINT32_MAX, stopEvent, opened))
        return false;
    if (expectedLength != 0 && opened.length != expectedLength)
        return false;

    std::wstring folder = GetFullPathFolder(target);
    if (!folder.empty() && !FolderExists(folder) && !CreateFolderChain(folder))
        return false;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(file, target, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL))
        return false;

    unsigned char block[kHttpReadBlock];
    VQTransferCounter ownCounter(opened.length);
    if (counter == nullptr) {
        counter = &ownCounter;
    } else {
        // Restarted, so that a counter used before cannot end this transfer
        // early with bytes of the last one.
        counter->expectedLength = opened.length;
        counter->bytesRead = 0;
    }
    bool written = ReadBody(
        opened.request.Get(), opened.length, stopEvent, *counter, [&] { return block; },
        [&](uint32_t count) { return WriteFileHandle(file, block, count); });
    bool closed = CloseFileHandleChecked(file);
    return written && closed;
}

bool HttpPing(const std::string& url) {
    if (url.empty())
        return false;
    OpenedRequest opened;
    return SendGet(NarrowToWide(url.c_str()), INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, opened);
}

}  // namespace Tessar
