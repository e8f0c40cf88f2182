#include "engine/TestMail.h"

#include "engine/AlertTexts.h"

CTestMailResult SendTestMail(const CBlotterSpace& doc, const AlertMailerFactory& makeMailer,
                             std::time_t now)
{
    CMailMessage message;
    message.m_sFrom = doc.m_strMailFrom;
    // A malformed piece keeps the recipients before it, as for an alert.
    (void)message.AddMultipleRecipients(doc.m_strPagerAddress);
    message.m_sSubject = kTestMailSubject;
    message.m_sBody = std::string(kTestMailSubject) +
                      ": pager alerts of this portfolio reach this address. Sent on " +
                      AlertDateText(now) + " at " + AlertTimeText(now) + ".";

    CTestMailResult result;
    result.m_bSent = SendThroughMailer(
        makeMailer, doc.m_strSmtpServer, message,
        [&](const std::string& text) { result.m_failures.push_back(text); }, &result.m_sLastReply);
    return result;
}
