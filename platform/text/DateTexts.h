// Dates as people and spreadsheets write them, read and written the same way in every
// locale: "2026-03-02", "2026-03-02T10:30" (local time), and the ISO 8601 form with seconds
// and a UTC offset that exports write ("2026-03-02T10:30:00-05:00").
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

// The form a date is entered in, for help texts and messages.
extern const char* const kDateFormatText;

// Reads a date (untrusted: any text) into seconds since 1970. Without an offset it is local
// time; a time that local time skips (a daylight-saving gap) is refused. Only dates a trade
// record can hold (after 1970-01-01 00:00 UTC, up to 2038-01-19) are taken. On failure
// `error` says why.
bool ParseDateText(std::string_view text, std::int32_t& when, std::string& error);

// "2026-12-08T12:30:00-05:00" in local time; empty for 0 (no date).
std::string IsoLocalTime(std::time_t when);
