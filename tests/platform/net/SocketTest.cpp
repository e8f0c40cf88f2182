// The socket stand-in: names and both address families, bounded connect and receive.
#include "platform/net/Socket.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/support/smtpserver/ScriptedSmtpServer.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kShortWait = 300ms;

// A listener on 127.0.0.1 that never accepts, with its queue filled so that further
// connects get no answer at all.
struct FullListener
{
    FullListener()
    {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        ::listen(fd, 0);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        for (int& filler : fillers) {
            filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        }
    }
    ~FullListener()
    {
        for (int filler : fillers)
            ::close(filler);
        ::close(fd);
    }
    int fd = -1;
    int fillers[3] = {-1, -1, -1};
    unsigned port = 0;
};

bool HasIpv6Loopback()
{
    int fd = ::socket(AF_INET6, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return ok;
}

} // namespace

TEST(Socket, ConnectsByNameAndByAddressAndTalks)
{
    CScriptedSmtpServer server;
    ASSERT_TRUE(server.Start());
    for (const char* host : {"127.0.0.1", "localhost"}) {
        CSocket socket;
        socket.SetTimeouts(kShortWait, kShortWait);
        ASSERT_TRUE(socket.Create());
        ASSERT_TRUE(socket.Connect(host, server.Port())) << host;
        char buffer[8] = {};
        // One receive never takes more than asked for.
        ASSERT_EQ(socket.Receive(buffer, 3), 3);
        EXPECT_EQ(std::string(buffer, 3), "220");
        ASSERT_TRUE(socket.Send("QUIT\r\n", 6));
        socket.Close();
        EXPECT_FALSE(socket.IsOpen());
    }
}

TEST(Socket, ReachesIpv6Loopback)
{
    if (!HasIpv6Loopback())
        GTEST_SKIP() << "no IPv6 loopback here";
    int listener = ::socket(AF_INET6, SOCK_STREAM, 0);
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    socklen_t length = sizeof(address);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);

    CSocket socket;
    socket.SetTimeouts(kShortWait, kShortWait);
    ASSERT_TRUE(socket.Create()); // IPv4 at first; the connect changes family
    ASSERT_TRUE(socket.Connect("::1", ntohs(address.sin6_port)));
    int accepted = ::accept(listener, nullptr, nullptr);
    ASSERT_GE(accepted, 0);
    ASSERT_EQ(::send(accepted, "220 hi\r\n", 8, 0), 8);
    char buffer[16] = {};
    EXPECT_EQ(socket.Receive(buffer, sizeof(buffer)), 8);
    ::close(accepted);
    EXPECT_EQ(socket.Receive(buffer, sizeof(buffer)), 0); // the peer closed
    ::close(listener);
}

TEST(Socket, WaitsAreBounded)
{
    // Accepted, then nothing said: the receive gives up after its time-out.
    CSmtpScript script;
    script.m_greeting = CScriptedReply::Stall();
    CScriptedSmtpServer server(script);
    ASSERT_TRUE(server.Start());
    CSocket silent;
    silent.SetTimeouts(kShortWait, kShortWait);
    ASSERT_TRUE(silent.Create());
    ASSERT_TRUE(silent.Connect("127.0.0.1", server.Port()));
    char buffer[16];
    auto start = Clock::now();
    EXPECT_EQ(silent.Receive(buffer, sizeof(buffer)), -1);
    EXPECT_EQ(silent.GetLastError(), ETIMEDOUT);
    EXPECT_GE(Clock::now() - start, kShortWait - 50ms);
    EXPECT_LT(Clock::now() - start, 2s);

    // No answer to the connect at all.
    FullListener full;
    CSocket unanswered;
    unanswered.SetTimeouts(kShortWait, kShortWait);
    ASSERT_TRUE(unanswered.Create());
    start = Clock::now();
    EXPECT_FALSE(unanswered.Connect("127.0.0.1", full.port));
    EXPECT_EQ(unanswered.GetLastError(), ETIMEDOUT);
    EXPECT_LT(Clock::now() - start, 2s);
}

TEST(Socket, RefusedAndInvalidTargets)
{
    CSocket socket;
    EXPECT_FALSE(socket.Connect("127.0.0.1", 25)); // no Create
    ASSERT_TRUE(socket.Create());
    EXPECT_FALSE(socket.Connect("127.0.0.1", UnusedLoopbackPort()));
    EXPECT_EQ(socket.GetLastError(), ECONNREFUSED);
    EXPECT_FALSE(socket.Connect("127.0.0.1", 0));
    EXPECT_FALSE(socket.Connect("127.0.0.1", 65536));
    EXPECT_FALSE(socket.Connect("", 25));
    EXPECT_FALSE(socket.Connect(std::string("127.0.0.1\0evil", 14), 25));
    EXPECT_FALSE(socket.Connect("no-such-host.invalid", 25));
    EXPECT_FALSE(socket.Send("x", 1)); // nothing connected
}

TEST(Socket, LocalHostNameFitsTheBuffer)
{
    char full[80];
    ASSERT_TRUE(CSocket::GetLocalHostName(full, sizeof(full)));
    EXPECT_GT(std::strlen(full), 0U);
    char tiny[3] = {'x', 'x', 'x'};
    ASSERT_TRUE(CSocket::GetLocalHostName(tiny, sizeof(tiny)));
    EXPECT_EQ(std::string(tiny), std::string(full).substr(0, 2));
    EXPECT_FALSE(CSocket::GetLocalHostName(tiny, 0));
}
