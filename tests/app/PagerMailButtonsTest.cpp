// The pager preferences' mail buttons: "Set password…" stores under the server and login the
// fields name (through a recording store), and "Send test" sends in the background while the
// dialog stays live, then shows the outcome in a message box.
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

#include <QLineEdit>
#include <QTimer>

#include "app/PagerPrefsDlg.h"
#include "app/SmtpPasswordDlg.h"
#include "tests/app/dialogs/DialogTestSupport.h"
#include "tests/support/msgboxsink/RecordingMessageBoxSink.h"
#include "tests/support/process/ChildProcess.h"
#include "tests/support/smtpserver/ScriptedSmtpServer.h"

namespace {

using namespace std::chrono_literals;
using G = CPagerPrefsDlg;

struct SStored
{
    std::string strServer, strUser, strPassword;
};

// Answers the password dialog once it is up: the prompt it showed, then OK with strPassword.
void AnswerPasswordDialog(std::string& strPrompt, bool& bHidden, const std::string& strPassword)
{
    QTimer::singleShot(0, [&strPrompt, &bHidden, strPassword] {
        for (QWidget* pWidget : QApplication::topLevelWidgets()) {
            auto* pDlg = dynamic_cast<CSmtpPasswordDlg*>(pWidget);
            if (pDlg == nullptr || !pDlg->isVisible())
                continue;
            strPrompt = pDlg->GetDlgItemText(CSmtpPasswordDlg::kIdPrompt);
            auto* pEdit = pDlg->GetDlgItemAs<QLineEdit>(CSmtpPasswordDlg::kIdPassword);
            bHidden = pEdit != nullptr && pEdit->echoMode() == QLineEdit::Password;
            // Typed as a user types: any character, not only those of the program's code page.
            pEdit->setText(QString::fromUtf8(strPassword.c_str()));
            Click(*pDlg, IDOK);
        }
    });
}

// Lets the event loop run until done() holds or the time is up.
template <class F> bool RunUntil(F done, std::chrono::milliseconds limit = 10s)
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(1ms);
    }
    return done();
}

// A plain server whose greeting takes about half a second, a byte at a time, and the mail
// services of a dialog that reaches it at "127.0.0.1".
struct SSlowServer
{
    SSlowServer() : server(Script()) { EXPECT_TRUE(server.Start()); }
    static CSmtpScript Script()
    {
        CSmtpScript slow;
        slow.m_greeting = CScriptedReply::Trickle("220 slow.test ready\r\n", 25ms);
        return slow;
    }
    SPagerMailServices Services() const
    {
        CSmtpAlertSettings settings;
        settings.m_nPort = server.Port();
        settings.m_connectTimeout = settings.m_replyTimeout = 5s;
        SPagerMailServices services;
        services.mailers = MakeSmtpAlertMailerFactory(settings);
        services.clock = [] { return std::time_t{889106865}; };
        return services;
    }
    CScriptedSmtpServer server;
};

CBlotterSpace MailSettings()
{
    CBlotterSpace doc;
    doc.m_strMailFrom = "me@example.org";
    doc.m_strSmtpServer = "127.0.0.1";
    doc.m_strPagerAddress = "pager@example.org";
    return doc;
}

} // namespace

