// The submission transport against a real mail server: Debian's aiosmtpd with STARTTLS or
// TLS from the first byte and a login, certificates made for the test with openssl. What
// arrives is read back with Python's email parser and compared with what the plain client
// delivers for the same message.
#include <chrono>
#include <gtest/gtest.h>
#include <string>

#include "notify/SmtpConnection.h"
#include "notify/SmtpSubmission.h"
#include "tests/support/mailsink/MailSink.h"
#include "tests/support/tempdir/TempDir.h"

namespace {

using namespace std::chrono_literals;
using tf::test::CMailSink;
using tf::test::SMailSinkOptions;
using Tls = SMailSinkOptions::Tls;

constexpr auto kDeliveryLimit = 10s;
// 03/05/98 09:07:45 EST
constexpr std::time_t kMarch1998 = 889106865;
constexpr const char* kUser = "desk@example.test";
constexpr const char* kPassword = "Tr1ckle-Fern&Secret";

CMailMessage AlertMessage()
{
    CMailMessage message;
    message.m_sFrom = "desk@example.test";
    message.AddMultipleRecipients("Pager <pager@example.test>;second@example.test");
    message.m_sSubject = "Tallyfern Alert! XYZ position changed by 75.00 (6.3830%).";
    message.m_sBody = "Tallyfern Alert! XYZ position changed by 75.00 (6.3830%). Closing value "
                      "was 1,175.00.\r\n.\r\n..two\r\n.three\r\nlast";
    return message;
}

class SubmissionInterop : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(tf::test::MakeMailCertificates(m_dir.Path(), m_certs, error)) << error;
    }

    // A server in a folder of its own; the test fails when it cannot be started.
    void StartSink(CMailSink& sink, Tls tls, bool bLogin = true, bool bWrongName = false)
    {
        SMailSinkOptions options;
        options.tls = tls;
        options.strCertFile = bWrongName ? m_certs.strWrongNameCertFile : m_certs.strCertFile;
        options.strKeyFile = bWrongName ? m_certs.strWrongNameKeyFile : m_certs.strKeyFile;
        if (bLogin) {
            options.strUser = kUser;
            options.strPassword = kPassword;
        }
        std::filesystem::path dir = m_dir / ("sink" + std::to_string(++m_nSinks));
        std::filesystem::create_directories(dir);
        std::string error;
        ASSERT_TRUE(sink.Start(dir, options, error)) << error;
    }

    CSmtpSubmissionOptions Options(const CMailSink& sink, unsigned nPortOverride = 0)
    {
        CSmtpSubmissionOptions options;
        options.m_sHost = "127.0.0.1";
        options.m_nPort = nPortOverride ? nPortOverride : static_cast<unsigned>(sink.Port());
        options.m_sUser = kUser;
        options.m_sPassword = kPassword;
        options.m_sCaFile = m_certs.strCaFile;
        options.m_sTraceFile = m_dir.File("trace.txt");
        options.m_connectTimeout = options.m_stallTimeout = 5s;
        options.m_clock = [] { return kMarch1998; };
        return options;
    }

    // Connect, send and disconnect; the failure text of each ("" when it succeeded).
    static std::vector<std::string> RunAll(CSmtpSubmission& client, CMailMessage message)
    {
        std::vector<std::string> texts;
        texts.push_back(client.Connect() ? "" : client.GetLastErrorText());
        texts.push_back(client.SendMail(message) ? "" : client.GetLastErrorText());
        texts.push_back(client.Disconnect() ? "" : client.GetLastErrorText());
        return texts;
    }

    tf::test::CTempDir m_dir{"tf-submission"};
    tf::test::SMailCertificates m_certs;
    int m_nSinks = 0;
};

using Texts = std::vector<std::string>;

} // namespace

