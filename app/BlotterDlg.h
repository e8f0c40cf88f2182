// CBlotterDlg: the desktop program's main window. It owns the portfolio document, the
// blotter grid and the tray icon; it reads and saves info.kgw, runs the engine's refresh
// cycle on Refresh Now, on every tick of timer 1 and on a change of category, shows the rows,
// the five totals, the tray picture and tooltip, and mails the pager alerts.
//
// The network never holds up the interface thread: quotes and the version page are fetched
// on worker threads and mail goes out through an outbox of its own; their results come back
// as queued calls, and the interface thread only applies them. While a refresh fetches, the
// status line shows its progress and Refresh Now reads Stop.
//
// What the window reaches outside (quotes, the version page, mail, the clock, the file's
// path) comes in through SBlotterServices, so tests can put scripted parts in their place.
#pragma once

#include <chrono>
#include <ctime>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/SaveTexts.h"
#include "app/tray/TrayNotifyIcon.h"
#include "engine/AlertMailer.h"
#include "engine/AlertOutbox.h"
#include "engine/AlertTest.h"
#include "engine/RefreshCycle.h"
#include "engine/RefreshHistory.h"
#include "grid/BlotterGrid.h"
#include "model/BlotterSpace.h"
#include "model/PortfolioTransaction.h"
#include "platform/framework/Dialog.h"
#include "platform/fs/FileStore.h"

struct SBlotterServices
{
    // FetchQuotes when empty. Runs on a worker thread; the options carry the stop signal.
    QuoteBatchFunction fetchQuotes;
    // Asks the maker's site for the current version (FetchCurrentVersion when empty);
    // leaves 0 in the output when nothing was obtained. Runs on a worker thread.
    std::function<void(double& dVersion, const SQuoteBatchOptions& options)> fetchVersion;
    // The real SMTP client when empty. Called on the outbox's thread.
    AlertMailerFactory mailers;
    // The system clock when empty.
    std::function<std::time_t()> clock;
    // The portfolio file; "info.kgw" in the current directory when empty.
    std::string strPortfolioPath;
    // How long a save waits for another program's save of the file before it gives up
    // (and tries again at the next save).
    std::chrono::milliseconds lockWait = DefaultLockWait();
};

class CBlotterDlg : public CDialog
{
  public:
    explicit CBlotterDlg(SBlotterServices services = {});
    ~CBlotterDlg() override;

    void LoadPortfolio();
    // Saves under the writers' lock, merging first what another program wrote since this
    // window last read or wrote the file. False when nothing was saved: the document stays
    // as it is, the status line says why, and the next save tries again.
    bool SavePortfolio();
    // One refresh: with bFetch every distinct quote of the open positions is fetched in the
    // background and applied when it has arrived (or the refresh was stopped); without it the
    // stored prices are shown at once. A fetching refresh asked for while one runs follows it.
    void Refresh(bool bFetch);
    // Stop: what has arrived is applied, the rest counts as failed, and the file is saved.
    void StopRefresh();
    void RebuildRows();
    // The start-up question about a newer version (nothing when the check is switched off).
    void CheckVersion();
    // The close command: saves, stops the timer, takes the tray icon down and ends the
    // window's modal run. Used by the close box, the tray's Exit, a SIGTERM and the end of
    // the desktop session; running it twice does nothing more.
    void CloseWindow();

    // The line under the totals: what the last refresh or save has to tell; empty hides it.
    void ShowStatus(const std::string& strText);
    const std::string& StatusText() const { return m_strStatus; }

    // For the program's own session handling and for tests.
    CBlotterSpace& Document() { return m_doc; }
    CBlotterGrid& Grid() { return m_grid; }
    CTrayNotifyIcon& TrayIcon() { return m_trayIcon; }
    const std::string& TotalText(int nIndex) const { return m_strTotals[nIndex]; }
    bool IsTimerRunning() const { return m_bTimerRunning != 0; }
    bool IsRefreshing() const { return m_bRefreshing; }
    // True while a refresh, a version question, a mail or a mail failure box is still to end.
    bool IsBusy() const;
    int SkippedRefreshes() const { return m_nSkippedRefreshes; }
    // What the last refresh found, per distinct quote, with the counts asked and failed.
    const RefreshResult& LastRefresh() const { return m_lastRefresh; }
    bool IsClosed() const { return m_bClosed; }
    const std::string& PortfolioPath() const { return m_services.strPortfolioPath; }
    const std::string& HistoryPath() const { return m_history.Path(); }

  protected:
    bool OnCreate() override;
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnCancel() override;
    void OnClose() override;
    void OnTimer(unsigned nIdEvent) override;
    void OnSysCommand(unsigned nId) override;
    bool OnCtlColor(int nId, COLORREF& crText) override;

