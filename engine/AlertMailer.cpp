#include "engine/AlertMailer.h"

#include <cstdlib>

#include "platform/text/Windows1252.h"

namespace {

// Names the failure of a setting that names no server that can be reached.
constexpr const char* kBadSettingText = "Bad SMTP server setting \"";
// A send after a connect that never happened fails this way in the real clients too.
constexpr const char* kNotConnectedText = "Must be connected";
// Shown when no mailer could be made at all; the same words a refused connect gives.
constexpr const char* kNoMailerText = "Unable to connect to server";

std::string Environment(const char* pszName)
{
    const char* pszValue = std::getenv(pszName);
    return pszValue != nullptr ? pszValue : "";
}

class CPlainMailer : public CAlertMailer
{
  public:
    CPlainMailer(const std::string& strHost, unsigned nPort, const CSmtpAlertSettings& settings)
        : m_connection(strHost, nPort)
    {
        m_connection.SetTimeouts(settings.m_connectTimeout, settings.m_replyTimeout);
        m_connection.SetConversationLimit(settings.m_conversationLimit);
        if (settings.m_clock)
            m_connection.SetClock(settings.m_clock);
    }

    bool Connect() override { return m_connection.Connect(); }
    bool SendMail(CMailMessage& message) override
    {
        bool bSent = m_connection.SendMail(message);
        // Kept before QUIT replaces it: the server's word on the message.
        m_sReply = m_connection.GetLastReply();
        return bSent;
    }
    bool Disconnect() override { return m_connection.Disconnect(); }
    std::string GetLastErrorText() const override { return m_connection.GetLastErrorText(); }
    std::string GetLastReply() const override { return m_sReply; }

  private:
    CSmtpConnection m_connection;
    std::string m_sReply;
};

class CSubmissionMailer : public CAlertMailer
{
  public:
    CSubmissionMailer(const CSmtpRoute& route, const CSmtpAlertSettings& settings,
                      CSmtpEnvironment environment)
        : m_submission(Options(route, settings, environment)),
          m_environment(std::move(environment)), m_lookup(settings.m_passwordLookup),
          m_sServerKey(SmtpServerKey(route.m_address))
    {
    }

    bool Connect() override { return m_submission.Connect(); }
    bool SendMail(CMailMessage& message) override
    {
        std::string user = SmtpLoginName(m_environment, message.m_sFrom);
        std::string password = m_environment.m_sPassword;
        if (password.empty() && m_lookup && m_submission.IsConnected())
            password = m_lookup(m_sServerKey, Windows1252ToUtf8(user)).value_or("");
        m_submission.SetLogin(user, password);
        bool bSent = m_submission.SendMail(message);
        m_submission.SetLogin(user, "");
        return bSent;
    }
    bool Disconnect() override { return m_submission.Disconnect(); }
    std::string GetLastErrorText() const override { return m_submission.GetLastErrorText(); }
    std::string GetLastReply() const override { return m_submission.GetLastReply(); }

  private:
    static CSmtpSubmissionOptions Options(const CSmtpRoute& route,
                                          const CSmtpAlertSettings& settings,
                                          const CSmtpEnvironment& environment)
    {
        CSmtpSubmissionOptions options;
        options.m_sHost = route.m_address.m_sHost;
        options.m_nPort = route.m_address.m_nPort;
        options.m_security = route.m_transport == CSmtpRoute::Transport::kTls
                                 ? CSmtpSubmissionOptions::Security::kTls
                                 : CSmtpSubmissionOptions::Security::kStartTls;
        options.m_sCaFile = environment.m_sCaFile;
        options.m_sTraceFile = environment.m_sTraceFile;
        options.m_connectTimeout = settings.m_connectTimeout;
        options.m_stallTimeout = settings.m_replyTimeout;
        options.m_conversationLimit = settings.m_conversationLimit;
        options.m_clock = settings.m_clock;
        return options;
    }

    CSmtpSubmission m_submission;
    CSmtpEnvironment m_environment;
    SmtpPasswordLookup m_lookup;
    std::string m_sServerKey;
};

// A setting that names no usable server fails at Connect with the reason, and the send
// after it as any send without a connection does.
class CBadSettingMailer : public CAlertMailer
{
  public:
    explicit CBadSettingMailer(std::string strText) : m_sConnectText(std::move(strText)) {}

