// tfport's mail against real peers: Debian's aiosmtpd with STARTTLS and a login, the password
// from the environment and from a real keyring (gnome-keyring-daemon in a D-Bus session of
// the test's own), alerts from a refresh, and the password in no output, log or file.
#include <algorithm>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "model/BlotterSpace.h"
#include "model/PortfolioFile.h"
#include "tests/support/mailsink/MailSink.h"
#include "tests/support/process/ChildProcess.h"
#include "tests/support/tempdir/TempDir.h"
#include "tools/tfquoted/QuoteBook.h"
#include "tools/tfquoted/QuoteService.h"

namespace {

using namespace std::chrono_literals;
using tf::test::CMailSink;
using tf::test::SMailSinkOptions;
using tf::test::SProcessResult;

constexpr auto kDeliveryLimit = 10s;
constexpr const char* kUser = "desk@example.test";
// Unlike any text the programs print, so a search for it finds only a leak.
constexpr const char* kPassword = "Qx7-mail-Fern-Secret";
constexpr const char* kKeyringPassword = "keyring-of-the-test";

class TfportMailTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(tf::test::MakeMailCertificates(m_dir.Path(), m_certs, error)) << error;
        SMailSinkOptions options;
        options.tls = SMailSinkOptions::Tls::kStartTls;
        options.strCertFile = m_certs.strCertFile;
        options.strKeyFile = m_certs.strKeyFile;
        options.strUser = kUser;
        options.strPassword = kPassword;
        std::filesystem::create_directories(m_dir / "sink");
        ASSERT_TRUE(m_sink.Start(m_dir / "sink", options, error)) << error;

        m_book.Set("IBM", {131.25, 13.0, 118.25, 131.2});
        m_nQuotePort = m_quotes.Bind("127.0.0.1", 0);
        ASSERT_GT(m_nQuotePort, 0);
        m_quotes.Start();
        std::filesystem::create_directories(m_dir / "work");
    }
    void TearDown() override { m_quotes.Stop(); }

    // tfport in the test's folder, with the mail environment; extra entries add to it.
    SProcessResult Tfport(const std::vector<std::string>& args,
                          std::vector<std::pair<std::string, std::string>> env = {},
                          const std::string& input = "", bool bInKeyring = false)
    {
        std::vector<std::string> argv;
        if (bInKeyring)
            argv.push_back(TF_WITH_KEYRING);
        argv.push_back(TFPORT_PATH);
        argv.insert(argv.end(), args.begin(), args.end());
        tf::test::SProcessOptions options;
        options.workingDir = (m_dir / "work").string();
        const std::string server = "127.0.0.1:" + std::to_string(m_nQuotePort);
        options.env = {{"TALLYFERN_US_QUOTE_SERVER", server},
                       {"TALLYFERN_SMTP_CA_FILE", m_certs.strCaFile},
                       {"TALLYFERN_SMTP_TRACE", m_dir.File("trace.txt")},
                       {"HOME", m_dir.File("home")},
                       {"XDG_RUNTIME_DIR", m_dir.File("run")},
                       {"TF_KEYRING_PASSWORD", kKeyringPassword}};
        options.env.insert(options.env.end(), env.begin(), env.end());
        // Outside the keyring's own session no keyring is reachable.
        options.unsetEnv = {"DBUS_SESSION_BUS_ADDRESS", "TALLYFERN_SMTP_USER",
                            "TALLYFERN_SMTP_PASSWORD"};
        options.input = input;
        options.timeout = 60s;
        SProcessResult result = tf::test::RunProcess(argv, options);
        m_allOutput += result.out + result.err;
        result.err = WithoutBusNotes(result.err);
        return result;
    }

    // The session bus's own notes about its limits, which its daemon prints to the same
    // standard error; they are the peer's, not tfport's.
    static std::string WithoutBusNotes(const std::string& err)
    {
        std::string kept;
        std::size_t start = 0;
        while (start < err.size()) {
            std::size_t end = err.find('\n', start);
            end = end == std::string::npos ? err.size() : end + 1;
            std::string line = err.substr(start, end - start);
            if (line.rfind("dbus-daemon[", 0) != 0)
                kept += line;
            start = end;
        }
        return kept;
    }

    void MakePortfolio()
    {
        ASSERT_EQ(Tfport({"init"}).exitCode, 0);
        ASSERT_EQ(Tfport({"buy", "IBM", "100", "120"}).exitCode, 0);
        ASSERT_EQ(Tfport({"settings", "--check-version", "off", "--alerts", "on", "--alert-percent",
                          "5", "--smtp-server", "127.0.0.1:" + std::to_string(m_sink.Port()),
                          "--mail-from", kUser, "--pager", "Pager <pager@example.test>"})
                      .exitCode,
                  0);
    }

    // The password in nothing the programs wrote: output, portfolio, transcript.
    void ExpectNoLeak()
    {
        EXPECT_EQ(m_allOutput.find(kPassword), std::string::npos) << m_allOutput;
        EXPECT_EQ(tf::test::ReadFileBytes(m_dir / "work" / "info.kgw").find(kPassword),
                  std::string::npos);
        std::string trace = tf::test::ReadFileBytes(m_dir / "trace.txt");
        EXPECT_NE(trace.find("C: STARTTLS"), std::string::npos);
        EXPECT_EQ(trace.find(kPassword), std::string::npos);
        EXPECT_EQ(trace.find("AGRlc2s"), std::string::npos); // base64 of the login line
    }

    tf::test::CTempDir m_dir{"tf-tfport-mail"};
    tf::test::SMailCertificates m_certs;
    CMailSink m_sink;
    CQuoteBook m_book;
    CQuoteService m_quotes{m_book, QuoteServiceOptions{}};
    int m_nQuotePort = 0;
    std::string m_allOutput;
};

} // namespace

