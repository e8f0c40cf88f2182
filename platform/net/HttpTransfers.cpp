#include "platform/net/HttpTransfers.h"

#include <algorithm>
#include <curl/curl.h>
#include <mutex>
#include <utility>

#include "platform/net/CurlGlobal.h"

namespace {

// The loop looks at the clock at least this often: a stalled transfer and the deadline are
// noticed within this much of their time.
constexpr long kPollIntervalMs = 100;

constexpr const char* kCancelledText = "stopped";
constexpr const char* kDeadlineText = "no answer before the deadline";

} // namespace

struct CHttpTransfers::SPostBox
{
    std::mutex mutex;
    std::vector<std::function<void()>> tasks;
    CURLM* pMulti = nullptr; // nullptr once the set is gone: later tasks are dropped
};

CHttpTransfers::CHttpTransfers(int nMaxPerHost)
    : m_nMaxPerHost(std::clamp(nMaxPerHost, 1, kMaxHostConnections)),
      m_pPostBox(std::make_shared<SPostBox>())
{
    EnsureCurlGlobal();
    CURLM* pMulti = curl_multi_init();
    if (pMulti != nullptr) {
        // libcurl's own limit as well, so that no connection beyond it is ever opened.
        curl_multi_setopt(pMulti, CURLMOPT_MAX_HOST_CONNECTIONS, static_cast<long>(m_nMaxPerHost));
    }
    m_pMulti = pMulti;
    m_pPostBox->pMulti = pMulti;
}

CHttpTransfers::~CHttpTransfers()
{
    std::vector<std::function<void()>> dropped;
    {
        std::lock_guard<std::mutex> lock(m_pPostBox->mutex);
        m_pPostBox->pMulti = nullptr;
        dropped.swap(m_pPostBox->tasks);
    }
    if (m_pCancel)
        m_pCancel->Unwatch(m_pMulti);
    auto* pMulti = static_cast<CURLM*>(m_pMulti);
    for (auto& [pEasy, pending] : m_active) {
        curl_multi_remove_handle(pMulti, static_cast<CURL*>(pEasy));
        pending.pRequest->Fail(EHttpFailure::kCancelled, kCancelledText);
    }
    if (pMulti != nullptr)
        curl_multi_cleanup(pMulti);
}

void CHttpTransfers::SetCancel(std::shared_ptr<CHttpCancel> pCancel)
{
    if (m_pCancel)
        m_pCancel->Unwatch(m_pMulti);
    m_pCancel = std::move(pCancel);
    if (m_pCancel && m_pMulti != nullptr)
        m_pCancel->Watch(m_pMulti);
}

void CHttpTransfers::SetDeadline(std::chrono::milliseconds deadline)
{
    m_deadline = deadline;
}

void CHttpTransfers::Add(CHttpRequest& request, Done done, BeforeStart beforeStart)
{
    SPending pending{&request, std::move(done), std::move(beforeStart)};
    if (m_pMulti == nullptr) {
        FinishNow(std::move(pending), EHttpFailure::kSetup, "cannot create an HTTP session");
        return;
    }
    m_queued[request.HostKey()].push_back(std::move(pending));
}

void CHttpTransfers::Hold()
{
    if (m_nHolds++ == 0)
        m_heldSince = std::chrono::steady_clock::now();
}

void CHttpTransfers::Release()
{
    if (m_nHolds == 0)
        return;
    if (--m_nHolds == 0 && m_bDeadlineSet)
        m_deadlineAt += std::chrono::steady_clock::now() - m_heldSince;
}

CHttpTransfers::Poster CHttpTransfers::GetPoster() const
{
    std::shared_ptr<SPostBox> pBox = m_pPostBox;
    return [pBox](std::function<void()> task) {
        std::lock_guard<std::mutex> lock(pBox->mutex);
        if (pBox->pMulti == nullptr)
            return;
        pBox->tasks.push_back(std::move(task));
        curl_multi_wakeup(pBox->pMulti);
    };
}

void CHttpTransfers::FinishNow(SPending pending, EHttpFailure failure, const std::string& strText)
{
    pending.pRequest->Fail(failure, strText);
    m_finished.push_back(std::move(pending));
}

void CHttpTransfers::StartOne(SPending pending)
{
    if (pending.beforeStart)
        pending.beforeStart(*pending.pRequest);
    auto* pEasy = static_cast<CURL*>(pending.pRequest->Prepare());
    if (pEasy == nullptr) {
        m_finished.push_back(std::move(pending));
        return;
    }
    if (curl_multi_add_handle(static_cast<CURLM*>(m_pMulti), pEasy) != CURLM_OK) {
        FinishNow(std::move(pending), EHttpFailure::kSetup, "cannot start the request");
        return;
    }
    ++m_activeByHost[pending.pRequest->HostKey()];
    m_active.emplace(pEasy, std::move(pending));
}

