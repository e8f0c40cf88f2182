// The alert test: when it mails, what it mails, and the failure texts in their order,
// with a recording mailer and with the real client against a scripted server.
#include "engine/AlertTest.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/smtpserver/ScriptedSmtpServer.h"

namespace {

using namespace std::chrono_literals;
using Texts = std::vector<std::string>;

// 03/05/98 09:07:45 EST
constexpr std::time_t kMarch1998 = 889106865;

// Records every call, in order, into a log shared by all mailers of one factory.
class CRecordingMailer : public CAlertMailer
{
  public:
    struct Script
    {
        bool bConnect = true, bSend = true, bDisconnect = true;
    };
    CRecordingMailer(Texts& log, Script script) : m_log(log), m_script(script) {}
    bool Connect() override
    {
        return Step("connect", m_script.bConnect, "Unable to connect to server");
    }
    bool SendMail(CMailMessage& message) override
    {
        m_log.push_back("send " + message.m_sFrom + " | " +
                        message.m_aRecipients[0].m_sEmailAddress + " | " + message.m_sSubject +
                        " | " + message.m_sBody);
        if (!m_script.bConnect) {
            m_sLastError = "Must be connected";
            return false;
        }
        m_sLastError = m_script.bSend ? "OK" : "550:SMTP server error";
        return m_script.bSend;
    }
    bool Disconnect() override
    {
        return Step("disconnect", m_script.bDisconnect, "250:SMTP server didn't terminate session");
    }
    std::string GetLastErrorText() const override { return m_sLastError; }

  private:
    bool Step(const char* name, bool ok, const char* failure)
    {
        m_log.push_back(name);
        m_sLastError = ok ? "OK" : failure;
        return ok;
    }
    Texts& m_log;
    Script m_script;
    std::string m_sLastError = "OK";
};

struct Harness
{
    AlertOutcome Run(const TradeRecord& trade, double price, double change)
    {
        return RunAlertTest(trade, price, change, doc, kMarch1998, factory,
                            [this](const std::string& text) { failures.push_back(text); });
    }
    Harness()
    {
        doc.m_bPagerAlerts = 1;
        doc.m_nAlertPercent = 5;
        doc.m_strSmtpServer = "mail.example.test";
        doc.m_strMailFrom = "desk@example.test";
        doc.m_strPagerAddress = "pager@example.test";
        factory = [this](const std::string& server) {
            log.push_back("server " + server);
            return std::make_unique<CRecordingMailer>(log, script);
        };
    }
    CBlotterSpace doc;
    CRecordingMailer::Script script;
    AlertMailerFactory factory;
    Texts log;
    Texts failures;
};

TradeRecord Position(const char* symbol, double quantity, double purchasePrice)
{
    TradeRecord trade = MakeEmptyTrade();
    SetTradeSymbol(trade, symbol);
    trade.quantity = quantity;
    trade.price = purchasePrice;
    return trade;
}

const char* const kXyzBody =
    "Tallyfern Alert! XYZ position changed by 75.00 (6.3830%). Closing value was 1,175.00, "
    "now is 1,250.00. Purchased for 1,000.00 at 10.0000. Current price is 12.5000, changed by "
    "0.7500 (on 03/05/98 at 09:07:45).";

} // namespace

TEST(AlertTest, SendsOneMessagePerAlertingPositionInOrder)
{
    Harness h;
    EXPECT_EQ(h.Run(Position("XYZ", 100, 10), 12.5, 0.75), AlertOutcome::kSent);
    EXPECT_EQ(h.Run(Position("QUIET", 100, 10), 12.5, 0.5), AlertOutcome::kBelowThreshold);
    EXPECT_EQ(h.Run(Position("DOWN", 10, 30), 19, -1), AlertOutcome::kSent);
    EXPECT_TRUE(h.failures.empty());
    ASSERT_EQ(h.log.size(), 8U);
    EXPECT_EQ(h.log[0], "server mail.example.test");
    EXPECT_EQ(h.log[1], "connect");
    EXPECT_EQ(h.log[2],
              std::string("send desk@example.test | pager@example.test | "
                          "Tallyfern Alert! XYZ position changed by 75.00 (6.3830%). | ") +
                  kXyzBody);
    EXPECT_EQ(h.log[3], "disconnect");
    EXPECT_EQ(h.log[6].rfind("send desk@example.test | pager@example.test | Tallyfern Alert! DOWN "
                             "position changed by -10.00 (-5.0000%). | ",
                             0),
              0U);
}

