// The amounts the program computes from trade records: a grid row's value, P/L today and
// position P/L, and the realized P/L of the current month and year.
#pragma once

#include <ctime>

#include "BlotterSpace.h"

struct RowAmounts
{
    double value = 0;      // price x quantity
    double plToday = 0;    // change x quantity
    double positionPL = 0; // (price - cost) x quantity, less the fee when deducting
};

RowAmounts ComputeRowAmounts(const TradeRecord& trade, double price, double change,
                             bool bDeductFees);

struct RealizedPL
{
    double mtd = 0;
    double ytd = 0;
};

// Month- and year-to-date realized P/L over every live sale, dated in local time against
// now (passed in, so tests fix the clock).
RealizedPL ComputeRealizedPL(const CBlotterSpace& doc, std::time_t now);

// A row of the blotter: shown when not deleted, not closed and in the category filter.
bool IsOpenPosition(const TradeRecord& trade);
bool PassesCategoryFilter(const TradeRecord& trade, const std::string& filter);
