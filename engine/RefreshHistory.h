// The refresh cycle's price history: every fetching refresh, in the window and in `tfport
// refresh` alike, writes its totals and the quotes that arrived into the history beside the
// portfolio, in one transaction. A history that cannot be opened or written never stops the
// refresh or the save that follows it: the first problem of a run is told once through the
// report function, and so is a damaged history that was moved aside.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/RefreshCycle.h"
#include "engine/history/HistoryDb.h"
#include "engine/history/HistoryRows.h"

class CRefreshHistory
{
  public:
    using Report = std::function<void(const std::string& strText)>;
    using Clock = std::function<std::time_t()>;

    CRefreshHistory(const std::string& strPortfolioPath, Report report, Clock clock);

    // The quote function of one refresh, wrapped so that each quote asked for is counted
    // and each that arrives with a price is kept (once per symbol and country) for the next
    // Record; a failed quote, or one without a price, is counted as failed.
    QuoteFunction Recording(QuoteFunction quote);
    // Writes the refresh that ended at `when`: its totals and the quotes kept since the last
    // Recording.
    void Record(const CBlotterSpace& doc, const RefreshResult& result, std::time_t when);

    const std::string& Path() const { return m_strPath; }
    // Whether the last Record reached the disk.
    bool LastWriteOk() const { return m_bLastOk; }

  private:
    void TellDamage();

    std::string m_strPath;
    Report m_report;
    Clock m_clock;
    CHistoryDb m_db;
    std::vector<SHistoryQuote> m_quotes;
    // "symbol\0country" -> its place in m_quotes.
    std::unordered_map<std::string, std::size_t> m_quoteIndex;
    int m_nAsked = 0;
    int m_nFailed = 0;
    bool m_bLastOk = false;
    bool m_bToldFailure = false;
    std::string m_strToldCopy;
};

// The history row of one refresh.
SHistoryRefresh HistoryOfRefresh(const CBlotterSpace& doc, const RefreshResult& result,
                                 std::time_t when);
