#include "app/PreferencesDlg.h"

#include <cstdint>
#include <limits>

#include "app/AppResources.h"
#include "engine/RefreshTimer.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/WinDefs.h"

namespace {

// The country the dialog shows when the stored one is not in its box.
constexpr const char* kFallbackCountry = "United States";

SDialogTemplate PreferencesTemplate()
{
    using D = CPreferencesDlg;
    SDialogTemplate t;
    t.nId = 130;
    t.strCaption = "Tallyfern Preferences";
    t.cx = 204;
    t.cy = 117;
    t.items = {
        {IDC_STATIC, EControlKind::GroupBox, "", 7, 3, 190, 94, kStyleNone, {}},
        {D::kIdAutoRefresh,
         EControlKind::CheckBox,
         "&Refresh automatically",
         14,
         11,
         120,
         10,
         kStyleNone,
         {}},
        {IDC_STATIC, EControlKind::Label, "&every", 24, 27, 22, 8, kStyleNone, {}},
        {D::kIdInterval, EControlKind::Edit, "", 48, 25, 30, 12, kStyleNumber | kStyleRight, {}},
        {IDC_STATIC, EControlKind::Label, "minutes.", 82, 27, 40, 8, kStyleNone, {}},
        {IDC_STATIC, EControlKind::Label, "Default &base country:", 14, 43, 96, 8, kStyleRight, {}},
        {D::kIdBaseCountry,
         EControlKind::DropDownList,
         "",
         115,
         41,
         75,
         100,
         kStyleSorted,
         {"United States", "Canada", "United Kingdom", "France", "Germany", "Italy", "Switzerland",
          "Sweden", "Norway", "Australia", ""}},
        {D::kIdDeductBrokerage,
         EControlKind::CheckBox,
         "&Deduct brokerage from P/L:",
         14,
         56,
         111,
         10,
         kStyleLeftText,
         {}},
        {D::kIdUseBid,
         EControlKind::CheckBox,
         "&Use bid prices to value options:",
         14,
         68,
         111,
         10,
         kStyleLeftText,
         {}},
        {IDC_STATIC,
         EControlKind::Label,
         "E&xternal YTD capital gains:",
         14,
         83,
         96,
         8,
         kStyleRight,
         {}},
        // Not digits-only: a loss needs its "-" and an amount its ".".
        {D::kIdExternalGains, EControlKind::Edit, "", 115, 81, 75, 12, kStyleRight, {}},
        {IDOK, EControlKind::PushButton, "&OK", 42, 100, 50, 14, kStyleDefault, {}},
        {IDCANCEL, EControlKind::PushButton, "&Cancel", 112, 100, 50, 14, kStyleNone, {}},
    };
    return t;
}

} // namespace

void ApplyRefreshTimer(CDialog& wnd, std::int32_t bAutoRefresh, std::int32_t nRefreshMinutes,
                       std::int32_t& bTimerRunning)
{
    if (bAutoRefresh == 1) {
        // Setting the timer again restarts it: the next tick is one full new interval away.
        if (bTimerRunning == 1)
            wnd.KillTimer(BlotterIds::kRefreshTimer);
        bTimerRunning = 1;
        wnd.SetTimer(BlotterIds::kRefreshTimer, RefreshIntervalMs(nRefreshMinutes));
    } else if (bTimerRunning == 1) {
        bTimerRunning = 0;
        wnd.KillTimer(BlotterIds::kRefreshTimer);
    }
}

CPreferencesDlg::CPreferencesDlg(CWnd* pParent) : CDialog(PreferencesTemplate(), pParent) {}

void CPreferencesDlg::LoadFrom(const CBlotterSpace& doc)
{
    m_bAutoRefresh = doc.m_bAutoRefresh;
    m_nRefreshMinutes = doc.m_nRefreshMinutes;
    m_strBaseCountry = doc.m_strBaseCountry;
    m_bDeductBrokerage = doc.m_bDeductBrokerage;
    m_bUseBidForOptions = doc.m_bUseBidForOptions;
    m_dExternalYtdGains = doc.m_dExternalYtdGains;
}

void CPreferencesDlg::StoreTo(CBlotterSpace& doc) const
{
    doc.m_bAutoRefresh = m_bAutoRefresh;
    doc.m_nRefreshMinutes = m_nRefreshMinutes;
    doc.m_strBaseCountry = m_strBaseCountry;
    doc.m_bDeductBrokerage = m_bDeductBrokerage;
    doc.m_bUseBidForOptions = m_bUseBidForOptions;
    doc.m_dExternalYtdGains = m_dExternalYtdGains;
}

void CPreferencesDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, kIdInterval, m_nRefreshMinutes);
    DDX_Check(pDX, kIdAutoRefresh, m_bAutoRefresh);
    DDX_CBString(pDX, kIdBaseCountry, m_strBaseCountry);
    DDX_Check(pDX, kIdDeductBrokerage, m_bDeductBrokerage);
    DDX_Check(pDX, kIdUseBid, m_bUseBidForOptions);
    DDX_Text(pDX, kIdExternalGains, m_dExternalYtdGains);
}

bool CPreferencesDlg::OnInitDialog()
{
    const bool bResult = CDialog::OnInitDialog();
    CComboBox box = ComboBox(kIdBaseCountry);
    if (box.SelectString(-1, m_strBaseCountry) == CB_ERR) {
        box.SelectString(-1, kFallbackCountry);
        m_strBaseCountry = box.GetWindowText();
        UpdateData(false);
    }
    return bResult;
}