  private:
    void MapEditCommands();
    // An editing dialog ended with OK: its changes since `opened` go into the document,
    // which is saved and read again.
    void TakeDialogChanges(const CBlotterSpace& opened, const CBlotterSpace& edited);
    void OnCategoryChange();
    void OnRestore();
    void OnAbout(bool bAskVersion);
    void FillCategoryBox();
    void SelectCategory(const std::string& strCategory);
    void ApplyColumnWidths();
    void ShowDamagedFileMessage(const std::string& strError, const std::string& strCopy);
    // Takes in what another program wrote into info.kgw since this window last read or
    // wrote it: a three-way merge of the base, the target and the file. Into m_doc the base
    // moves on to the file's version; into a copy (saved while a refresh fetches) it
    // stays, so the refresh's own save merges again. True when the file had changed.
    bool MergeReplacedFile(CBlotterSpace& target);
    // The same under the lock of a save. False when the file is damaged and no copy of it
    // could be kept: nothing may be saved over it then (strError says why).
    bool MergeFile(const CPortfolioTransaction* pTransaction, CBlotterSpace& target, bool& bMerged,
                   std::string& strError);
    void ShowMergedLists();
    // The timer and the column widths after a merge changed their settings.
    void ApplyMergedSettings(const CBlotterSpace& before);
    void CaptureColumnWidths();
    void ReportSaveFailure(ESaveFailure kind, const std::string& strDetail);
    void ReportSaved();
    // What a merge has to tell (a conflict, a damaged file kept aside).
    void ShowSaveNote(const std::string& strText);
    void ShowRows(const RefreshResult& result);
    // A mail failure of the alert test: a desktop notification and a message box.
    void ShowMailFailure(const std::string& strText);
    void OnRefreshButton();
    void StartFetch();
    void OnQuoteArrived(unsigned nRun, std::size_t nIndex, const SQuoteReply& reply);
    void OnFetchFinished(unsigned nRun, const std::vector<SQuoteReply>& replies);
    // Ends the run with what has arrived; the rest counts as stopped.
    void FinishFetch(const std::vector<std::optional<SQuoteReply>>& arrived, bool bAlerts);
    void FinishRefresh(const std::vector<SQuoteReply>* pReplies, bool bAlerts);
    void QueueAlert(const CBlotterSpace& doc, const TradeRecord& trade, double dPrice,
                    double dChange, std::time_t when);
    // Asks the version page on a worker; onAnswer runs on the interface thread.
    void AskVersion(std::jthread& worker, std::shared_ptr<CHttpCancel>& pCancel,
                    std::function<void(double dVersion)> onAnswer);
    void OnStartVersion(double dVersion);
    // A mailed alert becomes a desktop notification too.
    void ShowAlertOnDesktop(const SAlertMail& mail, AlertOutcome outcome);

    SBlotterServices m_services;
    // Every fetching refresh's totals and quotes, beside the portfolio file.
    CRefreshHistory m_history;
    CBlotterGrid m_grid;
    CBlotterSpace m_doc;
    std::int32_t m_bTimerRunning = 0;
    CTrayNotifyIcon m_trayIcon;
    // The five total texts: position P/L, value, P/L today, realized MTD, realized YTD.
    std::string m_strTotals[kTotalTextCount];
    // info.kgw as this window last read or wrote it: its stamp and its contents (the base of
    // every merge).
    tf::fs::FileStamp m_fileStamp;
    CBlotterSpace m_base;
    // A damaged version on disk that could not be copied aside: never saved over.
    tf::fs::FileStamp m_damagedStamp;
    // The kinds of save failure already shown in a box since the last save that worked.
    std::set<ESaveFailure> m_shownFailures;
    // The status line holds what a save had to tell (cleared by the next good save).
    bool m_bSaveStatusShown = false;
    bool m_bRefreshing = false;
    int m_nSkippedRefreshes = 0;
    bool m_bClosed = false;
    std::string m_strStatus;

    // The fetching refresh under way: what it asked, what has arrived, its stop signal and
    // its number, which tells its late calls from a newer run's.
    struct SRefreshRun
    {
        unsigned nRun = 0;
        std::vector<SQuoteRequest> requests;
        std::vector<std::optional<SQuoteReply>> arrived;
        std::size_t nArrived = 0;
        std::shared_ptr<CHttpCancel> pCancel;
    };
    std::optional<SRefreshRun> m_run;
    unsigned m_nRuns = 0;
    bool m_bFetchAgain = false;
    std::chrono::steady_clock::time_point m_refreshStarted;
    RefreshResult m_lastRefresh;
    std::jthread m_refreshWorker;

    // The version questions of the start and of the About box.
    std::jthread m_startVersionWorker;
    std::shared_ptr<CHttpCancel> m_pStartVersionCancel;
    bool m_bStartVersionPending = false;
    std::jthread m_aboutVersionWorker;
    std::shared_ptr<CHttpCancel> m_pAboutVersionCancel;
    class CAboutDlg* m_pAboutDlg = nullptr;

    // Mail: the outbox, and the failure texts waiting for their box, shown one at a time.
    // The link lets the outbox's thread reach the window only while it exists.
    struct SWindowLink;
    // Runs call on the interface thread, if the window still exists when it gets there.
    template <class F> static void PostToWindow(const std::shared_ptr<SWindowLink>& pLink, F call);
    std::shared_ptr<SWindowLink> m_pLink;
    std::unique_ptr<CAlertOutbox> m_pOutbox;
    std::deque<std::string> m_mailFailures;
    bool m_bShowingMailFailure = false;
};
