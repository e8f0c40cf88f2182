#include "engine/RefreshHistory.h"

#include <cmath>
#include <unordered_map>

#include "engine/history/HistoryStore.h"

SHistoryRefresh HistoryOfRefresh(const CBlotterSpace& doc, const RefreshResult& result,
                                 std::time_t when)
{
    SHistoryRefresh refresh;
    refresh.time = when;
    refresh.totalValue = result.dTotalValue;
    refresh.positionPL = result.dTotalPositionPL;
    refresh.plToday = result.dTotalPLToday;
    refresh.realizedMTD = result.realized.mtd;
    refresh.realizedYTD = result.realized.ytd;
    refresh.category = doc.m_strCategoryFilter;
    refresh.quotesAsked = result.nQuotesAsked;
    refresh.quotesFailed = result.nQuotesFailed;
    // "symbol\0country" -> its place in refresh.quotes.
    std::unordered_map<std::string, std::size_t> index;
    for (const SQuoteReply& reply : result.quotes) {
        // A failed quote is a gap in the history, never a 0.
        if (!reply.Ok() || !std::isfinite(reply.dPrice) || !std::isfinite(reply.dChange))
            continue;
        // The same security asked for its bid and its last price is kept once, as it last
        // arrived.
        SHistoryQuote arrived{reply.arrived != 0 ? reply.arrived : when, reply.request.strSymbol,
                              reply.request.strCountry, reply.dPrice, reply.dChange};
        const auto [it, bNew] = index.try_emplace(
            reply.request.strSymbol + '\0' + reply.request.strCountry, refresh.quotes.size());
        if (bNew)
            refresh.quotes.push_back(std::move(arrived));
        else if (arrived.arrived >= refresh.quotes[it->second].arrived)
            refresh.quotes[it->second] = std::move(arrived);
    }
    return refresh;
}

CRefreshHistory::CRefreshHistory(const std::string& strPortfolioPath, Report report)
    : m_strPath(HistoryPathFor(strPortfolioPath)), m_report(std::move(report))
{
}

void CRefreshHistory::Record(const CBlotterSpace& doc, const RefreshResult& result,
                             std::time_t when)
{
    const SHistoryRefresh refresh = HistoryOfRefresh(doc, result, when);
    // A window runs for days: a history moved or replaced meanwhile is opened again.
    if (!m_db.StillAtPath())
        m_db.Open(m_strPath, EHistoryOpen::Create);
    m_bLastOk = m_db.IsOpen() && WriteRefresh(m_db, refresh);
    TellDamage();
    if (m_bLastOk)
        return;
    const std::string strText =
        "Price history not written (" + m_strPath + "): " + m_db.FaultText();
    m_db.Close();
    if (m_bToldFailure || !m_report)
        return;
    m_bToldFailure = true;
    m_report(strText);
}

void CRefreshHistory::TellDamage()
{
    const std::string& strCopy = m_db.DamagedCopy();
    if (strCopy.empty() || strCopy == m_strToldCopy)
        return;
    m_strToldCopy = strCopy;
    if (m_report)
        m_report("The price history was damaged; it is kept as " + strCopy +
                 " and a new one was started");
}
