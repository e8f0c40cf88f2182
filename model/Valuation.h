// The amounts the program computes from trade records: a grid row's value, P/L today and
// position P/L, and the realized P/L of the current month and year. A buy's fee is shared
// by quantity between its sales and its open remainder, so it is counted once in all.
#pragma once

#include <cstdint>
#include <ctime>
#include <unordered_map>

#include "BlotterSpace.h"

// The units each buy's live sales took from it, for sharing the buy's fee by quantity.
class CBuyFees
{
  public:
    explicit CBuyFees(const CBlotterSpace& doc);

    // What the buy was bought with: the units it holds plus those its live sales took.
    double Bought(const TradeRecord& buy) const;
    // The part of the buy's fee that its open remainder carries. A buy that never held a
    // unit (an old record) keeps its whole fee here.
    double OpenShare(const TradeRecord& buy) const;
    // The part of the buy's fee that `units` sold from it carry.
    double SaleShare(const TradeRecord& buy, double units) const;

  private:
    std::unordered_map<std::int32_t, double> m_sold; // by the buy's id
};

struct RowAmounts
{
    double value = 0;      // price x quantity
    double plToday = 0;    // change x quantity
    double positionPL = 0; // (price - cost) x quantity, less the open remainder's fee share
};

RowAmounts ComputeRowAmounts(const CBuyFees& fees, const TradeRecord& trade, double price,
                             double change, bool bDeductFees);

struct RealizedPL
{
    double mtd = 0;
    double ytd = 0;
};

// Month- and year-to-date realized P/L over every live sale whose buy is still there, each
// at the cost it was sold at (its costPrice), dated in local time against now (passed in,
// so tests fix the clock).
RealizedPL ComputeRealizedPL(const CBlotterSpace& doc, std::time_t now);

// A row of the blotter: shown when not deleted, not closed and in the category filter.
bool IsOpenPosition(const TradeRecord& trade);
bool PassesCategoryFilter(const TradeRecord& trade, const std::string& filter);
