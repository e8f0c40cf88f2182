#include "tools/tfquoted/upstream/RateLimiter.h"

#include <algorithm>
#include <curl/curl.h>
#include <string>

namespace {

constexpr double kSecondsPerMinute = 60.0;

} // namespace

CRateLimiter::CRateLimiter(int nRequestsPerMinute, GatewayClock::time_point now)
    : m_dCapacity(std::max(1, nRequestsPerMinute)), m_dPerSecond(m_dCapacity / kSecondsPerMinute),
      m_dTokens(m_dCapacity), m_lastRefill(now)
{
}

void CRateLimiter::Refill(GatewayClock::time_point now)
{
    if (now <= m_lastRefill) {
        return;
    }
    const std::chrono::duration<double> elapsed = now - m_lastRefill;
    m_dTokens = std::min(m_dCapacity, m_dTokens + elapsed.count() * m_dPerSecond);
    m_lastRefill = now;
}

bool CRateLimiter::TryTake(GatewayClock::time_point now)
{
    if (now < m_heldUntil) {
        return false;
    }
    Refill(now);
    if (m_dTokens < 1.0) {
        return false;
    }
    m_dTokens -= 1.0;
    return true;
}

void CRateLimiter::HoldUntil(GatewayClock::time_point until)
{
    m_heldUntil = std::max(m_heldUntil, until);
}

std::chrono::seconds CRateLimiter::HeldFor(GatewayClock::time_point now) const
{
    if (now >= m_heldUntil) {
        return std::chrono::seconds(0);
    }
    // Rounded up: a hold of half a second is still a hold.
    return std::chrono::ceil<std::chrono::seconds>(m_heldUntil - now);
}

bool CRateLimiter::HasToken(GatewayClock::time_point now)
{
    Refill(now);
    return m_dTokens >= 1.0;
}

std::chrono::seconds ParseRetryAfter(std::string_view value, std::time_t now)
{
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
        value.remove_prefix(1);
    }
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r' ||
                              value.back() == '\n')) {
        value.remove_suffix(1);
    }
    if (value.empty()) {
        return kDefaultRetryAfter;
    }
    if (std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        // Counted digit by digit so a number of any length stops at the cap, never overflows.
        long long nSeconds = 0;
        for (const char c : value) {
            nSeconds = std::min<long long>(nSeconds * 10 + (c - '0'), kMaxRetryAfter.count());
        }
        return std::chrono::seconds(nSeconds);
    }
    const std::string strDate(value);
    const std::time_t when = curl_getdate(strDate.c_str(), nullptr);
    if (when < 0) {
        return kDefaultRetryAfter;
    }
    return std::clamp(std::chrono::seconds(when - now), std::chrono::seconds(0), kMaxRetryAfter);
}
