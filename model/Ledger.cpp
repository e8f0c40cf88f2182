#include "model/Ledger.h"

#include <algorithm>

namespace {
LedgerResult Refuse(const char* message, const char* caption, ETradeField field = ETradeField::None)
{
    LedgerResult result;
    result.message = message;
    result.caption = caption;
    result.field = field;
    return result;
}

LedgerResult Refuse(const LedgerCheck& check)
{
    return Refuse(check.message, check.caption, check.field);
}

LedgerResult Added(std::int32_t id)
{
    LedgerResult result;
    result.bChanged = true;
    result.newId = id;
    result.newIds.push_back(id);
    return result;
}

// The first check of the values that fails, for any trade entered.
LedgerCheck CheckValues(const TradeValues& values)
{
    if (LedgerCheck check = CheckTradeNumbers(values.quantity, values.price, values.brokerFee))
        return check;
    return CheckTradeCategory(values.category);
}

std::int32_t NextRecordIndex(const CBlotterSpace& doc)
{
    return static_cast<std::int32_t>(doc.m_trades.GetCount()) + 1;
}

// The first record with this id, unless it is marked deleted: a deleted record waits for
// the conduit to take it away and is never sold from, updated or removed here.
TradeRecord* FindLive(CBlotterSpace& doc, std::int32_t id)
{
    for (TradeRecord& trade : doc.m_trades)
        if (trade.id == id)
            return trade.status == kStatusDeleted ? nullptr : &trade;
    return nullptr;
}

bool IsLiveSaleOf(const TradeRecord& trade, std::int32_t buyId)
{
    return trade.isSell != 0 && trade.refId == buyId && trade.status != kStatusDeleted;
}

bool IsOpenBuy(const TradeRecord& trade)
{
    return trade.isSell == 0 && trade.closed != 1 && trade.status != kStatusDeleted;
}
} // namespace

LedgerResult AddBuy(CBlotterSpace& doc, const TradeValues& values, std::int32_t when)
{
    if (LedgerCheck check = CheckValues(values))
        return Refuse(check);

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
    trade.buyDate = when;
    trade.sellDate = 0;
    doc.m_trades.AddTail(trade);
    return Added(trade.id);
}

LedgerResult AddSell(CBlotterSpace& doc, const TradeRecord* selected, const TradeValues& values,
                     std::int32_t when)
{
    // The stored buy counts, not the caller's earlier copy of it.
    const TradeRecord* stored = selected ? FindLive(doc, selected->id) : nullptr;
    if (!stored || !IsOpenBuy(*stored))
        return Refuse(kMsgPositionNotOpen, kCapPositionNotOpen);
    const TradeRecord buy = *stored;
    if (LedgerCheck check = CheckValues(values))
        return Refuse(check);
    const bool closes = SameQuantity(values.quantity, buy.quantity);
    if (!closes && values.quantity > buy.quantity) {
        LedgerResult result = Refuse(kMsgSellAmount, kCapSellAmount, ETradeField::Quantity);
        result.heldQuantity = buy.quantity;
        return result;
    }
    if (LedgerCheck check = CheckSaleDate(when, buy.buyDate))
        return Refuse(check);
    // Within the tolerance the sale takes exactly what is held, so nothing is left over.
    const double sold = closes ? buy.quantity : values.quantity;

    TradeRecord sale = buy;
    sale.id = doc.NextTradeId();
    sale.refId = buy.id;
    sale.recordIndex = NextRecordIndex(doc);
    sale.status = kStatusAdded;
    sale.privateFlag = 0;
    SetTradeSymbol(sale, values.symbol);
    SetTradeCategory(sale, values.category);
    SetTradeCountry(sale, values.country);
    sale.quantity = sold;
    sale.price = values.price;
    sale.brokerFee = values.brokerFee;
    sale.costPrice = buy.price;
    sale.realizedPL = (values.price - buy.price) * sold;
    sale.currentPrice = 0;
    sale.dayChange = 0;
    sale.deductFee = doc.m_bDeductBrokerage;
    sale.closed = 1;
    sale.isSell = 1;
    sale.sellDate = when;
    doc.m_trades.AddTail(sale);

    doc.SetHolding(buy.id, closes ? 0.0 : buy.quantity - sold, closes ? 1 : 0);
    return Added(sale.id);
}

