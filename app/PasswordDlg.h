// CPasswordDlg: asks for a user name and password when a quote server answers with a
// password challenge. PromptForPassword runs it; PromptOnInterfaceThread, which the program
// installs as the quote fetch's password prompt, runs it on the interface thread for a fetch
// that runs elsewhere. Cancel leaves the request unanswered.
#pragma once

#include <string>

#include "platform/framework/Dialog.h"
#include "platform/net/HttpRequest.h"

class CPasswordDlg : public CDialog
{
  public:
    enum { kIdHost = 1101, kIdUser = 1102, kIdPassword = 1103 };

    explicit CPasswordDlg(const std::string& strHost, CWnd* pParent = nullptr);

    std::string m_strHost;
    std::string m_strUser;
    std::string m_strPassword;

  protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
};

// Runs the dialog for the host; true with the credentials filled in when the user pressed OK.
bool PromptForPassword(const std::string& strHost, HttpCredentials& credentials);

// PromptForPassword on the interface thread, waited for by the calling thread (a fetch's);
// called on the interface thread itself, it runs the dialog at once.
bool PromptOnInterfaceThread(const std::string& strHost, HttpCredentials& credentials);
