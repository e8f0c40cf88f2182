#include "platform/fs/StaleFiles.h"

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <memory>
#include <unistd.h>

#include "platform/fs/FilePaths.h"

namespace tf::fs {

namespace {
constexpr const char* kTemporaryMark = ".tmp-";
// Process numbers on Linux stay below 2^22; anything longer is no temporary file of ours.
constexpr std::size_t kMaxPidDigits = 10;

// The process number of a temporary name ("….tmp-4242"), or -1.
long TemporaryOwner(const std::string& name)
{
    std::size_t mark = name.rfind(kTemporaryMark);
    if (mark == std::string::npos)
        return -1;
    std::string digits = name.substr(mark + std::char_traits<char>::length(kTemporaryMark));
    if (digits.empty() || digits.size() > kMaxPidDigits)
        return -1;
    long pid = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

bool ProcessRuns(long pid)
{
    if (pid <= 0)
        return false;
    // EPERM: it runs, as another user.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}
} // namespace

int RemoveStaleTemporaries(const std::string& target)
{
    const std::string folder = DirectoryOf(target);
    const std::string prefix = BaseNameOf(target) + ".";
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir)
        return 0;
    const long self = static_cast<long>(::getpid());
    int removed = 0;
    while (dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        long owner = TemporaryOwner(name);
        if (owner < 0 || (owner != self && ProcessRuns(owner)))
            continue;
        // unlinkat removes a link itself, never what it points to.
        if (::unlinkat(::dirfd(dir.get()), name.c_str(), 0) == 0)
            ++removed;
    }
    return removed;
}

} // namespace tf::fs
