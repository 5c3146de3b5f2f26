#include "common/HttpSizeQuery.h"

#include "common/DownloadEndCodes.h"
#include "common/HttpRangeDownloader.h"
#include "common/HttpReply.h"
#include "common/HttpRequest.h"
#include "common/HttpSocket.h"

namespace Tessar {

namespace {

const DWORD kWaitStepMs = 333;

// Shared by the caller and the query thread; the last of the two to let go
// frees it. A cancelled caller leaves at once and the thread, woken by the
// stop flag and the shut-down socket, ends on its own: it touches nothing
// but this record, so it is never terminated.
struct SizeQuery {
    std::wstring host;
    std::wstring path;
    uint16_t port = 0;
    uint32_t timeoutMs = 0;
    VQHttpSocket socket;
    std::atomic<bool> stop{false};
    std::atomic<long> references{2};
    uint64_t size = 0;

    void Release() {
        if (references.fetch_sub(1) == 1)
            delete this;
    }
};

DWORD WINAPI SizeQueryThread(void* argument) {
    SizeQuery* query = static_cast<SizeQuery*>(argument);
    DWORD code = ParseHttpResponseHeader(query->socket, query->host, query->path, query->port, query->timeoutMs,
                                         &query->stop, query->size) == 0
                     ? 0
                     : 1;
    query->Release();
    return code;
}

}  // namespace

int ParseHttpResponseHeader(VQHttpSocket& socket, const std::wstring& host, const std::wstring& path,
                            uint16_t port, uint32_t timeoutMs, const std::atomic<bool>* stop, uint64_t& size) {
    VQSocketAddress address;
    std::string request;
    if (!socket.Open() || !VQHttpSocket::Resolve(host, port, address) || !socket.SetTimeouts(timeoutMs) ||
        !socket.Connect(address, timeoutMs, stop) || !BuildHttpGetRequest(path, nullptr, request, host, port) ||
        !socket.SendAll(request))
        return -1;
    VQHttpReplyHead head;
    std::string body;
    if (!ReceiveReplyHead(socket, head, body) || head.status < 200 || head.status > 299)
        return -1;
    const std::string* length = head.Find("Content-Length");
    uint64_t value = 0;
    if (length == nullptr || !ParseDecimalUInt64(*length, value))
        return -1;
    size = value;
    return 0;
}

uint32_t HttpRangeDownloader::QueryRemoteSize(const std::wstring& path, const std::wstring& host, uint16_t port,
                                              uint64_t& size) {
    SizeQuery* query = new (std::nothrow) SizeQuery;
    if (query == nullptr)
        return kDownloadSizeQueryFailed;
    query->host = host;
    query->path = path;
    query->port = port;
    query->timeoutMs = m_socketTimeoutMs;
    HANDLE thread = CreateThread(nullptr, 0, &SizeQueryThread, query, 0, nullptr);
    if (thread == nullptr) {
        delete query;
        return kDownloadSizeQueryFailed;
    }
    uint32_t result = kDownloadSizeQueryFailed;
    for (;;) {
        DWORD wait = WaitForSingleObject(thread, kWaitStepMs);
        if (wait == WAIT_OBJECT_0) {
            DWORD code = 1;
            if (GetExitCodeThread(thread, &code) && code == 0) {
                size = query->size;
                result = 0;
            }
            break;
        }
        bool cancelled = wait == WAIT_TIMEOUT && m_callback != nullptr && m_callback->IsCancelled();
        if (wait == WAIT_TIMEOUT && !cancelled)
            continue;
        // Cancelled (or the wait broke): stop the thread's connect, wake
        // its blocked receive, and leave it to finish alone.
        result = cancelled ? kDownloadCancelled : kDownloadSizeQueryFailed;
        query->stop = true;
        query->socket.Shutdown();
        break;
    }
    CloseHandle(thread);
    query->Release();
    return result;
}

}  // namespace Tessar
