#include "engine/RefreshCycle.h"

#include "engine/AlertTexts.h"
#include "platform/text/FormatAmount.h"

std::string RefreshCaption(std::time_t when)
{
    return "Tallyfern Desktop: " + std::string(" Last refresh on ") + AlertDateText(when) + " at " +
           AlertTimeText(when);
}

std::vector<std::string> BlotterSymbols(const CBlotterSpace& doc)
{
    std::vector<std::string> symbols;
    for (const TradeRecord& trade : doc.m_trades) {
        if (IsOpenPosition(trade) && PassesCategoryFilter(trade, doc.m_strCategoryFilter))
            symbols.push_back(TradeSymbol(trade));
    }
    return symbols;
}

RefreshResult RunRefresh(CBlotterSpace& doc, bool bFetch, const QuoteFunction& quote,
                         const AlertFunction& alert, std::time_t now)
{
    RefreshResult result;
    const bool deduct = doc.m_bDeductBrokerage == 1;
    const CBuyFees fees(doc);
    for (TradeRecord& trade : doc.m_trades) {
        if (!IsOpenPosition(trade))
            continue;
        double price = trade.currentPrice;
        double change = trade.dayChange;
        if (bFetch && quote) {
            double fetchedPrice = 0;
            double fetchedChange = 0;
            if (quote(TradeSymbol(trade), TradeCountry(trade), doc.m_bUseBidForOptions,
                      fetchedPrice, fetchedChange) == 0) {
                price = fetchedPrice;
                change = fetchedChange;
            } else {
                ++result.nFetchFailures;
            }
        }
        if (alert)
            alert(doc, trade, price, change);
        trade.currentPrice = price;
        trade.dayChange = change;
        trade.status = kStatusChanged;
        if (!PassesCategoryFilter(trade, doc.m_strCategoryFilter))
            continue;

        BlotterRow row;
        row.tradeId = trade.id;
        row.symbol = TradeSymbol(trade);
        row.amounts = ComputeRowAmounts(fees, trade, price, change, deduct);
        row.cells[0] = FormatAmount(price, 4);
        row.cells[1] = FormatAmount(change, 4);
        row.cells[2] = FormatAmount(trade.quantity, 2);
        row.cells[3] = FormatAmount(row.amounts.value, 2);
        row.cells[4] = FormatAmount(row.amounts.plToday, 2);
        row.cells[5] = FormatAmount(row.amounts.positionPL, 2);
        result.dTotalValue += row.amounts.value;
        result.dTotalPLToday += row.amounts.plToday;
        result.dTotalPositionPL += row.amounts.positionPL;
        result.rows.push_back(std::move(row));
    }
    result.realized = ComputeRealizedPL(doc, now);
    result.totals[kTotalPositionPL] = FormatAmount(result.dTotalPositionPL, 2);
    result.totals[kTotalValue] = FormatAmount(result.dTotalValue, 2);
    result.totals[kTotalPLToday] = FormatAmount(result.dTotalPLToday, 2);
    result.totals[kTotalRealizedMTD] = FormatAmount(result.realized.mtd, 2);
    result.totals[kTotalRealizedYTD] = FormatAmount(result.realized.ytd, 2);
    return result;
}
