// Trade values as the ledger tests enter them: a symbol, quantity, price and fee, filed by
// default under "Unfiled" in the United States.
#pragma once

#include <string>

#include "model/Ledger.h"

inline TradeValues MakeTradeValues(const std::string& symbol, double quantity, double price,
                                   double fee = 0, bool bSell = false,
                                   const std::string& category = "Unfiled",
                                   const std::string& country = "United States")
{
    TradeValues values;
    values.bSell = bSell;
    values.symbol = symbol;
    values.quantity = quantity;
    values.price = price;
    values.brokerFee = fee;
    values.category = category;
    values.country = country;
    return values;
}
