// The SMTP dialogue against a scripted server: the bytes sent, every failure text, and
// that no step waits longer than its time-out.
#include "notify/SmtpConnection.h"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tests/support/smtpserver/ScriptedSmtpServer.h"

namespace {

using namespace std::chrono_literals;
using Texts = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

// Tue, 08 Dec 26 12:56:16 EST
constexpr std::time_t kFixedTime = 1796752576;
constexpr auto kShortWait = 300ms;
constexpr auto kServerDone = 5s;

std::string LocalHostName()
{
    char name[80];
    return CSocket::GetLocalHostName(name, sizeof(name)) ? name : "localhost";
}

CMailMessage AlertMessage(const std::string& recipients = "pager@example.test")
{
    CMailMessage message;
    message.m_sFrom = "alerts@example.test";
    message.AddMultipleRecipients(recipients);
    message.m_sSubject = "Tallyfern Alert! XYZ position changed by 75.00 (6.3830%).";
    message.m_sBody = "Line one\r\n.\r\n.hidden dot\r\nlast";
    return message;
}

// A scripted server and a client for it with short waits and a fixed clock.
struct Session
{
    explicit Session(CSmtpScript script = {}, unsigned port = 0) : server(std::move(script))
    {
        EXPECT_TRUE(server.Start());
        client = std::make_unique<CSmtpConnection>("127.0.0.1", port ? port : server.Port());
        client->SetTimeouts(kShortWait, kShortWait);
        client->SetClock([] { return kFixedTime; });
    }
    // Connect, send and disconnect, each called whatever the one before returned; the
    // failure text of each ("" when it succeeded).
    Texts RunAll(CMailMessage message = AlertMessage())
    {
        Texts texts;
        texts.push_back(client->Connect() ? "" : client->GetLastErrorText());
        texts.push_back(client->SendMail(message) ? "" : client->GetLastErrorText());
        texts.push_back(client->Disconnect() ? "" : client->GetLastErrorText());
        return texts;
    }
    CScriptedSmtpServer server;
    std::unique_ptr<CSmtpConnection> client;
};

Session WithReply(CScriptedReply CSmtpScript::*step, const std::string& text)
{
    CSmtpScript script;
    script.*step = CScriptedReply::Text(text);
    return Session(script);
}

} // namespace

TEST(SmtpConnection, WholeDialogueByteForByte)
{
    Session s;
    EXPECT_EQ(s.client->GetLastErrorText(), "OK");
    EXPECT_EQ(s.client->GetHost(), "127.0.0.1");

    CMailMessage message = AlertMessage();
    ASSERT_TRUE(s.client->Connect());
    EXPECT_TRUE(s.client->Connect()); // already connected: nothing more is sent
    ASSERT_TRUE(s.client->SendMail(message));
    ASSERT_TRUE(s.client->Disconnect());
    EXPECT_TRUE(s.client->Disconnect()); // already closed: nothing is sent
    ASSERT_TRUE(s.server.WaitForFinished(1, kServerDone));

    const std::string header = "Date: Tue, 08 Dec 26 12:56:16 EST\r\n"
                               "From: alerts@example.test\r\n"
                               "To: <pager@example.test>\r\n"
                               "Subject: Tallyfern Alert! XYZ position changed by 75.00 "
                               "(6.3830%).\r\n"
                               "X-Mailer: <RD Mail>\r\n"
                               "\r\n";
    EXPECT_EQ(message.m_sHeader, header);
    EXPECT_EQ(message.m_tDateTime, kFixedTime);
    EXPECT_EQ(message.m_sBody, "Line one\r\n.\r\n.hidden dot\r\nlast\r\n");
    // Every line that starts with "." is stuffed, so the server gives back the body whole.
    const std::string stuffed = "Line one\r\n..\r\n..hidden dot\r\nlast\r\n";
    EXPECT_EQ(s.server.Received(), "HELO " + LocalHostName() +
                                       "\r\n"
                                       "MAIL From: <alerts@example.test>\r\n"
                                       "RCPT TO: <pager@example.test>\r\n"
                                       "DATA\r\n" +
                                       header + stuffed +
                                       ".\r\n"
                                       "QUIT\r\n");
    EXPECT_EQ(s.server.Messages(), Texts{header + stuffed});
}

