#include "engine/MailLogin.h"

#include "platform/text/Windows1252.h"

CMailLoginTarget MailLoginFor(const std::string& strSmtpServer, const std::string& strMailFrom,
                              const CSmtpEnvironment& environment)
{
    CMailLoginTarget target;
    CSmtpRoute route = ChooseSmtpRoute(strSmtpServer, kSmtpPort, environment.m_sUser);
    if (route.m_transport == CSmtpRoute::Transport::kBadSetting) {
        target.m_problem = CMailLoginTarget::Problem::kBadSetting;
        target.m_sReason = route.m_sReason;
        return target;
    }
    if (route.m_address.m_sHost.empty()) {
        target.m_problem = CMailLoginTarget::Problem::kNoServer;
        return target;
    }
    target.m_sServer = SmtpServerKey(route.m_address);
    target.m_sUser = SmtpLoginName(environment, strMailFrom);
    target.m_sKeyringUser = Windows1252ToUtf8(target.m_sUser);
    target.m_bPlain = route.m_transport == CSmtpRoute::Transport::kPlain;
    if (target.m_sUser.empty())
        target.m_problem = CMailLoginTarget::Problem::kNoUser;
    return target;
}