    bool Connect() override
    {
        m_sLastError = m_sConnectText;
        return false;
    }
    bool SendMail(CMailMessage&) override
    {
        m_sLastError = kNotConnectedText;
        return false;
    }
    bool Disconnect() override { return true; }
    std::string GetLastErrorText() const override { return m_sLastError; }

  private:
    std::string m_sConnectText;
    std::string m_sLastError = "OK";
};

} // namespace

bool SendThroughMailer(const AlertMailerFactory& makeMailer, const std::string& strServer,
                       CMailMessage& message,
                       const std::function<void(const std::string&)>& onFailure,
                       std::string* pLastReply)
{
    const auto report = [&](const std::string& text) {
        if (onFailure)
            onFailure(text);
    };
    std::unique_ptr<CAlertMailer> mailer = makeMailer ? makeMailer(strServer) : nullptr;
    if (!mailer) {
        report(kNoMailerText);
        report(kNotConnectedText);
        return false;
    }
    bool ok = true;
    const auto step = [&](bool bDone) {
        if (!bDone) {
            ok = false;
            report(mailer->GetLastErrorText());
        }
    };
    step(mailer->Connect());
    step(mailer->SendMail(message));
    if (pLastReply != nullptr)
        *pLastReply = mailer->GetLastReply();
    step(mailer->Disconnect());
    return ok;
}

CSmtpEnvironment CSmtpEnvironment::FromProcess()
{
    CSmtpEnvironment environment;
    environment.m_sUser = Environment("TALLYFERN_SMTP_USER");
    environment.m_sPassword = Environment("TALLYFERN_SMTP_PASSWORD");
    environment.m_sCaFile = Environment("TALLYFERN_SMTP_CA_FILE");
    environment.m_sTraceFile = Environment("TALLYFERN_SMTP_TRACE");
    return environment;
}

std::string SmtpLoginName(const CSmtpEnvironment& environment, const std::string& strMailFrom)
{
    return environment.m_sUser.empty() ? strMailFrom : environment.m_sUser;
}

CSmtpRoute ChooseSmtpRoute(const std::string& strServer, unsigned nPlainPort,
                           const std::string& strLoginUser)
{
    CSmtpRoute route;
    if (!ParseSmtpServer(strServer, route.m_address, route.m_sReason)) {
        route.m_transport = CSmtpRoute::Transport::kBadSetting;
        return route;
    }
    if (!route.m_address.m_bPortNamed)
        route.m_address.m_nPort = nPlainPort;
    if (route.m_address.m_nPort == kSmtpTlsPort)
        route.m_transport = CSmtpRoute::Transport::kTls;
    else if (route.m_address.m_nPort == nPlainPort && strLoginUser.empty())
        route.m_transport = CSmtpRoute::Transport::kPlain;
    else
        route.m_transport = CSmtpRoute::Transport::kStartTls;
    return route;
}

AlertMailerFactory MakeSmtpAlertMailerFactory(const CSmtpAlertSettings& settings)
{
    return [settings](const std::string& strServer) -> std::unique_ptr<CAlertMailer> {
        CSmtpEnvironment environment =
            settings.m_environment.value_or(CSmtpEnvironment::FromProcess());
        CSmtpRoute route = ChooseSmtpRoute(strServer, settings.m_nPort, environment.m_sUser);
        switch (route.m_transport) {
        case CSmtpRoute::Transport::kBadSetting:
            return std::make_unique<CBadSettingMailer>(kBadSettingText + strServer +
                                                       "\": " + route.m_sReason);
        case CSmtpRoute::Transport::kPlain:
            // A host alone goes to the plain client exactly as typed, as it always has.
            return std::make_unique<CPlainMailer>(
                route.m_address.m_bPortNamed ? route.m_address.m_sHost : strServer,
                route.m_address.m_nPort, settings);
        case CSmtpRoute::Transport::kStartTls:
        case CSmtpRoute::Transport::kTls:
            break;
        }
        return std::make_unique<CSubmissionMailer>(route, settings, std::move(environment));
    };
}

AlertMailerFactory MakeSmtpAlertMailerFactory(SmtpPasswordLookup passwordLookup)
{
    CSmtpAlertSettings settings;
    settings.m_passwordLookup = std::move(passwordLookup);
    return MakeSmtpAlertMailerFactory(settings);
}
