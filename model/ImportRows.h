// The rows of a trade import as read from the CSV text: each checked field by field, before
// any of them enters the portfolio.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Ledger.h"

struct SImportRow
{
    std::size_t line = 0;
    bool bDeleted = false; // status 4: skipped
    TradeValues values;    // bSell, symbol, quantity, price, brokerFee, category, country
    std::int32_t date = 0; // buyDate of a buy, sellDate of a sale
    std::int32_t fileId = 0;
    std::int32_t fileRefId = 0;
    std::optional<double> currentPrice, dayChange, costPrice, auxValue1, auxValue2;
};

struct SImportRows
{
    std::vector<SImportRow> rows;
    bool bHasLinks = false; // the file has both id and refId columns
    std::string error;      // "line 4, quantity: ..." when a row cannot be read

    bool Failed() const { return !error.empty(); }
};

// Reads and checks every row of the text (Windows-1252; untrusted).
SImportRows ReadImportRows(std::string_view csv);
