// CSmtpPasswordDlg: asks for the mail server's password for one login name at one server,
// for the pager preferences' "Set password…". The password goes to the keyring, never into
// the portfolio.
#pragma once

#include <string>

#include "platform/framework/Dialog.h"

class CSmtpPasswordDlg : public CDialog
{
  public:
    enum { kIdPrompt = 1201, kIdPassword = 1202 };

    // strPrompt names who logs in where ("Password for me@example.org at smtp.example.org:587:").
    explicit CSmtpPasswordDlg(const std::string& strPrompt, CWnd* pParent = nullptr);

    std::string m_strPrompt;
    // In UTF-8, as the provider and the keyring take it (not the program's 8-bit text, which
    // could not hold every character a password may have).
    std::string m_strPassword;

  protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
};
