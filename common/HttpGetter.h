#pragma once
// Small HTTP GETs over WinINet: download information, data files, icons,
// torrent files and statistics. The large game downloads use their own
// range downloader instead.
//
// Only http:// and https:// URLs, also where a redirect leads; at most
// kHttpMaxRedirects redirects are followed. Every call opens its own session and
// closes every handle it opened; the functions block the calling thread
// (workers, not the UI thread) and share no state besides the receive
// time-out below. Replies never come from WinINet's cache.

#include "common/Buffer.h"

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <string>

namespace Tessar {

// Connect time-out and retries of every request.
const DWORD kHttpConnectTimeoutMs = 2000;
const DWORD kHttpConnectRetries = 3;
// How long one read or write may stall before the transfer fails, so that a
// server that stops sending cannot hold a worker (and whoever waits for
// it) for ever.
const DWORD kHttpDefaultReceiveTimeoutMs = 30000;
// Largest reply HttpGetToMemory accepts: replies kept in memory are XML
// texts; a bigger length is a broken or hostile server.
const uint32_t kHttpMaxMemoryReply = 64u * 1024 * 1024;
// Largest block one read asks for. A read asks only for what has arrived,
// so that a reply sent a byte at a time still lets the loop look at its
// stop event between bytes.
const uint32_t kHttpReadBlock = 4096;
// Redirects followed before a GET fails (a URL that redirects to itself
// would otherwise be followed without end).
const uint32_t kHttpMaxRedirects = 5;

// Replaces the process-wide receive time-out and returns the one before
// (tests shorten it to see a stalled server fail in seconds).
DWORD SetHttpReceiveTimeout(DWORD milliseconds);

// Counts one transfer: ticks of its start and of its last read, the length
// the server announced and the bytes read so far.
struct VQTransferCounter {
    explicit VQTransferCounter(uint32_t expected);

    uint32_t startTick;
    uint32_t lastTick;
    uint32_t expectedLength;
    uint32_t bytesRead;
};

// Closes a held handle (InternetCloseHandle) and clears the variable; a
// null variable is left alone.
void CloseInternetHandle(HINTERNET& handle);

// Owns one WinINet handle.
class VQInternetHandle {
public:
    VQInternetHandle() = default;
    explicit VQInternetHandle(HINTERNET handle) : m_handle(handle) {}
    ~VQInternetHandle() { CloseInternetHandle(m_handle); }
    VQInternetHandle(const VQInternetHandle&) = delete;
    VQInternetHandle& operator=(const VQInternetHandle&) = delete;

    HINTERNET Get() const { return m_handle; }
    void Reset(HINTERNET handle = nullptr) {
        CloseInternetHandle(m_handle);
        m_handle = handle;
    }

private:
    HINTERNET m_handle = nullptr;
};

// One InternetReadFile of at most size bytes into block. Returns the bytes
// read (0 at the end of the data) and adds them to the counter, or -1 when
// the read fails or no handle is given.
int32_t ReadInternetFileTimed(HINTERNET request, void* block, uint32_t size, VQTransferCounter& counter);

// The same read with the arguments in the order the download code names
// them: at most count bytes into buffer, counted into progress.
inline int32_t ReadHttpChunk(HINTERNET request, uint32_t count, VQTransferCounter& progress, void* buffer) {
    return ReadInternetFileTimed(request, buffer, count, progress);
}

// The whole reply of status 200 with a Content-Length of 1 to
// kHttpMaxMemoryReply bytes. The buffer holds the bytes and one zero byte
// after them; length is set only on success. On failure the buffer is
// freed. A set stopEvent (may be null) ends the GET between two redirects
// or two reads with false. HttpGetToMemoryBounded (HttpBoundedGet.h) adds
// an overall time limit and a stop that does not wait for the server.
bool HttpGetToMemory(const std::wstring& url, VQBuffer<unsigned char>& buffer, uint32_t& length,
                     HANDLE stopEvent = nullptr);

// The reply of status 200 with a Content-Length not 0 (and equal to
// expectedLength when that is not 0) written to target, whose missing
// folders are made first. A set stopEvent (may be null) ends the transfer
// between two reads with false. A partial file stays on disk. A given
// counter (may be null) is restarted with the announced length and counts
// the bytes as they arrive, for a progress display on another thread.
bool HttpGetToFile(const std::wstring& url, const std::wstring& target, HANDLE stopEvent, uint32_t expectedLength,
                   VQTransferCounter* counter = nullptr);

// Sends a GET and closes it without reading the reply: statistics whose
// content travels in the query string. True when the request was answered
// (whatever its status). The narrow URL is in the system code page
// (WideToNarrow); it is widened again with the same code page.
bool HttpPing(const std::string& url);

}  // namespace Tessar
