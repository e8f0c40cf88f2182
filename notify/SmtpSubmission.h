// CSmtpSubmission: sends one CMailMessage to a mail provider through libcurl's SMTP support.
// Port 465 speaks TLS from the first byte; any other port must offer STARTTLS, and a server
// that does not is a failure, never a reason to go on in plain text. Certificates are always
// verified (the system's store, plus a private CA file when one is named). With a password
// it logs in, only ever over TLS.
//
// It keeps CSmtpConnection's calling order and error contract: Connect, SendMail and
// Disconnect, each a false result plus GetLastErrorText. The whole conversation is one
// libcurl transfer inside SendMail, so a server that cannot be reached fails SendMail, and
// Connect only checks that the server can be named. Every wait is bounded: the connect, a
// stall, and the conversation as a whole. Usable from any thread.
#pragma once

#include <chrono>
#include <ctime>
#include <functional>
#include <string>

#include "notify/MailMessage.h"
#include "notify/SmtpConnection.h"

// Port 465 is SMTP over TLS; every other submission port upgrades with STARTTLS.
constexpr unsigned kSmtpTlsPort = 465;

struct CSmtpSubmissionOptions
{
    enum class Security {
        kStartTls, // plain text until STARTTLS, which the server must offer
        kTls,      // TLS from the first byte (port 465)
    };
    // Without brackets for an IPv6 address.
    std::string m_sHost;
    unsigned m_nPort = 587;
    Security m_security = Security::kStartTls;
    // Logs in when the password is not empty. Both are secrets to the transcript.
    std::string m_sUser;
    std::string m_sPassword;
    // A PEM file of further certificates to trust; empty for the system's store alone.
    std::string m_sCaFile;
    // A file that the transcript of each conversation is added to (a developer's switch,
    // off when empty); it never holds what is sent while logging in.
    std::string m_sTraceFile;
    std::chrono::milliseconds m_connectTimeout{30000};
    // A server that sends nothing for this long is given up.
    std::chrono::milliseconds m_stallTimeout{30000};
    std::chrono::milliseconds m_conversationLimit = kSmtpConversationLimit;
    // Stamps the header; the system clock when empty.
    std::function<std::time_t()> m_clock;
};

class CSmtpSubmission
{
  public:
    explicit CSmtpSubmission(CSmtpSubmissionOptions options);
    CSmtpSubmission(const CSmtpSubmission&) = delete;
    CSmtpSubmission& operator=(const CSmtpSubmission&) = delete;
    virtual ~CSmtpSubmission() = default;

    // Checks that the host can go into a request; no network yet.
    bool Connect();
    // Builds the header as CSmtpConnection does (a new date each time, CR LF closing the
    // body) and runs the whole conversation: greeting, EHLO, TLS, login, MAIL, RCPT, DATA,
    // the message, QUIT. A refused recipient does not stop the others.
    bool SendMail(CMailMessage& message);
    bool Disconnect();

    std::string GetLastErrorText() const { return m_sLastError; }
    // Untrusted: the first line of the server's reply to the message (or of its last reply,
    // when the message never got one).
    std::string GetLastReply() const { return m_sLastReply; }
    bool IsConnected() const { return m_bConnected; }
    // The login of the next SendMail (an empty password: none).
    void SetLogin(const std::string& strUser, const std::string& strPassword)
    {
        m_options.m_sUser = strUser;
        m_options.m_sPassword = strPassword;
    }

  private:
    CSmtpSubmissionOptions m_options;
    std::string m_sLastError = "OK";
    std::string m_sLastReply;
    bool m_bConnected = false;
};