TEST(PagerMailButtons, SetPasswordStoresUnderTheServerAndLoginTheFieldsName)
{
    DialogsTestApp();
    CRecordingMessageBoxSink sink;
    std::vector<SStored> stored;
    bool bStoreFails = false;
    CSmtpEnvironment environment;
    SPagerMailServices services;
    services.storePassword = [&](const std::string& s, const std::string& u, const std::string& p) {
        stored.push_back({s, u, p});
        SKeyringResult result;
        result.bOk = !bStoreFails;
        result.strError = bStoreFails ? "Cannot autolaunch D-Bus without X11 $DISPLAY" : "";
        return result;
    };
    services.environment = [&] { return environment; };
    G dlg(nullptr, services);
    CBlotterSpace doc;
    doc.m_strMailFrom = "me@example.org";
    doc.m_strSmtpServer = "mail.example.org";
    dlg.LoadFrom(doc);

    std::string prompt;
    bool bHidden = false;
    ASSERT_EQ(RunModal(dlg,
                       [&] {
                           // The field as it stands now counts, before any OK.
                           dlg.SetDlgItemText(G::kIdSmtpServer, "smtp.example.org:587");
                           AnswerPasswordDialog(prompt, bHidden, "s3cret");
                           Click(dlg, G::kIdSetPassword);

                           environment.m_sUser = "login-name";
                           dlg.SetDlgItemText(G::kIdSmtpServer, "[2001:db8::1]:465");
                           bStoreFails = true;
                           AnswerPasswordDialog(prompt, bHidden, "p\xC3\xA4ss\xE2\x82\xAC\xD0\x96");
                           Click(dlg, G::kIdSetPassword);
                           Click(dlg, IDCANCEL);
                       }),
              IDCANCEL);
    EXPECT_TRUE(bHidden);
    EXPECT_EQ(prompt, "Password for login-name at [2001:db8::1]:465:");
    ASSERT_EQ(stored.size(), 2U);
    EXPECT_EQ(stored[0].strServer, "smtp.example.org:587");
    EXPECT_EQ(stored[0].strUser, "me@example.org");
    EXPECT_EQ(stored[0].strPassword, "s3cret");
    EXPECT_EQ(stored[1].strUser, "login-name");
    // "päss€Ж" in UTF-8: "Ж" has no Windows-1252 byte, and survives all the same.
    EXPECT_EQ(stored[1].strPassword, "p\xC3\xA4ss\xE2\x82\xAC\xD0\x96");
    ASSERT_EQ(sink.Boxes().size(), 2U);
    EXPECT_EQ(sink.Boxes()[0].strText,
              "Stored the password for me@example.org at smtp.example.org:587 in the keyring.");
    EXPECT_EQ(sink.Boxes()[0].nIcon, MB_ICONINFORMATION);
    EXPECT_EQ(sink.Boxes()[1].strText, "The password could not be stored in the keyring: Cannot "
                                       "autolaunch D-Bus without X11 $DISPLAY");
    EXPECT_EQ(sink.Boxes()[1].nIcon, MB_ICONEXCLAMATION);
    // Cancel kept the server the dialog came with.
    EXPECT_EQ(dlg.m_strSmtpServer, "mail.example.org");
}

TEST(PagerMailButtons, SetPasswordExplainsWhatItCannotUse)
{
    DialogsTestApp();
    CRecordingMessageBoxSink sink;
    int nStores = 0;
    SPagerMailServices services;
    services.storePassword = [&](const std::string&, const std::string&, const std::string&) {
        ++nStores;
        return SKeyringResult{true, true, "", ""};
    };
    services.environment = [] { return CSmtpEnvironment{}; };
    G dlg(nullptr, services);
    ASSERT_TRUE(dlg.Create());
    const auto tryWith = [&](const char* pszServer, const char* pszFrom) {
        dlg.SetDlgItemText(G::kIdSmtpServer, pszServer);
        dlg.SetDlgItemText(G::kIdMailFrom, pszFrom);
        Click(dlg, G::kIdSetPassword);
        return sink.Boxes().empty() ? std::string() : sink.Boxes().back().strText;
    };
    EXPECT_EQ(tryWith("smtp.example.org:99999", "me@example.org"),
              "The outgoing mail server \"smtp.example.org:99999\" cannot be used: the port 99999 "
              "is not a number from 1 to 65535.\nWrite HOST, HOST:PORT or [ADDRESS]:PORT.");
    EXPECT_EQ(tryWith("", "me@example.org"),
              "Enter the outgoing mail server first, with the provider's port (for example "
              "smtp.example.com:587).");
    EXPECT_EQ(tryWith("smtp.example.org:587", ""),
              "Enter the From address first: it is the login name unless TALLYFERN_SMTP_USER "
              "names another.");
    // Plain port 25 makes no login; the user may stop there (the box answers Cancel).
    sink.QueueAnswer(IDCANCEL);
    EXPECT_EQ(tryWith("mail.example.org", "me@example.org"),
              "Mail to mail.example.org:25 goes as plain SMTP without a login. To log in, name "
              "the provider's submission port (HOST:587 or HOST:465).\n\nStore a password "
              "anyway?");
    EXPECT_EQ(sink.Boxes().back().nButtons, MB_OKCANCEL);
    EXPECT_EQ(sink.Boxes().size(), 4U);
    EXPECT_EQ(nStores, 0);
}

