// Trades taken in from CSV text with a header: the columns tfport's export writes, in any
// order, of which symbol, quantity, price, brokerFee (or fee), isSell (or side: 0/1,
// buy/sell), buyDate and sellDate (or date), category and country are needed. Rows enter by
// the ledger rules in date order. A sale names its buy by refId when the file has id and
// refId columns and the buy is in the file (the buy's quantity is then what it still holds,
// as exported, and its sales' units are added back); otherwise by symbol, oldest open buy
// first. Rows identical to a trade already in the portfolio (side, date, symbol, quantity,
// price) are skipped, and so are rows marked deleted (status 4). The whole text is checked
// first: the document changes only when every row is taken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "BlotterSpace.h"

struct SImportResult
{
    bool bOk = false;
    std::string error;                  // "line 4, quantity: ...", when refused
    std::vector<std::int32_t> addedIds; // the trades added, in order
    std::size_t nBuys = 0;              // buy rows added
    std::size_t nSales = 0;             // sale rows added (one may make several sales)
    std::size_t nDuplicates = 0;        // rows identical to a trade already there
    std::size_t nDeleted = 0;           // rows marked deleted
    std::vector<std::string> addedCategories;
};

// csv is Windows-1252 text (untrusted: from a file).
SImportResult ImportTradesCsv(CBlotterSpace& doc, std::string_view csv);