TEST_F(SubmissionInterop, StartTlsWithLoginDeliversWhatThePlainClientDelivers)
{
    CMailSink plain;
    StartSink(plain, Tls::kNone, false);
    CMailSink submission;
    StartSink(submission, Tls::kStartTls);

    CSmtpConnection plainClient("127.0.0.1", static_cast<unsigned>(plain.Port()));
    plainClient.SetClock([] { return kMarch1998; });
    CMailMessage plainMessage = AlertMessage();
    ASSERT_TRUE(plainClient.Connect()) << plainClient.GetLastErrorText();
    ASSERT_TRUE(plainClient.SendMail(plainMessage)) << plainClient.GetLastErrorText();
    ASSERT_TRUE(plainClient.Disconnect());

    CSmtpSubmission client(Options(submission));
    CMailMessage message = AlertMessage();
    EXPECT_EQ(RunAll(client, message), (Texts{"", "", ""}));
    EXPECT_EQ(client.GetLastReply().substr(0, 4), "250 ") << client.GetLastReply();

    ASSERT_TRUE(plain.WaitForMessages(1, kDeliveryLimit)) << plain.Log();
    ASSERT_TRUE(submission.WaitForMessages(1, kDeliveryLimit)) << submission.Log();
    auto expected = plain.ParsedMessages();
    auto got = submission.ParsedMessages();
    ASSERT_EQ(expected.size(), 1U);
    ASSERT_EQ(got.size(), 1U);
    EXPECT_EQ(got[0], expected[0]);
    EXPECT_EQ(got[0]["From"], "desk@example.test");
    EXPECT_EQ(got[0]["To"], "Pager <pager@example.test>,<second@example.test>");
    EXPECT_EQ(got[0]["Date"], "Thu, 05 Mar 98 09:07:45 EST");
    EXPECT_EQ(got[0]["X-Mailer"], "<RD Mail>");
    EXPECT_EQ(got[0]["X-RcptTo"], "pager@example.test, second@example.test");
    EXPECT_EQ(got[0]["Body"], "Tallyfern Alert! XYZ position changed by 75.00 (6.3830%). "
                              "Closing value was 1,175.00.\n.\n..two\n.three\nlast\n");

    // The transcript shows the dialogue went through STARTTLS and a login, but not the login.
    std::string trace = tf::test::ReadFileBytes(m_dir / "trace.txt");
    EXPECT_NE(trace.find("C: STARTTLS"), std::string::npos) << trace;
    EXPECT_NE(trace.find("S: 235"), std::string::npos) << trace;
    EXPECT_EQ(trace.find(kPassword), std::string::npos);
    EXPECT_EQ(trace.find("AHUA"), std::string::npos); // no base64 login line either
}

TEST_F(SubmissionInterop, TlsFromTheFirstByte)
{
    CMailSink sink;
    StartSink(sink, Tls::kSmtps);
    CSmtpSubmissionOptions options = Options(sink);
    options.m_security = CSmtpSubmissionOptions::Security::kTls;
    CSmtpSubmission client(options);
    EXPECT_EQ(RunAll(client, AlertMessage()), (Texts{"", "", ""}));
    ASSERT_TRUE(sink.WaitForMessages(1, kDeliveryLimit)) << sink.Log();
    EXPECT_EQ(sink.ParsedMessages().at(0)["Subject"], AlertMessage().m_sSubject);
    std::string trace = tf::test::ReadFileBytes(m_dir / "trace.txt");
    EXPECT_EQ(trace.find("STARTTLS"), std::string::npos) << trace;
    EXPECT_EQ(trace.find(kPassword), std::string::npos);
}

TEST_F(SubmissionInterop, RefusalsSayWhatFailed)
{
    // No STARTTLS on offer: nothing is sent in plain text, not even the sender.
    CMailSink plain;
    StartSink(plain, Tls::kNone, false);
    CSmtpSubmission noTls(Options(plain));
    EXPECT_EQ(RunAll(noTls, AlertMessage()),
              (Texts{"", "TLS: the server does not offer STARTTLS", ""}));
    std::string trace = tf::test::ReadFileBytes(m_dir / "trace.txt");
    EXPECT_EQ(trace.find("MAIL"), std::string::npos) << trace;
    EXPECT_EQ(trace.find("AUTH"), std::string::npos) << trace;

    CMailSink sink;
    StartSink(sink, Tls::kStartTls);
    CSmtpSubmissionOptions wrong = Options(sink);
    wrong.m_sPassword = "not-the-password";
    CSmtpSubmission wrongPassword(wrong);
    EXPECT_EQ(RunAll(wrongPassword, AlertMessage()), (Texts{"", "535:login refused", ""}));

    // The server wants a login and none was made.
    CSmtpSubmissionOptions none = Options(sink);
    none.m_sPassword.clear();
    CSmtpSubmission noPassword(none);
    EXPECT_EQ(RunAll(noPassword, AlertMessage())[1],
              "530:login required, and no password is stored for desk@example.test at "
              "127.0.0.1:" +
                  std::to_string(sink.Port()));

    // The system's store does not know the test's CA.
    CSmtpSubmissionOptions systemOnly = Options(sink);
    systemOnly.m_sCaFile.clear();
    CSmtpSubmission untrusted(systemOnly);
    EXPECT_EQ(RunAll(untrusted, AlertMessage())[1], "TLS: certificate not trusted");

    CSmtpSubmissionOptions missingCa = Options(sink);
    missingCa.m_sCaFile = m_dir.File("no-such-ca.pem");
    CSmtpSubmission unreadable(missingCa);
    EXPECT_EQ(RunAll(unreadable, AlertMessage())[1],
              "TLS: cannot read the certificate file " + missingCa.m_sCaFile);

    CMailSink elsewhere;
    StartSink(elsewhere, Tls::kStartTls, true, true);
    CSmtpSubmission wrongName(Options(elsewhere));
    EXPECT_EQ(RunAll(wrongName, AlertMessage())[1], "TLS: certificate is for another server name");

    EXPECT_EQ(sink.MessageCount() + elsewhere.MessageCount() + plain.MessageCount(), 0U);
    EXPECT_EQ(tf::test::ReadFileBytes(m_dir / "trace.txt").find("not-the-password"),
              std::string::npos);
}
