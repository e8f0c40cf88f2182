// The gateway between the quote paths tfquoted serves and one quote service: maps a symbol
// asked in a market to the service's symbol, answers from a cache while the quote is fresh,
// asks the service within its request budget otherwise, and counts what happened for
// /status. A request for a symbol already on its way waits for that answer instead of
// asking again. Thread-safe.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "tools/tfquoted/upstream/QuoteMarket.h"
#include "tools/tfquoted/upstream/RateLimiter.h"
#include "tools/tfquoted/upstream/UpstreamClient.h"
#include "tools/tfquoted/upstream/UpstreamConfig.h"

enum class EGatewayFailure {
    Market,      // the market has no template and the symbol no alias: not asked
    RateLimited, // the request budget is spent, or the service said 429
    Http,        // the service answered with a status other than 2xx
    Timeout,     // no answer within timeout_seconds
    Tls,         // the secure connection could not be made or verified
    Network,     // the service could not be reached
    NotJson,     // the reply is not JSON (or too large to be a quote)
    NoPrice,     // the reply has no price
};
constexpr std::size_t kGatewayFailureKinds = 8;
// The failure's name in /status ("rate_limited").
const char* GatewayFailureName(EGatewayFailure failure);

struct SUpstreamQuote
{
    double dPrice = 0.0;
    double dChange = 0.0;
    double dPreviousClose = 0.0;
};

struct SGatewayAnswer
{
    std::optional<SUpstreamQuote> quote; // nullopt: "no quote"
    std::string strServiceSymbol;        // empty when the symbol was not asked for
    bool bFromCache = false;
    std::optional<EGatewayFailure> failure;
    std::string strFailure; // why there is no quote; never holds the key
};

// Makes one request within the time given (a CUpstreamClient, or a test's stand-in).
using UpstreamFetch =
    std::function<SUpstreamResponse(const std::string& strUrl, std::chrono::milliseconds budget)>;

struct SGatewayOptions
{
    UpstreamFetch fetch; // empty: a CUpstreamClient made from the configuration
    // The clock that ages the cache and the request budget; empty: the steady clock.
    std::function<GatewayClock::time_point()> clock;
    // One line per request to the service; never the key.
    std::function<void(const std::string&)> log;
};

class CQuoteGateway
{
  public:
    explicit CQuoteGateway(SUpstreamConfig config, SGatewayOptions options = {});
    ~CQuoteGateway();
    CQuoteGateway(const CQuoteGateway&) = delete;
    CQuoteGateway& operator=(const CQuoteGateway&) = delete;

    SGatewayAnswer Lookup(EQuoteMarket market, const std::string& strSymbol);

    // {"upstream", "requests", "cache_hits", "failures": {kind: count}, "last_failure",
    //  "rate_limited", "retry_after_seconds"}
    std::string StatusJson();
    const std::string& Name() const { return m_config.strName; }

  private:
    struct SCacheEntry
    {
        std::optional<SUpstreamQuote> quote;
        GatewayClock::time_point fetched{};
        bool bInFlight = false;
        SGatewayAnswer lastAnswer; // what the last request ended with, for those who waited
    };

    GatewayClock::time_point Now() const;
    std::chrono::milliseconds Budget() const;
    std::shared_ptr<SCacheEntry> EntryFor(const std::string& strServiceSymbol);
    SGatewayAnswer Ask(const std::string& strServiceSymbol, std::unique_lock<std::mutex>& lock);
    SGatewayAnswer Judge(const std::string& strServiceSymbol, const SUpstreamResponse& response,
                         GatewayClock::time_point now);
    // Counts the failure and words it: "no quote for SUBJECT: WHY" (the service's symbol, or
    // the symbol asked when there is none).
    SGatewayAnswer Fail(SGatewayAnswer answer, EGatewayFailure failure, const std::string& strWhy,
                        const std::string& strSubject = {});
    void Log(const std::string& strLine) const;

    const SUpstreamConfig m_config;
    SGatewayOptions m_options;
    std::unique_ptr<CUpstreamClient> m_pClient;

    std::mutex m_mutex;
    std::condition_variable m_answered;
    // Shared so that a request waiting on an entry keeps it even when the cache makes room.
    std::map<std::string, std::shared_ptr<SCacheEntry>> m_cache;
    CRateLimiter m_limiter;
    std::size_t m_nRequests = 0;
    std::size_t m_nCacheHits = 0;
    std::array<std::size_t, kGatewayFailureKinds> m_failures{};
    std::string m_strLastFailure;
};
