#include "tests/support/smtpserver/ScriptedSmtpServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/support/process/ChildProcess.h"

namespace {

// Pieces of one reply are spaced so that each arrives as a segment of its own.
constexpr std::chrono::milliseconds kPieceGap{40};
// Commands longer than this are not SMTP; the server stops reading them.
constexpr std::size_t kMaxCommandLine = 64 * 1024;

bool StartsWithNoCase(const std::string& line, const char* word)
{
    std::size_t n = std::strlen(word);
    if (line.size() < n)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        char c = line[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != word[i])
            return false;
    }
    return true;
}

void WriteAll(int fd, const std::string& text)
{
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::send(fd, p, left, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

} // namespace

CScriptedSmtpServer::CScriptedSmtpServer(CSmtpScript script) : m_script(std::move(script)) {}

CScriptedSmtpServer::~CScriptedSmtpServer()
{
    Stop();
}

bool CScriptedSmtpServer::Start()
{
    if (::pipe2(m_nStopPipe, O_CLOEXEC) != 0)
        return false;
    m_nListenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_nListenFd < 0)
        return false;
    int yes = 1;
    ::setsockopt(m_nListenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(m_nListenFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(m_nListenFd, 8) != 0)
        return false;
    socklen_t length = sizeof(address);
    ::getsockname(m_nListenFd, reinterpret_cast<sockaddr*>(&address), &length);
    m_nPort = ntohs(address.sin_port);
    m_thread = std::thread([this] { Run(); });
    return true;
}

void CScriptedSmtpServer::Stop()
{
    if (m_thread.joinable()) {
        char one = 1;
        (void)!::write(m_nStopPipe[1], &one, 1);
        m_thread.join();
    }
    for (int* fd : {&m_nListenFd, &m_nStopPipe[0], &m_nStopPipe[1]}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

std::string CScriptedSmtpServer::Received() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_strReceived;
}

std::vector<std::string> CScriptedSmtpServer::Messages() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_messages;
}

int CScriptedSmtpServer::Connections() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nAccepted;
}

bool CScriptedSmtpServer::WaitForFinished(int nCount, std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_nFinished >= nCount; });
}

void CScriptedSmtpServer::Run()
{
    for (;;) {
        pollfd fds[2] = {{m_nListenFd, POLLIN, 0}, {m_nStopPipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents != 0)
            return;
        int fd = ::accept4(m_nListenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        int yes = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof(yes));
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_nAccepted;
        }
        Serve(fd);
        ::close(fd);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_nFinished;
        }
        m_changed.notify_all();
    }
}

bool CScriptedSmtpServer::ReadMore(int fd, std::string& buffer)
{
    for (;;) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {m_nStopPipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (fds[1].revents != 0)
            return false;
        char chunk[4096];
        ssize_t n = ::recv(fd, chunk, sizeof(chunk), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        buffer.append(chunk, static_cast<std::size_t>(n));
        std::lock_guard<std::mutex> lock(m_mutex);
        m_strReceived.append(chunk, static_cast<std::size_t>(n));
        return true;
    }
}

void CScriptedSmtpServer::WaitWhileOpen(int fd)
{
    std::string ignored;
    while (ReadMore(fd, ignored))
        ignored.clear();
}

bool CScriptedSmtpServer::Answer(int fd, const CScriptedReply& reply)
{
    switch (reply.m_action) {
    case CScriptedReply::Action::kClose:
        return false;
    case CScriptedReply::Action::kStall:
        WaitWhileOpen(fd);
        return false;
    case CScriptedReply::Action::kTrickle:
        for (const std::string& piece : reply.m_pieces) {
            if (!Trickle(fd, piece, reply.m_gap))
                return false;
        }
        return true;
    case CScriptedReply::Action::kSend:
        break;
    }
    for (std::size_t i = 0; i < reply.m_pieces.size(); ++i) {
        if (i > 0)
            std::this_thread::sleep_for(kPieceGap);
        WriteAll(fd, reply.m_pieces[i]);
    }
    return true;
}

bool CScriptedSmtpServer::Trickle(int fd, const std::string& text, std::chrono::milliseconds gap)
{
    for (char c : text) {
        if (::send(fd, &c, 1, MSG_NOSIGNAL) != 1)
            return false;
        // The gap is spent waiting for the stop signal, so Stop never waits for a trickle.
        pollfd stop{m_nStopPipe[0], POLLIN, 0};
        int rc = ::poll(&stop, 1, static_cast<int>(gap.count()));
        if (rc > 0)
            return false;
    }
    return true;
}

void CScriptedSmtpServer::Serve(int fd)
{
    if (!Answer(fd, m_script.m_greeting))
        return;
    std::string buffer;
    std::size_t rcptCount = 0;
    for (;;) {
        std::size_t end = buffer.find("\r\n");
        if (end == std::string::npos) {
            if (buffer.size() > kMaxCommandLine || !ReadMore(fd, buffer))
                return;
            continue;
        }
        std::string line = buffer.substr(0, end);
        buffer.erase(0, end + 2);

        const CScriptedReply* reply = &m_script.m_unknown;
        CScriptedReply rcptOk = CScriptedReply::Text(CSmtpScript::kRcptOk);
        bool quit = false;
        bool data = false;
        if (StartsWithNoCase(line, "HELO") || StartsWithNoCase(line, "EHLO")) {
            reply = &m_script.m_helo;
        } else if (StartsWithNoCase(line, "MAIL")) {
            reply = &m_script.m_mail;
        } else if (StartsWithNoCase(line, "RCPT")) {
            reply = rcptCount < m_script.m_rcpt.size() ? &m_script.m_rcpt[rcptCount] : &rcptOk;
            ++rcptCount;
        } else if (StartsWithNoCase(line, "DATA")) {
            reply = &m_script.m_data;
            data = true;
        } else if (StartsWithNoCase(line, "QUIT")) {
            reply = &m_script.m_quit;
            quit = true;
        }
        if (!Answer(fd, *reply) || quit)
            return;

        bool dataAccepted =
            data && !reply->m_pieces.empty() && reply->m_pieces.front().compare(0, 3, "354") == 0;
        if (!dataAccepted)
            continue;
        // The message runs up to a line holding a single ".".
        for (;;) {
            std::size_t mark = buffer.compare(0, 3, ".\r\n") == 0 ? 0 : buffer.find("\r\n.\r\n");
            if (mark != std::string::npos) {
                std::size_t contentEnd = mark == 0 ? 0 : mark + 2;
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_messages.push_back(buffer.substr(0, contentEnd));
                }
                buffer.erase(0, mark == 0 ? 3 : mark + 5);
                break;
            }
            if (!ReadMore(fd, buffer))
                return;
        }
        if (!Answer(fd, m_script.m_endOfData))
            return;
    }
}

unsigned UnusedLoopbackPort()
{
    int port = tf::test::FreeLoopbackPort();
    return port > 0 ? static_cast<unsigned>(port) : 0;
}
