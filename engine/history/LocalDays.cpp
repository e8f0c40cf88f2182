#include "engine/history/LocalDays.h"

#include <algorithm>
#include <cstdio>

namespace {

bool IsLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

bool Digits(std::string_view text, int& value)
{
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

std::time_t LocalMidnight(int year, int month, int day)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day; // mktime carries a day past the month's end into the next month
    local.tm_isdst = -1;
    return std::mktime(&local);
}

} // namespace

bool ParseIsoDate(std::string_view text, SLocalDate& out)
{
    // The first year of the program's dates; the last that its 32-bit dates reach.
    constexpr int kFirstYear = 1970;
    constexpr int kLastYear = 2037;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    SLocalDate date;
    if (!Digits(text.substr(0, 4), date.year) || !Digits(text.substr(5, 2), date.month) ||
        !Digits(text.substr(8, 2), date.day))
        return false;
    if (date.year < kFirstYear || date.year > kLastYear || date.month < 1 || date.month > 12 ||
        date.day < 1 || date.day > DaysInMonth(date.year, date.month))
        return false;
    out = date;
    return true;
}

std::string IsoDateText(const SLocalDate& date)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year % 10000, date.month % 100,
                  date.day % 100);
    return text;
}

SLocalDate LocalDateOf(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

SLocalDate MonthsBefore(const SLocalDate& date, int nMonths)
{
    const int nMonthIndex = date.year * 12 + (date.month - 1) - nMonths;
    SLocalDate earlier;
    earlier.year = nMonthIndex / 12;
    earlier.month = nMonthIndex % 12 + 1;
    earlier.day = std::min(date.day, DaysInMonth(earlier.year, earlier.month));
    return earlier;
}

std::time_t StartOfLocalDay(const SLocalDate& date)
{
    return LocalMidnight(date.year, date.month, date.day);
}

std::time_t EndOfLocalDay(const SLocalDate& date)
{
    return LocalMidnight(date.year, date.month, date.day + 1) - 1;
}

std::string LocalDateTimeText(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

int CLocalDayKeys::KeyOf(std::time_t when)
{
    if (when < m_start || when > m_end) {
        const SLocalDate date = LocalDateOf(when);
        m_start = StartOfLocalDay(date);
        m_end = EndOfLocalDay(date);
        m_nKey = date.year * 10000 + date.month * 100 + date.day;
    }
    return m_nKey;
}
