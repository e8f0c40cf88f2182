#include "platform/net/Socket.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Highest TCP port number.
constexpr unsigned kMaxPort = 65535;

// Waits until fd is ready for events or the deadline passes: 1 ready, 0 time-out (errno
// ETIMEDOUT), -1 error.
int WaitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            errno = ETIMEDOUT;
            return 0;
        }
        pollfd pfd{fd, events, 0};
        int timeout = static_cast<int>(std::min<long long>(left.count(), 1 << 30));
        int rc = ::poll(&pfd, 1, timeout);
        if (rc > 0)
            return 1;
        if (rc == 0) {
            errno = ETIMEDOUT;
            return 0;
        }
        if (errno != EINTR)
            return -1;
    }
}

} // namespace

CSocket::~CSocket()
{
    Close();
}

bool CSocket::OpenFor(int nFamily)
{
    Close();
    int fd = ::socket(nFamily, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        m_nLastError = errno;
        return false;
    }
    m_nFd = fd;
    m_nFamily = nFamily;
    return true;
}

bool CSocket::Create()
{
    return OpenFor(AF_INET);
}

void CSocket::Close()
{
    if (m_nFd >= 0) {
        ::close(m_nFd);
        m_nFd = -1;
    }
}

Clock::time_point CSocket::WaitEnd(std::chrono::milliseconds wait) const
{
    Clock::time_point now = Clock::now();
    // Compared as a duration first, so a far deadline never overflows the sum.
    if (m_deadline - now <= wait)
        return m_deadline;
    return now + wait;
}

bool CSocket::ConnectOne(const void* pAddress, unsigned nAddressLength, Clock::time_point deadline)
{
    if (::connect(m_nFd, static_cast<const sockaddr*>(pAddress), nAddressLength) == 0)
        return true;
    if (errno != EINPROGRESS && errno != EINTR) {
        m_nLastError = errno;
        return false;
    }
    int ready = WaitFor(m_nFd, POLLOUT, deadline);
    if (ready <= 0) {
        m_nLastError = errno;
        return false;
    }
    int error = 0;
    socklen_t length = sizeof(error);
    if (::getsockopt(m_nFd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        m_nLastError = errno;
        return false;
    }
    if (error != 0) {
        m_nLastError = error;
        return false;
    }
    return true;
}

bool CSocket::Connect(const std::string& strHost, unsigned nPort)
{
    if (m_nFd < 0) {
        m_nLastError = EBADF;
        return false;
    }
    if (nPort == 0 || nPort > kMaxPort || strHost.empty() ||
        strHost.find('\0') != std::string::npos) {
        m_nLastError = EINVAL;
        return false;
    }
    auto deadline = WaitEnd(m_connectTimeout);

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | AI_ADDRCONFIG;
    addrinfo* pList = nullptr;
    std::string service = std::to_string(nPort);
    int rc = ::getaddrinfo(strHost.c_str(), service.c_str(), &hints, &pList);
    if (rc != 0 && rc != EAI_SYSTEM) {
        // Loopback-only machines report no configured address family; ask again without
        // that filter so "localhost" and "::1" still resolve.
        hints.ai_flags = AI_NUMERICSERV;
        rc = ::getaddrinfo(strHost.c_str(), service.c_str(), &hints, &pList);
    }
    if (rc != 0) {
        m_nLastError = rc == EAI_SYSTEM ? errno : EHOSTUNREACH;
        return false;
    }

    bool connected = false;
    bool first = true;
    for (addrinfo* p = pList; p != nullptr && !connected; p = p->ai_next) {
        // A socket whose connect failed is not reused; the first try uses the one Create
        // made when the family fits.
        if ((!first || p->ai_family != m_nFamily) && !OpenFor(p->ai_family))
            continue;
        first = false;
        connected = ConnectOne(p->ai_addr, p->ai_addrlen, deadline);
        if (!connected && m_nLastError == ETIMEDOUT)
            break;
    }
    ::freeaddrinfo(pList);
    return connected;
}

bool CSocket::Send(const void* pData, std::size_t nSize)
{
    if (m_nFd < 0) {
        m_nLastError = EBADF;
        return false;
    }
    const char* p = static_cast<const char*>(pData);
    auto deadline = WaitEnd(m_ioTimeout);
    while (nSize > 0) {
        ssize_t sent = ::send(m_nFd, p, nSize, MSG_NOSIGNAL);
        if (sent > 0) {
            p += sent;
            nSize -= static_cast<std::size_t>(sent);
            // Progress restarts the clock: only a peer that takes nothing is a stall.
            deadline = WaitEnd(m_ioTimeout);
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (WaitFor(m_nFd, POLLOUT, deadline) <= 0) {
                m_nLastError = errno;
                return false;
            }
            continue;
        }
        m_nLastError = sent < 0 ? errno : EPIPE;
        return false;
    }
    return true;
}

long CSocket::Receive(void* pBuffer, std::size_t nSize)
{
    if (m_nFd < 0) {
        m_nLastError = EBADF;
        return -1;
    }
    if (nSize == 0)
        return 0;
    auto deadline = WaitEnd(m_ioTimeout);
    for (;;) {
        ssize_t got = ::recv(m_nFd, pBuffer, nSize, 0);
        if (got >= 0)
            return static_cast<long>(got);
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            m_nLastError = errno;
            return -1;
        }
        if (WaitFor(m_nFd, POLLIN, deadline) <= 0) {
            m_nLastError = errno;
            return -1;
        }
    }
}

bool CSocket::GetLocalHostName(char* pBuffer, std::size_t nSize)
{
    if (pBuffer == nullptr || nSize == 0)
        return false;
    pBuffer[0] = '\0';
    // HOST_NAME_MAX is 64 on Linux; a little room over it keeps the terminator in bounds.
    char name[256] = {};
    if (::gethostname(name, sizeof(name) - 1) != 0 || name[0] == '\0')
        return false;
    std::size_t length = std::min(std::strlen(name), nSize - 1);
    std::memcpy(pBuffer, name, length);
    pBuffer[length] = '\0';
    return true;
}
