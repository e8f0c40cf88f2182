#include "model/Valuation.h"

CBuyFees::CBuyFees(const CBlotterSpace& doc)
{
    for (const TradeRecord& trade : doc.m_trades)
        if (trade.isSell == 1 && trade.status != kStatusDeleted)
            m_sold[trade.refId] += trade.quantity;
}

double CBuyFees::Bought(const TradeRecord& buy) const
{
    auto it = m_sold.find(buy.id);
    return buy.quantity + (it == m_sold.end() ? 0.0 : it->second);
}

double CBuyFees::OpenShare(const TradeRecord& buy) const
{
    const double bought = Bought(buy);
    return bought == 0 ? buy.brokerFee : buy.brokerFee * (buy.quantity / bought);
}

double CBuyFees::SaleShare(const TradeRecord& buy, double units) const
{
    const double bought = Bought(buy);
    return bought == 0 ? 0.0 : buy.brokerFee * (units / bought);
}

RowAmounts ComputeRowAmounts(const CBuyFees& fees, const TradeRecord& trade, double price,
                             double change, bool bDeductFees)
{
    RowAmounts row;
    row.value = price * trade.quantity;
    row.plToday = change * trade.quantity;
    row.positionPL = (price - trade.price) * trade.quantity;
    if (bDeductFees)
        row.positionPL -= fees.OpenShare(trade);
    return row;
}

RealizedPL ComputeRealizedPL(const CBlotterSpace& doc, std::time_t now)
{
    RealizedPL result;
    result.ytd = doc.m_dExternalYtdGains;
    std::tm today{};
    localtime_r(&now, &today);
    const bool deduct = doc.m_bDeductBrokerage == 1;
    const CBuyFees fees(doc);
    // The first trade of each number, as a lookup by number finds it.
    std::unordered_map<std::int32_t, const TradeRecord*> byId;
    for (const TradeRecord& trade : doc.m_trades)
        byId.emplace(trade.id, &trade);

    for (const TradeRecord& sale : doc.m_trades) {
        if (sale.status == kStatusDeleted || sale.isSell != 1)
            continue;
        auto found = byId.find(sale.refId);
        if (found == byId.end())
            continue;
        const TradeRecord& buy = *found->second;
        // Costed as it was sold: a later correction of the buy's price changes nothing here.
        double gain = (sale.price - sale.costPrice) * sale.quantity;
        if (deduct)
            gain -= fees.SaleShare(buy, sale.quantity) + sale.brokerFee;
        std::time_t sold = sale.sellDate;
        std::tm when{};
        localtime_r(&sold, &when);
        if (when.tm_year != today.tm_year)
            continue;
        result.ytd += gain;
        if (when.tm_mon == today.tm_mon)
            result.mtd += gain;
    }
    return result;
}

bool IsOpenPosition(const TradeRecord& trade)
{
    return trade.status != kStatusDeleted && trade.closed != 1;
}

bool PassesCategoryFilter(const TradeRecord& trade, const std::string& filter)
{
    return filter == kCategoryAll || TradeCategory(trade) == filter;
}
