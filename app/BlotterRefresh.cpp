// The main window's refresh: the engine's cycle, then rows, totals, tray, save and caption.
#include "app/AppResources.h"
#include "app/BlotterDlg.h"
#include "engine/AlertTest.h"
#include "engine/TrayTexts.h"
#include "platform/framework/Resources.h"

using namespace BlotterIds;

void CBlotterDlg::RebuildRows()
{
    const std::vector<std::string> symbols = BlotterSymbols(m_doc);
    m_grid.SetRowCount(0);
    m_grid.SetRowCount(static_cast<long>(symbols.size()));
    for (std::size_t i = 0; i < symbols.size(); ++i)
        m_grid.QuickSetText(-1, static_cast<long>(i), symbols[i]);
    // Fresh rows are in list order; the user's last sort is applied again by the refresh
    // that writes their values.
    m_grid.FitColumns(0, kBlotterColumns - 1);
    m_grid.RedrawAll();
}

void CBlotterDlg::ShowRows(const RefreshResult& result)
{
    // Rows are written by index in list order: put them back in that order first, write
    // symbol and values together, then sort again as the user last chose, so every row
    // keeps its own symbol.
    m_grid.RestoreWrittenOrder();
    const long nRows = static_cast<long>(result.rows.size());
    if (m_grid.GetRowCount() != nRows)
        m_grid.SetRowCount(nRows);
    for (long nRow = 0; nRow < nRows; ++nRow) {
        const BlotterRow& row = result.rows[static_cast<std::size_t>(nRow)];
        m_grid.QuickSetText(-1, nRow, row.symbol);
        for (int nCol = 0; nCol < kBlotterColumns; ++nCol)
            m_grid.QuickSetText(nCol, nRow, row.cells[nCol]);
    }
    m_grid.ReapplySort();

    for (int i = 0; i < kTotalTextCount; ++i)
        m_strTotals[i] = result.totals[i];
    const CTrayChoice tray = ChooseTrayState(result.dTotalPLToday);
    m_trayIcon.SetIcon(LoadIconResource(static_cast<unsigned>(tray.m_nIcon)));
    m_trayIcon.SetTooltipText(tray.m_strTooltip);
    UpdateData(false);
    RefreshCtlColors();
    m_grid.RedrawAll();
}

void CBlotterDlg::Refresh(bool bFetch)
{
    if (m_bRefreshing) {
        // A tick delivered by a message box's loop while a refresh waits in it: running a
        // second refresh here would reprice and rewrite the rows under the first one.
        ++m_nSkippedRefreshes;
        return;
    }
    m_bRefreshing = true;
    EnableDlgItem(kRefreshNow, false);

    // Another program may have replaced the file since the last save: price its trades.
    if (MergeReplacedFile(m_doc)) {
        FillCategoryBox();
        SelectCategory(m_doc.m_strCategoryFilter);
        RebuildRows();
    }

    const std::time_t now = m_services.clock();
    const AlertFunction alert = [this, now](const CBlotterSpace& doc, const TradeRecord& trade,
                                            double dPrice, double dChange) {
        const AlertOutcome outcome =
            RunAlertTest(trade, dPrice, dChange, doc, now, m_services.mailers,
                         [this](const std::string& strText) { ShowMailFailure(strText); });
        ShowAlertOnDesktop(outcome, trade, dPrice, dChange, now);
    };
    const RefreshResult result = RunRefresh(m_doc, bFetch, m_services.quote, alert, now);

    EnableDlgItem(kRefreshNow, true);
    ShowRows(result);
    m_bRefreshing = false;
    SavePortfolio();
    SetWindowText(RefreshCaption(m_services.clock()));
}
