#include "platform/fs/FileStore.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tf::fs {

namespace {
FaultHook& Hook()
{
    static FaultHook hook;
    return hook;
}

bool Injected(FileOp op)
{
    const FaultHook& hook = Hook();
    return hook && hook(op);
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

std::string DirectoryOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string DescribeError(const char* what, const std::string& path, int err)
{
    return std::string(what) + " " + path + ": " + std::strerror(err);
}
} // namespace

void SetFaultHook(FaultHook hook)
{
    Hook() = std::move(hook);
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
    m_strTemp = path + ".tmp-" + std::to_string(::getpid());
    // The new file takes the old one's permissions, so a private portfolio stays private.
    mode_t mode = 0644;
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) == 0)
        mode = st.st_mode & 07777;
    m_fd = ::open(m_strTemp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (m_fd < 0) {
        int err = errno;
        m_strTemp.clear();
        return Fail("Cannot create a file beside", err);
    }
    return true;
}

bool CAtomicFile::Write(const void* data, std::size_t size)
{
    if (m_fd < 0)
        return false;
    if (Injected(FileOp::Write))
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
    if (Injected(FileOp::Sync))
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
    if (Injected(FileOp::Rename))
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

bool CopyFileAside(const std::string& from, const std::string& to, std::string* error)
{
    if (FileExists(to)) {
        if (error)
            *error = "File exists: " + to;
        return false;
    }
    CInputFile in;
    if (!in.Open(from)) {
        if (error)
            *error = in.ErrorText();
        return false;
    }
    CAtomicFile out;
    if (!out.Open(to)) {
        if (error)
            *error = out.ErrorText();
        return false;
    }
    char buffer[65536];
    for (;;) {
        long n = in.Read(buffer, sizeof buffer);
        if (n < 0) {
            if (error)
                *error = in.ErrorText();
            return false;
        }
        if (n == 0)
            break;
        if (!out.Write(buffer, static_cast<std::size_t>(n))) {
            if (error)
                *error = out.ErrorText();
            return false;
        }
    }
    if (!out.Commit()) {
        if (error)
            *error = out.ErrorText();
        return false;
    }
    return true;
}

} // namespace tf::fs