TEST_F(TfportMailTest, TestAndAlertWithThePasswordFromTheEnvironment)
{
    MakePortfolio();
    const std::vector<std::pair<std::string, std::string>> password = {
        {"TALLYFERN_SMTP_PASSWORD", kPassword}};
    SProcessResult test = Tfport({"mail", "test"}, password);
    EXPECT_EQ(test.exitCode, 0) << test.err;
    EXPECT_EQ(test.err, "");
    EXPECT_EQ(test.out.substr(0, test.out.find('\n') + 1),
              "Sent \"Tallyfern test alert\" to Pager <pager@example.test> through 127.0.0.1:" +
                  std::to_string(m_sink.Port()) + "\n");
    EXPECT_NE(test.out.find("\nServer: 250 "), std::string::npos) << test.out;

    SProcessResult refresh = Tfport({"refresh"}, password);
    EXPECT_EQ(refresh.exitCode, 0) << refresh.err;
    EXPECT_EQ(refresh.err, "");
    ASSERT_TRUE(m_sink.WaitForMessages(2, kDeliveryLimit)) << m_sink.Log();
    std::vector<tf::test::SParsedMail> mails = m_sink.ParsedMessages();
    ASSERT_EQ(mails.size(), 2U);
    std::vector<std::string> subjects = {mails[0]["Subject"], mails[1]["Subject"]};
    std::sort(subjects.begin(), subjects.end());
    EXPECT_EQ(subjects[0], "Tallyfern Alert! IBM position changed by 1,300.00 (10.9937%).");
    EXPECT_EQ(subjects[1], "Tallyfern test alert");
    for (auto& mail : mails) {
        EXPECT_EQ(mail["From"], kUser);
        EXPECT_EQ(mail["To"], "Pager <pager@example.test>");
        EXPECT_EQ(mail["X-Mailer"], "<RD Mail>");
        EXPECT_EQ(mail["X-RcptTo"], "pager@example.test");
    }

    // A wrong password: the login failure, exit 4, and nothing more delivered.
    SProcessResult wrong = Tfport({"mail", "test"}, {{"TALLYFERN_SMTP_PASSWORD", "wrong-one"}});
    EXPECT_EQ(wrong.exitCode, 4);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(wrong.err, "tfport: mail: 535:login refused\n");
    EXPECT_EQ(m_sink.MessageCount(), 2U);
    ExpectNoLeak();
}

