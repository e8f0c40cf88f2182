#include "tools/tfquoted/upstream/QuoteGateway.h"

#include <ctime>
#include <nlohmann/json.hpp>
#include <utility>

#include "tools/tfquoted/upstream/UpstreamReply.h"
#include "tools/tfquoted/upstream/UpstreamTemplate.h"

namespace {

// The cache never grows past this many symbols: more than any portfolio holds, few enough to
// be nothing in memory.
constexpr std::size_t kMaxCachedSymbols = 10000;

constexpr std::array<const char*, kGatewayFailureKinds> kFailureNames = {
    "market", "rate_limited", "http", "timeout", "tls", "network", "not_json", "no_price"};

constexpr int kHttpTooManyRequests = 429;
constexpr int kHttpUnauthorized = 401;
constexpr int kHttpForbidden = 403;

bool IsSuccess(int nStatus)
{
    return nStatus >= 200 && nStatus < 300;
}

std::string HttpProblem(int nStatus)
{
    std::string strText = "the service answered HTTP " + std::to_string(nStatus);
    if (nStatus == kHttpUnauthorized || nStatus == kHttpForbidden) {
        strText += " (is the key right?)";
    }
    return strText;
}

} // namespace

const char* GatewayFailureName(EGatewayFailure failure)
{
    return kFailureNames[static_cast<std::size_t>(failure)];
}

CQuoteGateway::CQuoteGateway(SUpstreamConfig config, SGatewayOptions options)
    : m_config(std::move(config)), m_options(std::move(options)),
      m_limiter(m_config.nRequestsPerMinute, Now())
{
    if (!m_options.fetch) {
        m_pClient = std::make_unique<CUpstreamClient>(m_config.nConnections, m_config.strCaFile);
        m_options.fetch = [this](const std::string& strUrl, std::chrono::milliseconds budget) {
            return m_pClient->Get(strUrl, budget);
        };
    }
}

CQuoteGateway::~CQuoteGateway() = default;

GatewayClock::time_point CQuoteGateway::Now() const
{
    return m_options.clock ? m_options.clock() : GatewayClock::now();
}

std::chrono::milliseconds CQuoteGateway::Budget() const
{
    return std::chrono::seconds(m_config.nTimeoutSeconds);
}

void CQuoteGateway::Log(const std::string& strLine) const
{
    if (m_options.log) {
        m_options.log(RedactSecret(strLine, m_config.strKey));
    }
}

SGatewayAnswer CQuoteGateway::Fail(SGatewayAnswer answer, EGatewayFailure failure,
                                   const std::string& strWhy, const std::string& strSubject)
{
    const std::string& strSymbol = strSubject.empty() ? answer.strServiceSymbol : strSubject;
    answer.quote.reset();
    answer.failure = failure;
    answer.strFailure = RedactSecret("no quote for " + strSymbol + ": " + strWhy, m_config.strKey);
    ++m_failures[static_cast<std::size_t>(failure)];
    m_strLastFailure = answer.strFailure;
    return answer;
}

std::shared_ptr<CQuoteGateway::SCacheEntry>
CQuoteGateway::EntryFor(const std::string& strServiceSymbol)
{
    if (m_cache.size() >= kMaxCachedSymbols && m_cache.count(strServiceSymbol) == 0) {
        // Make room: first whatever is stale or empty, then the oldest; never an entry that
        // a request is waiting on.
        const auto now = Now();
        const std::chrono::seconds maxAge(m_config.nCacheSeconds);
        for (auto it = m_cache.begin(); it != m_cache.end();) {
            const SCacheEntry& entry = *it->second;
            const bool bStale = !entry.quote || now - entry.fetched >= maxAge;
            it = !entry.bInFlight && bStale ? m_cache.erase(it) : std::next(it);
        }
        auto oldest = m_cache.end();
        for (auto it = m_cache.begin(); it != m_cache.end(); ++it) {
            if (!it->second->bInFlight &&
                (oldest == m_cache.end() || it->second->fetched < oldest->second->fetched)) {
                oldest = it;
            }
        }
        if (m_cache.size() >= kMaxCachedSymbols && oldest != m_cache.end()) {
            m_cache.erase(oldest);
        }
    }
    auto& pEntry = m_cache[strServiceSymbol];
    if (!pEntry) {
        pEntry = std::make_shared<SCacheEntry>();
    }
    return pEntry;
}

SGatewayAnswer CQuoteGateway::Lookup(EQuoteMarket market, const std::string& strSymbol)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    SGatewayAnswer answer;
    const auto serviceSymbol = ServiceSymbol(m_config, market, strSymbol);
    if (!serviceSymbol) {
        return Fail(answer, EGatewayFailure::Market,
                    std::string("the configuration has no template for market ") +
                        MarketKey(market) + " and no alias for it",
                    strSymbol);
    }
    return Ask(*serviceSymbol, lock);
}

