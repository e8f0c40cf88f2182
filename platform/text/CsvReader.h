// Comma-separated records as spreadsheets and tfport's export write them: a field in double
// quotes may hold commas, line breaks and doubled quotes; lines end in CRLF or LF; blank
// lines are skipped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// No field of a trade comes near this; a longer one is not a file of trades.
constexpr std::size_t kCsvFieldMax = 4096;

struct SCsvRecord
{
    std::size_t line = 0; // where the record starts, 1 for the first line
    std::vector<std::string> fields;
};

struct SCsvResult
{
    bool bOk = true;
    std::vector<SCsvRecord> records;
    std::size_t errorLine = 0;
    std::string error;
};

// Reads every record of the text (untrusted: any bytes); refused at the first malformed one.
SCsvResult ReadCsv(std::string_view text);
