#include "engine/RefreshHistory.h"

#include <cmath>

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
    return refresh;
}

CRefreshHistory::CRefreshHistory(const std::string& strPortfolioPath, Report report, Clock clock)
    : m_strPath(HistoryPathFor(strPortfolioPath)), m_report(std::move(report)),
      m_clock(std::move(clock))
{
}

QuoteFunction CRefreshHistory::Recording(QuoteFunction quote)
{
    m_quotes.clear();
    m_quoteIndex.clear();
    m_nAsked = 0;
    m_nFailed = 0;
    return [this, quote = std::move(quote)](const std::string& strSymbol,
                                            const std::string& strCountry, int bUseBid,
                                            double& dPrice, double& dChange) {
        const int nResult = quote(strSymbol, strCountry, bUseBid, dPrice, dChange);
        ++m_nAsked;
        // A reply without a price is no price: the history keeps a gap, never a 0.
        if (nResult != 0 || !(dPrice > 0) || !std::isfinite(dPrice) || !std::isfinite(dChange)) {
            ++m_nFailed;
            return nResult;
        }
        // Two positions in one security ask for it twice; the history keeps it once, as it
        // last arrived.
        SHistoryQuote arrived{m_clock(), strSymbol, strCountry, dPrice, dChange};
        const auto [it, bNew] =
            m_quoteIndex.try_emplace(strSymbol + '\0' + strCountry, m_quotes.size());
        if (bNew)
            m_quotes.push_back(std::move(arrived));
        else
            m_quotes[it->second] = std::move(arrived);
        return nResult;
    };
}

void CRefreshHistory::Record(const CBlotterSpace& doc, const RefreshResult& result,
                             std::time_t when)
{
    SHistoryRefresh refresh = HistoryOfRefresh(doc, result, when);
    refresh.quotesAsked = m_nAsked;
    refresh.quotesFailed = m_nFailed;
    refresh.quotes = std::move(m_quotes);
    m_quotes.clear();
    m_quoteIndex.clear();
    m_nAsked = 0;
    m_nFailed = 0;

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