LedgerResult SellBySymbol(CBlotterSpace& doc, const TradeValues& values, std::int32_t when)
{
    std::vector<TradeRecord> open;
    for (const TradeRecord& trade : doc.m_trades)
        if (IsOpenBuy(trade) && trade.quantity > 0 && TradeSymbol(trade) == values.symbol)
            open.push_back(trade);
    if (open.empty())
        return Refuse(kMsgPositionNotOpen, kCapPositionNotOpen);
    if (LedgerCheck check = CheckValues(values))
        return Refuse(check);
    std::vector<TradeRecord> eligible;
    std::copy_if(open.begin(), open.end(), std::back_inserter(eligible),
                 [when](const TradeRecord& buy) { return buy.buyDate <= when; });
    if (eligible.empty())
        return Refuse(kMsgSaleBeforeBuy, kCapDateError, ETradeField::Date);
    std::stable_sort(
        eligible.begin(), eligible.end(),
        [](const TradeRecord& a, const TradeRecord& b) { return a.buyDate < b.buyDate; });
    double held = 0;
    for (const TradeRecord& buy : eligible)
        held += buy.quantity;
    if (values.quantity > held && !SameQuantity(values.quantity, held)) {
        LedgerResult result = Refuse(kMsgSellAmount, kCapSellAmount, ETradeField::Quantity);
        result.heldQuantity = held;
        return result;
    }

    // Every check has passed; should a part still be refused, the parts before it are
    // taken back, so the document is left as it was.
    const std::size_t countBefore = doc.m_trades.GetCount();
    LedgerResult result;
    double remaining = values.quantity;
    double feeLeft = values.brokerFee;
    for (const TradeRecord& buy : eligible) {
        const bool closesBuy = SameQuantity(remaining, buy.quantity);
        const bool partOfBuy = remaining < buy.quantity && !closesBuy;
        // The last buy takes no more than it holds: what the total's tolerance let through
        // beyond that is rounding, not units.
        const bool last = partOfBuy || closesBuy || &buy == &eligible.back();
        TradeValues part = values;
        part.symbol = TradeSymbol(buy);
        part.quantity = partOfBuy ? remaining : buy.quantity;
        // The last part takes what is left of the fee, so the parts add up to it exactly.
        part.brokerFee =
            last ? std::max(0.0, feeLeft) : values.brokerFee * (part.quantity / values.quantity);
        if (part.category.empty())
            part.category = TradeCategory(buy);
        if (part.country.empty())
            part.country = TradeCountry(buy);
        LedgerResult sold = AddSell(doc, &buy, part, when);
        if (sold.Refused()) {
            while (doc.m_trades.GetCount() > countBefore)
                doc.m_trades.RemoveAt(std::prev(doc.m_trades.end()));
            for (const TradeRecord& touched : eligible)
                doc.SetHolding(touched.id, touched.quantity, touched.closed);
            return sold;
        }
        result.newIds.push_back(sold.newId);
        remaining -= part.quantity;
        feeLeft -= part.brokerFee;
        if (last)
            break;
    }
    result.bChanged = true;
    result.newId = result.newIds.front();
    return result;
}

LedgerResult UpdateTrade(CBlotterSpace& doc, const TradeRecord& selected, const TradeValues& values,
                         std::optional<std::int32_t> buyDate)
{
    bool selectedIsSell = selected.isSell != 0;
    if (values.bSell != selectedIsSell)
        return Refuse(kMsgUpdateBuySell, kCapUpdateError);
    if (values.bSell || selected.closed == 1)
        return Refuse(kMsgUpdateClosed, kCapUpdateError);

    TradeRecord* trade = FindLive(doc, selected.id);
    if (!trade)
        return {};
    if (trade->isSell != 0 || trade->closed == 1)
        return Refuse(kMsgUpdateClosed, kCapUpdateError);
    if (LedgerCheck check = CheckValues(values))
        return Refuse(check);
    if (buyDate) {
        for (const TradeRecord& other : doc.m_trades)
            if (IsLiveSaleOf(other, trade->id) && other.sellDate < *buyDate)
                return Refuse(kMsgBuyAfterSale, kCapDateError, ETradeField::Date);
    }

    SetTradeSymbol(*trade, values.symbol);
    trade->price = values.price;
    trade->quantity = values.quantity;
    trade->brokerFee = values.brokerFee;
    trade->deductFee = doc.m_bDeductBrokerage;
    SetTradeCategory(*trade, values.category);
    SetTradeCountry(*trade, values.country);
    trade->status = kStatusChanged;
    if (buyDate) {
        const std::int32_t id = trade->id;
        trade->buyDate = *buyDate;
        // A sale carries its buy's purchase time.
        for (TradeRecord& other : doc.m_trades)
            if (other.isSell != 0 && other.refId == id)
                other.buyDate = *buyDate;
    }

    LedgerResult result;
    result.bChanged = true;
    return result;
}

LedgerResult RemoveTrade(CBlotterSpace& doc, const TradeRecord& selected)
{
    TradeRecord* found = FindLive(doc, selected.id);
    if (!found)
        return {};
    const TradeRecord trade = *found;
    if (trade.isSell == 0) {
        std::vector<std::int32_t> sales;
        for (const TradeRecord& other : doc.m_trades)
            if (IsLiveSaleOf(other, trade.id))
                sales.push_back(other.id);
        if (!sales.empty()) {
            LedgerResult result = Refuse("", kCapRemoveError);
            result.message = RemoveWithSalesMessage(trade.id, sales);
            return result;
        }
    } else {
        // The units go back to the buy they came from, which is open again.
        for (TradeRecord& buy : doc.m_trades) {
            if (buy.id == trade.refId && buy.isSell == 0) {
                buy.quantity += trade.quantity;
                buy.closed = 0;
                break;
            }
        }
    }
    for (auto it = doc.m_trades.begin(); it != doc.m_trades.end(); ++it) {
        if (it->id == trade.id) {
            doc.m_trades.RemoveAt(it);
            break;
        }
    }
    LedgerResult result;
    result.bChanged = true;
    return result;
}
