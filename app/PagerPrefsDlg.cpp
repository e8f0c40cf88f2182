#include "app/PagerPrefsDlg.h"

#include <thread>

#include <QCoreApplication>
#include <QMetaObject>

#include "app/SmtpPasswordDlg.h"
#include "engine/MailLogin.h"
#include "notify/MailText.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/WinDefs.h"

namespace {

// The alert threshold is a percentage of the position's value.
constexpr unsigned kMinAlertPercent = 0;
constexpr unsigned kMaxAlertPercent = 100;
// The two mail buttons' captions ("\x85" is the ellipsis in the program's code page).
constexpr const char* kSetPasswordCaption = "Set pass&word\x85";
constexpr const char* kSendTestCaption = "Send &test";
constexpr const char* kSendingCaption = "Sending\x85";

SDialogTemplate PagerPrefsTemplate()
{
    using D = CPagerPrefsDlg;
    SDialogTemplate t;
    t.nId = 140;
    t.strCaption = "Tallyfern Pager Preferences";
    // A column for the two mail buttons at the right of the fields they act on; the rest
    // keeps its place.
    t.cx = 316;
    t.cy = 114;
    t.items = {
        {IDC_STATIC, EControlKind::GroupBox, "", 7, 4, 302, 84, kStyleNone, {}},
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
        {D::kIdSetPassword,
         EControlKind::PushButton,
         kSetPasswordCaption,
         248,
         58,
         54,
         14,
         kStyleNone,
         {}},
        {IDC_STATIC, EControlKind::Label, "&Pager email address:", 14, 76, 140, 8, kStyleRight, {}},
        {D::kIdPagerAddress, EControlKind::Edit, "", 158, 74, 86, 12, kStyleNone, {}},
        {D::kIdSendTest,
         EControlKind::PushButton,
         kSendTestCaption,
         248,
         73,
         54,
         14,
         kStyleNone,
         {}},
        {IDOK, EControlKind::PushButton, "&OK", 98, 94, 50, 14, kStyleDefault, {}},
        {IDCANCEL, EControlKind::PushButton, "&Cancel", 168, 94, 50, 14, kStyleNone, {}},
    };
    return t;
}

} // namespace

// The test message's outcome travels from its thread to the dialog through this; the
// dialog pointer is set and cleared on the interface thread only.
struct CPagerPrefsDlg::SSendJob
{
    CPagerPrefsDlg* pDlg = nullptr;
};

CPagerPrefsDlg::CPagerPrefsDlg(CWnd* pParent, SPagerMailServices services)
    : CDialog(PagerPrefsTemplate(), pParent), m_services(std::move(services))
{
    if (!m_services.mailers)
        m_services.mailers = MakeSmtpAlertMailerFactory(KeyringSmtpPassword);
    if (!m_services.storePassword)
        m_services.storePassword = StoreSmtpPassword;
    if (!m_services.environment)
        m_services.environment = CSmtpEnvironment::FromProcess;
    if (!m_services.clock)
        m_services.clock = [] { return std::time(nullptr); };
    MapCommand(kIdSetPassword, [this] { OnSetPassword(); });
    MapCommand(kIdSendTest, [this] { OnSendTest(); });
}

CPagerPrefsDlg::~CPagerPrefsDlg()
{
    if (m_pSendJob)
        m_pSendJob->pDlg = nullptr;
}

