// CHistoryDb: the price history of one portfolio, a SQLite database beside it
// ("info.kgw.history.sqlite"). Opening creates it on first use, switches it to a write-ahead
// log, sets a busy timeout so that the window and tfport can write at the same time, and
// brings an older schema up to date. A file that is not a database, or a damaged one, is
// moved aside ("<name>.damaged-<YYYYmmdd-HHMMSS>", its log with it) and a new one started.
//
// Every operation returns false on failure and leaves a fault and a short text for the
// user; nothing here throws, shows a window or prints.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct sqlite3;

// The history file of a portfolio file.
std::string HistoryPathFor(const std::string& strPortfolioPath);

// The schema this program writes, in PRAGMA user_version. 1 had no imported closes.
constexpr int kHistorySchemaVersion = 2;

enum class EHistoryFault {
    None,
    Missing,    // there is no history yet (only when opened without creating)
    Busy,       // another program kept it locked past the busy timeout
    Full,       // the disk is full
    CannotOpen, // the file or its folder cannot be opened, created or written
    Damaged,    // not a database, or a damaged one
    Newer,      // written by a newer schema than this program knows: left as it is
    Failed,     // any other error of the disk or of SQLite
};

enum class EHistoryOpen {
    Create,       // the writers: a missing history is created
    ExistingOnly, // the readers: a missing history is reported as Missing
};

class CHistoryDb
{
  public:
    CHistoryDb() = default;
    ~CHistoryDb();
    CHistoryDb(const CHistoryDb&) = delete;
    CHistoryDb& operator=(const CHistoryDb&) = delete;

    bool Open(const std::string& strPath, EHistoryOpen mode);
    void Close();
    bool IsOpen() const { return m_pDb != nullptr; }
    const std::string& Path() const { return m_strPath; }
    sqlite3* Handle() const { return m_pDb; }
    // False once the file at the path is no longer the one opened (moved, deleted or
    // replaced by another program): a long-lived writer then opens it again.
    bool StillAtPath() const;

    // Runs fn between BEGIN IMMEDIATE and COMMIT; fn returns an SQLite result code, and
    // anything but SQLITE_OK rolls the whole transaction back. When the database turns out to
    // be damaged on the way, it is moved aside, a new one is started and fn runs once more.
    // fn prepares its own statements, since the connection may change between runs.
    bool Write(const std::function<int(sqlite3*)>& fn);
    // Runs a read (fn as above) in one read transaction, with the same handling of damage.
    bool Read(const std::function<int(sqlite3*)>& fn);

    EHistoryFault Fault() const { return m_fault; }
    // What went wrong, for a user: "the disk is full".
    const std::string& FaultText() const { return m_strFault; }
    // Where a damaged history was moved during this object's life; empty when none was.
    const std::string& DamagedCopy() const { return m_strDamagedCopy; }

  private:
    bool OpenOnce(EHistoryOpen mode);
    bool Prepare();
    bool StartOver();
    void CloseKeepingFiles();
    bool Run(const char* pszBegin, const std::function<int(sqlite3*)>& fn);
    bool Fail(int rc);
    bool Fail(EHistoryFault fault, std::string strText);

    sqlite3* m_pDb = nullptr;
    std::string m_strPath;
    std::uint64_t m_nDevice = 0;
    std::uint64_t m_nInode = 0;
    EHistoryFault m_fault = EHistoryFault::None;
    std::string m_strFault;
    std::string m_strDamagedCopy;
};
