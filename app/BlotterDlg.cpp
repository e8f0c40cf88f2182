#include "app/BlotterDlg.h"

#include <iostream>
#include <mutex>

#include <QApplication>

#include "app/AppIcons.h"
#include "app/AppResources.h"
#include "engine/TrayTexts.h"
#include "model/PortfolioFile.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/Resources.h"
#include "platform/keyring/SecretStore.h"
#include "platform/text/Numbers.h"
#include "quotes/FetchQuote.h"

using namespace BlotterIds;

namespace {

// The five total fields in the order of the window's total texts.
constexpr int kTotalFields[kTotalTextCount] = {kIdPositionPL, kIdTotalValue, kIdTotalToday,
                                               kIdRealizedMTD, kIdRealizedYTD};

// Text colours of the totals by the sign of the number they start with.
constexpr COLORREF kNegativeTotal = RGB(225, 0, 0);
constexpr COLORREF kOtherTotal = RGB(0, 0, 255);

SBlotterServices WithDefaults(SBlotterServices services)
{
    if (!services.fetchQuotes)
        services.fetchQuotes = FetchQuotes;
    if (!services.fetchVersion)
        services.fetchVersion = [](double& dVersion, const SQuoteBatchOptions& options) {
            FetchCurrentVersion(dVersion, options);
        };
    if (!services.mailers)
        services.mailers = MakeSmtpAlertMailerFactory(KeyringSmtpPassword);
    if (!services.clock)
        services.clock = [] { return std::time(nullptr); };
    if (services.strPortfolioPath.empty())
        services.strPortfolioPath = kPortfolioFileName;
    return services;
}

} // namespace

// What the outbox's thread may reach of the window: nothing once the window is gone.
struct CBlotterDlg::SWindowLink
{
    std::mutex mutex;
    CBlotterDlg* pDlg = nullptr;
    // Calls posted to the window and not yet run.
    int nInFlight = 0;
};

template <class F> void CBlotterDlg::PostToWindow(const std::shared_ptr<SWindowLink>& pLink, F call)
{
    std::lock_guard<std::mutex> lock(pLink->mutex);
    CBlotterDlg* pDlg = pLink->pDlg;
    if (pDlg == nullptr)
        return;
    ++pLink->nInFlight;
    QMetaObject::invokeMethod(
        pDlg,
        [pDlg, pLink, call] {
            {
                std::lock_guard<std::mutex> taken(pLink->mutex);
                --pLink->nInFlight;
            }
            call(*pDlg);
        },
        Qt::QueuedConnection);
}

CBlotterDlg::CBlotterDlg(SBlotterServices services)
    : CDialog(BlotterDlgTemplate()), m_services(WithDefaults(std::move(services))),
      m_history(m_services.strPortfolioPath,
                [this](const std::string& strText) {
                    // Said once a run: on standard error for a log, and on the status line beside
                    // what the refresh itself has to say.
                    std::cerr << "tallyfern: " << strText << "\n";
                    const std::string strShown = StatusText();
                    ShowStatus(strShown.empty() ? strText : strShown + "; " + strText);
                }),
      m_pLink(std::make_shared<SWindowLink>())
{
    m_pLink->pDlg = this;
    // The outbox's thread reaches the window only through the link: a failure for its box,
    // a mailed alert for the desktop.
    m_pOutbox = std::make_unique<CAlertOutbox>(
        m_services.mailers,
        [pLink = m_pLink](const std::string& strText) {
            PostToWindow(pLink, [strText](CBlotterDlg& dlg) { dlg.ShowMailFailure(strText); });
        },
        [pLink = m_pLink](const SAlertMail& mail, AlertOutcome outcome) {
            PostToWindow(pLink, [mail, outcome](CBlotterDlg& dlg) {
                dlg.ShowAlertOnDesktop(mail, outcome);
            });
        });
    // The document leaves the timer settings unset; a program without a file starts with
    // automatic refresh off and ten minutes.
    m_doc.m_bAutoRefresh = 0;
    m_doc.m_nRefreshMinutes = 10;

    MapCommand(kRefreshNow, [this] { OnRefreshButton(); });
    MapCommand(kExitButton, [this] { HideToTray(); });
    MapCommand(kCmdRestore, [this] { OnRestore(); });
    MapCommand(kCmdAbout, [this] { OnAbout(true); });
    MapNotify(kCategoryBox, CBN_SELCHANGE, [this] { OnCategoryChange(); });
    MapMessage(kTrayCallback, [this](WPARAM wParam, LPARAM lParam) -> LRESULT {
        m_trayIcon.OnTrayNotification(wParam, lParam);
        return 0;
    });
    MapEditCommands();
}

CBlotterDlg::~CBlotterDlg()
{
    {
        std::lock_guard<std::mutex> lock(m_pLink->mutex);
        m_pLink->pDlg = nullptr;
    }
    // The workers end at once when told to stop; their last calls to this window are
    // dropped with it.
    for (const auto& pCancel :
         {m_run ? m_run->pCancel : nullptr, m_pStartVersionCancel, m_pAboutVersionCancel}) {
        if (pCancel)
            pCancel->Cancel();
    }
    if (m_refreshWorker.joinable())
        m_refreshWorker.join();
    if (m_startVersionWorker.joinable())
        m_startVersionWorker.join();
    if (m_aboutVersionWorker.joinable())
        m_aboutVersionWorker.join();
}

