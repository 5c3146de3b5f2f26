// Winsock first: <windows.h> would bring in the old winsock.h.
#include <winsock2.h>

#include "common/HttpSocket.h"

#include "common/CodePage.h"

#include <cstring>
#include <mutex>

namespace Tessar {

static_assert(sizeof(SOCKET) == sizeof(uintptr_t) && INVALID_SOCKET == ~static_cast<uintptr_t>(0),
              "a socket is held as uintptr_t");

bool EnsureWinsockStarted() {
    static std::mutex lock;
    static bool started = false;
    std::lock_guard<std::mutex> guard(lock);
    if (!started) {
        WSADATA data;
        started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    return started;
}

bool VQHttpSocket::Open() {
    Close();
    if (!EnsureWinsockStarted())
        return false;
    m_socket.store(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    return IsOpen();
}

bool VQHttpSocket::IsOpen() const {
    return m_socket.load() != INVALID_SOCKET;
}

bool VQHttpSocket::Resolve(const std::wstring& host, uint16_t port, VQSocketAddress& address) {
    if (host.empty() || !EnsureWinsockStarted())
        return false;
    std::string name = WideToNarrow(host);
    hostent* entry = gethostbyname(name.c_str());
    if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_length != 4 ||
        entry->h_addr_list == nullptr || entry->h_addr_list[0] == nullptr)
        return false;
    memcpy(&address.ipv4, entry->h_addr_list[0], 4);
    address.port = port;
    return true;
}

bool VQHttpSocket::SetTimeouts(uint32_t milliseconds) {
    DWORD value = milliseconds;
    const char* option = reinterpret_cast<const char*>(&value);
    SOCKET s = m_socket.load();
    return setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, option, sizeof(value)) == 0 &&
           setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, option, sizeof(value)) == 0;
}

bool VQHttpSocket::Connect(const VQSocketAddress& address, uint32_t timeoutMs, const std::atomic<bool>* stop) {
    const DWORD kPollMs = 50;
    SOCKET s = m_socket.load();
    sockaddr_in target;
    ZeroMemory(&target, sizeof(target));
    target.sin_family = AF_INET;
    target.sin_port = htons(address.port);
    target.sin_addr.s_addr = address.ipv4;
    // Non-blocking while connecting, so that the wait can watch the stop flag.
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0)
        return false;
    bool connected = connect(s, reinterpret_cast<const sockaddr*>(&target), sizeof(target)) == 0;
    if (!connected && WSAGetLastError() == WSAEWOULDBLOCK) {
        DWORD start = GetTickCount();
        for (;;) {
            if (stop != nullptr && stop->load())
                break;
            fd_set writable, failed;
            FD_ZERO(&writable);
            FD_ZERO(&failed);
            FD_SET(s, &writable);
            FD_SET(s, &failed);
            timeval wait = {0, static_cast<long>(kPollMs * 1000)};
            int ready = select(0, nullptr, &writable, &failed, &wait);
            if (ready < 0)
                break;
            if (ready > 0) {
                int error = 0;
                int size = sizeof(error);
                connected = FD_ISSET(s, &writable) &&
                            getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 &&
                            error == 0;
                if (!connected)
                    WSASetLastError(error != 0 ? error : WSAECONNREFUSED);
                break;
            }
            if (GetTickCount() - start >= timeoutMs) {
                WSASetLastError(WSAETIMEDOUT);
                break;
            }
        }
    }
    // The reason of a failed connect outlives the switch back to blocking.
    const int reason = WSAGetLastError();
    u_long blocking = 0;
    if (ioctlsocket(s, FIONBIO, &blocking) != 0)
        return false;
    if (!connected)
        WSASetLastError(reason);
    return connected && (stop == nullptr || !stop->load());
}

uint32_t VQHttpSocket::LastError(uint32_t fallback) {
    const int error = WSAGetLastError();
    return error != 0 ? static_cast<uint32_t>(error) : fallback;
}

void VQHttpSocket::ClearLastError() {
    WSASetLastError(0);
}

bool VQHttpSocket::SendAll(const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        size_t left = bytes.size() - sent;
        int n = send(m_socket.load(), bytes.data() + sent, left > 65536 ? 65536 : static_cast<int>(left), 0);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

int VQHttpSocket::Receive(char* buffer, int size) {
    return recv(m_socket.load(), buffer, size, 0);
}

void VQHttpSocket::Shutdown() {
    SOCKET s = m_socket.load();
    if (s != INVALID_SOCKET)
        shutdown(s, SD_BOTH);
}

void VQHttpSocket::Close() {
    SOCKET s = m_socket.exchange(INVALID_SOCKET);
    if (s != INVALID_SOCKET)
        closesocket(s);
}

}  // namespace Tessar
