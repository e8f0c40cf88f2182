// mail login|logout|test: the mail provider's password in the desktop keyring, and one test
// message to the pager address. None of them writes the portfolio file.
#include <ctime>
#include <iostream>
#include <ostream>

#include "engine/AlertMailer.h"
#include "engine/MailLogin.h"
#include "engine/TestMail.h"
#include "notify/MailText.h"
#include "platform/keyring/SecretStore.h"
#include "tools/tfport/Commands.h"
#include "tools/tfport/PasswordPrompt.h"
#include "tools/tfport/TerminalText.h"

namespace {

// The exit status of a mail that did not go, as for refresh.
constexpr int kMailFailedExit = 4;

const char* const kMailUsage = "usage: tfport mail login|logout|test";

// The server and login name the settings lead to, for the keyring.
CMailLoginTarget LoginFor(const CBlotterSpace& doc)
{
    CMailLoginTarget login =
        MailLoginFor(doc.m_strSmtpServer, doc.m_strMailFrom, CSmtpEnvironment::FromProcess());
    switch (login.m_problem) {
    case CMailLoginTarget::Problem::kBadSetting:
        throw CCommandError{"the SMTP server setting \"" + doc.m_strSmtpServer +
                            "\" cannot be used: " + login.m_sReason};
    case CMailLoginTarget::Problem::kNoServer:
        throw CCommandError{"no SMTP server is set (tfport settings --smtp-server HOST:PORT)"};
    case CMailLoginTarget::Problem::kNoUser:
        throw CCommandError{"no login name: set the sender address (tfport settings "
                            "--mail-from ADDRESS) or TALLYFERN_SMTP_USER"};
    case CMailLoginTarget::Problem::kNone:
        break;
    }
    return login;
}

int MailLogin(const CBlotterSpace& doc, std::ostream& out)
{
    CMailLoginTarget login = LoginFor(doc);
    if (login.m_bPlain)
        std::cerr << "tfport: note: mail to " << login.m_sServer
                  << " goes as plain SMTP without a login; name the provider's submission "
                     "port (HOST:587 or HOST:465) or set TALLYFERN_SMTP_USER to log in\n";
    std::string password;
    // Printed texts are the portfolio's Windows-1252; the output stream puts them into the
    // terminal's encoding (the keyring's own name is UTF-8 already).
    if (!ReadPassword("Password for " + login.m_sUser + " at " + login.m_sServer + ": ",
                      password) ||
        password.empty())
        throw CCommandError{"no password given; nothing was stored"};
    SKeyringResult result = StoreSmtpPassword(login.m_sServer, login.m_sKeyringUser, password);
    password.assign(password.size(), '\0');
    if (!result.bOk)
        throw CCommandError{"cannot store the password in the keyring: " + result.strError +
                            " (where no keyring runs, TALLYFERN_SMTP_PASSWORD serves instead)"};
    out << "Stored the password for " << login.m_sUser << " at " << login.m_sServer
        << " in the keyring\n";
    return 0;
}

int MailLogout(const CBlotterSpace& doc, std::ostream& out)
{
    CMailLoginTarget login = LoginFor(doc);
    SKeyringResult result = ClearSmtpPassword(login.m_sServer, login.m_sKeyringUser);
    if (!result.bOk)
        throw CCommandError{"cannot reach the keyring: " + result.strError};
    out << (result.bFound ? "Removed the password for " : "No password was stored for ")
        << login.m_sUser << " at " << login.m_sServer << "\n";
    return 0;
}

int MailTest(const CBlotterSpace& doc, std::ostream& out)
{
    CTestMailResult result =
        SendTestMail(doc, MakeSmtpAlertMailerFactory(KeyringSmtpPassword), std::time(nullptr));
    for (const std::string& text : result.m_failures)
        std::cerr << "tfport: mail: " << EscapeControls(text) << "\n";
    if (!result.m_bSent)
        return kMailFailedExit;
    out << "Sent \"" << kTestMailSubject << "\" to " << TerminalText(doc.m_strPagerAddress)
        << " through " << TerminalText(doc.m_strSmtpServer) << "\n"
        << "Server: " << MailPrintable(result.m_sLastReply) << "\n";
    return 0;
}

} // namespace

int CmdMail(const CCommandLine& line, std::ostream& out)
{
    if (line.positional.size() != 1)
        throw CCommandError{kMailUsage, 2};
    // Read only: nothing here changes the portfolio.
    CBlotterSpace doc = LoadForCommand(PortfolioPath(line));
    const std::string& action = line.positional[0];
    if (action == "login")
        return MailLogin(doc, out);
    if (action == "logout")
        return MailLogout(doc, out);
    if (action == "test")
        return MailTest(doc, out);
    throw CCommandError{std::string("unknown mail action \"") + action + "\"; " + kMailUsage, 2};
}
