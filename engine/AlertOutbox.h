// CAlertOutbox: sends due pager alerts on a thread of its own, one after another in the order
// they were queued, so that no mail exchange ever waits on the caller's thread. The failures
// of each alert reach the sink on the outbox's thread, in the order connect, send, disconnect,
// and then its outcome (sent or failed) reaches the outcome sink.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/AlertTest.h"

// Told of each alert once its exchange has ended.
using AlertOutcomeSink = std::function<void(const SAlertMail& mail, AlertOutcome outcome)>;

class CAlertOutbox
{
  public:
    CAlertOutbox(AlertMailerFactory makeMailer, AlertFailureSink onFailure,
                 AlertOutcomeSink onOutcome = {});
    // Alerts not yet begun are dropped; one under way is left to end on its own thread,
    // whose sink must then be safe to call (the window's checks that it still exists).
    ~CAlertOutbox();
    CAlertOutbox(const CAlertOutbox&) = delete;
    CAlertOutbox& operator=(const CAlertOutbox&) = delete;

    void Queue(SAlertMail mail);
    // Drops the alerts not yet begun and takes no more (the program is ending).
    void Close();
    // True while an alert waits or is being sent.
    bool IsBusy() const;

  private:
    struct SShared
    {
        std::mutex mutex;
        std::condition_variable wake;
        std::deque<SAlertMail> queue;
        bool bSending = false;
        bool bClosed = false;
        bool bThreadRunning = false;
    };
    // Runs on the outbox's thread, over the copies that thread keeps.
    static void Serve(const std::shared_ptr<SShared>& pShared, const AlertMailerFactory& makeMailer,
                      const AlertFailureSink& onFailure, const AlertOutcomeSink& onOutcome);

    AlertMailerFactory m_makeMailer;
    AlertFailureSink m_onFailure;
    AlertOutcomeSink m_onOutcome;
    std::shared_ptr<SShared> m_pShared;
};
