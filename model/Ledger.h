// The ledger rules by which trades enter, change and leave the document: buy, sell against
// an open buy, update an open buy, remove. A refusal leaves the document unchanged and
// carries the message and caption the user is shown (with a stop icon).
#pragma once

#include <cstdint>
#include <string>

#include "BlotterSpace.h"

// What the user entered for a trade.
struct TradeValues
{
    bool bSell = false;
    std::string symbol;
    double quantity = 0;
    double price = 0;
    double brokerFee = 0;
    std::string category;
    std::string country;
};

struct LedgerResult
{
    bool bChanged = false;
    std::string message; // empty unless refused
    std::string caption;
    // For the sell-amount refusal: the units the buy holds, which the dialog shows.
    double heldQuantity = 0;
    // The id of the trade that was added, when one was.
    std::int32_t newId = 0;

    bool Refused() const { return !message.empty(); }
};

LedgerResult AddBuy(CBlotterSpace& doc, const TradeValues& values, std::int32_t now);
// selected is the trade of the row last selected, or nullptr when none is.
LedgerResult AddSell(CBlotterSpace& doc, const TradeRecord* selected, const TradeValues& values,
                     std::int32_t now);
LedgerResult UpdateTrade(CBlotterSpace& doc, const TradeRecord& selected,
                         const TradeValues& values);
LedgerResult RemoveTrade(CBlotterSpace& doc, const TradeRecord& selected);

// The refusal texts.
extern const char* const kMsgPositionNotOpen;
extern const char* const kCapPositionNotOpen;
extern const char* const kMsgSellAmount;
extern const char* const kCapSellAmount;
extern const char* const kMsgUpdateBuySell;
extern const char* const kMsgUpdateClosed;
extern const char* const kCapUpdateError;
