#include "engine/history/LocalDays.h"

#include <algorithm>
#include <cstdint>

#include "platform/text/DateTexts.h"

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

bool ParseLocalDate(std::string_view text, SLocalDate& date, std::string& error)
{
    std::int32_t when = 0;
    if (!ParseDateText(text, when, error))
        return false;
    date = LocalDateOf(when);
    return true;
}

std::string IsoDateText(const SLocalDate& date)
{
    // Digits with leading zeros, as many as the field has.
    const auto digits = [](int value, int nWidth) {
        std::string text(static_cast<std::size_t>(nWidth), '0');
        for (int i = nWidth - 1; i >= 0 && value > 0; --i, value /= 10)
            text[static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
        return text;
    };
    return digits(date.year, 4) + "-" + digits(date.month, 2) + "-" + digits(date.day, 2);
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
    if (std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0)
        return std::to_string(when);
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
