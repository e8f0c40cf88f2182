#include "app/PasswordDlg.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QThread>

#include "platform/framework/DataExchange.h"
#include "platform/framework/WinDefs.h"

namespace {
// Longer texts are no user name or password a server would take; they are refused here.
constexpr int kMaxCredentialChars = 255;

SDialogTemplate PasswordTemplate()
{
    using D = CPasswordDlg;
    SDialogTemplate t;
    t.nId = 150;
    t.strCaption = "Enter Network Password";
    t.cx = 220;
    t.cy = 88;
    t.items = {
        {IDC_STATIC,
         EControlKind::Label,
         "Please type your user name and password for:",
         7,
         7,
         206,
         8,
         kStyleNone,
         {}},
        {D::kIdHost, EControlKind::Label, "", 7, 18, 206, 8, kStyleNone, {}},
        {IDC_STATIC, EControlKind::Label, "&User name:", 7, 33, 50, 8, kStyleRight, {}},
        {D::kIdUser, EControlKind::Edit, "", 62, 31, 151, 12, kStyleNone, {}},
        {IDC_STATIC, EControlKind::Label, "&Password:", 7, 50, 50, 8, kStyleRight, {}},
        {D::kIdPassword, EControlKind::Edit, "", 62, 48, 151, 12, kStyleNone, {}},
        {IDOK, EControlKind::PushButton, "OK", 106, 68, 50, 14, kStyleDefault, {}},
        {IDCANCEL, EControlKind::PushButton, "Cancel", 163, 68, 50, 14, kStyleNone, {}},
    };
    return t;
}
} // namespace

CPasswordDlg::CPasswordDlg(const std::string& strHost, CWnd* pParent)
    : CDialog(PasswordTemplate(), pParent), m_strHost(strHost)
{
}

bool CPasswordDlg::OnInitDialog()
{
    bool bResult = CDialog::OnInitDialog();
    SetDlgItemText(kIdHost, m_strHost);
    if (auto* pPassword = GetDlgItemAs<QLineEdit>(kIdPassword))
        pPassword->setEchoMode(QLineEdit::Password);
    GotoDlgCtrl(kIdUser);
    return bResult;
}

void CPasswordDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, kIdUser, m_strUser);
    DDV_MaxChars(pDX, m_strUser, kMaxCredentialChars);
    DDX_Text(pDX, kIdPassword, m_strPassword);
    DDV_MaxChars(pDX, m_strPassword, kMaxCredentialChars);
}

bool PromptForPassword(const std::string& strHost, HttpCredentials& credentials)
{
    CPasswordDlg dlg(strHost);
    if (dlg.DoModal() != IDOK)
        return false;
    credentials.strUser = dlg.m_strUser;
    credentials.strPassword = dlg.m_strPassword;
    return true;
}

bool PromptOnInterfaceThread(const std::string& strHost, HttpCredentials& credentials)
{
    QCoreApplication* pApp = QCoreApplication::instance();
    if (pApp == nullptr)
        return false;
    if (QThread::currentThread() == pApp->thread())
        return PromptForPassword(strHost, credentials);
    // Only the fetch's own thread waits; the interface goes on (the dialog's loop is one of
    // its loops), and the fetches of other servers go on too.
    bool bGiven = false;
    HttpCredentials answer;
    QMetaObject::invokeMethod(
        pApp, [&] { bGiven = PromptForPassword(strHost, answer); }, Qt::BlockingQueuedConnection);
    if (bGiven)
        credentials = answer;
    return bGiven;
}
