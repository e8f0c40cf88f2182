// The writers' lock of one file: an exclusive flock on ".<name>.lock" beside it. The file
// itself is replaced by rename at every save, so it cannot carry a lock; the lock file is
// made once and never removed. The holder writes its process number and program name into
// it, so that a writer left waiting can say who holds the lock.
#pragma once

#include <chrono>
#include <string>

namespace tf::fs {

// ".<name>.lock" in the folder of the target (links are the caller's to follow first).
std::string LockPathFor(const std::string& target);

class CFileLock
{
  public:
    CFileLock() = default;
    ~CFileLock();
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

    // Waits at most `wait` for the lock on the target. False when it is held elsewhere all
    // that time (ErrorText then names the holder where it can) or the lock file cannot be
    // made; nothing is held then.
    bool Acquire(const std::string& target, std::chrono::milliseconds wait);
    void Release();
    bool Held() const { return m_fd >= 0; }
    const std::string& ErrorText() const { return m_strError; }
    // True when the last Acquire gave up because another holder kept the lock all the wait.
    bool Busy() const { return m_bBusy; }
    // Who last took the lock, e.g. "tfport (process 4242)"; empty when no live process
    // can be named.
    const std::string& Holder() const { return m_strHolder; }

  private:
    int m_fd = -1;
    bool m_bBusy = false;
    std::string m_strError;
    std::string m_strHolder;
};

} // namespace tf::fs
