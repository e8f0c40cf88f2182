#include "engine/AlertMailer.h"

CSmtpAlertMailer::CSmtpAlertMailer(const std::string& strServer, const CSmtpAlertSettings& settings)
    : m_connection(strServer, settings.m_nPort)
{
    m_connection.SetTimeouts(settings.m_connectTimeout, settings.m_replyTimeout);
    if (settings.m_clock)
        m_connection.SetClock(settings.m_clock);
}

AlertMailerFactory MakeSmtpAlertMailerFactory(const CSmtpAlertSettings& settings)
{
    return [settings](const std::string& strServer) -> std::unique_ptr<CAlertMailer> {
        return std::make_unique<CSmtpAlertMailer>(strServer, settings);
    };
}
