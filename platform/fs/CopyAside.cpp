#include "platform/fs/CopyAside.h"

#include <algorithm>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <vector>

#include "platform/fs/FilePaths.h"

namespace tf::fs {

namespace {
// Copies and comparisons go through a buffer of this size: large enough for few calls,
// small enough for the stack of any thread.
constexpr std::size_t kCopyBufferSize = 65536;

bool Fail(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
    return false;
}

// True when both files hold the same bytes from their current positions to their ends.
bool SameBytes(CInputFile& a, CInputFile& b)
{
    std::vector<char> left(kCopyBufferSize);
    std::vector<char> right(kCopyBufferSize);
    for (;;) {
        long n = a.Read(left.data(), left.size());
        if (n < 0)
            return false;
        // A short read is possible on any file; read the other side to the same length.
        long m = 0;
        while (m < n) {
            long k = b.Read(right.data() + m, static_cast<std::size_t>(n - m));
            if (k <= 0)
                return false;
            m += k;
        }
        if (n == 0)
            return b.Read(right.data(), 1) == 0;
        if (!std::equal(left.begin(), left.begin() + n, right.begin()))
            return false;
    }
}
} // namespace

bool CopyOpenFileAside(CInputFile& in, const std::string& to, std::string* error)
{
    struct stat st
    {
    };
    if (::lstat(to.c_str(), &st) == 0)
        return Fail(error, "File exists: " + to);
    if (!in.Rewind())
        return Fail(error, in.ErrorText());
    CAtomicFile out;
    if (!out.Open(to))
        return Fail(error, out.ErrorText());
    std::vector<char> buffer(kCopyBufferSize);
    for (;;) {
        long n = in.Read(buffer.data(), buffer.size());
        if (n < 0)
            return Fail(error, in.ErrorText());
        if (n == 0)
            break;
        if (!out.Write(buffer.data(), static_cast<std::size_t>(n)))
            return Fail(error, out.ErrorText());
    }
    if (!out.Commit())
        return Fail(error, out.ErrorText());
    return true;
}

bool CopyFileAside(const std::string& from, const std::string& to, std::string* error)
{
    CInputFile in;
    if (!in.Open(from))
        return Fail(error, in.ErrorText());
    return CopyOpenFileAside(in, to, error);
}

std::string FindIdenticalCopy(CInputFile& file, const std::string& path, const std::string& suffix)
{
    const std::string folder = DirectoryOf(path);
    const std::string base = BaseNameOf(path);
    const std::string prefix = base + suffix;
    // Names come back as the caller wrote the path: "info.kgw.damaged-…", not "./info…".
    const std::string lead = path.substr(0, path.size() - base.size());
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir)
        return {};
    while (dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        // A copy still being written is not one yet.
        if (name.compare(0, prefix.size(), prefix) != 0 || name.find(".tmp-") != std::string::npos)
            continue;
        std::string candidate = lead + name;
        CInputFile other;
        if (!other.Open(candidate) || other.Stamp().size != file.Stamp().size)
            continue;
        if (file.Rewind() && SameBytes(file, other))
            return candidate;
    }
    return {};
}

} // namespace tf::fs