SGatewayAnswer CQuoteGateway::Ask(const std::string& strServiceSymbol,
                                  std::unique_lock<std::mutex>& lock)
{
    const std::shared_ptr<SCacheEntry> pEntry = EntryFor(strServiceSymbol);
    SCacheEntry& entry = *pEntry;
    SGatewayAnswer answer;
    answer.strServiceSymbol = strServiceSymbol;
    const std::chrono::seconds maxAge(m_config.nCacheSeconds);
    const auto CachedAnswer = [&] {
        ++m_nCacheHits;
        answer.quote = entry.quote;
        answer.bFromCache = true;
        return answer;
    };

    if (entry.bInFlight) {
        // Someone asks the service for this symbol right now: their answer is ours.
        if (!m_answered.wait_for(lock, Budget(), [&] { return !entry.bInFlight; })) {
            return Fail(answer, EGatewayFailure::Timeout,
                        "the service did not answer within " +
                            std::to_string(m_config.nTimeoutSeconds) + " s");
        }
        if (entry.lastAnswer.quote) {
            return CachedAnswer();
        }
        answer = entry.lastAnswer;
        return answer;
    }
    auto now = Now();
    if (entry.quote && now - entry.fetched < maxAge) {
        return CachedAnswer();
    }
    if (!m_limiter.TryTake(now)) {
        // Limited: a quote from earlier is better than none, but nothing waits for a token.
        if (entry.quote) {
            return CachedAnswer();
        }
        const auto held = m_limiter.HeldFor(now);
        return Fail(answer, EGatewayFailure::RateLimited,
                    held.count() > 0 ? "the service asked to wait " + std::to_string(held.count()) +
                                           " s more (429)"
                                     : "the " + std::to_string(m_config.nRequestsPerMinute) +
                                           " requests a minute are spent");
    }

    entry.bInFlight = true;
    lock.unlock();
    const auto started = std::chrono::steady_clock::now();
    const SUpstreamResponse response =
        m_options.fetch(UpstreamRequestUrl(m_config, strServiceSymbol), Budget());
    const auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - started)
                               .count();
    lock.lock();

    now = Now();
    if (response.fault != ETransportFault::Busy) {
        ++m_nRequests;
    }
    answer = Judge(strServiceSymbol, response, now);
    if (answer.quote) {
        entry.quote = answer.quote;
        entry.fetched = now;
    } else if (answer.failure == EGatewayFailure::RateLimited && entry.quote) {
        answer.quote = entry.quote;
        answer.bFromCache = true;
        ++m_nCacheHits;
    }
    entry.lastAnswer = answer;
    entry.bInFlight = false;
    m_answered.notify_all();

    const std::string strOutcome =
        answer.quote ? "price " + std::to_string(answer.quote->dPrice) : answer.strFailure;
    Log("upstream GET " + UpstreamLoggedUrl(m_config, strServiceSymbol) + " " +
        std::to_string(response.nStatus) + " " + std::to_string(elapsedMs) + " ms: " + strOutcome);
    return answer;
}

SGatewayAnswer CQuoteGateway::Judge(const std::string& strServiceSymbol,
                                    const SUpstreamResponse& response, GatewayClock::time_point now)
{
    SGatewayAnswer answer;
    answer.strServiceSymbol = strServiceSymbol;
    const std::string strTimeout =
        "the service did not answer within " + std::to_string(m_config.nTimeoutSeconds) + " s";
    switch (response.fault) {
    case ETransportFault::None:
        break;
    case ETransportFault::Busy:
        return Fail(answer, EGatewayFailure::Timeout,
                    "every connection to the service stayed busy for " +
                        std::to_string(m_config.nTimeoutSeconds) + " s");
    case ETransportFault::Timeout:
        return Fail(answer, EGatewayFailure::Timeout, strTimeout);
    case ETransportFault::Tls:
        return Fail(answer, EGatewayFailure::Tls,
                    "no verified secure connection: " + response.strError);
    case ETransportFault::Network:
        return Fail(answer, EGatewayFailure::Network, response.strError);
    }
    if (response.nStatus == kHttpTooManyRequests) {
        const auto hold = ParseRetryAfter(response.strRetryAfter, std::time(nullptr));
        m_limiter.HoldUntil(now + hold);
        return Fail(answer, EGatewayFailure::RateLimited,
                    "the service refused: too many requests (429); asking again in " +
                        std::to_string(hold.count()) + " s");
    }
    if (!IsSuccess(response.nStatus)) {
        return Fail(answer, EGatewayFailure::Http, HttpProblem(response.nStatus));
    }
    if (response.bTruncated) {
        return Fail(answer, EGatewayFailure::NotJson, "the reply is too large to be a quote");
    }
    const SReplyFields fields{m_config.strPricePointer, m_config.changePointer,
                              m_config.previousClosePointer};
    const SReplyReading reading = ReadUpstreamReply(response.strBody, fields);
    switch (reading.fault) {
    case EReplyFault::NotJson:
        return Fail(answer, EGatewayFailure::NotJson, reading.strProblem);
    case EReplyFault::NoPrice:
        return Fail(answer, EGatewayFailure::NoPrice, reading.strProblem);
    case EReplyFault::None:
        break;
    }
    answer.quote = SUpstreamQuote{reading.dPrice, reading.dChange, reading.dPreviousClose};
    return answer;
}

std::string CQuoteGateway::StatusJson()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto now = Now();
    nlohmann::json failures = nlohmann::json::object();
    for (std::size_t i = 0; i < kGatewayFailureKinds; ++i) {
        failures[kFailureNames[i]] = m_failures[i];
    }
    const auto held = m_limiter.HeldFor(now);
    nlohmann::json status = {
        {"upstream", m_config.strName},
        {"requests", m_nRequests},
        {"cache_hits", m_nCacheHits},
        {"failures", failures},
        {"last_failure",
         m_strLastFailure.empty() ? nlohmann::json(nullptr) : nlohmann::json(m_strLastFailure)},
        {"rate_limited", held.count() > 0 || !m_limiter.HasToken(now)},
        {"retry_after_seconds", held.count()},
    };
    // Replaced, not refused: a service's text is not always UTF-8.
    return RedactSecret(status.dump(2, ' ', false, nlohmann::json::error_handler_t::replace),
                        m_config.strKey) +
           "\n";
}
