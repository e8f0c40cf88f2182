// Who logs in where with the current mail settings: the server (HOST:PORT) and login name
// under which the mail password is kept in the keyring, for tfport mail login|logout and
// the pager preferences' "Set password…".
#pragma once

#include <string>

#include "engine/AlertMailer.h"

struct CMailLoginTarget
{
    enum class Problem {
        kNone,
        kBadSetting, // the server setting cannot be read (m_sReason says why)
        kNoServer,   // no server is set
        kNoUser,     // neither a sender address nor TALLYFERN_SMTP_USER
    };
    Problem m_problem = Problem::kNone;
    std::string m_sReason;
    std::string m_sServer;
    // The login name as the program holds it (Windows-1252), for the user's eyes.
    std::string m_sUser;
    // The same name in UTF-8, as the keyring keeps it.
    std::string m_sKeyringUser;
    // Plain SMTP on port 25: no login is made there.
    bool m_bPlain = false;
};

CMailLoginTarget MailLoginFor(const std::string& strSmtpServer, const std::string& strMailFrom,
                              const CSmtpEnvironment& environment);
