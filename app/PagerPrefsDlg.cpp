#include "app/PagerPrefsDlg.h"

#include "platform/framework/DataExchange.h"
#include "platform/framework/WinDefs.h"

namespace {

// The alert threshold is a percentage of the position's value.
constexpr unsigned kMinAlertPercent = 0;
constexpr unsigned kMaxAlertPercent = 100;

SDialogTemplate PagerPrefsTemplate()
{
    using D = CPagerPrefsDlg;
    SDialogTemplate t;
    t.nId = 140;
    t.strCaption = "Tallyfern Pager Preferences";
    t.cx = 258;
    t.cy = 114;
    t.items = {
        {IDC_STATIC, EControlKind::GroupBox, "", 7, 4, 244, 84, kStyleNone, {}},
        {D::kIdEnable,
         EControlKind::CheckBox,
         "&Enable pager alerts:",
         14,
         14,
         150,
         10,
         kStyleLeftText,
         {}},
        {IDC_STATIC, EControlKind::Label, "&From:", 14, 31, 140, 8, kStyleRight, {}},
        {D::kIdMailFrom, EControlKind::Edit, "", 158, 29, 86, 12, kStyleNone, {}},
        {IDC_STATIC,
         EControlKind::Label,
         "&Notify when position value changes by (%):",
         14,
         46,
         140,
         8,
         kStyleRight,
         {}},
        {D::kIdAlertPercent,
         EControlKind::Edit,
         "",
         158,
         44,
         30,
         12,
         kStyleNumber | kStyleRight,
         {}},
        {IDC_STATIC,
         EControlKind::Label,
         "O&utgoing mail server (SMTP):",
         14,
         61,
         140,
         8,
         kStyleRight,
         {}},
        {D::kIdSmtpServer, EControlKind::Edit, "", 158, 59, 86, 12, kStyleNone, {}},
        {IDC_STATIC, EControlKind::Label, "&Pager email address:", 14, 76, 140, 8, kStyleRight, {}},
        {D::kIdPagerAddress, EControlKind::Edit, "", 158, 74, 86, 12, kStyleNone, {}},
        {IDOK, EControlKind::PushButton, "&OK", 69, 94, 50, 14, kStyleDefault, {}},
        {IDCANCEL, EControlKind::PushButton, "&Cancel", 139, 94, 50, 14, kStyleNone, {}},
    };
    return t;
}

} // namespace

CPagerPrefsDlg::CPagerPrefsDlg(CWnd* pParent) : CDialog(PagerPrefsTemplate(), pParent) {}

void CPagerPrefsDlg::LoadFrom(const CBlotterSpace& doc)
{
    m_bPagerAlerts = doc.m_bPagerAlerts;
    m_strMailFrom = doc.m_strMailFrom;
    m_strPagerAddress = doc.m_strPagerAddress;
    m_nAlertPercent = static_cast<unsigned>(doc.m_nAlertPercent);
    m_strSmtpServer = doc.m_strSmtpServer;
}

void CPagerPrefsDlg::StoreTo(CBlotterSpace& doc) const
{
    doc.m_bPagerAlerts = m_bPagerAlerts;
    doc.m_strMailFrom = m_strMailFrom;
    doc.m_strPagerAddress = m_strPagerAddress;
    // Validation kept it within 0 to 100.
    doc.m_nAlertPercent = static_cast<std::int32_t>(m_nAlertPercent);
    doc.m_strSmtpServer = m_strSmtpServer;
}

void CPagerPrefsDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Check(pDX, kIdEnable, m_bPagerAlerts);
    DDX_Text(pDX, kIdMailFrom, m_strMailFrom);
    DDX_Text(pDX, kIdAlertPercent, m_nAlertPercent);
    DDV_MinMaxUInt(pDX, m_nAlertPercent, kMinAlertPercent, kMaxAlertPercent);
    DDX_Text(pDX, kIdSmtpServer, m_strSmtpServer);
    DDX_Text(pDX, kIdPagerAddress, m_strPagerAddress);
}
