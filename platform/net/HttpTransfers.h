// CHttpTransfers: many HTTP requests at once over libcurl's multi interface, on the thread
// that calls Run. Connections are kept alive and reused between the requests of one set; at
// most a set number of requests run at once to one host (the rest wait their turn); a host
// that could not be reached or timed out is not asked again by the same set; a deadline and
// a cancel signal end whatever is still under way.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/net/HttpCancel.h"
#include "platform/net/HttpRequest.h"

// Requests at once to one host unless told otherwise: enough to hide a slow server's latency,
// few enough not to look like an attack to it.
constexpr int kDefaultHostConnections = 8;
// The most a setting may ask for.
constexpr int kMaxHostConnections = 64;

class CHttpTransfers
{
  public:
    // Called on Run's thread once the request has ended, with a response or a failure. It may
    // add more requests.
    using Done = std::function<void(CHttpRequest& request)>;
    // Called on Run's thread just before the request starts (to pick its credentials).
    using BeforeStart = std::function<void(CHttpRequest& request)>;
    // Runs a task on Run's thread; may be called from any thread, also after the set is gone
    // (the task is then dropped).
    using Poster = std::function<void(std::function<void()> task)>;

    explicit CHttpTransfers(int nMaxPerHost = kDefaultHostConnections);
    ~CHttpTransfers();
    CHttpTransfers(const CHttpTransfers&) = delete;
    CHttpTransfers& operator=(const CHttpTransfers&) = delete;

    // Watches the signal: once it is given every request still open ends as cancelled.
    void SetCancel(std::shared_ptr<CHttpCancel> pCancel);
    // What has not ended this long after Run started ends as timed out. Zero: no deadline.
    void SetDeadline(std::chrono::milliseconds deadline);

    // Queues the request; it must outlive its Done call.
    void Add(CHttpRequest& request, Done done, BeforeStart beforeStart = {});

    // Work that happens elsewhere (a password prompt) and comes back with more requests: Run
    // goes on while any is held, and the deadline does not run meanwhile. Hold and Release
    // are called on Run's thread (Release usually from a posted task).
    void Hold();
    void Release();
    Poster GetPoster() const;

    // Runs until every request has ended and nothing is held, or until the deadline or the
    // cancel signal has ended them all.
    void Run();

  private:
    struct SPending
    {
        CHttpRequest* pRequest = nullptr;
        Done done;
        BeforeStart beforeStart;
    };
    struct SPostBox;

    void StartQueued();
    void StartOne(SPending pending);
    void FinishNow(SPending pending, EHttpFailure failure, const std::string& strText);
    void ReportFinished();
    void ReadCompletions();
    void EndEverything(EHttpFailure failure, const std::string& strText);
    bool RunPostedTasks();
    bool DeadlinePassed() const;
    long PollTimeoutMs() const;

    void* m_pMulti = nullptr;
    int m_nMaxPerHost;
    std::shared_ptr<CHttpCancel> m_pCancel;
    std::shared_ptr<SPostBox> m_pPostBox;
    std::chrono::milliseconds m_deadline{0};
    std::chrono::steady_clock::time_point m_deadlineAt;
    bool m_bDeadlineSet = false;
    int m_nHolds = 0;
    std::chrono::steady_clock::time_point m_heldSince;

    std::map<std::string, std::deque<SPending>> m_queued; // by host key, in order of adding
    std::map<std::string, int> m_activeByHost;
    std::map<void*, SPending> m_active; // by easy handle
    // Hosts that failed: the failure and its text, given to every later request to them.
    std::map<std::string, std::pair<EHttpFailure, std::string>> m_failedHosts;
    // Requests ended without a transfer, reported from the loop rather than from Add.
    std::vector<SPending> m_finished;
};
