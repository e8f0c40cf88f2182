#include "platform/fs/FileStore.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "platform/fs/Backups.h"
#include "platform/fs/FilePaths.h"

namespace tf::fs {

namespace {
// A new portfolio holds a person's finances: readable by its owner only.
constexpr mode_t kNewFileMode = 0600;

FaultHook& Hook()
{
    static FaultHook hook;
    return hook;
}

FileStamp StampOf(const struct stat& st)
{
    FileStamp stamp;
    stamp.bExists = true;
    stamp.device = static_cast<std::uint64_t>(st.st_dev);
    stamp.inode = static_cast<std::uint64_t>(st.st_ino);
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}
} // namespace

void SetFaultHook(FaultHook hook)
{
    Hook() = std::move(hook);
}

bool FaultInjected(FileOp op)
{
    const FaultHook& hook = Hook();
    return hook && hook(op);
}

std::string DescribeError(const char* what, const std::string& path, int err)
{
    return std::string(what) + " " + path + ": " + std::strerror(err);
}

FileStamp StampFile(const std::string& path)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return StampOf(st);
}

bool FileExists(const std::string& path)
{
    struct stat st
    {
    };
    return ::stat(path.c_str(), &st) == 0;
}

CInputFile::~CInputFile()
{
    Close();
}

bool CInputFile::Open(const std::string& path)
{
    Close();
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) {
        m_strError = DescribeError("Cannot open", path, errno);
        return false;
    }
    struct stat st
    {
    };
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        m_strError = "Not a regular file: " + path;
        Close();
        return false;
    }
    m_stamp = StampOf(st);
    return true;
}

long CInputFile::Read(void* data, std::size_t size)
{
    for (;;) {
        ssize_t n = ::read(m_fd, data, size);
        if (n >= 0)
            return static_cast<long>(n);
        if (errno != EINTR) {
            m_strError = std::string("Read failed: ") + std::strerror(errno);
            return -1;
        }
    }
}

bool CInputFile::Rewind()
{
    if (m_fd < 0 || ::lseek(m_fd, 0, SEEK_SET) != 0) {
        m_strError = std::string("Cannot read again: ") + std::strerror(errno);
        return false;
    }
    return true;
}

void CInputFile::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

CAtomicFile::~CAtomicFile()
{
    Abort();
}

bool CAtomicFile::Fail(const char* what, int err)
{
    m_strError = DescribeError(what, m_strPath, err);
    Abort();
    return false;
}

bool CAtomicFile::Open(const std::string& path)
{
    Abort();
    m_strPath = path;
    m_strTemp = TemporaryPathFor(path, static_cast<long>(::getpid()));
    // The new file takes the old one's permissions, so a private portfolio stays private.
    mode_t mode = kNewFileMode;
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) == 0)
        mode = st.st_mode & 07777;
    // O_EXCL and O_NOFOLLOW: whatever already has the temporary name, a link someone
    // planted there included, is refused rather than written through.
    m_fd = ::open(m_strTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  kNewFileMode);
    if (m_fd < 0) {
        int err = errno;
        std::string temp = m_strTemp;
        m_strTemp.clear(); // not ours: never removed by Abort
        m_strError = DescribeError("Cannot create", temp, err);
        return false;
    }
    // The mode given to open is cut by the umask; the old file's mode is set as it was.
    if (::fchmod(m_fd, mode) != 0)
        return Fail("Cannot set the permissions of a file beside", errno);
    return true;
}

bool CAtomicFile::Write(const void* data, std::size_t size)
{
    if (m_fd < 0)
        return false;
    if (FaultInjected(FileOp::Write))
        return Fail("Cannot write", EIO);
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(m_fd, bytes, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Fail("Cannot write", errno);
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool CAtomicFile::Commit()
{
    if (m_fd < 0)
        return false;
    if (FaultInjected(FileOp::Sync))
        return Fail("Cannot flush", EIO);
    if (::fsync(m_fd) != 0)
        return Fail("Cannot flush", errno);
    struct stat st
    {
    };
    if (::fstat(m_fd, &st) != 0)
        return Fail("Cannot flush", errno);
    if (::close(m_fd) != 0) {
        m_fd = -1;
        return Fail("Cannot close", errno);
    }
    m_fd = -1;
    if (m_nBackups > 0) {
        std::string backupError;
        if (!RotateBackups(m_strPath, m_nBackups, &backupError)) {
            m_strError = backupError;
            Abort();
            return false;
        }
    }
    if (FaultInjected(FileOp::Rename))
        return Fail("Cannot replace", EIO);
    if (::rename(m_strTemp.c_str(), m_strPath.c_str()) != 0)
        return Fail("Cannot replace", errno);
    m_strTemp.clear();
    m_stamp = StampOf(st);
    // Make the rename itself durable; a failure here leaves a complete file either way.
    int dir = ::open(DirectoryOf(m_strPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return true;
}

void CAtomicFile::Abort()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_strTemp.empty())
        ::unlink(m_strTemp.c_str());
    m_strTemp.clear();
}

} // namespace tf::fs
