#include "engine/history/Holdings.h"

#include <unordered_map>

#include "model/Valuation.h"

CHoldings::CHoldings(const CBlotterSpace& doc, const std::string& strCategoryFilter)
    : m_bDeductFees(doc.m_bDeductBrokerage == 1)
{
    std::unordered_map<std::int32_t, std::vector<SSale>> salesOf;
    for (const TradeRecord& trade : doc.m_trades) {
        if (trade.status != kStatusDeleted && trade.isSell == 1)
            salesOf[trade.refId].push_back(
                {static_cast<std::time_t>(trade.sellDate), trade.quantity});
    }
    for (const TradeRecord& trade : doc.m_trades) {
        if (trade.status == kStatusDeleted || trade.isSell == 1 ||
            !PassesCategoryFilter(trade, strCategoryFilter))
            continue;
        SBuy buy;
        buy.date = static_cast<std::time_t>(trade.buyDate);
        buy.bought = trade.quantity;
        buy.cost = trade.price;
        buy.fee = trade.brokerFee;
        if (auto it = salesOf.find(trade.id); it != salesOf.end()) {
            buy.sales = it->second;
            for (const SSale& sale : buy.sales)
                buy.bought += sale.quantity;
        }
        m_bySymbol[TradeSymbol(trade)].push_back(std::move(buy));
    }
}

double CHoldings::SBuy::HeldAt(std::time_t when) const
{
    if (date > when)
        return 0;
    double held = bought;
    for (const SSale& sale : sales) {
        if (sale.date <= when)
            held -= sale.quantity;
    }
    return held > 0 ? held : 0;
}

CHoldings::SPosition CHoldings::At(const std::string& strSymbol, std::time_t when,
                                   double dPrice) const
{
    SPosition position;
    const auto it = m_bySymbol.find(strSymbol);
    if (it == m_bySymbol.end())
        return position;
    for (const SBuy& buy : it->second) {
        const double held = buy.HeldAt(when);
        if (held <= 0)
            continue;
        position.bHeld = true;
        position.value += dPrice * held;
        position.positionPL += (dPrice - buy.cost) * held - (m_bDeductFees ? buy.fee : 0);
    }
    return position;
}