TEST(SmtpConnection, RepliesOtherThanExpected)
{
    Session greeting = WithReply(&CSmtpScript::m_greeting, "421 test.invalid busy\r\n");
    EXPECT_EQ(greeting.RunAll(), (Texts{"Server didn't respond.", "Must be connected", ""}));

    Session helo = WithReply(&CSmtpScript::m_helo, "501 5.5.4 Syntax\r\n");
    EXPECT_EQ(helo.RunAll(), (Texts{"501:SMTP server error", "Must be connected", ""}));

    Session mail = WithReply(&CSmtpScript::m_mail, "550 5.7.1 Refused\r\n");
    EXPECT_EQ(mail.RunAll(), (Texts{"", "550:SMTP server error", ""}));

    Session data = WithReply(&CSmtpScript::m_data, "451 4.3.0 Try later\r\n");
    EXPECT_EQ(data.RunAll(), (Texts{"", "451:SMTP server not ready for data", ""}));
    ASSERT_TRUE(data.server.WaitForFinished(1, kServerDone));
    EXPECT_EQ(data.server.Received().find("Subject:"), std::string::npos);

    Session end = WithReply(&CSmtpScript::m_endOfData, "554 5.7.1 Rejected\r\n");
    EXPECT_EQ(end.RunAll(), (Texts{"", "554:SMTP server error", ""}));

    Session quit = WithReply(&CSmtpScript::m_quit, "250 2.0.0 Ok\r\n");
    EXPECT_EQ(quit.RunAll(), (Texts{"", "", "250:SMTP server didn't terminate session"}));
    EXPECT_FALSE(quit.client->IsConnected()); // closed whatever the server said

    // Not three digits, or fewer than three bytes: a failure of the expected kind.
    Session garbage = WithReply(&CSmtpScript::m_mail, "hello there\r\n");
    EXPECT_EQ(garbage.RunAll(), (Texts{"", "0:SMTP server error", ""}));
    Session shortReply = WithReply(&CSmtpScript::m_data, "35\r\n");
    EXPECT_EQ(shortReply.RunAll(), (Texts{"", "0:SMTP server not ready for data", ""}));
}

TEST(SmtpConnection, RefusedRecipientDoesNotStopTheMessage)
{
    CSmtpScript script;
    script.m_rcpt = {CScriptedReply::Text("550 5.1.1 No such user\r\n")};
    Session s(script);
    EXPECT_EQ(s.RunAll(AlertMessage("gone@example.test;pager@example.test")), (Texts{"", "", ""}));
    ASSERT_TRUE(s.server.WaitForFinished(1, kServerDone));
    std::string received = s.server.Received();
    EXPECT_NE(received.find("RCPT TO: <gone@example.test>\r\nRCPT TO: <pager@example.test>\r\n"),
              std::string::npos);
    EXPECT_EQ(s.server.Messages().size(), 1U);
}

TEST(SmtpConnection, MultiLineRepliesInPiecesAreReadWhole)
{
    CSmtpScript script;
    script.m_greeting = CScriptedReply::Pieces(
        {"220-test.invalid first line\r\n", "220-second", " line\r\n", "220 ready\r\n"});
    script.m_helo = CScriptedReply::Pieces({"250-test.invalid\r\n", "250 PIPELINING\r\n"});
    Session s(script);
    EXPECT_EQ(s.RunAll(), (Texts{"", "", ""}));
    ASSERT_TRUE(s.server.WaitForFinished(1, kServerDone));
    EXPECT_EQ(s.server.Messages().size(), 1U);
}

TEST(SmtpConnection, ServerThatHangsUp)
{
    CSmtpScript beforeGreeting;
    beforeGreeting.m_greeting = CScriptedReply::Close();
    EXPECT_EQ(Session(beforeGreeting).RunAll(),
              (Texts{"Server didn't respond.", "Must be connected", ""}));

    CSmtpScript afterMail;
    afterMail.m_mail = CScriptedReply::Close();
    Session s(afterMail);
    Texts texts = s.RunAll();
    EXPECT_EQ(texts[0], "");
    EXPECT_EQ(texts[1], "0:SMTP server error");
    // QUIT goes to a closed connection: either the close or the reset is seen.
    EXPECT_TRUE(texts[2] == "0:SMTP server didn't terminate session" || texts[2] == "Socket Error")
        << texts[2];
    EXPECT_FALSE(s.client->IsConnected());
}

TEST(SmtpConnection, StallingServerCostsOnlyTheTimeouts)
{
    CSmtpScript greeting;
    greeting.m_greeting = CScriptedReply::Stall();
    Session g(greeting);
    auto start = Clock::now();
    EXPECT_EQ(g.RunAll(), (Texts{"Server didn't respond.", "Must be connected", ""}));
    EXPECT_LT(Clock::now() - start, 3s);

    CSmtpScript data;
    data.m_data = CScriptedReply::Stall();
    Session d(data);
    start = Clock::now();
    EXPECT_EQ(d.RunAll(), (Texts{"", "Socket Error", "Socket Error"}));
    EXPECT_LT(Clock::now() - start, 3s);
}

