#include "platform/fs/Backups.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fs/CopyAside.h"
#include "platform/fs/FileStore.h"

namespace tf::fs {

namespace {
bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa
    {
    };
    struct stat sb
    {
    };
    return ::lstat(a.c_str(), &sa) == 0 && ::lstat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool Exists(const std::string& path)
{
    struct stat st
    {
    };
    return ::lstat(path.c_str(), &st) == 0;
}

bool Failed(std::string* error, const char* what, const std::string& path, int err)
{
    if (error)
        *error = DescribeError(what, path, err);
    return false;
}

// Hard links that a file system refuses as such, rather than for lack of room or rights.
bool NoHardLinksHere(int err)
{
    return err == EPERM || err == EOPNOTSUPP || err == EMLINK || err == EXDEV;
}
} // namespace

std::string BackupPath(const std::string& target, int n)
{
    return target + ".~" + std::to_string(n) + "~";
}

bool RotateBackups(const std::string& target, int count, std::string* error)
{
    if (count <= 0 || !Exists(target))
        return true;
    const std::string first = BackupPath(target, 1);
    if (SameFile(target, first))
        return true;
    for (int n = count - 1; n >= 1; --n) {
        const std::string from = BackupPath(target, n);
        if (!Exists(from))
            continue;
        const std::string to = BackupPath(target, n + 1);
        if (FaultInjected(FileOp::Rename))
            return Failed(error, "Cannot move the backup", from, EIO);
        if (::rename(from.c_str(), to.c_str()) != 0)
            return Failed(error, "Cannot move the backup", from, errno);
    }
    if (count == 1 && Exists(first) && ::unlink(first.c_str()) != 0)
        return Failed(error, "Cannot drop the backup", first, errno);
    if (FaultInjected(FileOp::Link))
        return Failed(error, "Cannot keep a backup as", first, EIO);
    if (::link(target.c_str(), first.c_str()) == 0)
        return true;
    const int err = errno;
    if (!NoHardLinksHere(err))
        return Failed(error, "Cannot keep a backup as", first, err);
    return CopyFileAside(target, first, error);
}

} // namespace tf::fs
