#include "engine/history/HistoryDb.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/history/HistorySchema.h"
#include "engine/history/SqlStatement.h"

namespace {

// How long a writer waits for another one (the window and tfport refresh at the same time).
// A refresh's transaction takes milliseconds; a wait this long means the other program is
// stuck or importing a very large file, and the refresh goes on without its history row.
constexpr int kBusyTimeoutMs = 3000;

// The write-ahead log lets readers go on while one writes; NORMAL syncs at checkpoints
// only, so a refresh costs no fsync (a crash of the machine can lose the last refreshes'
// rows, never the database).
const char* const kPragmas = "PRAGMA synchronous = NORMAL;";

bool IsDamage(int rc)
{
    const int primary = rc & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

bool Stat(const std::string& strPath, std::uint64_t& nDevice, std::uint64_t& nInode)
{
    struct stat st
    {
    };
    if (::stat(strPath.c_str(), &st) != 0)
        return false;
    nDevice = static_cast<std::uint64_t>(st.st_dev);
    nInode = static_cast<std::uint64_t>(st.st_ino);
    return true;
}

bool Exists(const std::string& strPath)
{
    struct stat st
    {
    };
    return ::lstat(strPath.c_str(), &st) == 0;
}

// A new history holds a person's prices and totals, as the portfolio does: it is made empty
// (an empty file is an empty database) for its owner alone, whatever the umask; SQLite gives
// its log and shared-memory files the mode of the database. A file already there is left be.
bool CreateOwnerOnly(const std::string& strPath)
{
    const int fd = ::open(strPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0)
        return errno == EEXIST;
    // The mode given to open is narrowed by the umask, never widened; 0600 is what is wanted.
    const bool bModeSet = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0;
    return ::close(fd) == 0 && bModeSet;
}

std::string DamagedName(const std::string& strPath)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    // The stamp always fits; should the clock give a year strftime cannot show, the seconds do.
    const std::string strBase =
        strPath + ".damaged-" +
        (std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local) != 0 ? std::string(stamp)
                                                                          : std::to_string(now));
    // Two damaged files within one second keep both copies.
    std::string strName = strBase;
    for (int i = 2; Exists(strName); ++i)
        strName = strBase + "-" + std::to_string(i);
    return strName;
}

std::string SystemErrorText(sqlite3* pDb)
{
    const int err = pDb != nullptr ? sqlite3_system_errno(pDb) : 0;
    return err != 0 ? std::string(" (") + std::strerror(err) + ")" : std::string();
}

} // namespace

std::string HistoryPathFor(const std::string& strPortfolioPath)
{
    return strPortfolioPath + ".history.sqlite";
}

CHistoryDb::~CHistoryDb()
{
    Close();
}

void CHistoryDb::Close()
{
    sqlite3_close_v2(m_pDb);
    m_pDb = nullptr;
}

bool CHistoryDb::StillAtPath() const
{
    std::uint64_t nDevice = 0;
    std::uint64_t nInode = 0;
    return IsOpen() && Stat(m_strPath, nDevice, nInode) && nDevice == m_nDevice &&
           nInode == m_nInode;
}

bool CHistoryDb::Open(const std::string& strPath, EHistoryOpen mode)
{
    Close();
    m_strPath = strPath;
    m_fault = EHistoryFault::None;
    m_strFault.clear();
    if (OpenOnce(mode))
        return true;
    if (m_fault != EHistoryFault::Damaged)
        return false;
    return StartOver();
}

bool CHistoryDb::OpenOnce(EHistoryOpen mode)
{
    Close();
    if (mode == EHistoryOpen::ExistingOnly && !Exists(m_strPath))
        return Fail(EHistoryFault::Missing, "there is no price history yet");
    if (mode != EHistoryOpen::ExistingOnly && !CreateOwnerOnly(m_strPath)) {
        const int err = errno;
        if (err == ENOSPC)
            return Fail(EHistoryFault::Full, "the disk is full");
        return Fail(EHistoryFault::CannotOpen,
                    std::string("it cannot be opened or created (") + std::strerror(err) + ")");
    }
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(m_strPath.c_str(), &m_pDb, flags, nullptr);
    bool bReady = rc == SQLITE_OK ? true : Fail(rc);
    if (bReady) {
        sqlite3_extended_result_codes(m_pDb, 1);
        sqlite3_busy_timeout(m_pDb, kBusyTimeoutMs);
        bReady = Prepare();
    }
    if (!bReady && m_fault == EHistoryFault::Damaged)
        CloseKeepingFiles();
    if (!bReady)
        Close();
    return bReady;
}

