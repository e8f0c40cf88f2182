// Whole-file access for the portfolio: buffered reading, atomic replacement (temporary file
// beside the target, fsync, numbered backups, rename), and identity stamps that tell whether
// another program replaced a file. Qt-free; used by the model and the conduit.
//
// Tests can make the N-th write, sync, rename or link fail through SetFaultHook.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tf::fs {

// What identifies one version of a file on disk. A rename over the file gives it a new
// inode, so a replaced file never compares equal to the stamp of the old one.
struct FileStamp
{
    bool bExists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp StampFile(const std::string& path);
bool FileExists(const std::string& path);

// Reads a file sequentially. Open fails for a missing or unreadable file.
class CInputFile
{
  public:
    CInputFile() = default;
    ~CInputFile();
    CInputFile(const CInputFile&) = delete;
    CInputFile& operator=(const CInputFile&) = delete;

    bool Open(const std::string& path);
    // Bytes read, 0 at the end, -1 on an error.
    long Read(void* data, std::size_t size);
    // Back to the first byte, to read the same version again; false on an error.
    bool Rewind();
    bool IsOpen() const { return m_fd >= 0; }
    void Close();
    // The stamp of the file as opened.
    FileStamp Stamp() const { return m_stamp; }
    std::string ErrorText() const { return m_strError; }

  private:
    int m_fd = -1;
    FileStamp m_stamp;
    std::string m_strError;
};

// Writes a new version of a file: bytes go to "<path>.tmp-<pid>" beside the target, made
// with O_EXCL | O_NOFOLLOW (a name already there, a planted link included, is refused) and
// the permissions of the file it replaces (0600 for a new one). Commit flushes, fsyncs,
// keeps the numbered backups asked for and renames it over the target, then fsyncs the
// folder. Until Commit succeeds the target is untouched; a writer destroyed without Commit
// removes its temporary file. The path is used as it stands: a caller that wants a link
// followed resolves it first (ResolveLinks), or the rename replaces the link itself.
class CAtomicFile
{
  public:
    CAtomicFile() = default;
    ~CAtomicFile();
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    bool Open(const std::string& path);
    // At Commit, keep the version being replaced as "<path>.~1~" and move older ones up to
    // "~count~" (Backups.h). 0, the default, keeps none.
    void KeepBackups(int count) { m_nBackups = count; }
    bool Write(const void* data, std::size_t size);
    bool Commit();
    void Abort();
    // The stamp of the file as committed.
    FileStamp Stamp() const { return m_stamp; }
    std::string ErrorText() const { return m_strError; }

  private:
    bool Fail(const char* what, int err);

    int m_fd = -1;
    int m_nBackups = 0;
    std::string m_strPath;
    std::string m_strTemp;
    FileStamp m_stamp;
    std::string m_strError;
};

// Fault injection for tests. The hook is asked before every write, sync and rename that
// CAtomicFile makes and before every rename and hard link of the backup step; returning
// true makes that call fail with an I/O error.
enum class FileOp { Write, Sync, Rename, Link };
using FaultHook = std::function<bool(FileOp)>;
void SetFaultHook(FaultHook hook);
// Asks the hook about one call; true when the call is to fail.
bool FaultInjected(FileOp op);

// "<what> <path>: <reason>", the one shape of this layer's error texts.
std::string DescribeError(const char* what, const std::string& path, int err);

} // namespace tf::fs
