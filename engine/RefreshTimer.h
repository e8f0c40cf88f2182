// The refresh timer's interval for the auto-refresh setting in minutes.
#pragma once

#include <cstdint>

// Ten minutes, the interval used when the setting is 0 or less.
constexpr unsigned kDefaultRefreshMs = 600000;

// minutes x 60000 ms; 600000 for a setting of 0 or less. A window timer holds at most
// 2^31 - 1 ms (a little over 35791 minutes): longer settings run at that longest interval
// rather than wrapping round to a short or negative one.
unsigned RefreshIntervalMs(std::int32_t nRefreshMinutes);
