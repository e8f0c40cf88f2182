// The main window's refresh: the quotes fetched on a worker thread with progress in the
// status line, then the engine's cycle on the interface thread, then rows, totals, tray,
// save and caption. Alerts go to the outbox.
#include <QApplication>

#include "app/AppResources.h"
#include "app/BlotterDlg.h"
#include "engine/AlertTest.h"
#include "engine/TrayTexts.h"
#include "platform/framework/Resources.h"

using namespace BlotterIds;

namespace {

constexpr const char* kRefreshCaption = "&Refresh Now";
constexpr const char* kStopCaption = "&Stop";

} // namespace

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

void CBlotterDlg::OnRefreshButton()
{
    if (!m_bRefreshing) {
        Refresh(true);
        return;
    }
    // A click this soon after the refresh began was meant for Refresh Now (the second click
    // of a double click, or one queued while the refresh started): it must not stop it.
    const auto sinceStart = std::chrono::steady_clock::now() - m_refreshStarted;
    if (sinceStart < std::chrono::milliseconds(QApplication::doubleClickInterval()))
        return;
    StopRefresh();
}

void CBlotterDlg::Refresh(bool bFetch)
{
    if (bFetch && m_bRefreshing) {
        // Asked for while one runs (the file was read again after an edit): it follows.
        m_bFetchAgain = true;
        return;
    }
    // Another program may have replaced the file since the last save: price its trades.
    if (MergeReplacedFile(m_doc)) {
        FillCategoryBox();
        SelectCategory(m_doc.m_strCategoryFilter);
        RebuildRows();
    }
    if (bFetch)
        StartFetch();
    else
        FinishRefresh(nullptr, true);
}

void CBlotterDlg::StartFetch()
{
    m_bRefreshing = true;
    m_refreshStarted = std::chrono::steady_clock::now();
    SRefreshRun& run = m_run.emplace();
    run.nRun = ++m_nRuns;
    run.requests = DistinctQuotes(m_doc);
    run.arrived.resize(run.requests.size());
    run.pCancel = std::make_shared<CHttpCancel>();
    SetDlgItemText(kRefreshNow, kStopCaption);
    ShowStatus(RefreshProgressText(0, run.requests.size()));

    SQuoteBatchOptions options = QuoteBatchOptionsFromEnvironment();
    options.pCancel = run.pCancel;
    options.clock = m_services.clock;
    const unsigned nRun = run.nRun;
    options.onReply = [this, nRun](std::size_t nIndex, const SQuoteReply& reply) {
        QMetaObject::invokeMethod(
            this, [this, nRun, nIndex, reply] { OnQuoteArrived(nRun, nIndex, reply); },
            Qt::QueuedConnection);
    };
    // The previous worker was told to stop, or has ended: this join does not wait on the
    // network.
    m_refreshWorker = std::jthread([this, nRun, fetch = m_services.fetchQuotes,
                                    requests = run.requests, options] {
        std::vector<SQuoteReply> replies = fetch(requests, options);
        QMetaObject::invokeMethod(
            this, [this, nRun, replies] { OnFetchFinished(nRun, replies); }, Qt::QueuedConnection);
    });
}

void CBlotterDlg::OnQuoteArrived(unsigned nRun, std::size_t nIndex, const SQuoteReply& reply)
{
    if (!m_run || m_run->nRun != nRun || nIndex >= m_run->arrived.size())
        return;
    if (!m_run->arrived[nIndex]) {
        m_run->arrived[nIndex] = reply;
        ++m_run->nArrived;
    }
    ShowStatus(RefreshProgressText(m_run->nArrived, m_run->requests.size()));
}

void CBlotterDlg::OnFetchFinished(unsigned nRun, const std::vector<SQuoteReply>& replies)
{
    if (!m_run || m_run->nRun != nRun)
        return;
    for (std::size_t i = 0; i < replies.size() && i < m_run->arrived.size(); ++i)
        m_run->arrived[i] = replies[i];
    FinishFetch(m_run->arrived, true);
}

void CBlotterDlg::StopRefresh()
{
    if (!m_bRefreshing || !m_run)
        return;
    FinishFetch(m_run->arrived, true);
}

void CBlotterDlg::FinishFetch(const std::vector<std::optional<SQuoteReply>>& arrived, bool bAlerts)
{
    m_run->pCancel->Cancel();
    std::vector<SQuoteReply> replies;
    replies.reserve(m_run->requests.size());
    for (std::size_t i = 0; i < m_run->requests.size(); ++i) {
        replies.push_back(i < arrived.size() && arrived[i]
                              ? *arrived[i]
                              : FailedQuote(m_run->requests[i], EQuoteFailure::kStopped));
    }
    // Whatever the worker still sends belongs to a run that has ended.
    m_run.reset();
    m_bRefreshing = false;
    SetDlgItemText(kRefreshNow, kRefreshCaption);
    FinishRefresh(&replies, bAlerts);
    if (m_bFetchAgain && !m_bClosed) {
        m_bFetchAgain = false;
        Refresh(true);
    }
}

void CBlotterDlg::QueueAlert(const CBlotterSpace& doc, const TradeRecord& trade, double dPrice,
                             double dChange, std::time_t when)
{
    AlertOutcome outcome = AlertOutcome::kOff;
    std::optional<SAlertMail> mail = PrepareAlert(trade, dPrice, dChange, doc, when, outcome);
    if (mail)
        m_pOutbox->Queue(std::move(*mail));
}

void CBlotterDlg::FinishRefresh(const std::vector<SQuoteReply>* pReplies, bool bAlerts)
{
    AlertFunction alert;
    if (bAlerts) {
        alert = [this](const CBlotterSpace& doc, const TradeRecord& trade, double dPrice,
                       double dChange,
                       std::time_t when) { QueueAlert(doc, trade, dPrice, dChange, when); };
    }
    RefreshResult result = ApplyRefresh(m_doc, pReplies, alert, m_services.clock());
    ShowRows(result);
    // Before the save, so that what the save has to say is the line's last word.
    if (pReplies != nullptr)
        ShowStatus(RefreshFailureText(result));
    // Only fetched prices are history; a refresh from the stored prices (a category change)
    // adds nothing new. A history that cannot be written is said beside the failures and
    // never stops the save.
    if (pReplies != nullptr)
        m_history.Record(m_doc, result, m_services.clock());
    m_lastRefresh = std::move(result);
    SavePortfolio();
    SetWindowText(RefreshCaption(m_services.clock()));
}
