// CPagerPrefsDlg: the pager alert settings. The window fills the members from the document
// (LoadFrom), runs DoModal, and on IDOK copies them back (StoreTo); nothing is saved or
// refreshed until the next refresh. Two buttons act on what the fields hold at the moment:
// "Set password…" stores the mail server's password in the keyring, and "Send test" sends
// the test message in the background and shows the outcome in a message box.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "engine/AlertMailer.h"
#include "engine/TestMail.h"
#include "model/BlotterSpace.h"
#include "platform/framework/Dialog.h"
#include "platform/keyring/SecretStore.h"

// What the two mail buttons reach outside, so tests can put their own parts in place.
struct SPagerMailServices
{
    // Makes the mailer of "Send test"; the real transports, with the keyring's password,
    // when empty.
    AlertMailerFactory mailers;
    // Stores the password of "Set password…"; the desktop keyring when empty.
    std::function<SKeyringResult(const std::string& strServer, const std::string& strUser,
                                 const std::string& strPassword)>
        storePassword;
    // The login name and the like; the process's environment when empty.
    std::function<CSmtpEnvironment()> environment;
    // Dates the test message; the system clock when empty.
    std::function<std::time_t()> clock;
};

class CPagerPrefsDlg : public CDialog
{
  public:
    // Control identifiers of template 140.
    static constexpr int kIdEnable = 1029;
    static constexpr int kIdMailFrom = 1031;
    static constexpr int kIdAlertPercent = 1033;
    static constexpr int kIdSmtpServer = 1030;
    static constexpr int kIdPagerAddress = 1032;
    static constexpr int kIdSetPassword = 1034;
    static constexpr int kIdSendTest = 1035;

    explicit CPagerPrefsDlg(CWnd* pParent = nullptr, SPagerMailServices services = {});
    ~CPagerPrefsDlg() override;

    std::int32_t m_bPagerAlerts = 0;
    std::string m_strMailFrom;
    unsigned m_nAlertPercent = 5;
    std::string m_strSmtpServer;
    std::string m_strPagerAddress;

    // The five settings from and to the document.
    void LoadFrom(const CBlotterSpace& doc);
    void StoreTo(CBlotterSpace& doc) const;

    // True from "Send test" until its outcome has been shown.
    bool IsSendingTest() const { return m_pSendJob != nullptr; }

  protected:
    void DoDataExchange(CDataExchange* pDX) override;

  private:
    struct SSendJob;

    void OnSetPassword();
    void OnSendTest();
    void OnTestSent(const CTestMailResult& result);

    SPagerMailServices m_services;
    // The test message under way; it outlives the dialog when the dialog goes first.
    std::shared_ptr<SSendJob> m_pSendJob;
};
