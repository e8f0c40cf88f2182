// The refresh cycle's price history: every fetching refresh, in the window and in `tfport
// refresh` alike, writes its totals and the quotes that arrived into the history beside the
// portfolio, in one transaction. A history that cannot be opened or written never stops the
// refresh or the save that follows it: the first problem of a run is told once through the
// report function, and so is a damaged history that was moved aside.
#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "engine/RefreshCycle.h"
#include "engine/history/HistoryDb.h"
#include "engine/history/HistoryRows.h"

class CRefreshHistory
{
  public:
    using Report = std::function<void(const std::string& strText)>;

    CRefreshHistory(const std::string& strPortfolioPath, Report report);

    // Writes the fetching refresh that ended at `when`: its totals, the counts of quotes asked
    // and failed, and each quote that arrived with a price at its own arrival time (once per
    // symbol and country). A failed quote writes no row.
    void Record(const CBlotterSpace& doc, const RefreshResult& result, std::time_t when);

    const std::string& Path() const { return m_strPath; }
    // Whether the last Record reached the disk.
    bool LastWriteOk() const { return m_bLastOk; }

  private:
    void TellDamage();

    std::string m_strPath;
    Report m_report;
    CHistoryDb m_db;
    bool m_bLastOk = false;
    bool m_bToldFailure = false;
    std::string m_strToldCopy;
};

// The history rows of one refresh: its totals, counts and arrived quotes.
SHistoryRefresh HistoryOfRefresh(const CBlotterSpace& doc, const RefreshResult& result,
                                 std::time_t when);
