// The choice of transport from the server setting and the environment, the password's way
// to the login, and the test message, against scripted servers.
#include "engine/AlertMailer.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "engine/TestMail.h"
#include "tests/support/smtpserver/ScriptedSmtpServer.h"

namespace {

using namespace std::chrono_literals;
using Transport = CSmtpRoute::Transport;
using Texts = std::vector<std::string>;

// 03/05/98 09:07:45 EST
constexpr std::time_t kMarch1998 = 889106865;
constexpr auto kServerDone = 5s;

Transport RouteOf(const std::string& server, const std::string& user = "")
{
    return ChooseSmtpRoute(server, kSmtpPort, user).m_transport;
}

CSmtpAlertSettings ShortWaits(CSmtpEnvironment environment = {})
{
    CSmtpAlertSettings settings;
    settings.m_connectTimeout = settings.m_replyTimeout = 2s;
    settings.m_clock = [] { return kMarch1998; };
    settings.m_environment = environment;
    return settings;
}

CBlotterSpace Settings(const std::string& server)
{
    CBlotterSpace doc;
    doc.m_strSmtpServer = server;
    doc.m_strMailFrom = "desk@example.test";
    doc.m_strPagerAddress = "pager@example.test";
    return doc;
}

} // namespace

TEST(AlertMailer, TheSettingAndTheLoginNameChooseTheTransport)
{
    EXPECT_EQ(RouteOf("mail.example.com"), Transport::kPlain);
    EXPECT_EQ(RouteOf("mail.example.com:25"), Transport::kPlain);
    EXPECT_EQ(RouteOf("[::1]:25"), Transport::kPlain);
    EXPECT_EQ(RouteOf("smtp.example.com:587"), Transport::kStartTls);
    EXPECT_EQ(RouteOf("127.0.0.1:2525"), Transport::kStartTls);
    EXPECT_EQ(RouteOf("[2001:db8::1]:587"), Transport::kStartTls);
    EXPECT_EQ(RouteOf("smtp.example.com:465"), Transport::kTls);
    // A login name makes port 25 a submission port too; 465 stays TLS.
    EXPECT_EQ(RouteOf("mail.example.com", "me"), Transport::kStartTls);
    EXPECT_EQ(RouteOf("mail.example.com:25", "me"), Transport::kStartTls);
    EXPECT_EQ(RouteOf("smtp.example.com:465", "me"), Transport::kTls);
    EXPECT_EQ(RouteOf("smtp.example.com:x"), Transport::kBadSetting);

    // A host alone goes to the plain port, which tests may move.
    CSmtpRoute moved = ChooseSmtpRoute("127.0.0.1", 2500, "");
    EXPECT_EQ(moved.m_transport, Transport::kPlain);
    EXPECT_EQ(moved.m_address.m_nPort, 2500U);
    EXPECT_EQ(ChooseSmtpRoute("127.0.0.1:2500", 2500, "").m_transport, Transport::kPlain);
    EXPECT_EQ(ChooseSmtpRoute("127.0.0.1:25", 2500, "").m_transport, Transport::kStartTls);
}

TEST(AlertMailer, RealMailersSpeakTheChosenTransport)
{
    CScriptedSmtpServer plain;
    ASSERT_TRUE(plain.Start());
    CSmtpAlertSettings settings = ShortWaits();
    settings.m_nPort = plain.Port();
    std::vector<std::string> lookups;
    settings.m_passwordLookup = [&](const std::string& server, const std::string& user) {
        lookups.push_back(server + " " + user);
        return std::optional<std::string>("from-the-keyring");
    };
    CTestMailResult sent =
        SendTestMail(Settings("127.0.0.1"), MakeSmtpAlertMailerFactory(settings), kMarch1998);
    EXPECT_TRUE(sent.m_bSent);
    EXPECT_EQ(sent.m_failures, Texts{});
    EXPECT_EQ(sent.m_sLastReply, "250 2.0.0 Ok: queued");
    ASSERT_TRUE(plain.WaitForFinished(1, kServerDone));
    EXPECT_EQ(plain.Received().rfind("HELO ", 0), 0U);
    ASSERT_EQ(plain.Messages().size(), 1U);
    const std::string message = plain.Messages()[0];
    EXPECT_NE(message.find("Subject: Tallyfern test alert\r\n"), std::string::npos) << message;
    EXPECT_NE(message.find("\r\n\r\nTallyfern test alert: pager alerts of this portfolio reach "
                           "this address. Sent on 03/05/98 at 09:07:45.\r\n"),
              std::string::npos)
        << message;
    EXPECT_TRUE(lookups.empty()); // no login on the plain path

    // Another port: STARTTLS, which this server lacks; the password is looked up for the
    // sender at HOST:PORT first, and nothing goes out in plain text.
    CScriptedSmtpServer submission;
    ASSERT_TRUE(submission.Start());
    const std::string server = "127.0.0.1:" + std::to_string(submission.Port());
    CTestMailResult refused =
        SendTestMail(Settings(server), MakeSmtpAlertMailerFactory(settings), kMarch1998);
    EXPECT_FALSE(refused.m_bSent);
    EXPECT_EQ(refused.m_failures, Texts{"TLS: the server does not offer STARTTLS"});
    EXPECT_EQ(lookups, Texts{server + " desk@example.test"});
    ASSERT_TRUE(submission.WaitForFinished(1, kServerDone));
    EXPECT_EQ(submission.Received().rfind("EHLO ", 0), 0U);
    EXPECT_EQ(submission.Received().find("MAIL"), std::string::npos);

    // The environment's login name goes to the keyring; its password spares the lookup.
    lookups.clear();
    CSmtpEnvironment named;
    named.m_sUser = "login-name";
    settings.m_environment = named;
    (void)SendTestMail(Settings(server), MakeSmtpAlertMailerFactory(settings), kMarch1998);
    EXPECT_EQ(lookups, Texts{server + " login-name"});
    named.m_sPassword = "from-the-environment";
    settings.m_environment = named;
    lookups.clear();
    (void)SendTestMail(Settings(server), MakeSmtpAlertMailerFactory(settings), kMarch1998);
    EXPECT_TRUE(lookups.empty());
}

TEST(AlertMailer, SettingsThatNameNoServer)
{
    AlertMailerFactory factory = MakeSmtpAlertMailerFactory(ShortWaits());
    CTestMailResult bad = SendTestMail(Settings("smtp.example.com:58 7"), factory, kMarch1998);
    EXPECT_EQ(
        bad.m_failures,
        (Texts{"Bad SMTP server setting \"smtp.example.com:58 7\": the port \"58 7\" is not a "
               "number from 1 to 65535",
               "Must be connected"}));
    CTestMailResult unsafe = SendTestMail(Settings("me@evil.test:587"), factory, kMarch1998);
    EXPECT_EQ(unsafe.m_failures, (Texts{"Unable to connect to server", "Must be connected"}));
    CTestMailResult none = SendTestMail(Settings("127.0.0.1"), nullptr, kMarch1998);
    EXPECT_EQ(none.m_failures, (Texts{"Unable to connect to server", "Must be connected"}));
    // The submission transport's whole conversation is the send: one failure, not two.
    CBlotterSpace nobody = Settings("127.0.0.1:" + std::to_string(UnusedLoopbackPort()));
    CTestMailResult unreachable = SendTestMail(nobody, factory, kMarch1998);
    EXPECT_EQ(unreachable.m_failures, Texts{"Unable to connect to server"});
}
