// Against a real SMTP server: Debian's aiosmtpd, started on a loopback port, delivering
// into a maildir that Python's own email parser reads back.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/AlertTest.h"
#include "tests/support/process/ChildProcess.h"
#include "tests/support/tempdir/TempDir.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// Starting Python and its event loop takes a moment; a stuck start must not hang the run.
constexpr auto kServerStartLimit = 20s;
constexpr auto kDeliveryLimit = 10s;
constexpr auto kShutdownLimit = 5s;
constexpr auto kPollGap = 50ms;
// 03/05/98 09:07:45 EST
constexpr std::time_t kMarch1998 = 889106865;

std::string DebianPython()
{
    const char* path = std::getenv("TF_DEBIAN_PYTHON");
    return path && *path ? path : "/usr/bin/python3";
}

std::string Unhex(const std::string& hex)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

// Runs Debian's Python over the delivered files and returns, per Subject, the fields the
// email parser sees.
std::map<std::string, std::map<std::string, std::string>> ParseMaildir(const fs::path& work)
{
    const char* script = R"(import email, pathlib, sys
for path in sorted(pathlib.Path(sys.argv[1]).iterdir()):
    with open(path, 'rb') as f:
        msg = email.message_from_binary_file(f)
    for key in ('From', 'To', 'Subject', 'Date', 'X-Mailer'):
        print(key, (msg[key] or '').encode('latin-1').hex())
    body = msg.get_payload().replace('\r\n', '\n')
    print('Body', body.encode('latin-1').hex())
    print('End', '00')
)";
    fs::path scriptFile = work / "parse.py";
    tf::test::WriteFileBytes(scriptFile, script);
    tf::test::SProcessResult parsed = tf::test::RunProcess(
        {DebianPython(), scriptFile.string(), (work / "mail" / "new").string()});
    EXPECT_EQ(parsed.exitCode, 0) << parsed.out << parsed.err;

    std::map<std::string, std::map<std::string, std::string>> messages;
    std::map<std::string, std::string> fields;
    std::istringstream lines(parsed.out);
    std::string key, hex;
    while (lines >> key >> hex) {
        if (key == "End") {
            messages[fields["Subject"]] = fields;
            fields.clear();
        } else {
            fields[key] = Unhex(hex);
        }
    }
    return messages;
}

} // namespace

TEST(MailInterop, AlertReachesARealServerIntact)
{
    ASSERT_TRUE(fs::exists(DebianPython())) << DebianPython();
    tf::test::CTempDir scratch("tf-mail-interop");
    fs::path work = scratch.Path();
    fs::path maildir = work / "mail";

    int port = tf::test::FreeLoopbackPort();
    ASSERT_GT(port, 0);
    tf::test::CChildProcess server;
    tf::test::SProcessOptions serverOptions;
    serverOptions.mergeStderr = true;
    ASSERT_TRUE(server.Start({DebianPython(), "-m", "aiosmtpd", "-n", "-l",
                              "127.0.0.1:" + std::to_string(port), "-c",
                              "aiosmtpd.handlers.Mailbox", maildir.string()},
                             serverOptions));
    if (!tf::test::WaitForLoopbackPort(port, kServerStartLimit)) {
        server.Wait(kShutdownLimit);
        FAIL() << "aiosmtpd did not start: " << server.Output();
    }

    CSmtpAlertSettings settings;
    settings.m_nPort = static_cast<unsigned>(port);
    settings.m_connectTimeout = settings.m_replyTimeout = 5s;
    settings.m_clock = [] { return kMarch1998; };

    CBlotterSpace doc;
    doc.m_bPagerAlerts = 1;
    doc.m_nAlertPercent = 5;
    doc.m_strSmtpServer = "127.0.0.1";
    doc.m_strMailFrom = "desk@example.test";
    doc.m_strPagerAddress = "Pager <pager@example.test>";
    TradeRecord trade = MakeEmptyTrade();
    SetTradeSymbol(trade, "XYZ");
    trade.quantity = 100;
    trade.price = 10;
    std::vector<std::string> failures;
    EXPECT_EQ(RunAlertTest(trade, 12.5, 0.75, doc, kMarch1998, MakeSmtpAlertMailerFactory(settings),
                           [&](const std::string& text) { failures.push_back(text); }),
              AlertOutcome::kSent);
    EXPECT_TRUE(failures.empty());

    // A body whose lines begin with dots comes back exactly as written.
    CSmtpConnection client("127.0.0.1", static_cast<unsigned>(port));
    client.SetTimeouts(5s, 5s);
    CMailMessage dotted;
    dotted.m_sFrom = "desk@example.test";
    dotted.AddMultipleRecipients("pager@example.test");
    dotted.m_sSubject = "dots";
    dotted.m_sBody = ".\r\n..two\r\n.three\r\nfour.\r\n.";
    EXPECT_TRUE(client.Connect()) << client.GetLastErrorText();
    EXPECT_TRUE(client.SendMail(dotted)) << client.GetLastErrorText();
    EXPECT_TRUE(client.Disconnect()) << client.GetLastErrorText();

    auto deadline = Clock::now() + kDeliveryLimit;
    auto delivered = [&] {
        std::error_code error;
        if (!fs::is_directory(maildir / "new", error))
            return 0;
        return static_cast<int>(std::distance(fs::directory_iterator(maildir / "new", error),
                                              fs::directory_iterator()));
    };
    while (delivered() < 2 && Clock::now() < deadline)
        std::this_thread::sleep_for(kPollGap);
    server.Signal(SIGTERM);
    server.Wait(kShutdownLimit);
    ASSERT_EQ(delivered(), 2) << server.Output();

    auto messages = ParseMaildir(work);
    const std::string subject = "Tallyfern Alert! XYZ position changed by 75.00 (6.3830%).";
    ASSERT_EQ(messages.count(subject), 1U);
    auto alert = messages[subject];
    EXPECT_EQ(alert["From"], "desk@example.test");
    EXPECT_EQ(alert["To"], "Pager <pager@example.test>");
    EXPECT_EQ(alert["Date"], "Thu, 05 Mar 98 09:07:45 EST");
    EXPECT_EQ(alert["X-Mailer"], "<RD Mail>");
    EXPECT_EQ(alert["Body"],
              subject + " Closing value was 1,175.00, now is 1,250.00. Purchased for 1,000.00 at "
                        "10.0000. Current price is 12.5000, changed by 0.7500 (on 03/05/98 at "
                        "09:07:45).\n");
    ASSERT_EQ(messages.count("dots"), 1U);
    EXPECT_EQ(messages["dots"]["Body"], ".\n..two\n.three\nfour.\n.\n");
}
