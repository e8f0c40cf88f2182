// The reader of a file of daily closing prices: a header "date,symbol,close", then one close
// a line ("2025-03-04,IBM,131.20"). Untrusted bytes from outside: every line is checked, and
// one bad line refuses the whole file, so an import is all or nothing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/history/LocalDays.h"

// A file bigger than this is no list of daily closes a person keeps (four years of 1,000
// symbols fit in half of it); it is refused before it is read whole.
constexpr std::size_t kMaxCloseFileBytes = 64u << 20;
// Closes of one import, which are held in memory until the file is checked whole: four years
// of 1,000 symbols. A longer past comes in several files.
constexpr std::size_t kMaxCloseRows = 1000000;
// A close above this is a typing error, not a price.
constexpr double kMaxClosePrice = 1e12;

struct SCloseRow
{
    SLocalDate date;
    std::string symbol; // Windows-1252, as the trades hold it
    double close = 0;
};

struct SCloseCsv
{
    bool bOk = false;
    std::string error; // "line 7: the close is not a number: \"12,5\""
    std::vector<SCloseRow> rows;
};

// Reads the text (UTF-8, with or without a byte-order mark, lines ending in LF or CR LF,
// fields optionally in double quotes, dates as every date of the program is written). A date after
// today, a symbol not fit for a trade, a close that is not a positive number, and the same symbol
// twice on one day are refused.
SCloseCsv ParseCloseCsv(std::string_view text, const SLocalDate& today);

// The file's bytes, up to kMaxCloseFileBytes; false with a reason otherwise.
bool ReadCloseFile(const std::string& strPath, std::string& bytes, std::string& error);
