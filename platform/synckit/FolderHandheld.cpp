#include "platform/synckit/FolderHandheld.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fs/FileStore.h"
#include "platform/synckit/PdbFile.h"

namespace tf::synckit {

namespace {
constexpr const char* kPdbSuffix = ".pdb";

// Reads a whole file of at most kMaxPdbFileSize bytes; false with the reason otherwise.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, int& err,
                   std::string& error)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        err = errno;
        error = path + ": " + std::strerror(err);
        return false;
    }
    bytes.clear();
    std::uint8_t chunk[65536];
    bool ok = true;
    for (;;) {
        ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            err = errno;
            error = path + ": " + std::strerror(err);
            ok = false;
            break;
        }
        if (got == 0)
            break;
        if (bytes.size() + static_cast<std::size_t>(got) > kMaxPdbFileSize) {
            err = EFBIG;
            error = path + ": larger than any handheld database";
            ok = false;
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    ::close(fd);
    return ok;
}
} // namespace

CFolderHandheld::CFolderHandheld(std::string folder) : m_strFolder(std::move(folder))
{
    if (!m_strFolder.empty() && m_strFolder.back() != '/')
        m_strFolder += '/';
}

std::string CFolderHandheld::DatabasePath(const std::string& name) const
{
    return m_strFolder + name + kPdbSuffix;
}

int CFolderHandheld::LoadDatabase(const std::string& name, HandheldDatabase& db, std::string* error)
{
    std::string why;
    if (!IsValidDatabaseName(name)) {
        if (error)
            *error = "not a database name: " + name;
        return kSkErrBadArgument;
    }
    std::vector<std::uint8_t> bytes;
    int err = 0;
    if (!ReadWholeFile(DatabasePath(name), bytes, err, why)) {
        if (error)
            *error = why;
        return err == ENOENT ? kSkErrNotFound : kSkErrDamaged;
    }
    int status = ParsePdb(bytes.data(), bytes.size(), db, &why);
    if (status != kSkOk) {
        if (error)
            *error = DatabasePath(name) + ": " + why;
        return status;
    }
    // The file's name is the database's name on this handheld.
    db.name = name;
    return kSkOk;
}

int CFolderHandheld::StoreDatabase(const HandheldDatabase& db, std::string* error)
{
    std::vector<std::uint8_t> bytes = BuildPdb(db);
    tf::fs::CAtomicFile file;
    if (!file.Open(DatabasePath(db.name)) || !file.Write(bytes.data(), bytes.size()) ||
        !file.Commit()) {
        if (error)
            *error = file.ErrorText();
        return kSkErrStorage;
    }
    return kSkOk;
}

std::vector<std::string> CFolderHandheld::DatabaseNames() const
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(m_strFolder.empty() ? "." : m_strFolder.c_str());
    if (!dir)
        return names;
    while (dirent* entry = ::readdir(dir)) {
        std::string file = entry->d_name;
        std::size_t suffix = std::strlen(kPdbSuffix);
        if (file.size() > suffix && file.compare(file.size() - suffix, suffix, kPdbSuffix) == 0)
            names.push_back(file.substr(0, file.size() - suffix));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

int CFolderHandheld::Attach(const std::string& name, HandheldDatabase*& db)
{
    HandheldDatabase loaded;
    int status = LoadDatabase(name, loaded, &m_strLastError);
    if (status == kSkErrNotFound)
        m_strLastError.clear(); // no database yet is not a fault
    if (status != kSkOk)
        return status;
    db = &(m_loaded[name] = std::move(loaded));
    return kSkOk;
}

int CFolderHandheld::Make(const HandheldDatabase& prototype, HandheldDatabase*& db)
{
    struct stat info
    {
    };
    if (::stat(DatabasePath(prototype.name).c_str(), &info) == 0)
        return kSkErrExists;
    db = &(m_loaded[prototype.name] = prototype);
    return kSkOk;
}

int CFolderHandheld::Release(HandheldDatabase* db, bool bChanged)
{
    auto it = m_loaded.find(db->name);
    if (it == m_loaded.end())
        return kSkErrNotOpen;
    int status = kSkOk;
    if (bChanged)
        status = StoreDatabase(it->second, &m_strLastError);
    m_loaded.erase(it);
    return status;
}

} // namespace tf::synckit