bool CBlotterDlg::OnCreate()
{
    if (!m_trayIcon.Create(this, kTrayIconId, kTrayDefaultTooltip, LoadIconResource(kTrayGainIcon),
                           kTrayCallback)) {
        TfMessageBox("Failed to create tray icon", MB_OK | MB_ICONSTOP);
        return false;
    }
    return true;
}

bool CBlotterDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    SubclassDlgItem(kGridPlaceholder, &m_grid);
    m_grid.CreateGrid(m_grid.parentWidget(), m_grid.geometry());

    const std::string strAbout = LoadStringResource(kAboutString);
    if (CMenu* pSysMenu = GetSystemMenu(); pSysMenu != nullptr && !strAbout.empty()) {
        pSysMenu->AppendMenu(MF_SEPARATOR);
        pSysMenu->AppendMenu(MF_STRING, kSysAbout, strAbout);
    }
    SetIcon(LoadIconResource(kProgramIcon), true);
    SetIcon(LoadIconResource(kProgramIcon), false);

    ApplyColumnWidths();
    LoadPortfolio();
    CheckVersion();
    return true;
}

void CBlotterDlg::DoDataExchange(CDataExchange* pDX)
{
    for (int i = 0; i < kTotalTextCount; ++i)
        DDX_Text(pDX, kTotalFields[i], m_strTotals[i]);
}

bool CBlotterDlg::OnCtlColor(int nId, COLORREF& crText)
{
    for (int i = 0; i < kTotalTextCount; ++i) {
        if (kTotalFields[i] == nId) {
            // Only the sign and the leading digits count: the text stops being a number at
            // its first thousands separator.
            crText = ParseLeadingDouble(GetDlgItemText(nId)) < 0.0 ? kNegativeTotal : kOtherTotal;
            return true;
        }
    }
    return false;
}

void CBlotterDlg::OnOK()
{
    HideToTray();
}

void CBlotterDlg::OnCancel()
{
    // Escape hides the window like OK; ending the program is the close command's job, which
    // saves first.
    HideToTray();
}

void CBlotterDlg::OnClose()
{
    CloseWindow();
}

void CBlotterDlg::CloseWindow()
{
    if (m_bClosed)
        return;
    m_bClosed = true;
    for (const auto& pCancel : {m_pStartVersionCancel, m_pAboutVersionCancel}) {
        if (pCancel)
            pCancel->Cancel();
    }
    m_bStartVersionPending = false;
    // The program is ending: no more mail starts, and a slow mail server cannot hold it up.
    m_pOutbox->Close();
    // A refresh under way ends here with what has arrived, and no more alerts go out.
    if (m_bRefreshing && m_run)
        FinishFetch(m_run->arrived, false);
    else
        SavePortfolio();
    if (m_bTimerRunning == 1)
        KillTimer(kRefreshTimer);
    m_bTimerRunning = 0;
    m_trayIcon.RemoveIcon();
    EndDialog(IDCANCEL);
}

void CBlotterDlg::OnTimer(unsigned /*nIdEvent*/)
{
    if (m_bClosed)
        return;
    if (m_bRefreshing) {
        // A refresh never starts inside another: the tick is skipped, not kept for later.
        ++m_nSkippedRefreshes;
        return;
    }
    Refresh(true);
}

void CBlotterDlg::OnSysCommand(unsigned nId)
{
    if (nId == kSysAbout) {
        OnAbout(false);
        return;
    }
    CDialog::OnSysCommand(nId);
}

void CBlotterDlg::OnRestore()
{
    ShowWindow(SW_RESTORE);
}

void CBlotterDlg::OnCategoryChange()
{
    m_doc.m_strCategoryFilter = ComboBox(kCategoryBox).GetWindowText();
    RebuildRows();
    Refresh(false);
    SelectCategory(m_doc.m_strCategoryFilter);
}

void CBlotterDlg::FillCategoryBox()
{
    CComboBox box = ComboBox(kCategoryBox);
    box.ResetContent();
    for (const std::string& strCategory : m_doc.m_categories)
        box.AddString(strCategory);
}

void CBlotterDlg::SelectCategory(const std::string& strCategory)
{
    CComboBox box = ComboBox(kCategoryBox);
    const int nIndex = box.FindStringExact(-1, strCategory);
    if (nIndex >= 0) {
        box.SetCurSel(nIndex);
        return;
    }
    // The category shown is gone (removed in the categories dialog, or by another program):
    // show every position rather than a blank box over an empty grid.
    m_doc.m_strCategoryFilter = kCategoryAll;
    box.SetCurSel(box.FindStringExact(-1, kCategoryAll));
}

void CBlotterDlg::ShowStatus(const std::string& strText)
{
    m_strStatus = strText;
    SetDlgItemText(kStatusLine, strText);
}

bool CBlotterDlg::IsBusy() const
{
    // The outbox first: it posts its outcome to the window before it stops counting as busy,
    // so a post made by the time it is idle is in the count read after it.
    if (m_bRefreshing || m_bStartVersionPending || m_pOutbox->IsBusy() || m_bShowingMailFailure ||
        !m_mailFailures.empty())
        return true;
    std::lock_guard<std::mutex> lock(m_pLink->mutex);
    return m_pLink->nInFlight > 0;
}
