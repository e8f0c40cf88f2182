// The test message of "tfport mail test" and the pager preferences' "Send test": one mail
// to the pager address with the current settings, through the transport an alert would take.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "engine/AlertMailer.h"
#include "model/BlotterSpace.h"

// The subject of the test message.
constexpr const char* kTestMailSubject = "Tallyfern test alert";

struct CTestMailResult
{
    bool m_bSent = false;
    // The failure text of each failed step, in the order connect, send, disconnect.
    std::vector<std::string> m_failures;
    // Untrusted: the first line of the server's reply to the message.
    std::string m_sLastReply;
};

// Sends the test message from the document's sender to its pager address through the
// mailer made for its SMTP server; now dates the body.
CTestMailResult SendTestMail(const CBlotterSpace& doc, const AlertMailerFactory& makeMailer,
                             std::time_t now);
