#pragma once
// A blocking TCP connection for the raw HTTP downloads. The header stays
// free of the Winsock headers, which must come before <windows.h>.
//
// Threads: one thread opens, uses and closes the socket; Shutdown alone may
// be called from another thread, to wake a blocked Receive. Whoever calls
// Shutdown from elsewhere must close the socket only after the user
// thread has left, so that the number is never reused under it.

#include <atomic>
#include <cstdint>
#include <string>

namespace Tessar {

// Starts Winsock 2.2 once per process; a failed start is tried again next
// time.
bool EnsureWinsockStarted();

struct VQSocketAddress {
    uint32_t ipv4 = 0;  // network byte order
    uint16_t port = 0;
};

class VQHttpSocket {
public:
    VQHttpSocket() = default;
    ~VQHttpSocket() { Close(); }
    VQHttpSocket(const VQHttpSocket&) = delete;
    VQHttpSocket& operator=(const VQHttpSocket&) = delete;

    // A new TCP socket; one opened before is closed first.
    bool Open();
    // The host's first address (the name in the ANSI code page).
    static bool Resolve(const std::wstring& host, uint16_t port, VQSocketAddress& address);
    // Send and receive time-outs.
    bool SetTimeouts(uint32_t milliseconds);
    // Connects within timeoutMs. A set stop flag (may be null), polled
    // every 50 ms, gives up at once: a stopping download never waits for a
    // peer that does not answer. A failed connect leaves its reason in the
    // thread's Winsock error (WSAETIMEDOUT when the time ran out).
    bool Connect(const VQSocketAddress& address, uint32_t timeoutMs, const std::atomic<bool>* stop);
    // True only when every byte was sent.
    bool SendAll(const std::string& bytes);
    // The byte count, 0 when the peer closed, below 0 on an error or a
    // time-out.
    int Receive(char* buffer, int size);
    void Shutdown();
    void Close();
    bool IsOpen() const;

    // The calling thread's Winsock error (WSAGetLastError), or the fallback
    // when there is none; cleared before a call whose failure may leave
    // none (a closed connection is no Winsock error).
    static uint32_t LastError(uint32_t fallback);
    static void ClearLastError();

private:
    std::atomic<uintptr_t> m_socket{~static_cast<uintptr_t>(0)};  // INVALID_SOCKET
};

}  // namespace Tessar
