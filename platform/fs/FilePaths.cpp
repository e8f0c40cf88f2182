#include "platform/fs/FilePaths.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tf::fs {

namespace {
// The kernel gives up after this many links in a row; so do we.
constexpr int kMaxLinkHops = 40;

// The link's text, or empty when the path is no link or cannot be read.
std::string ReadLinkText(const std::string& path)
{
    std::vector<char> buffer(PATH_MAX);
    ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size())
        return {};
    return std::string(buffer.data(), static_cast<std::size_t>(n));
}
} // namespace

std::string DirectoryOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ResolveLinks(const std::string& path)
{
    std::string current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st
        {
        };
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        std::string target = ReadLinkText(current);
        if (target.empty())
            return path;
        if (target[0] != '/') {
            std::size_t slash = current.rfind('/');
            if (slash != std::string::npos)
                target.insert(0, current, 0, slash + 1);
        }
        current = target;
    }
    return path;
}

std::string TemporaryPathFor(const std::string& target, long pid)
{
    return target + ".tmp-" + std::to_string(pid);
}

} // namespace tf::fs
