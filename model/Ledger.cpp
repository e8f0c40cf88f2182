#include "model/Ledger.h"

const char* const kMsgPositionNotOpen = "Position not open! Please select open position to sell.";
const char* const kCapPositionNotOpen = "Cannot sell closed position";
const char* const kMsgSellAmount =
    "Sell amount greater than current holding. Please re-enter position.";
const char* const kCapSellAmount = "Short sell not supported";
const char* const kMsgUpdateBuySell = "Cannot update buy/sell change.";
const char* const kMsgUpdateClosed = "Update not supported for closed positions.";
const char* const kCapUpdateError = "Update error";

namespace {
LedgerResult Refuse(const char* message, const char* caption)
{
    LedgerResult result;
    result.message = message;
    result.caption = caption;
    return result;
}

std::int32_t NextRecordIndex(const CBlotterSpace& doc)
{
    return static_cast<std::int32_t>(doc.m_trades.GetCount()) + 1;
}

TradeRecord* FindFirst(CBlotterSpace& doc, std::int32_t id)
{
    for (TradeRecord& trade : doc.m_trades)
        if (trade.id == id)
            return &trade;
    return nullptr;
}
} // namespace

LedgerResult AddBuy(CBlotterSpace& doc, const TradeValues& values, std::int32_t now)
{
    TradeRecord trade = MakeEmptyTrade();
    trade.id = doc.NextTradeId();
    trade.refId = 0;
    trade.recordIndex = NextRecordIndex(doc);
    trade.status = kStatusAdded;
    trade.privateFlag = 0;
    SetTradeSymbol(trade, values.symbol);
    SetTradeCategory(trade, values.category);
    SetTradeCountry(trade, values.country);
    trade.quantity = values.quantity;
    trade.price = values.price;
    trade.brokerFee = values.brokerFee;
    trade.costPrice = values.price;
    trade.deductFee = doc.m_bDeductBrokerage;
    trade.closed = 0;
    trade.isSell = 0;
    trade.buyDate = now;
    trade.sellDate = 0;
    doc.m_trades.AddTail(trade);

    LedgerResult result;
    result.bChanged = true;
    result.newId = trade.id;
    return result;
}

LedgerResult AddSell(CBlotterSpace& doc, const TradeRecord* selected, const TradeValues& values,
                     std::int32_t now)
{
    // The stored buy counts, not the caller's earlier copy of it.
    TradeRecord buy = MakeEmptyTrade();
    if (!selected || !doc.FindTrade(selected->id, buy) || buy.isSell != 0 || buy.closed == 1)
        return Refuse(kMsgPositionNotOpen, kCapPositionNotOpen);
    if (values.quantity > buy.quantity || !(values.quantity > 0)) {
        LedgerResult result = Refuse(kMsgSellAmount, kCapSellAmount);
        result.heldQuantity = buy.quantity;
        return result;
    }

    TradeRecord sale = buy;
    sale.id = doc.NextTradeId();
    sale.refId = buy.id;
    sale.recordIndex = NextRecordIndex(doc);
    sale.status = kStatusAdded;
    sale.privateFlag = 0;
    SetTradeSymbol(sale, values.symbol);
    SetTradeCategory(sale, values.category);
    SetTradeCountry(sale, values.country);
    sale.quantity = values.quantity;
    sale.price = values.price;
    sale.brokerFee = values.brokerFee;
    sale.costPrice = buy.price;
    sale.realizedPL = (values.price - buy.price) * values.quantity;
    sale.currentPrice = 0;
    sale.dayChange = 0;
    sale.deductFee = doc.m_bDeductBrokerage;
    sale.closed = 1;
    sale.isSell = 1;
    sale.sellDate = now;
    doc.m_trades.AddTail(sale);

    double remaining = buy.quantity - values.quantity;
    doc.SetHolding(buy.id, remaining, remaining == 0 ? 1 : 0);

    LedgerResult result;
    result.bChanged = true;
    result.newId = sale.id;
    return result;
}

LedgerResult UpdateTrade(CBlotterSpace& doc, const TradeRecord& selected, const TradeValues& values)
{
    bool selectedIsSell = selected.isSell != 0;
    if (values.bSell != selectedIsSell)
        return Refuse(kMsgUpdateBuySell, kCapUpdateError);
    if (values.bSell || selected.closed == 1)
        return Refuse(kMsgUpdateClosed, kCapUpdateError);

    TradeRecord* trade = FindFirst(doc, selected.id);
    if (!trade)
        return {};
    SetTradeSymbol(*trade, values.symbol);
    trade->price = values.price;
    trade->quantity = values.quantity;
    trade->brokerFee = values.brokerFee;
    trade->deductFee = doc.m_bDeductBrokerage;
    SetTradeCategory(*trade, values.category);
    SetTradeCountry(*trade, values.country);
    trade->status = kStatusChanged;

    LedgerResult result;
    result.bChanged = true;
    return result;
}

LedgerResult RemoveTrade(CBlotterSpace& doc, const TradeRecord& selected)
{
    for (auto it = doc.m_trades.begin(); it != doc.m_trades.end(); ++it) {
        if (it->id == selected.id) {
            doc.m_trades.RemoveAt(it);
            LedgerResult result;
            result.bChanged = true;
            return result;
        }
    }
    return {};
}
