// One read-change-write of a portfolio file that other programs write too. From Begin to
// the end of the object it holds the writers' lock (beside the file a link names, so every
// name of the file shares one lock), it removes temporary files that dead writers left,
// and its first save keeps the replaced version as the newest numbered backup.
//
//     CPortfolioTransaction transaction(path);
//     if (!transaction.Begin(DefaultLockWait())) -> transaction.ErrorText()
//     transaction.Read(doc); ...change doc...; transaction.Write(doc);
#pragma once

#include <chrono>
#include <string>

#include "model/PortfolioFile.h"
#include "platform/fs/FileLock.h"

// How long a writer waits for another writer's save: 10 seconds, or the seconds given in
// TALLYFERN_LOCK_WAIT (for scripts that would rather fail at once, and for tests).
std::chrono::milliseconds DefaultLockWait();
// A wait as a message says it, in seconds: "10", "0.5".
std::string SecondsText(std::chrono::milliseconds wait);

class CPortfolioTransaction
{
  public:
    explicit CPortfolioTransaction(const std::string& path);
    CPortfolioTransaction(const CPortfolioTransaction&) = delete;
    CPortfolioTransaction& operator=(const CPortfolioTransaction&) = delete;

    // Takes the lock, waiting at most `wait`. False when another writer held it all that
    // time or it could not be taken; ErrorText says why and names the holder if it can.
    bool Begin(std::chrono::milliseconds wait);
    // Lets the lock go before the object ends (before a message box, say).
    void End() { m_lock.Release(); }
    bool Active() const { return m_lock.Held(); }
    const std::string& ErrorText() const { return m_lock.ErrorText(); }
    // True when Begin gave up because another writer held the lock all the wait.
    bool Busy() const { return m_lock.Busy(); }
    // The program holding the lock when Begin gave up ("tfport (process 42)"), or empty.
    const std::string& Holder() const { return m_lock.Holder(); }

    PortfolioReadResult Read(CBlotterSpace& doc) const;
    // Saves atomically; the first save of the transaction rotates the backups.
    PortfolioWriteResult Write(CBlotterSpace& doc);

    // The path as given, and the file it names once links are followed.
    const std::string& Path() const { return m_strPath; }
    const std::string& Target() const { return m_strTarget; }

  private:
    std::string m_strPath;
    std::string m_strTarget;
    tf::fs::CFileLock m_lock;
    bool m_bBackedUp = false;
};
