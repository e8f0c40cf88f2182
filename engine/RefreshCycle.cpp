#include "engine/RefreshCycle.h"

#include <map>
#include <tuple>

#include "engine/AlertTexts.h"
#include "platform/text/FormatAmount.h"

namespace {

// The status line names this many failed quotes; the rest are counted.
constexpr std::size_t kNamedFailures = 5;
// The ellipsis as the window's texts hold it (Windows-1252).
constexpr const char* kEllipsis = "\x85";

using QuoteKey = std::tuple<std::string, std::string, int>;

QuoteKey KeyOf(const SQuoteRequest& request)
{
    return {request.strSymbol, request.strCountry, request.bUseBid};
}

SQuoteRequest RequestFor(const TradeRecord& trade, const CBlotterSpace& doc)
{
    return {TradeSymbol(trade), TradeCountry(trade), doc.m_bUseBidForOptions};
}

BlotterRow MakeRow(const CBuyFees& fees, const TradeRecord& trade, double price, double change,
                   bool deduct)
{
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
    return row;
}

std::string QuoteCount(std::size_t n)
{
    return std::to_string(n) + (n == 1 ? " quote" : " quotes");
}

} // namespace

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

std::vector<SQuoteRequest> DistinctQuotes(const CBlotterSpace& doc)
{
    std::vector<SQuoteRequest> requests;
    std::map<QuoteKey, std::size_t> seen;
    for (const TradeRecord& trade : doc.m_trades) {
        if (!IsOpenPosition(trade))
            continue;
        SQuoteRequest request = RequestFor(trade, doc);
        if (seen.emplace(KeyOf(request), requests.size()).second)
            requests.push_back(std::move(request));
    }
    return requests;
}

RefreshResult ApplyRefresh(CBlotterSpace& doc, const std::vector<SQuoteReply>* pReplies,
                           const AlertFunction& alert, std::time_t now)
{
    RefreshResult result;
    std::map<QuoteKey, const SQuoteReply*> byKey;
    if (pReplies != nullptr) {
        result.quotes = *pReplies;
        for (const SQuoteReply& reply : result.quotes) {
            byKey.emplace(KeyOf(reply.request), &reply);
            ++result.nQuotesAsked;
            if (!reply.Ok())
                ++result.nQuotesFailed;
        }
    }
    const bool deduct = doc.m_bDeductBrokerage == 1;
    const CBuyFees fees(doc);
    for (TradeRecord& trade : doc.m_trades) {
        if (!IsOpenPosition(trade))
            continue;
        double price = trade.currentPrice;
        double change = trade.dayChange;
        std::time_t priced = 0;
        bool bPriced = pReplies == nullptr;
        if (pReplies != nullptr) {
            const auto it = byKey.find(KeyOf(RequestFor(trade, doc)));
            if (it != byKey.end() && it->second->Ok()) {
                price = it->second->dPrice;
                change = it->second->dChange;
                priced = it->second->arrived;
                bPriced = true;
            }
        }
        // A quote that failed is no price: the lot keeps what it had and raises no alert.
        if (bPriced) {
            if (alert)
                alert(doc, trade, price, change, priced != 0 ? priced : now);
            trade.currentPrice = price;
            trade.dayChange = change;
            trade.status = kStatusChanged;
        }
        if (!PassesCategoryFilter(trade, doc.m_strCategoryFilter))
            continue;

        BlotterRow row = MakeRow(fees, trade, price, change, deduct);
        row.priced = priced;
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

RefreshResult RunRefresh(CBlotterSpace& doc, bool bFetch, const QuoteBatchFunction& fetch,
                         const AlertFunction& alert, std::time_t now,
                         const SQuoteBatchOptions& options)
{
    if (!bFetch || !fetch)
        return ApplyRefresh(doc, nullptr, alert, now);
    const std::vector<SQuoteRequest> requests = DistinctQuotes(doc);
    std::vector<SQuoteReply> replies = fetch(requests, options);
    // A fetch that brought back fewer replies than it was asked for lost the others.
    for (std::size_t i = replies.size(); i < requests.size(); ++i)
        replies.push_back(FailedQuote(requests[i], EQuoteFailure::kStopped));
    return ApplyRefresh(doc, &replies, alert, now);
}

std::string RefreshProgressText(std::size_t nArrived, std::size_t nTotal)
{
    return "Refreshing " + std::to_string(nArrived) + " of " + QuoteCount(nTotal) + kEllipsis;
}

std::string RefreshFailureText(const RefreshResult& result)
{
    if (result.nQuotesFailed == 0)
        return {};
    std::string strText = QuoteCount(static_cast<std::size_t>(result.nQuotesFailed)) + " failed: ";
    std::size_t nNamed = 0;
    for (const SQuoteReply& reply : result.quotes) {
        if (reply.Ok())
            continue;
        if (nNamed == kNamedFailures) {
            strText += ", and " +
                       std::to_string(static_cast<std::size_t>(result.nQuotesFailed) - nNamed) +
                       " more";
            break;
        }
        if (nNamed > 0)
            strText += ", ";
        strText += reply.request.strSymbol + " (" + reply.Reason() + ")";
        ++nNamed;
    }
    return strText;
}
