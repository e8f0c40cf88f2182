#include "tests/support/httpserver/SilentListener.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Room in the queue for every connection a test or benchmark opens.
constexpr int kBacklog = 128;

} // namespace

CSilentListener::CSilentListener()
{
    m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t nLength = sizeof addr;
    if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(m_fd, kBacklog) != 0 ||
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&addr), &nLength) != 0)
        return;
    m_nPort = ntohs(addr.sin_port);
}

CSilentListener::~CSilentListener()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
