// The submission transport against a scripted server that speaks no TLS: it must never go
// on in plain text, every wait is bounded, and a server it cannot reach or name fails as
// the plain client's does.
#include "notify/SmtpSubmission.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "tests/support/smtpserver/ScriptedSmtpServer.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Texts = std::vector<std::string>;

constexpr auto kServerDone = 5s;

CMailMessage Message()
{
    CMailMessage message;
    message.m_sFrom = "desk@example.test";
    message.AddMultipleRecipients("pager@example.test");
    message.m_sSubject = "Tallyfern test alert";
    message.m_sBody = "body";
    return message;
}

CSmtpSubmissionOptions Options(unsigned nPort)
{
    CSmtpSubmissionOptions options;
    options.m_sHost = "127.0.0.1";
    options.m_nPort = nPort;
    options.m_sUser = "desk@example.test";
    options.m_sPassword = "secret";
    options.m_connectTimeout = options.m_stallTimeout = 1s;
    return options;
}

Texts RunAll(CSmtpSubmission& client)
{
    CMailMessage message = Message();
    Texts texts;
    texts.push_back(client.Connect() ? "" : client.GetLastErrorText());
    texts.push_back(client.SendMail(message) ? "" : client.GetLastErrorText());
    texts.push_back(client.Disconnect() ? "" : client.GetLastErrorText());
    return texts;
}

} // namespace

TEST(SmtpSubmission, NoStartTlsOnOfferSendsNothingInPlainText)
{
    CScriptedSmtpServer server;
    ASSERT_TRUE(server.Start());
    CSmtpSubmission client(Options(server.Port()));
    EXPECT_EQ(RunAll(client), (Texts{"", "TLS: the server does not offer STARTTLS", ""}));
    ASSERT_TRUE(server.WaitForFinished(1, kServerDone));
    const std::string received = server.Received();
    EXPECT_EQ(received.rfind("EHLO ", 0), 0U) << received;
    EXPECT_EQ(received.find("MAIL"), std::string::npos) << received;
    EXPECT_EQ(received.find("AUTH"), std::string::npos) << received;
    EXPECT_EQ(received.find("secret"), std::string::npos) << received;

    // Offered, then refused.
    CSmtpScript refusing;
    refusing.m_helo = CScriptedReply::Text("250-test.invalid\r\n250 STARTTLS\r\n");
    refusing.m_unknown = CScriptedReply::Text("454 4.7.0 TLS not available\r\n");
    CScriptedSmtpServer refuser(refusing);
    ASSERT_TRUE(refuser.Start());
    CSmtpSubmission refused(Options(refuser.Port()));
    EXPECT_EQ(RunAll(refused), (Texts{"", "454:TLS: the server refused STARTTLS", ""}));
    ASSERT_TRUE(refuser.WaitForFinished(1, kServerDone));
    EXPECT_EQ(refuser.Received().find("MAIL"), std::string::npos);
}

TEST(SmtpSubmission, EveryWaitIsBounded)
{
    // A greeting trickled a byte every 100 ms never stalls; the conversation limit ends it.
    CSmtpScript trickling;
    trickling.m_greeting = CScriptedReply::Trickle(std::string(100, '2'), 100ms);
    CScriptedSmtpServer trickler(trickling);
    ASSERT_TRUE(trickler.Start());
    CSmtpSubmissionOptions options = Options(trickler.Port());
    // libcurl counts the greeting, EHLO and the login as part of connecting.
    options.m_connectTimeout = options.m_stallTimeout = 5s;
    options.m_conversationLimit = 1500ms;
    CSmtpSubmission client(options);
    auto start = Clock::now();
    EXPECT_EQ(RunAll(client), (Texts{"", "Server didn't respond.", ""}));
    EXPECT_GE(Clock::now() - start, 1400ms);
    EXPECT_LT(Clock::now() - start, 3s);

    // Silence after the greeting costs the stall time.
    CSmtpScript silent;
    silent.m_helo = CScriptedReply::Stall();
    CScriptedSmtpServer staller(silent);
    ASSERT_TRUE(staller.Start());
    CSmtpSubmission stalled(Options(staller.Port()));
    start = Clock::now();
    EXPECT_EQ(RunAll(stalled), (Texts{"", "SMTP server stopped answering (time-out)", ""}));
    EXPECT_LT(Clock::now() - start, 4s);
}

TEST(SmtpSubmission, ServersThatCannotBeReachedOrNamed)
{
    CSmtpSubmission nobody(Options(UnusedLoopbackPort()));
    EXPECT_EQ(RunAll(nobody), (Texts{"", "Unable to connect to server", ""}));

    // A host that would change the request's meaning never reaches libcurl.
    for (const char* host : {"user@127.0.0.1", "127.0.0.1/x", "", "evil\r\nhost"}) {
        CSmtpSubmissionOptions options = Options(25);
        options.m_sHost = host;
        CSmtpSubmission client(options);
        EXPECT_EQ(RunAll(client), (Texts{"Unable to connect to server", "Must be connected", ""}))
            << host;
    }

    CScriptedSmtpServer server;
    ASSERT_TRUE(server.Start());
    CSmtpSubmission client(Options(server.Port()));
    CMailMessage message = Message();
    EXPECT_FALSE(client.SendMail(message));
    EXPECT_EQ(client.GetLastErrorText(), "Must be connected");
    CMailMessage nobodyToTell = Message();
    nobodyToTell.m_aRecipients.clear();
    ASSERT_TRUE(client.Connect());
    EXPECT_FALSE(client.SendMail(nobodyToTell));
    EXPECT_EQ(client.GetLastErrorText(), "No Recipients");
    EXPECT_EQ(server.Connections(), 0);
}
