// CAlertMailer: what the alert test needs of a mail client (connect, send, disconnect and
// the text of the last failure), so tests can put a recording one in its place. The real
// ones are made by MakeSmtpAlertMailerFactory, which picks the transport from the server
// setting: the plain SMTP client for a server on port 25 without a login, the submission
// transport (TLS or STARTTLS, verified, with a login) for every other. A mailer is used by
// one thread at a time; the factory may be called from any thread.
#pragma once

#include <chrono>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "notify/MailMessage.h"
#include "notify/SmtpConnection.h"
#include "notify/SmtpServerSetting.h"
#include "notify/SmtpSubmission.h"
#include "platform/net/Socket.h"

class CAlertMailer
{
  public:
    virtual ~CAlertMailer() = default;
    virtual bool Connect() = 0;
    virtual bool SendMail(CMailMessage& message) = 0;
    virtual bool Disconnect() = 0;
    virtual std::string GetLastErrorText() const = 0;
    // Untrusted: the first line of the server's reply to the message, when there was one.
    virtual std::string GetLastReply() const { return {}; }
};

// Makes one mailer for the named server; the alert test calls it once per alert and
// drops the mailer afterwards.
using AlertMailerFactory = std::function<std::unique_ptr<CAlertMailer>(const std::string&)>;

// Makes a mailer for strServer, then connects, sends and disconnects, each step taken
// whatever the one before returned, and passes each failed step's text to onFailure (when
// set) before the next. A null factory or mailer counts as a failed connect. True when all
// three steps succeeded; pLastReply (when given) receives the server's reply to the message.
bool SendThroughMailer(const AlertMailerFactory& makeMailer, const std::string& strServer,
                       CMailMessage& message,
                       const std::function<void(const std::string&)>& onFailure,
                       std::string* pLastReply = nullptr);

// What the environment says about mail: TALLYFERN_SMTP_USER (the login name; the sender
// address when empty), TALLYFERN_SMTP_PASSWORD (for a machine without a keyring),
// TALLYFERN_SMTP_CA_FILE (certificates to trust besides the system's) and
// TALLYFERN_SMTP_TRACE (a file for a developer's transcript of each conversation).
struct CSmtpEnvironment
{
    std::string m_sUser;
    std::string m_sPassword;
    std::string m_sCaFile;
    std::string m_sTraceFile;

    static CSmtpEnvironment FromProcess();
};

// The login name: the environment's, else the sender's address (the program's 8-bit text).
std::string SmtpLoginName(const CSmtpEnvironment& environment, const std::string& strMailFrom);

// The stored password for a server ("HOST:PORT") and user (in UTF-8, as the keyring keeps
// names): a password, or nothing.
using SmtpPasswordLookup = std::function<std::optional<std::string>(const std::string& strServer,
                                                                    const std::string& strUser)>;

// How the real mailers reach the server. Tests change the plain port and shorten the waits.
struct CSmtpAlertSettings
{
    // Plain SMTP without a login goes to this port: a setting without a port means it, and
    // so does one that names it (25, unless a test points it at a scripted server).
    unsigned m_nPort = kSmtpPort;
    std::chrono::milliseconds m_connectTimeout = CSocket::kDefaultConnectTimeout;
    std::chrono::milliseconds m_replyTimeout = CSocket::kDefaultIoTimeout;
    std::chrono::milliseconds m_conversationLimit = kSmtpConversationLimit;
    // Stamps the mail header; the system clock when empty.
    std::function<std::time_t()> m_clock;
    // Asked when the environment holds no password (the desktop keyring in the programs);
    // no password when empty.
    SmtpPasswordLookup m_passwordLookup;
    // The process's environment when not set.
    std::optional<CSmtpEnvironment> m_environment;
};

// The transport a server setting leads to.
struct CSmtpRoute
{
    enum class Transport { kPlain, kStartTls, kTls, kBadSetting };
    Transport m_transport = Transport::kPlain;
    CSmtpServerAddress m_address;
    // Why the setting cannot be used (kBadSetting only).
    std::string m_sReason;
};

// Port 465 is TLS; the plain port without a login name in the environment is plain SMTP;
// everything else is STARTTLS. A host alone keeps its text as typed.
CSmtpRoute ChooseSmtpRoute(const std::string& strServer, unsigned nPlainPort,
                           const std::string& strLoginUser);

AlertMailerFactory MakeSmtpAlertMailerFactory(const CSmtpAlertSettings& settings = {});
// The real mailers with the default waits, asking passwordLookup for stored passwords.
AlertMailerFactory MakeSmtpAlertMailerFactory(SmtpPasswordLookup passwordLookup);