bool CHistoryDb::Prepare()
{
    // The schema version is read first: it is the first read of the file's header, where a
    // file that is no database shows.
    const SSchemaOutcome schema = EnsureHistorySchema(m_pDb);
    switch (schema.result) {
    case ESchemaResult::Ready:
        break;
    case ESchemaResult::Newer:
        return Fail(EHistoryFault::Newer, "it was written by a newer version of Tallyfern");
    case ESchemaResult::Foreign:
        return Fail(EHistoryFault::Damaged, "it is not a Tallyfern price history");
    case ESchemaResult::Error:
        return Fail(schema.rc);
    }
    {
        CSqlStatement mode;
        int rc = mode.Prepare(m_pDb, "PRAGMA journal_mode = WAL");
        if (rc == SQLITE_OK)
            rc = mode.Step();
        if (rc != SQLITE_ROW)
            return Fail(rc);
    }
    const int rc = ExecSql(m_pDb, kPragmas);
    if (rc != SQLITE_OK)
        return Fail(rc);
    Stat(m_strPath, m_nDevice, m_nInode);
    return true;
}

void CHistoryDb::CloseKeepingFiles()
{
    // A last connection closing plays the log into the file and deletes it; a damaged file is
    // to be kept as it was found, log and all.
    if (m_pDb != nullptr)
        sqlite3_db_config(m_pDb, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    Close();
}

bool CHistoryDb::StartOver()
{
    const std::string strReason = m_strFault;
    CloseKeepingFiles();
    const std::string strCopy = DamagedName(m_strPath);
    if (std::rename(m_strPath.c_str(), strCopy.c_str()) != 0 && errno != ENOENT)
        return Fail(EHistoryFault::Damaged,
                    strReason + ", and it could not be moved aside (" + std::strerror(errno) + ")");
    // The log belongs to the damaged file: left here it would be played into the new one, so
    // a log that cannot be moved is removed, and one that cannot be removed stops the start.
    const std::string strLog = m_strPath + "-wal";
    if (std::rename(strLog.c_str(), (strCopy + "-wal").c_str()) != 0 && errno != ENOENT &&
        ::unlink(strLog.c_str()) != 0 && errno != ENOENT)
        return Fail(EHistoryFault::Damaged, strReason + ", and its log could not be removed (" +
                                                std::strerror(errno) + ")");
    // The shared-memory index is rebuilt from the log; the new file needs none of it.
    ::unlink((m_strPath + "-shm").c_str());
    m_strDamagedCopy = strCopy;
    m_fault = EHistoryFault::None;
    m_strFault.clear();
    return OpenOnce(EHistoryOpen::Create);
}

bool CHistoryDb::Run(const char* pszBegin, const std::function<int(sqlite3*)>& fn)
{
    int rc = ExecSql(m_pDb, pszBegin);
    if (rc == SQLITE_OK) {
        rc = fn(m_pDb);
        if (rc == SQLITE_OK || rc == SQLITE_DONE)
            rc = ExecSql(m_pDb, "COMMIT");
        if (rc != SQLITE_OK && rc != SQLITE_DONE && !sqlite3_get_autocommit(m_pDb))
            ExecSql(m_pDb, "ROLLBACK");
    }
    if (rc == SQLITE_OK || rc == SQLITE_DONE)
        return true;
    return Fail(rc);
}

bool CHistoryDb::Write(const std::function<int(sqlite3*)>& fn)
{
    if (!IsOpen())
        return false;
    if (Run("BEGIN IMMEDIATE", fn))
        return true;
    return m_fault == EHistoryFault::Damaged && StartOver() && Run("BEGIN IMMEDIATE", fn);
}

bool CHistoryDb::Read(const std::function<int(sqlite3*)>& fn)
{
    if (!IsOpen())
        return false;
    if (Run("BEGIN", fn))
        return true;
    return m_fault == EHistoryFault::Damaged && StartOver() && Run("BEGIN", fn);
}

bool CHistoryDb::Fail(int rc)
{
    const std::string strSystem = SystemErrorText(m_pDb);
    switch (rc & 0xFF) {
    case SQLITE_FULL:
        return Fail(EHistoryFault::Full, "the disk is full");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Fail(EHistoryFault::Busy, "another program kept it locked");
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        return Fail(EHistoryFault::CannotOpen, "it cannot be opened or created" + strSystem);
    case SQLITE_READONLY:
        return Fail(EHistoryFault::CannotOpen, "it cannot be written" + strSystem);
    case SQLITE_IOERR:
        return Fail(EHistoryFault::Failed, "the disk reported an error" + strSystem);
    default:
        if (IsDamage(rc))
            return Fail(EHistoryFault::Damaged, "it is damaged");
        return Fail(EHistoryFault::Failed, sqlite3_errstr(rc));
    }
}

bool CHistoryDb::Fail(EHistoryFault fault, std::string strText)
{
    m_fault = fault;
    m_strFault = std::move(strText);
    return false;
}