TEST_F(TfportMailTest, LoginLogoutAndTestWithARealKeyring)
{
    MakePortfolio();
    const std::string server = "127.0.0.1:" + std::to_string(m_sink.Port());
    SProcessResult login =
        Tfport({"mail", "login"}, {}, std::string(kPassword) + "\n", /*bInKeyring=*/true);
    ASSERT_EQ(login.exitCode, 0) << login.out << login.err;
    EXPECT_EQ(login.out,
              "Stored the password for desk@example.test at " + server + " in the keyring\n");
    EXPECT_NE(login.err.find("Password for desk@example.test at " + server + ": "),
              std::string::npos);

    // Stored under the three attributes, where other tools find it too.
    tf::test::SProcessOptions lookupOptions;
    lookupOptions.env = {{"HOME", m_dir.File("home")},
                         {"XDG_RUNTIME_DIR", m_dir.File("run")},
                         {"TF_KEYRING_PASSWORD", kKeyringPassword}};
    SProcessResult lookup =
        tf::test::RunProcess({TF_WITH_KEYRING, "secret-tool", "lookup", "service", "tallyfern-smtp",
                              "server", server, "user", kUser},
                             lookupOptions);
    EXPECT_EQ(lookup.out, kPassword);

    SProcessResult test = Tfport({"mail", "test"}, {}, "", true);
    EXPECT_EQ(test.exitCode, 0) << test.err;
    ASSERT_TRUE(m_sink.WaitForMessages(1, kDeliveryLimit)) << m_sink.Log();
    SProcessResult refresh = Tfport({"refresh"}, {}, "", true);
    EXPECT_EQ(refresh.err, "");
    ASSERT_TRUE(m_sink.WaitForMessages(2, kDeliveryLimit)) << m_sink.Log();

    // Without a keyring to ask (and no password in the environment) the server's demand
    // for a login is what the user sees.
    SProcessResult noKeyring = Tfport({"mail", "test"});
    EXPECT_EQ(noKeyring.exitCode, 4);
    EXPECT_EQ(noKeyring.err, "tfport: mail: 530:login required, and no password is stored for "
                             "desk@example.test at " +
                                 server + "\n");

    SProcessResult logout = Tfport({"mail", "logout"}, {}, "", true);
    EXPECT_EQ(logout.exitCode, 0) << logout.err;
    EXPECT_EQ(logout.out, "Removed the password for desk@example.test at " + server + "\n");
    SProcessResult again = Tfport({"mail", "logout"}, {}, "", true);
    EXPECT_EQ(again.out, "No password was stored for desk@example.test at " + server + "\n");
    SProcessResult gone = Tfport({"mail", "test"}, {}, "", true);
    EXPECT_EQ(gone.exitCode, 4);
    EXPECT_NE(gone.err.find("530:login required"), std::string::npos) << gone.err;

    // TALLYFERN_SMTP_USER names the login instead of the sender.
    SProcessResult other =
        Tfport({"mail", "login"}, {{"TALLYFERN_SMTP_USER", "other-login"}}, "x\n", true);
    EXPECT_EQ(other.out, "Stored the password for other-login at " + server + " in the keyring\n");

    EXPECT_EQ(m_sink.MessageCount(), 2U);
    ExpectNoLeak();
}

