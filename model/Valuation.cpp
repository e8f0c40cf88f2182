#include "model/Valuation.h"

RowAmounts ComputeRowAmounts(const TradeRecord& trade, double price, double change,
                             bool bDeductFees)
{
    RowAmounts row;
    row.value = price * trade.quantity;
    row.plToday = change * trade.quantity;
    row.positionPL = (price - trade.price) * trade.quantity;
    if (bDeductFees)
        row.positionPL -= trade.brokerFee;
    return row;
}

RealizedPL ComputeRealizedPL(const CBlotterSpace& doc, std::time_t now)
{
    RealizedPL result;
    result.ytd = doc.m_dExternalYtdGains;
    std::tm today{};
    localtime_r(&now, &today);
    bool deduct = doc.m_bDeductBrokerage == 1;

    for (const TradeRecord& sale : doc.m_trades) {
        if (sale.status == kStatusDeleted || sale.isSell != 1)
            continue;
        TradeRecord buy{};
        if (!doc.FindTrade(sale.refId, buy))
            continue;
        double gain = (sale.price - buy.price) * sale.quantity;
        std::time_t sold = sale.sellDate;
        std::tm when{};
        localtime_r(&sold, &when);
        if (when.tm_year != today.tm_year)
            continue;
        result.ytd += gain;
        if (deduct) {
            result.ytd -= buy.brokerFee;
            result.ytd -= sale.brokerFee;
        }
        if (when.tm_mon == today.tm_mon) {
            result.mtd += gain;
            if (deduct) {
                result.mtd -= buy.brokerFee;
                result.mtd -= sale.brokerFee;
            }
        }
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