TEST(SmtpConnection, TricklingServerIsBoundedByTheConversationLimit)
{
    // One byte every 100 ms keeps restarting the 300 ms reply wait; only the limit on the
    // whole conversation ends it, and no QUIT is said (or waited for) after the time-out.
    constexpr auto kLimit = 1200ms;
    CSmtpScript greeting;
    greeting.m_greeting = CScriptedReply::Trickle(std::string(200, '2'), 100ms);
    Session g(greeting);
    g.client->SetConversationLimit(kLimit);
    auto start = Clock::now();
    EXPECT_EQ(g.RunAll(), (Texts{"Server didn't respond.", "Must be connected", ""}));
    EXPECT_GE(Clock::now() - start, kLimit - 100ms);
    EXPECT_LT(Clock::now() - start, kLimit + 1s);

    CSmtpScript mail;
    mail.m_mail = CScriptedReply::Trickle("250-" + std::string(200, 'x') + "\r\n", 100ms);
    Session m(mail);
    m.client->SetConversationLimit(kLimit);
    start = Clock::now();
    EXPECT_EQ(m.RunAll(), (Texts{"", "Socket Error", "Socket Error"}));
    EXPECT_LT(Clock::now() - start, kLimit + 1s);
    EXPECT_FALSE(m.client->IsConnected());
    m.server.Stop();
    EXPECT_EQ(m.server.Received().find("QUIT"), std::string::npos) << m.server.Received();

    // A reply wait that ran out (not the limit) is not followed by QUIT either.
    CSmtpScript data;
    data.m_data = CScriptedReply::Stall();
    Session d(data);
    EXPECT_EQ(d.RunAll(), (Texts{"", "Socket Error", "Socket Error"}));
    d.server.Stop();
    EXPECT_EQ(d.server.Received().find("QUIT"), std::string::npos);

    // The limit counts from each Connect: a second conversation gets a whole one again.
    Session again;
    again.client->SetConversationLimit(kLimit);
    EXPECT_EQ(again.RunAll(), (Texts{"", "", ""}));
    std::this_thread::sleep_for(kLimit);
    EXPECT_EQ(again.RunAll(), (Texts{"", "", ""}));
}

TEST(SmtpConnection, NothingListening)
{
    CSmtpConnection client("127.0.0.1", UnusedLoopbackPort());
    client.SetTimeouts(kShortWait, kShortWait);
    CMailMessage message = AlertMessage();
    EXPECT_FALSE(client.Connect());
    EXPECT_EQ(client.GetLastErrorText(), "Unable to connect to server");
    EXPECT_FALSE(client.SendMail(message));
    EXPECT_EQ(client.GetLastErrorText(), "Must be connected");
    EXPECT_TRUE(client.Disconnect());

    CSmtpConnection unnamed("", kSmtpPort);
    EXPECT_FALSE(unnamed.Connect());
    EXPECT_EQ(unnamed.GetLastErrorText(), "Unable to connect to server");
}

TEST(SmtpConnection, NoSocketToBeHad)
{
    // With descriptors to spare the socket is made and only the connection fails. (This first
    // attempt also lets UndefinedBehaviorSanitizer see the classes involved while it can still
    // open the pipe its type check needs.)
    CSmtpConnection client("", kSmtpPort);
    EXPECT_FALSE(client.Connect());
    EXPECT_EQ(client.GetLastErrorText(), "Unable to connect to server");

    // Every descriptor the process may have is taken for the attempt and given back after it.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit lowered{64, saved.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
    std::vector<int> taken;
    int source = open("/dev/null", O_RDONLY | O_CLOEXEC);
    for (int fd = source; fd >= 0; fd = dup(source))
        taken.push_back(fd);
    bool connected = client.Connect();
    std::string error = client.GetLastErrorText();
    for (int fd : taken)
        close(fd);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);

    EXPECT_FALSE(taken.empty());
    EXPECT_FALSE(connected);
    EXPECT_EQ(error, "Unable to create the socket.");
}

