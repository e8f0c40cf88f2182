// CAlertMailer: what the alert test needs of a mail client (connect, send, disconnect and
// the text of the last failure), so tests can put a recording one in its place.
// CSmtpAlertMailer is the real one, over CSmtpConnection.
#pragma once

#include <chrono>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "notify/MailMessage.h"
#include "notify/SmtpConnection.h"
#include "platform/net/Socket.h"

class CAlertMailer
{
  public:
    virtual ~CAlertMailer() = default;
    virtual bool Connect() = 0;
    virtual bool SendMail(CMailMessage& message) = 0;
    virtual bool Disconnect() = 0;
    virtual std::string GetLastErrorText() const = 0;
};

// Makes one mailer for the named server; the alert test calls it once per alert and
// drops the mailer afterwards.
using AlertMailerFactory = std::function<std::unique_ptr<CAlertMailer>(const std::string&)>;

// How the real mailer reaches the server. Tests change the port and shorten the waits.
struct CSmtpAlertSettings
{
    unsigned m_nPort = kSmtpPort;
    std::chrono::milliseconds m_connectTimeout = CSocket::kDefaultConnectTimeout;
    std::chrono::milliseconds m_replyTimeout = CSocket::kDefaultIoTimeout;
    // Stamps the mail header; the system clock when empty.
    std::function<std::time_t()> m_clock;
};

class CSmtpAlertMailer : public CAlertMailer
{
  public:
    CSmtpAlertMailer(const std::string& strServer, const CSmtpAlertSettings& settings);

    bool Connect() override { return m_connection.Connect(); }
    bool SendMail(CMailMessage& message) override { return m_connection.SendMail(message); }
    bool Disconnect() override { return m_connection.Disconnect(); }
    std::string GetLastErrorText() const override { return m_connection.GetLastErrorText(); }

  private:
    CSmtpConnection m_connection;
};

AlertMailerFactory MakeSmtpAlertMailerFactory(const CSmtpAlertSettings& settings = {});
