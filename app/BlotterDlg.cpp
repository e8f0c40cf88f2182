#include "app/BlotterDlg.h"

#include <mutex>

#include <QApplication>

#include "app/AppIcons.h"
#include "app/AppResources.h"
#include "engine/TrayTexts.h"
#include "model/PortfolioFile.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/Resources.h"
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
        services.mailers = MakeSmtpAlertMailerFactory();
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
    // Failure texts posted to the window and not yet taken in.
    int nInFlight = 0;
};

CBlotterDlg::CBlotterDlg(SBlotterServices services)
    : CDialog(BlotterDlgTemplate()), m_services(WithDefaults(std::move(services))),
      m_pLink(std::make_shared<SWindowLink>())
{
    m_pLink->pDlg = this;
    m_pOutbox = std::make_unique<CAlertOutbox>(
        m_services.mailers, [pLink = m_pLink](const std::string& strText) {
            std::lock_guard<std::mutex> lock(pLink->mutex);
            if (CBlotterDlg* pDlg = pLink->pDlg) {
                ++pLink->nInFlight;
                QMetaObject::invokeMethod(
                    pDlg,
                    [pDlg, pLink, strText] {
                        {
                            std::lock_guard<std::mutex> taken(pLink->mutex);
                            --pLink->nInFlight;
                        }
                        pDlg->ShowMailFailure(strText);
                    },
                    Qt::QueuedConnection);
            }
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
    box.SetCurSel(box.FindStringExact(-1, strCategory));
}

void CBlotterDlg::ShowStatus(const std::string& strText)
{
    m_strStatus = strText;
    SetDlgItemText(kStatusLine, strText);
}

bool CBlotterDlg::IsBusy() const
{
    {
        std::lock_guard<std::mutex> lock(m_pLink->mutex);
        if (m_pLink->nInFlight > 0)
            return true;
    }
    return m_bRefreshing || m_bStartVersionPending || m_pOutbox->IsBusy() ||
           m_bShowingMailFailure || !m_mailFailures.empty();
}

void CBlotterDlg::ShowMailFailure(const std::string& strText)
{
    // One box at a time, in the order the texts came: a text that arrives while a box is up
    // waits for it, rather than opening a second box inside the first one's loop.
    m_mailFailures.push_back(strText);
    if (m_bShowingMailFailure)
        return;
    m_bShowingMailFailure = true;
    while (!m_mailFailures.empty() && !m_bClosed) {
        const std::string strNext = m_mailFailures.front();
        m_mailFailures.pop_front();
        TfMessageBox(strNext, MB_OK | MB_ICONEXCLAMATION, {}, this);
    }
    m_mailFailures.clear();
    m_bShowingMailFailure = false;
}