TEST(SmtpConnection, NoRecipientsSendsNothingAfterHelo)
{
    Session s;
    CMailMessage message = AlertMessage("");
    message.m_aRecipients.clear();
    EXPECT_EQ(s.RunAll(message), (Texts{"", "No Recipients", ""}));
    ASSERT_TRUE(s.server.WaitForFinished(1, kServerDone));
    EXPECT_EQ(s.server.Received(), "HELO " + LocalHostName() + "\r\nQUIT\r\n");
}

TEST(SmtpConnection, LineBreaksInTextsNeverStartALineOfTheirOwn)
{
    Session s;
    CMailMessage message;
    message.m_sFrom = "a@example.test\r\nRCPT TO: <from@evil.test>";
    message.AddMultipleRecipients(
        "p@example.test\r\nDATA\nBcc: to@evil.test;Name\r\n<q@ex\rample.test>");
    constexpr char kSubject[] = "XYZ\r\nBcc: subject@evil.test\n\r\n.\r\nQUIT\0x";
    message.m_sSubject = std::string(kSubject, sizeof(kSubject) - 1);
    message.m_sBody = "body\n.\nMAIL From: <body@evil.test>\r";
    EXPECT_EQ(s.RunAll(message), (Texts{"", "", ""}));
    ASSERT_TRUE(s.server.WaitForFinished(1, kServerDone));

    std::string received = s.server.Received();
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < received.size();) {
        std::size_t end = received.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        lines.push_back(received.substr(start, end - start));
        start = end + 2;
    }
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find_first_of(std::string("\r\n\0", 3)), std::string::npos) << line;
        EXPECT_NE(line.rfind("Bcc:", 0), 0U) << line;
    }
    EXPECT_EQ(lines[1], "MAIL From: <a@example.testRCPT TO: <from@evil.test>>");
    EXPECT_EQ(lines[2], "RCPT TO: <p@example.testDATABcc: to@evil.test>");
    EXPECT_EQ(lines[3], "RCPT TO: <q@example.test>");
    EXPECT_EQ(lines[4], "DATA");
    EXPECT_EQ(lines[6], "From: a@example.test  RCPT TO: <from@evil.test>");
    EXPECT_EQ(lines[7], "To: <p@example.test  DATA Bcc: to@evil.test>,Name  <q@ex ample.test>");
    EXPECT_EQ(lines[8], std::string("Subject: XYZ  Bcc: subject@evil.test   .  QUIT x"));
    // The body's lone line ends became CR LF, its "." line was stuffed, and the message
    // ends where the client ended it.
    EXPECT_EQ(lines[11], "body");
    EXPECT_EQ(lines[12], "..");
    EXPECT_EQ(lines[13], "MAIL From: <body@evil.test>");
    EXPECT_EQ(lines[14], ""); // the lone CR at the end, then the CR LF the client added
    EXPECT_EQ(lines[15], ".");
    EXPECT_EQ(lines[16], "QUIT");
    EXPECT_EQ(lines.size(), 17U);
    EXPECT_EQ(s.server.Messages().size(), 1U);
}

TEST(SmtpConnection, DestructorSaysQuit)
{
    Session s;
    ASSERT_TRUE(s.client->Connect());
    s.client.reset();
    ASSERT_TRUE(s.server.WaitForFinished(1, kServerDone));
    std::string received = s.server.Received();
    EXPECT_EQ(received.substr(received.size() - 6), "QUIT\r\n");
}

TEST(SmtpConnection, SendingAgainRebuildsTheHeaderAndReconnectWorks)
{
    Session s;
    std::time_t now = kFixedTime;
    s.client->SetClock([&now] { return now++; });
    CMailMessage message = AlertMessage();
    ASSERT_TRUE(s.client->Connect());
    ASSERT_TRUE(s.client->SendMail(message));
    ASSERT_TRUE(s.client->SendMail(message));
    EXPECT_EQ(message.m_tDateTime, kFixedTime + 1);
    EXPECT_EQ(message.m_sBody, "Line one\r\n.\r\n.hidden dot\r\nlast\r\n"); // one CR LF added
    ASSERT_TRUE(s.client->Disconnect());
    ASSERT_TRUE(s.client->Connect());
    ASSERT_TRUE(s.client->Disconnect());
    ASSERT_TRUE(s.server.WaitForFinished(2, kServerDone));
    auto messages = s.server.Messages();
    ASSERT_EQ(messages.size(), 2U);
    EXPECT_NE(messages[0].find("12:56:16 EST"), std::string::npos);
    EXPECT_NE(messages[1].find("12:56:17 EST"), std::string::npos);
    EXPECT_EQ(messages[0].substr(messages[0].find("\r\n\r\n")),
              messages[1].substr(messages[1].find("\r\n\r\n")));
}
