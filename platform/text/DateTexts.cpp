#include "platform/text/DateTexts.h"

#include <cstdio>
#include <limits>

const char* const kDateFormatText = "YYYY-MM-DD or YYYY-MM-DDTHH:MM (local time)";

namespace {
// A record holds 32-bit times; 0 means "no date".
constexpr long long kLatestTime = std::numeric_limits<std::int32_t>::max();

struct SDateParts
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool bOffset = false;
    int offsetSeconds = 0;
};

// Exactly `count` digits at text[pos]; advances pos.
bool Digits(std::string_view text, std::size_t& pos, std::size_t count, int& value)
{
    if (pos + count > text.size())
        return false;
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const char c = text[pos + i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    pos += count;
    return true;
}

bool Literal(std::string_view text, std::size_t& pos, char c)
{
    if (pos >= text.size() || text[pos] != c)
        return false;
    ++pos;
    return true;
}

bool IsLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the date in the proleptic Gregorian calendar.
long long DaysFromCivil(int year, int month, int day)
{
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yoe = year - era * 400;
    const long long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool ReadParts(std::string_view text, SDateParts& parts)
{
    std::size_t pos = 0;
    if (!Digits(text, pos, 4, parts.year) || !Literal(text, pos, '-') ||
        !Digits(text, pos, 2, parts.month) || !Literal(text, pos, '-') ||
        !Digits(text, pos, 2, parts.day))
        return false;
    if (pos < text.size() && (text[pos] == 'T' || text[pos] == ' ')) {
        ++pos;
        if (!Digits(text, pos, 2, parts.hour) || !Literal(text, pos, ':') ||
            !Digits(text, pos, 2, parts.minute))
            return false;
        if (Literal(text, pos, ':') && !Digits(text, pos, 2, parts.second))
            return false;
        if (Literal(text, pos, 'Z')) {
            parts.bOffset = true;
        } else if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            const int sign = text[pos++] == '-' ? -1 : 1;
            int hours = 0;
            int minutes = 0;
            if (!Digits(text, pos, 2, hours) || !Literal(text, pos, ':') ||
                !Digits(text, pos, 2, minutes) || hours > 23 || minutes > 59)
                return false;
            parts.bOffset = true;
            parts.offsetSeconds = sign * (hours * 3600 + minutes * 60);
        }
    }
    return pos == text.size();
}
} // namespace

bool ParseDateText(std::string_view text, std::int32_t& when, std::string& error)
{
    const std::string quoted = "\"" + std::string(text) + "\"";
    SDateParts p;
    if (!ReadParts(text, p)) {
        error = quoted + " is not a date in the form " + kDateFormatText;
        return false;
    }
    if (p.month < 1 || p.month > 12 || p.day < 1 || p.day > DaysInMonth(p.year, p.month) ||
        p.hour > 23 || p.minute > 59 || p.second > 59) {
        error = quoted + " is not a date of the calendar";
        return false;
    }
    long long seconds = 0;
    if (p.bOffset) {
        constexpr long long kDay = 86400;
        constexpr long long kHour = 3600;
        constexpr long long kMinute = 60;
        seconds = DaysFromCivil(p.year, p.month, p.day) * kDay + p.hour * kHour +
                  p.minute * kMinute + p.second - p.offsetSeconds;
    } else {
        std::tm local{};
        local.tm_year = p.year - 1900;
        local.tm_mon = p.month - 1;
        local.tm_mday = p.day;
        local.tm_hour = p.hour;
        local.tm_min = p.minute;
        local.tm_sec = p.second;
        local.tm_isdst = -1;
        const std::time_t made = std::mktime(&local);
        // mktime moves a time inside a daylight-saving gap; such a time never happened here.
        if (made == static_cast<std::time_t>(-1) || local.tm_hour != p.hour ||
            local.tm_min != p.minute || local.tm_mday != p.day) {
            error = quoted + " is not a time that exists in the local time zone";
            return false;
        }
        seconds = made;
    }
    if (seconds <= 0 || seconds > kLatestTime) {
        error = quoted + " is outside the dates a trade can hold (1970 to 2038)";
        return false;
    }
    when = static_cast<std::int32_t>(seconds);
    return true;
}

std::string IsoLocalTime(std::time_t when)
{
    if (when == 0)
        return {};
    std::tm local{};
    localtime_r(&when, &local);
    char text[40];
    if (std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local) == 0)
        return {};
    // strftime writes the offset as +hhmm; ISO 8601 with a colon reads +hh:mm.
    const std::string stamp = text;
    const std::size_t minutes = stamp.size() - 2;
    return stamp.substr(0, minutes) + ":" + stamp.substr(minutes);
}