TEST(PagerMailButtons, SendTestRunsInTheBackgroundAndShowsTheOutcome)
{
    DialogsTestApp();
    CRecordingMessageBoxSink sink;
    SSlowServer slow;
    CScriptedSmtpServer& server = slow.server;
    G dlg(nullptr, slow.Services());
    dlg.LoadFrom(MailSettings());
    ASSERT_TRUE(dlg.Create());

    // A 10 ms timer keeps firing while the message goes out.
    int nTicks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++nTicks; });
    ticker.start(10);
    Click(dlg, G::kIdSendTest);
    EXPECT_TRUE(dlg.IsSendingTest());
    EXPECT_FALSE(dlg.IsDlgItemEnabled(G::kIdSendTest));
    EXPECT_EQ(dlg.GetDlgItemText(G::kIdSendTest), "Sending\x85");
    Click(dlg, G::kIdSendTest); // a second click while sending does nothing
    ASSERT_TRUE(RunUntil([&] { return !sink.Boxes().empty(); })) << "no outcome shown";
    EXPECT_GT(nTicks, 20);
    EXPECT_FALSE(dlg.IsSendingTest());
    EXPECT_TRUE(dlg.IsDlgItemEnabled(G::kIdSendTest));
    EXPECT_EQ(dlg.GetDlgItemText(G::kIdSendTest), "Send &test");
    ASSERT_EQ(sink.Boxes().size(), 1U);
    EXPECT_EQ(sink.Boxes()[0].strText, "Sent \"Tallyfern test alert\" to pager@example.org.\nThe "
                                       "server answered: 250 2.0.0 Ok: queued");
    EXPECT_EQ(sink.Boxes()[0].nIcon, MB_ICONINFORMATION);
    ASSERT_TRUE(server.WaitForFinished(1, 5s));
    EXPECT_EQ(server.Messages().size(), 1U);

    // A failure names what failed.
    dlg.SetDlgItemText(G::kIdSmtpServer,
                       "127.0.0.1:" + std::to_string(tf::test::FreeLoopbackPort()));
    Click(dlg, G::kIdSendTest);
    ASSERT_TRUE(RunUntil([&] { return sink.Boxes().size() == 2; }));
    EXPECT_EQ(sink.Boxes()[1].strText,
              "The test message was not sent:\nUnable to connect to server");
    EXPECT_EQ(sink.Boxes()[1].nIcon, MB_ICONEXCLAMATION);
}

TEST(PagerMailButtons, ADialogClosedWhileSendingIsLeftAlone)
{
    DialogsTestApp();
    CRecordingMessageBoxSink sink;
    SSlowServer slow;
    CScriptedSmtpServer& server = slow.server;
    {
        G dlg(nullptr, slow.Services());
        dlg.LoadFrom(MailSettings());
        ASSERT_TRUE(dlg.Create());
        Click(dlg, G::kIdSendTest);
        EXPECT_TRUE(dlg.IsSendingTest());
    }
    // The message still goes; its outcome finds no dialog and shows nothing.
    ASSERT_TRUE(server.WaitForFinished(1, 5s));
    RunUntil([] { return false; }, 300ms);
    EXPECT_TRUE(sink.Boxes().empty());
}
