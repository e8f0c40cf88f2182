// The texts of the trade dialog's list rows and date fields. A row is the symbol, 27 blanks,
// ", " and the trade number; the list is so narrow that only the symbol shows, and the trade
// number is read back from the row when it is selected.
#pragma once

#include <cstdint>
#include <string>

std::string FormatTradeRow(const std::string& strSymbol, std::int32_t id);

struct STradeRow
{
    // The first word of the row (up to the first white space).
    std::string strSymbol;
    // The number after the first comma (cut at any further comma, leading blanks skipped);
    // 0 when there is none to read, which names no trade entered on the desktop.
    std::int32_t id = 0;
};

STradeRow ReadTradeRow(const std::string& strRow);

// A trade date as "%b %d, %Y" prints it in local time with English month names ("Mar 05,
// 1998"), whatever the user's locale; empty for a time the C library cannot convert.
std::string FormatTradeDate(std::int32_t nTime);