void CHttpTransfers::StartQueued()
{
    for (auto it = m_queued.begin(); it != m_queued.end();) {
        const std::string& strHost = it->first;
        std::deque<SPending>& queue = it->second;
        if (const auto failed = m_failedHosts.find(strHost); failed != m_failedHosts.end()) {
            // The host failed once: its other requests end at once, with the same reason.
            for (SPending& pending : queue)
                FinishNow(std::move(pending), failed->second.first, failed->second.second);
            queue.clear();
        }
        while (!queue.empty() && m_activeByHost[strHost] < m_nMaxPerHost) {
            SPending pending = std::move(queue.front());
            queue.pop_front();
            StartOne(std::move(pending));
        }
        if (m_activeByHost[strHost] == 0)
            m_activeByHost.erase(strHost);
        it = queue.empty() ? m_queued.erase(it) : std::next(it);
    }
}

void CHttpTransfers::ReadCompletions()
{
    auto* pMulti = static_cast<CURLM*>(m_pMulti);
    int nLeft = 0;
    while (CURLMsg* pMessage = curl_multi_info_read(pMulti, &nLeft)) {
        if (pMessage->msg != CURLMSG_DONE)
            continue;
        // The message does not survive the handle's removal: take what it says first.
        CURL* pEasy = pMessage->easy_handle;
        const CURLcode rc = pMessage->data.result;
        const auto it = m_active.find(pEasy);
        if (it == m_active.end())
            continue;
        curl_multi_remove_handle(pMulti, pEasy);
        SPending pending = std::move(it->second);
        m_active.erase(it);
        const std::string strHost = pending.pRequest->HostKey();
        if (--m_activeByHost[strHost] <= 0)
            m_activeByHost.erase(strHost);
        pending.pRequest->Complete(rc);
        const EHttpFailure failure = pending.pRequest->GetFailure();
        if (IsHostFailure(failure))
            m_failedHosts.emplace(strHost,
                                  std::make_pair(failure, pending.pRequest->GetErrorText()));
        m_finished.push_back(std::move(pending));
    }
}

void CHttpTransfers::EndEverything(EHttpFailure failure, const std::string& strText)
{
    auto* pMulti = static_cast<CURLM*>(m_pMulti);
    for (auto& [pEasy, pending] : m_active) {
        curl_multi_remove_handle(pMulti, static_cast<CURL*>(pEasy));
        FinishNow(std::move(pending), failure, strText);
    }
    m_active.clear();
    m_activeByHost.clear();
    for (auto& [strHost, queue] : m_queued) {
        for (SPending& pending : queue)
            FinishNow(std::move(pending), failure, strText);
    }
    m_queued.clear();
}

void CHttpTransfers::ReportFinished()
{
    std::vector<SPending> finished;
    finished.swap(m_finished);
    // The request may be gone once its Done has run: nothing touches it afterwards.
    for (SPending& pending : finished) {
        if (pending.done)
            pending.done(*pending.pRequest);
    }
}

bool CHttpTransfers::RunPostedTasks()
{
    std::vector<std::function<void()>> tasks;
    {
        std::lock_guard<std::mutex> lock(m_pPostBox->mutex);
        tasks.swap(m_pPostBox->tasks);
    }
    for (auto& task : tasks)
        task();
    return !tasks.empty();
}

bool CHttpTransfers::DeadlinePassed() const
{
    return m_bDeadlineSet && m_nHolds == 0 && std::chrono::steady_clock::now() >= m_deadlineAt;
}

long CHttpTransfers::PollTimeoutMs() const
{
    long nTimeout = kPollIntervalMs;
    long nCurlTimeout = -1;
    curl_multi_timeout(static_cast<CURLM*>(m_pMulti), &nCurlTimeout);
    if (nCurlTimeout >= 0)
        nTimeout = std::min(nTimeout, nCurlTimeout);
    if (m_bDeadlineSet && m_nHolds == 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            m_deadlineAt - std::chrono::steady_clock::now());
        nTimeout = std::min(nTimeout, std::max<long>(0, static_cast<long>(left.count()) + 1));
    }
    return nTimeout;
}

void CHttpTransfers::Run()
{
    if (m_deadline.count() > 0) {
        m_deadlineAt = std::chrono::steady_clock::now() + m_deadline;
        m_bDeadlineSet = true;
    }
    auto* pMulti = static_cast<CURLM*>(m_pMulti);
    while (true) {
        RunPostedTasks();
        const bool bCancelled = m_pCancel && m_pCancel->IsCancelled();
        if (bCancelled)
            EndEverything(EHttpFailure::kCancelled, kCancelledText);
        else if (DeadlinePassed())
            EndEverything(EHttpFailure::kTimedOut, kDeadlineText);
        else if (pMulti != nullptr)
            StartQueued();
        if (!m_finished.empty()) {
            ReportFinished();
            continue;
        }
        if (m_active.empty() && m_queued.empty() && (m_nHolds == 0 || bCancelled))
            break;
        if (m_active.empty()) {
            // Only held work is left: wait for its task (the wake-up ends the wait early).
            curl_multi_poll(pMulti, nullptr, 0, static_cast<int>(kPollIntervalMs), nullptr);
            continue;
        }
        int nRunning = 0;
        curl_multi_perform(pMulti, &nRunning);
        ReadCompletions();
        if (!m_finished.empty())
            continue;
        curl_multi_poll(pMulti, nullptr, 0, static_cast<int>(PollTimeoutMs()), nullptr);
    }
}
