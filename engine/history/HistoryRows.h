// The rows of the price history as the program holds them. Texts are the program's 8-bit
// Windows-1252 texts; the database keeps them as UTF-8.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

// One quote that arrived during a refresh.
struct SHistoryQuote
{
    std::time_t arrived = 0;
    std::string symbol;
    std::string country;
    double price = 0;
    double change = 0;
};

// One refresh: its totals as shown, the category filter they were shown for, and the quotes
// that arrived. Quotes that failed are counted, never stored.
struct SHistoryRefresh
{
    std::time_t time = 0;
    double totalValue = 0;
    double positionPL = 0;
    double plToday = 0;
    double realizedMTD = 0;
    double realizedYTD = 0;
    std::string category;
    int quotesAsked = 0;
    int quotesFailed = 0;
    std::vector<SHistoryQuote> quotes;
};

// One point of the portfolio's value over time: a refresh as recorded, or a day computed from
// imported closes and the holdings of that day (which knows no P/L today, no realized P/L and
// no quote counts).
struct SValuePoint
{
    std::time_t time = 0;
    double totalValue = 0;
    double positionPL = 0;
    std::optional<double> plToday;
    std::optional<double> realizedMTD;
    std::optional<double> realizedYTD;
    std::string category;
    std::optional<int> quotesAsked;
    std::optional<int> quotesFailed;
    bool bComputed = false;
};

// One price of one symbol: fetched by a refresh, or an imported close (whose change is not
// known).
struct SPricePoint
{
    std::time_t time = 0;
    std::string symbol;
    std::string country;
    double price = 0;
    std::optional<double> change;
    bool bImported = false;
};

// An inclusive span of time; either end may be open.
struct SHistoryRange
{
    std::optional<std::time_t> since;
    std::optional<std::time_t> until;
    bool Contains(std::time_t when) const
    {
        return (!since || when >= *since) && (!until || when <= *until);
    }
};