TEST(AlertTest, WhenNothingIsSent)
{
    Harness h;
    TradeRecord wild = Position("WILD", 100, 10);
    h.doc.m_nAlertPercent = 0;
    EXPECT_EQ(h.Run(wild, 50, 40), AlertOutcome::kOff);
    h.doc.m_nAlertPercent = 5;
    for (int flag : {0, 2, -1}) {
        h.doc.m_bPagerAlerts = flag;
        EXPECT_EQ(h.Run(wild, 50, 40), AlertOutcome::kOff);
    }
    h.doc.m_bPagerAlerts = 1;
    h.doc.m_nAlertPercent = 1;
    EXPECT_EQ(h.Run(wild, 12.5, 0), AlertOutcome::kBelowThreshold);    // no change
    EXPECT_EQ(h.Run(wild, 12.5, 12.5), AlertOutcome::kBelowThreshold); // closing value 0
    EXPECT_TRUE(h.log.empty());
    EXPECT_TRUE(h.failures.empty());
}

TEST(AlertTest, FailureTextsInTheirOrder)
{
    Harness unreachable;
    unreachable.script.bConnect = false;
    EXPECT_EQ(unreachable.Run(Position("XYZ", 100, 10), 12.5, 0.75), AlertOutcome::kFailed);
    EXPECT_EQ(unreachable.failures, (Texts{"Unable to connect to server", "Must be connected"}));

    Harness allFail;
    allFail.script = {true, false, false};
    EXPECT_EQ(allFail.Run(Position("XYZ", 100, 10), 12.5, 0.75), AlertOutcome::kFailed);
    EXPECT_EQ(allFail.failures,
              (Texts{"550:SMTP server error", "250:SMTP server didn't terminate session"}));

    Harness noFactory;
    noFactory.factory = nullptr;
    EXPECT_EQ(noFactory.Run(Position("XYZ", 100, 10), 12.5, 0.75), AlertOutcome::kFailed);
    EXPECT_EQ(noFactory.failures, (Texts{"Unable to connect to server", "Must be connected"}));
}

TEST(AlertTest, RealClientDialogue)
{
    CScriptedSmtpServer server;
    ASSERT_TRUE(server.Start());
    CSmtpAlertSettings settings;
    settings.m_nPort = server.Port();
    settings.m_connectTimeout = settings.m_replyTimeout = 500ms;
    settings.m_clock = [] { return kMarch1998; };

    Harness h;
    h.doc.m_strSmtpServer = "127.0.0.1";
    h.doc.m_strPagerAddress = "Pager <pager@example.test>;boss@example.test";
    h.factory = MakeSmtpAlertMailerFactory(settings);
    // A symbol from a handheld can hold a line break; it must not make a header of its own.
    EXPECT_EQ(h.Run(Position("XYZ", 100, 10), 12.5, 0.75), AlertOutcome::kSent);
    EXPECT_EQ(h.Run(Position("A\r\nBcc: x", 100, 10), 12.5, 0.75), AlertOutcome::kSent);
    EXPECT_TRUE(h.failures.empty());
    ASSERT_TRUE(server.WaitForFinished(2, 5s));

    char host[80];
    std::string hostName = CSocket::GetLocalHostName(host, sizeof(host)) ? host : "localhost";
    std::string first = "HELO " + hostName +
                        "\r\n"
                        "MAIL From: <desk@example.test>\r\n"
                        "RCPT TO: <pager@example.test>\r\n"
                        "RCPT TO: <boss@example.test>\r\n"
                        "DATA\r\n"
                        "Date: Thu, 05 Mar 98 09:07:45 EST\r\n"
                        "From: desk@example.test\r\n"
                        "To: Pager <pager@example.test>,<boss@example.test>\r\n"
                        "Subject: Tallyfern Alert! XYZ position changed by 75.00 (6.3830%).\r\n"
                        "X-Mailer: <RD Mail>\r\n"
                        "\r\n" +
                        kXyzBody +
                        "\r\n"
                        ".\r\n"
                        "QUIT\r\n";
    std::string received = server.Received();
    ASSERT_GE(received.size(), first.size());
    EXPECT_EQ(received.substr(0, first.size()), first);
    EXPECT_NE(received.find("Subject: Tallyfern Alert! A  Bcc: x position changed by"),
              std::string::npos);
    auto messages = server.Messages();
    ASSERT_EQ(messages.size(), 2U);
    std::string header = messages[1].substr(0, messages[1].find("\r\n\r\n") + 2);
    EXPECT_EQ(header.find("\r\nBcc:"), std::string::npos) << header;
    EXPECT_NE(header.find("\r\nSubject: Tallyfern Alert! A  Bcc: x position"), std::string::npos);

    Harness nobody;
    nobody.doc.m_strSmtpServer = "127.0.0.1";
    settings.m_nPort = UnusedLoopbackPort();
    nobody.factory = MakeSmtpAlertMailerFactory(settings);
    EXPECT_EQ(nobody.Run(Position("XYZ", 100, 10), 12.5, 0.75), AlertOutcome::kFailed);
    EXPECT_EQ(nobody.failures, (Texts{"Unable to connect to server", "Must be connected"}));
}
