// CHttpCancel: the stop signal of a set of transfers under way (a refresh the user stopped, a
// window that closes). Cancel may be called from any thread; every transfer set that watches
// the signal wakes at once and ends its transfers with the failure "cancelled".
#pragma once

#include <atomic>
#include <mutex>
#include <vector>

class CHttpCancel
{
  public:
    CHttpCancel() = default;
    CHttpCancel(const CHttpCancel&) = delete;
    CHttpCancel& operator=(const CHttpCancel&) = delete;

    void Cancel();
    bool IsCancelled() const { return m_bCancelled.load(); }

  private:
    friend class CHttpTransfers;
    // A libcurl multi handle to wake on Cancel; the watcher removes it before it is freed.
    void Watch(void* pMulti);
    void Unwatch(void* pMulti);

    std::atomic<bool> m_bCancelled{false};
    std::mutex m_mutex;
    std::vector<void*> m_watchers;
};
