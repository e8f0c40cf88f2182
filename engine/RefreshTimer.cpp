#include "engine/RefreshTimer.h"

#include <cstdint>
#include <limits>

namespace {
constexpr std::int64_t kMsPerMinute = 60000;
// The longest interval a window timer takes.
constexpr std::int64_t kMaxTimerMs = std::numeric_limits<std::int32_t>::max();
} // namespace

unsigned RefreshIntervalMs(std::int32_t nRefreshMinutes)
{
    const std::int64_t nMs = static_cast<std::int64_t>(nRefreshMinutes) * kMsPerMinute;
    if (nMs <= 0)
        return kDefaultRefreshMs;
    return static_cast<unsigned>(nMs < kMaxTimerMs ? nMs : kMaxTimerMs);
}
