// FetchQuotes: many quotes at once, each fetched as FetchQuote fetches one (its server, path
// and reader, the password challenge, one redirection), all concurrently over kept-alive
// connections, within a per-host limit and an overall deadline.
#pragma once

#include <chrono>
#include <cstddef>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

#include "platform/net/HttpCancel.h"
#include "platform/net/HttpRequest.h"
#include "platform/net/HttpTransfers.h"
#include "quotes/QuoteReply.h"

// What a whole refresh may take: a dead server costs this much once, not once per quote.
constexpr std::chrono::milliseconds kDefaultRefreshDeadline{45000};
// The longest deadline a setting may ask for.
constexpr std::chrono::milliseconds kMaxRefreshDeadline{3600000};

// The environment variables that override the per-host limit and the deadline (seconds).
inline constexpr const char* kHostConnectionsVariable = "TALLYFERN_HOST_CONNECTIONS";
inline constexpr const char* kRefreshDeadlineVariable = "TALLYFERN_REFRESH_DEADLINE";

struct SQuoteBatchOptions
{
    int nHostConnections = kDefaultHostConnections;
    std::chrono::milliseconds deadline = kDefaultRefreshDeadline;
    // Stops the fetch from another thread; what has not arrived then fails as "stopped".
    std::shared_ptr<CHttpCancel> pCancel;
    // Called on the fetching thread as each reply arrives (nIndex into the requests), in the
    // order they arrive.
    std::function<void(std::size_t nIndex, const SQuoteReply& reply)> onReply;
    // Stamps the arrival of each price; the system clock when empty.
    std::function<std::time_t()> clock;
};

// The defaults with TALLYFERN_HOST_CONNECTIONS (1 to 64) and TALLYFERN_REFRESH_DEADLINE
// (seconds, more than 0 and at most 3600) applied; a value outside those is ignored.
SQuoteBatchOptions QuoteBatchOptionsFromEnvironment();

// Fetches every request once and returns one reply per request, in the requests' order.
// Runs on the calling thread; never throws and never shows anything. A password challenge
// asks the installed prompt (SetPasswordPrompt) at most once per host, from a thread of its
// own, while the other fetches go on.
std::vector<SQuoteReply> FetchQuotes(const std::vector<SQuoteRequest>& requests,
                                     const SQuoteBatchOptions& options);
