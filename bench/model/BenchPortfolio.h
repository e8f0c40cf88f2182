// The portfolio the model benchmarks work on: n open buys of 997 symbols, one category.
#pragma once

#include <string>

#include "model/BlotterSpace.h"

inline CBlotterSpace MakeBenchPortfolio(int trades)
{
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    for (int i = 1; i <= trades; ++i) {
        TradeRecord t = MakeEmptyTrade();
        t.id = i;
        t.recordIndex = i;
        SetTradeSymbol(t, "SYM" + std::to_string(i % 997));
        SetTradeCategory(t, "Business");
        SetTradeCountry(t, "United States");
        t.quantity = i;
        t.price = 10.0 + i % 50;
        doc.m_trades.AddTail(t);
    }
    return doc;
}
