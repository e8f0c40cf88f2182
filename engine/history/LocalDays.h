// Calendar days in local time, as the history is read: --since and --until name days, --daily
// keeps each day's last row, and an imported close belongs to the end of its day.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

struct SLocalDate
{
    int year = 0;
    int month = 0; // 1 to 12
    int day = 0;   // 1 to 31
    bool operator==(const SLocalDate&) const = default;
    bool operator<(const SLocalDate& other) const
    {
        return std::tie(year, month, day) < std::tie(other.year, other.month, other.day);
    }
};

// The local day of a date as the program reads dates everywhere (ParseDateText: a day, or a
// day and a time); false with the reason in `error`.
bool ParseLocalDate(std::string_view text, SLocalDate& date, std::string& error);
// "2026-03-05"
std::string IsoDateText(const SLocalDate& date);

SLocalDate LocalDateOf(std::time_t when);
// The same day nMonths earlier; a day the earlier month lacks becomes its last (May 31 less
// three months is Feb 28 or 29).
SLocalDate MonthsBefore(const SLocalDate& date, int nMonths);
// 00:00:00 of the day, and the last second before the next day begins.
std::time_t StartOfLocalDay(const SLocalDate& date);
std::time_t EndOfLocalDay(const SLocalDate& date);

// "2026-03-05 14:07:45" in local time, as spreadsheets read a date and time.
std::string LocalDateTimeText(std::time_t when);

// The local day of times that mostly come in order, with one calendar computation per day
// rather than per time.
class CLocalDayKeys
{
  public:
    // A number that orders days: year * 10000 + month * 100 + day.
    int KeyOf(std::time_t when);

  private:
    std::time_t m_start = 1;
    std::time_t m_end = 0;
    int m_nKey = 0;
};

// The last of each local day's points; points come in time order and carry a `time`.
template <class T> std::vector<T> KeepDailyLast(const std::vector<T>& points)
{
    std::vector<T> daily;
    CLocalDayKeys days;
    int nLastKey = -1;
    for (const T& point : points) {
        const int nKey = days.KeyOf(point.time);
        if (!daily.empty() && nKey == nLastKey)
            daily.back() = point;
        else
            daily.push_back(point);
        nLastKey = nKey;
    }
    return daily;
}