TEST_F(TfportMailTest, LoginOnATerminalShowsNoPassword)
{
    MakePortfolio();
    const std::string work = (m_dir / "work").string();
    const std::string home = m_dir.File("home");
    const std::string run = m_dir.File("run");
    int master = -1;
    pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (chdir(work.c_str()) != 0)
            _exit(126);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
        setenv("TF_KEYRING_PASSWORD", kKeyringPassword, 1);
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        unsetenv("TALLYFERN_SMTP_USER");
        execl(TF_WITH_KEYRING, TF_WITH_KEYRING, TFPORT_PATH, "mail", "login", nullptr);
        _exit(127);
    }
    // Everything the terminal shows, until the program ends (the master then reads EIO).
    std::string screen;
    bool bAnswered = false;
    auto deadline = std::chrono::steady_clock::now() + 30s;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd pfd{master, POLLIN, 0};
        if (::poll(&pfd, 1, 100) <= 0)
            continue;
        char chunk[512];
        ssize_t n = ::read(master, chunk, sizeof(chunk));
        if (n <= 0)
            break;
        screen.append(chunk, static_cast<std::size_t>(n));
        if (!bAnswered && screen.find("Password for") != std::string::npos) {
            const std::string answer = std::string(kPassword) + "\n";
            ASSERT_EQ(::write(master, answer.data(), answer.size()),
                      static_cast<ssize_t>(answer.size()));
            bAnswered = true;
        }
    }
    ::close(master);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << screen;
    EXPECT_TRUE(bAnswered) << screen;
    EXPECT_NE(screen.find("Stored the password for desk@example.test"), std::string::npos)
        << screen;
    EXPECT_EQ(screen.find(kPassword), std::string::npos) << screen;

    // What was typed is what the keyring holds.
    SProcessResult test = Tfport({"mail", "test"}, {}, "", true);
    EXPECT_EQ(test.exitCode, 0) << test.err;
}

TEST_F(TfportMailTest, TheKeyringKeepsNamesInUtf8)
{
    // The portfolio holds its texts in Windows-1252: "J\xF6rg" is "Jörg".
    CBlotterSpace doc;
    doc.m_strSmtpServer = "127.0.0.1:2525";
    doc.m_strMailFrom = "J\xF6rg@example.test";
    ASSERT_TRUE(WritePortfolioFile((m_dir / "work" / "info.kgw").string(), doc).bOk);
    SProcessResult login = Tfport({"mail", "login"}, {}, "pw\n", true);
    EXPECT_EQ(
        login.out,
        "Stored the password for J\xC3\xB6rg@example.test at 127.0.0.1:2525 in the keyring\n");
    tf::test::SProcessOptions options;
    options.env = {{"HOME", m_dir.File("home")},
                   {"XDG_RUNTIME_DIR", m_dir.File("run")},
                   {"TF_KEYRING_PASSWORD", kKeyringPassword}};
    SProcessResult lookup =
        tf::test::RunProcess({TF_WITH_KEYRING, "secret-tool", "lookup", "service", "tallyfern-smtp",
                              "server", "127.0.0.1:2525", "user", "J\xC3\xB6rg@example.test"},
                             options);
    EXPECT_EQ(lookup.out, "pw");
}

TEST_F(TfportMailTest, SettingsAndCommandsRefuseWhatCannotWork)
{
    MakePortfolio();
    SProcessResult badPort = Tfport({"settings", "--smtp-server", "smtp.example.com:5870000"});
    EXPECT_EQ(badPort.exitCode, 1);
    EXPECT_EQ(badPort.err,
              "tfport: smtp-server \"smtp.example.com:5870000\": the port \"5870000\" is not a "
              "number from 1 to 65535 (write HOST, HOST:PORT or [ADDRESS]:PORT)\n");
    EXPECT_EQ(Tfport({"settings", "--smtp-server", "[::1]:2525"}).exitCode, 0);

    EXPECT_EQ(Tfport({"mail"}).exitCode, 2);
    EXPECT_EQ(Tfport({"mail", "send"}).exitCode, 2);
    SProcessResult noPassword = Tfport({"mail", "login"}, {}, "", true);
    EXPECT_EQ(noPassword.exitCode, 1);
    EXPECT_EQ(noPassword.err, "Password for desk@example.test at [::1]:2525: \n"
                              "tfport: no password given; nothing was stored\n");

    // Plain port 25 logs in only with a login name set; the user is told so.
    ASSERT_EQ(Tfport({"settings", "--smtp-server", "mail.example.test"}).exitCode, 0);
    SProcessResult plain = Tfport({"mail", "login"}, {}, "x\n", true);
    EXPECT_NE(plain.err.find("goes as plain SMTP without a login"), std::string::npos) << plain.err;
    SProcessResult noServer = Tfport({"settings", "--smtp-server", ""});
    EXPECT_EQ(noServer.exitCode, 0);
    EXPECT_EQ(Tfport({"mail", "login"}, {}, "x\n").err,
              "tfport: no SMTP server is set (tfport settings --smtp-server HOST:PORT)\n");
}
