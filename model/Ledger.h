// The ledger rules by which trades enter, change and leave the document: buy, sell against
// an open buy (or against a symbol's open buys, oldest first), update an open buy, remove.
// A refusal leaves the document unchanged and carries the message and caption the user is
// shown (with a stop icon). Records marked deleted are never acted on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "BlotterSpace.h"
#include "LedgerChecks.h"

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
    // The entry field a refusal is about, for the dialog to put the focus there.
    ETradeField field = ETradeField::None;
    // For the sell-amount refusal: the units the buy (or the symbol's buys) hold.
    double heldQuantity = 0;
    // The id of the trade that was added, when one was (the first, for a sale by symbol).
    std::int32_t newId = 0;
    // Every trade that was added, in order.
    std::vector<std::int32_t> newIds;

    bool Refused() const { return !message.empty(); }
};

// `when` is the trade's date: the purchase time of a buy, the sale time of a sale.
LedgerResult AddBuy(CBlotterSpace& doc, const TradeValues& values, std::int32_t when);
// selected is the trade of the row last selected, or nullptr when none is. A sale within
// kQuantityTolerance of the units held sells exactly those units and closes the buy.
LedgerResult AddSell(CBlotterSpace& doc, const TradeRecord* selected, const TradeValues& values,
                     std::int32_t when);
// Sells values.quantity of values.symbol from that symbol's open buys bought at or before
// `when`, oldest purchase first (list order among equal dates): one sale per buy touched,
// each costed at its own buy, the fee shared by quantity. An empty category or country in
// values takes each buy's own. All or nothing.
LedgerResult SellBySymbol(CBlotterSpace& doc, const TradeValues& values, std::int32_t when);
// Rewrites an open buy; with buyDate, also its purchase time (and the copy its sales hold).
LedgerResult UpdateTrade(CBlotterSpace& doc, const TradeRecord& selected, const TradeValues& values,
                         std::optional<std::int32_t> buyDate = std::nullopt);
// Removes a trade. A sale gives its units back to its buy (reopening it); a buy that live
// sales still name is refused.
LedgerResult RemoveTrade(CBlotterSpace& doc, const TradeRecord& selected);
