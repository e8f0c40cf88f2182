#include "app/SmtpPasswordDlg.h"

#include <QLineEdit>

#include "platform/framework/DataExchange.h"
#include "platform/framework/WinDefs.h"

namespace {
// No provider takes a longer password; a longer one is refused here.
constexpr int kMaxPasswordChars = 255;

SDialogTemplate SmtpPasswordTemplate()
{
    using D = CSmtpPasswordDlg;
    SDialogTemplate t;
    t.nId = 160;
    t.strCaption = "Mail Server Password";
    t.cx = 220;
    t.cy = 62;
    t.items = {
        {D::kIdPrompt, EControlKind::Label, "", 7, 7, 206, 8, kStyleNone, {}},
        {IDC_STATIC, EControlKind::Label, "&Password:", 7, 23, 50, 8, kStyleRight, {}},
        {D::kIdPassword, EControlKind::Edit, "", 62, 21, 151, 12, kStyleNone, {}},
        {IDOK, EControlKind::PushButton, "OK", 106, 41, 50, 14, kStyleDefault, {}},
        {IDCANCEL, EControlKind::PushButton, "Cancel", 163, 41, 50, 14, kStyleNone, {}},
    };
    return t;
}
} // namespace

CSmtpPasswordDlg::CSmtpPasswordDlg(const std::string& strPrompt, CWnd* pParent)
    : CDialog(SmtpPasswordTemplate(), pParent), m_strPrompt(strPrompt)
{
}

bool CSmtpPasswordDlg::OnInitDialog()
{
    bool bResult = CDialog::OnInitDialog();
    SetDlgItemText(kIdPrompt, m_strPrompt);
    if (auto* pPassword = GetDlgItemAs<QLineEdit>(kIdPassword)) {
        pPassword->setEchoMode(QLineEdit::Password);
        pPassword->setText(QString::fromStdString(m_strPassword));
    }
    LimitText(kIdPassword, kMaxPasswordChars);
    GotoDlgCtrl(kIdPassword);
    return bResult;
}

void CSmtpPasswordDlg::DoDataExchange(CDataExchange* pDX)
{
    // Past the framework's 8-bit exchange: the field's text as UTF-8.
    auto* pPassword = GetDlgItemAs<QLineEdit>(kIdPassword);
    if (pDX->m_bSaveAndValidate && pPassword != nullptr)
        m_strPassword = pPassword->text().toStdString();
}
