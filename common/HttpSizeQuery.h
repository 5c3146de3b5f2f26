#pragma once
// The size of a remote file, from the head of the reply to a GET without
// a range.

#include <atomic>
#include <cstdint>
#include <string>

namespace Tessar {

class VQHttpSocket;

// Connects through the given socket (which the caller closes, so that it
// can shut it down from another thread to cut the wait short), sends the
// request and reads the reply head. 0 with the Content-Length as size;
// -1 when the connection fails or is stopped (stop may be null), the
// status is not 2xx (a redirect or an error page is no file) or there is
// no valid Content-Length.
int ParseHttpResponseHeader(VQHttpSocket& socket, const std::wstring& host, const std::wstring& path,
                            uint16_t port, uint32_t timeoutMs, const std::atomic<bool>* stop, uint64_t& size);

}  // namespace Tessar
