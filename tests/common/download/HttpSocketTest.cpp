// The range downloader's connect: bounded by its time-out and given up at
// once when the download stops, so that no stop ever has to end a thread.
#include <winsock2.h>  // before windows.h

#include "common/HttpSocket.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace Tessar {
namespace {

// A listening socket on 127.0.0.1 that never accepts. Filled, its backlog
// has no room: the system answers no further connection attempt and a
// connect waits.
class SilentListener {
public:
    explicit SilentListener(bool fill = true) {
        EnsureWinsockStarted();
        m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof(address);
        if (bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(m_socket, 1) != 0 ||
            getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            return;
        m_port = ntohs(address.sin_port);
        // Fill the backlog with connections nobody accepts.
        for (int i = 0; fill && i < 8; ++i) {
            SOCKET filler = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
            u_long nonBlocking = 1;
            ioctlsocket(filler, FIONBIO, &nonBlocking);
            connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof(address));
            m_fillers.push_back(filler);
        }
        if (fill)
            Sleep(200);
    }
    ~SilentListener() {
        for (SOCKET filler : m_fillers)
            closesocket(filler);
        closesocket(m_socket);
    }
    uint16_t Port() const { return m_port; }

private:
    SOCKET m_socket = INVALID_SOCKET;
    std::vector<SOCKET> m_fillers;
    uint16_t m_port = 0;
};

VQSocketAddress Loopback(uint16_t port) {
    VQSocketAddress address;
    address.ipv4 = htonl(INADDR_LOOPBACK);
    address.port = port;
    return address;
}

TEST(HttpSocketTest, ConnectsToAListeningPort) {
    SilentListener listener(false);
    ASSERT_NE(0, listener.Port());
    VQHttpSocket socket;
    ASSERT_TRUE(socket.Open());
    std::atomic<bool> stop(false);
    EXPECT_TRUE(socket.Connect(Loopback(listener.Port()), 5000, &stop));
    // The connected socket carries data.
    EXPECT_TRUE(socket.SendAll(std::string(100000, 'x')));
}

TEST(HttpSocketTest, AnUnansweredConnectGivesUpAtItsTimeOut) {
    SilentListener listener;
    ASSERT_NE(0, listener.Port());
    VQHttpSocket socket;
    ASSERT_TRUE(socket.Open());
    DWORD start = GetTickCount();
    EXPECT_FALSE(socket.Connect(Loopback(listener.Port()), 600, nullptr));
    DWORD elapsed = GetTickCount() - start;
    // Well short of the system's own connect time-out (many seconds), with
    // room for a loaded machine.
    EXPECT_LT(elapsed, 10000u);
}

TEST(HttpSocketTest, AStopEndsAConnectAtOnce) {
    SilentListener listener;
    ASSERT_NE(0, listener.Port());
    VQHttpSocket socket;
    ASSERT_TRUE(socket.Open());
    std::atomic<bool> stop(false);
    std::thread stopper([&] {
        Sleep(300);
        stop = true;
    });
    DWORD start = GetTickCount();
    EXPECT_FALSE(socket.Connect(Loopback(listener.Port()), 60000, &stop));
    DWORD elapsed = GetTickCount() - start;
    stopper.join();
    // Against the connect's own 60 s.
    EXPECT_LT(elapsed, 30000u);

    // A stop set before the connect: no attempt at all.
    VQHttpSocket again;
    ASSERT_TRUE(again.Open());
    EXPECT_FALSE(again.Connect(Loopback(listener.Port()), 60000, &stop));
}

TEST(HttpSocketTest, ARefusedConnectFailsQuickly) {
    // A port just released: nobody listens there.
    SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof(address);
    ASSERT_EQ(0, bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address)));
    ASSERT_EQ(0, getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size));
    closesocket(probe);
    VQHttpSocket socket;
    ASSERT_TRUE(socket.Open());
    DWORD start = GetTickCount();
    EXPECT_FALSE(socket.Connect(Loopback(ntohs(address.sin_port)), 60000, nullptr));
    EXPECT_LT(GetTickCount() - start, 30000u);
}

}  // namespace
}  // namespace Tessar
