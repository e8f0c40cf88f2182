#include "engine/AlertOutbox.h"

#include <utility>

CAlertOutbox::CAlertOutbox(AlertMailerFactory makeMailer, AlertFailureSink onFailure,
                           AlertOutcomeSink onOutcome)
    : m_makeMailer(std::move(makeMailer)), m_onFailure(std::move(onFailure)),
      m_onOutcome(std::move(onOutcome)), m_pShared(std::make_shared<SShared>())
{
}

CAlertOutbox::~CAlertOutbox()
{
    Close();
}

void CAlertOutbox::Close()
{
    std::lock_guard<std::mutex> lock(m_pShared->mutex);
    m_pShared->bClosed = true;
    m_pShared->queue.clear();
    m_pShared->wake.notify_all();
}

void CAlertOutbox::Queue(SAlertMail mail)
{
    std::lock_guard<std::mutex> lock(m_pShared->mutex);
    if (m_pShared->bClosed)
        return;
    m_pShared->queue.push_back(std::move(mail));
    if (!m_pShared->bThreadRunning) {
        // The thread lives while there is mail and ends when the queue is empty, so that an
        // exchange under way at the end of the program never holds the program up.
        m_pShared->bThreadRunning = true;
        std::thread(&CAlertOutbox::Serve, m_pShared, m_makeMailer, m_onFailure, m_onOutcome)
            .detach();
    }
    m_pShared->wake.notify_all();
}

bool CAlertOutbox::IsBusy() const
{
    std::lock_guard<std::mutex> lock(m_pShared->mutex);
    return m_pShared->bSending || !m_pShared->queue.empty();
}

void CAlertOutbox::Serve(const std::shared_ptr<SShared>& pShared,
                         const AlertMailerFactory& makeMailer, const AlertFailureSink& onFailure,
                         const AlertOutcomeSink& onOutcome)
{
    std::unique_lock<std::mutex> lock(pShared->mutex);
    while (!pShared->bClosed && !pShared->queue.empty()) {
        SAlertMail mail = std::move(pShared->queue.front());
        pShared->queue.pop_front();
        pShared->bSending = true;
        lock.unlock();
        const AlertOutcome outcome = SendAlert(mail, makeMailer, onFailure);
        if (onOutcome)
            onOutcome(mail, outcome);
        lock.lock();
        pShared->bSending = false;
    }
    pShared->bThreadRunning = false;
}
