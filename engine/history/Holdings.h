// What the portfolio held at a past time, from each trade's buy and sell dates: a buy holds
// the units it was bought with (those still held and those sold since) from its buy date, and
// each sale takes its units away from its sell date on. A trade without a date (0) counts
// from the beginning of time, so it holds today's units throughout.
#pragma once

#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "model/BlotterSpace.h"

class CHoldings
{
  public:
    // The buys that pass the category filter; deleted trades count nowhere.
    CHoldings(const CBlotterSpace& doc, const std::string& strCategoryFilter);

    struct SPosition
    {
        double value = 0;
        double positionPL = 0;
        bool bHeld = false; // at least one buy of the symbol held units at that time
    };
    // The symbol's positions at a time, valued at a price: value, and the position P/L with
    // each held buy's fee taken off when the portfolio deducts brokerage.
    SPosition At(const std::string& strSymbol, std::time_t when, double dPrice) const;
    bool Knows(const std::string& strSymbol) const { return m_bySymbol.count(strSymbol) != 0; }

  private:
    struct SSale
    {
        std::time_t date = 0;
        double quantity = 0;
    };
    struct SBuy
    {
        std::time_t date = 0;
        double bought = 0; // the units as bought: still held plus every sale's
        double cost = 0;
        double fee = 0;
        std::vector<SSale> sales;
        double HeldAt(std::time_t when) const;
    };
    std::map<std::string, std::vector<SBuy>> m_bySymbol;
    bool m_bDeductFees = false;
};