void CPagerPrefsDlg::OnSetPassword()
{
    const std::string strServer = GetDlgItemText(kIdSmtpServer);
    CMailLoginTarget login =
        MailLoginFor(strServer, GetDlgItemText(kIdMailFrom), m_services.environment());
    switch (login.m_problem) {
    case CMailLoginTarget::Problem::kBadSetting:
        TfMessageBox("The outgoing mail server \"" + strServer + "\" cannot be used: " +
                         login.m_sReason + ".\nWrite HOST, HOST:PORT or [ADDRESS]:PORT.",
                     MB_OK | MB_ICONEXCLAMATION, {}, this);
        return;
    case CMailLoginTarget::Problem::kNoServer:
        TfMessageBox("Enter the outgoing mail server first, with the provider's port "
                     "(for example smtp.example.com:587).",
                     MB_OK | MB_ICONEXCLAMATION, {}, this);
        return;
    case CMailLoginTarget::Problem::kNoUser:
        TfMessageBox("Enter the From address first: it is the login name unless "
                     "TALLYFERN_SMTP_USER names another.",
                     MB_OK | MB_ICONEXCLAMATION, {}, this);
        return;
    case CMailLoginTarget::Problem::kNone:
        break;
    }
    if (login.m_bPlain &&
        TfMessageBox("Mail to " + login.m_sServer +
                         " goes as plain SMTP without a login. To log in, name the provider's "
                         "submission port (HOST:587 or HOST:465).\n\nStore a password anyway?",
                     MB_OKCANCEL | MB_ICONINFORMATION, {}, this) != IDOK)
        return;

    CSmtpPasswordDlg dlg("Password for " + login.m_sUser + " at " + login.m_sServer + ":", this);
    if (dlg.DoModal() != IDOK)
        return;
    if (dlg.m_strPassword.empty()) {
        TfMessageBox("No password was given; nothing was stored.", MB_OK | MB_ICONEXCLAMATION, {},
                     this);
        return;
    }
    SKeyringResult stored =
        m_services.storePassword(login.m_sServer, login.m_sUser, dlg.m_strPassword);
    dlg.m_strPassword.assign(dlg.m_strPassword.size(), '\0');
    if (!stored.bOk) {
        TfMessageBox("The password could not be stored in the keyring: " + stored.strError,
                     MB_OK | MB_ICONEXCLAMATION, {}, this);
        return;
    }
    TfMessageBox("Stored the password for " + login.m_sUser + " at " + login.m_sServer +
                     " in the keyring.",
                 MB_OK | MB_ICONINFORMATION, {}, this);
}

void CPagerPrefsDlg::OnSendTest()
{
    if (m_pSendJob)
        return;
    // The fields as they stand, whether or not OK follows.
    CBlotterSpace doc;
    doc.m_strMailFrom = GetDlgItemText(kIdMailFrom);
    doc.m_strPagerAddress = GetDlgItemText(kIdPagerAddress);
    doc.m_strSmtpServer = GetDlgItemText(kIdSmtpServer);
    m_pSendJob = std::make_shared<SSendJob>();
    m_pSendJob->pDlg = this;
    EnableDlgItem(kIdSendTest, false);
    SetDlgItemText(kIdSendTest, kSendingCaption);

    // The conversation may take up to a minute; the window stays live meanwhile.
    std::thread([job = m_pSendJob, doc = std::move(doc), mailers = m_services.mailers,
                 now = m_services.clock()] {
        CTestMailResult result = SendTestMail(doc, mailers, now);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [job, result] {
                if (job->pDlg != nullptr)
                    job->pDlg->OnTestSent(result);
            },
            Qt::QueuedConnection);
    }).detach();
}

void CPagerPrefsDlg::OnTestSent(const CTestMailResult& result)
{
    m_pSendJob.reset();
    SetDlgItemText(kIdSendTest, kSendTestCaption);
    EnableDlgItem(kIdSendTest, true);
    if (result.m_bSent) {
        TfMessageBox(std::string("Sent \"") + kTestMailSubject + "\" to " +
                         GetDlgItemText(kIdPagerAddress) +
                         ".\nThe server answered: " + MailPrintable(result.m_sLastReply),
                     MB_OK | MB_ICONINFORMATION, {}, this);
        return;
    }
    std::string text = "The test message was not sent:";
    for (const std::string& failure : result.m_failures)
        text += "\n" + failure;
    TfMessageBox(text, MB_OK | MB_ICONEXCLAMATION, {}, this);
}

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
