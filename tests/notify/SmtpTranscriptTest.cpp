// The transcript of a libcurl mail transfer: steps and codes from lines in any pieces, the
// reply to the message, and a trace that never shows what was sent while logging in.
#include "notify/SmtpTranscript.h"

#include <gtest/gtest.h>
#include <sstream>

using Step = CSmtpTranscript::Step;

TEST(SmtpTranscript, StepsCodesAndRepliesFromPieces)
{
    std::ostringstream trace;
    CSmtpTranscript t(&trace);
    EXPECT_EQ(t.LastStep(), Step::kGreeting);
    EXPECT_FALSE(t.SawGreeting());
    t.OnReceived("220 mail.example");
    EXPECT_FALSE(t.SawGreeting()); // no line end yet
    t.OnReceived(" ready\r\n");
    EXPECT_TRUE(t.SawGreeting());
    EXPECT_EQ(t.LastCode(), 220);

    t.OnSent("EHLO desk\r\n");
    EXPECT_EQ(t.LastCode(), 0);
    t.OnReceived("250-mail.example\r\n250-STARTTLS\r\n");
    EXPECT_EQ(t.LastCode(), 0); // the reply goes on
    t.OnReceived("250 HELP\r\n");
    EXPECT_EQ(t.LastStep(), Step::kEhlo);
    EXPECT_EQ(t.LastCode(), 250);
    EXPECT_EQ(t.LastReply(), "250-mail.example");

    t.OnSent("MAIL FROM:<a@example.test>\r\n");
    t.OnReceived("250 OK\r\n");
    t.OnSent("RCPT TO:<b@example.test>\r\n");
    t.OnReceived("550 no such user\r\n");
    t.OnSent("RCPT TO:<c@example.test>\r\n");
    t.OnReceived("250 OK\r\n");
    EXPECT_EQ(t.RecipientsTaken(), 1);
    EXPECT_EQ(t.RecipientsRefused(), 1);
    t.OnSent("DATA\r\n");
    t.OnReceived("354 go ahead\r\n");
    EXPECT_EQ(t.LastStep(), Step::kMessage);
    EXPECT_EQ(t.LastCode(), 0);
    EXPECT_EQ(t.MessageReply(), "");
    t.OnReceived("554 5.7.1 rejected\r\n");
    EXPECT_EQ(t.LastCode(), 554);
    EXPECT_EQ(t.MessageReply(), "554 5.7.1 rejected");

    // QUIT and its goodbye leave the verdict as it was.
    t.OnSent("QUIT\r\n");
    t.OnReceived("221 bye\r\n");
    EXPECT_EQ(t.LastStep(), Step::kMessage);
    EXPECT_EQ(t.LastCode(), 554);
    EXPECT_NE(trace.str().find("C: QUIT\nS: 221 bye\n"), std::string::npos) << trace.str();
}

TEST(SmtpTranscript, LoginDataNeverReachesTheTrace)
{
    std::ostringstream trace;
    CSmtpTranscript t(&trace);
    t.OnReceived("220 ready\r\n");
    t.OnSent("AUTH PLAIN AGRlc2sAc2VjcmV0\r\n");
    EXPECT_EQ(t.LastStep(), Step::kAuth);
    t.OnReceived("535 5.7.8 bad\r\n");
    EXPECT_EQ(t.LastCode(), 535);

    // AUTH LOGIN: the answers to 334 are the secrets, whatever they look like ("MAIL" is
    // valid base64 too).
    t.OnSent("AUTH LOGIN\r\n");
    t.OnReceived("334 VXNlcm5hbWU6\r\n");
    t.OnSent("ZGVzaw==\r\n");
    t.OnReceived("334 UGFzc3dvcmQ6\r\n");
    t.OnSent("MAIL\r\n");
    EXPECT_EQ(t.LastStep(), Step::kAuth);
    t.OnReceived("235 ok\r\n");
    t.OnSent("MAIL FROM:<a@example.test>\r\n");
    EXPECT_EQ(t.LastStep(), Step::kMail);

    const std::string text = trace.str();
    EXPECT_EQ(text.find("AGRlc2sAc2VjcmV0"), std::string::npos) << text;
    EXPECT_EQ(text.find("ZGVzaw=="), std::string::npos) << text;
    EXPECT_EQ(text.find("C: MAIL\n"), std::string::npos) << text;
    EXPECT_NE(text.find("C: AUTH PLAIN (login data)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("C: AUTH LOGIN\n"), std::string::npos) << text;
    EXPECT_NE(text.find("C: MAIL FROM:<a@example.test>\n"), std::string::npos) << text;

    // Control bytes from the server are shown as "?", and a long line is cut.
    t.OnReceived("250 \x1b[2J" + std::string(5000, 'x') + "\r\n");
    const std::string last = trace.str().substr(trace.str().rfind("S: "));
    EXPECT_EQ(last.substr(0, 8), "S: 250 ?");
    EXPECT_EQ(last.size(), 3 + CSmtpTranscript::kMaxKeptLine + 1);
    EXPECT_EQ(t.LastReply().size(), CSmtpTranscript::kMaxKeptLine);
}
