#include "platform/fs/FileLock.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

#include "platform/fs/FilePaths.h"
#include "platform/fs/FileStore.h"

namespace tf::fs {

namespace {
// A waiter looks again this often at first, then less often, up to the longer interval:
// short holds (a terminal command) are caught quickly, long ones cost little.
constexpr std::chrono::milliseconds kFirstPoll{2};
constexpr std::chrono::milliseconds kLongestPoll{50};
// The holder's line is short: a process number and a program name.
constexpr std::size_t kHolderTextMax = 256;
// The lock file holds nothing secret, but it sits beside a private file.
constexpr mode_t kLockFileMode = 0600;

std::string OwnProgramName()
{
    return program_invocation_short_name ? program_invocation_short_name : "a program";
}

// "tfport (process 4242)" from the holder's line "4242 tfport", when that process runs.
std::string HolderFromText(const std::string& text)
{
    std::size_t space = text.find(' ');
    if (space == std::string::npos || space == 0)
        return {};
    long pid = 0;
    for (std::size_t i = 0; i < space; ++i) {
        if (text[i] < '0' || text[i] > '9' || pid > 99999999)
            return {};
        pid = pid * 10 + (text[i] - '0');
    }
    if (pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH))
        return {};
    std::string name;
    for (std::size_t i = space + 1; i < text.size() && text[i] != '\n'; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        // The name is shown to the user: nothing from the file reaches a terminal raw.
        name += (c < 0x20 || c >= 0x7F) ? '?' : static_cast<char>(c);
    }
    if (name.empty())
        name = "a program";
    return name + " (process " + std::to_string(pid) + ")";
}

std::string ReadHolder(int fd)
{
    char buffer[kHolderTextMax];
    ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
    if (n <= 0)
        return {};
    return HolderFromText(std::string(buffer, static_cast<std::size_t>(n)));
}

void WriteHolder(int fd)
{
    const std::string text = std::to_string(::getpid()) + " " + OwnProgramName() + "\n";
    // Only a help for the message of a writer left waiting: failures change nothing.
    if (::ftruncate(fd, 0) == 0)
        (void)!::pwrite(fd, text.data(), text.size(), 0);
}
} // namespace

std::string LockPathFor(const std::string& target)
{
    const std::string base = BaseNameOf(target);
    return target.substr(0, target.size() - base.size()) + "." + base + ".lock";
}

CFileLock::~CFileLock()
{
    Release();
}

bool CFileLock::Acquire(const std::string& target, std::chrono::milliseconds wait)
{
    Release();
    m_strError.clear();
    m_strHolder.clear();
    m_bBusy = false;
    const std::string path = LockPathFor(target);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, kLockFileMode);
    if (fd < 0) {
        m_strError = DescribeError("Cannot make the lock file", path, errno);
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    std::chrono::milliseconds poll = kFirstPoll;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            break;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            m_strError = DescribeError("Cannot lock", path, errno);
            ::close(fd);
            return false;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            m_bBusy = true;
            m_strHolder = ReadHolder(fd);
            m_strError = BaseNameOf(target) + " is in use by " +
                         (m_strHolder.empty() ? std::string("another program") : m_strHolder);
            ::close(fd);
            return false;
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(poll, deadline - now));
        poll = std::min(poll * 2, kLongestPoll);
    }
    m_fd = fd;
    WriteHolder(fd);
    return true;
}

void CFileLock::Release()
{
    if (m_fd < 0)
        return;
    // The line goes first, while the lock is still held, so that it never names a process
    // that has let go; closing the descriptor then releases the lock.
    (void)!::ftruncate(m_fd, 0);
    ::close(m_fd);
    m_fd = -1;
}

} // namespace tf::fs
