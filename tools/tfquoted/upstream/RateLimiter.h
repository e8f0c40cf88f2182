// How often the gateway may ask its quote service: a token bucket for the requests a minute
// the plan allows, and the hold a 429 reply puts on every request until its Retry-After has
// passed. Not locked: the gateway calls it under its own lock.
#pragma once

#include <chrono>
#include <ctime>
#include <string_view>

using GatewayClock = std::chrono::steady_clock;

// A 429 without a usable Retry-After holds the requests this long.
constexpr std::chrono::seconds kDefaultRetryAfter{60};
// A Retry-After longer than this is taken as this: a day later the user has long fixed the
// plan or the key.
constexpr std::chrono::seconds kMaxRetryAfter{24 * 60 * 60};

class CRateLimiter
{
  public:
    // The bucket holds a minute's worth of requests and starts full, so the first refresh
    // of a portfolio that fits the plan goes out at once.
    CRateLimiter(int nRequestsPerMinute, GatewayClock::time_point now);

    // Takes one request's token; false while the service's hold is in force or the bucket
    // is empty.
    bool TryTake(GatewayClock::time_point now);
    // The service said 429: nothing is asked until then.
    void HoldUntil(GatewayClock::time_point until);
    // How long the service's hold still lasts; zero when none is in force.
    std::chrono::seconds HeldFor(GatewayClock::time_point now) const;
    // False when the next request would be refused by the bucket.
    bool HasToken(GatewayClock::time_point now);

  private:
    void Refill(GatewayClock::time_point now);

    double m_dCapacity;
    double m_dPerSecond;
    double m_dTokens;
    GatewayClock::time_point m_lastRefill;
    GatewayClock::time_point m_heldUntil{};
};

// The hold a 429's Retry-After asks for (delta seconds or an HTTP date), kDefaultRetryAfter
// when it is missing or unreadable, never more than kMaxRetryAfter.
std::chrono::seconds ParseRetryAfter(std::string_view value, std::time_t now);
