// The password prompt that a quote server's challenge brings up.
#include "app/PasswordDlg.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>

#include "platform/framework/WinDefs.h"

namespace {
QApplication& App()
{
    static int argc = 1;
    static char name[] = "tf_app_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* pApp = QApplication::instance()
                                    ? qobject_cast<QApplication*>(QApplication::instance())
                                    : new QApplication(argc, argv);
    return *pApp;
}

// Answers the dialog once it is up: types into its fields and ends it with nResult.
void AnswerWhenShown(const QString& user, const QString& password, int nResult)
{
    QTimer::singleShot(0, [=] {
        CPasswordDlg* pDlg = nullptr;
        for (QWidget* pWidget : QApplication::topLevelWidgets()) {
            if (auto* pFound = dynamic_cast<CPasswordDlg*>(pWidget); pFound && pFound->isVisible())
                pDlg = pFound;
        }
        if (pDlg == nullptr) {
            AnswerWhenShown(user, password, nResult); // not up yet: look again
            return;
        }
        pDlg->GetDlgItemAs<QLineEdit>(CPasswordDlg::kIdUser)->setText(user);
        pDlg->GetDlgItemAs<QLineEdit>(CPasswordDlg::kIdPassword)->setText(password);
        EXPECT_EQ(pDlg->GetDlgItemAs<QLineEdit>(CPasswordDlg::kIdPassword)->echoMode(),
                  QLineEdit::Password);
        EXPECT_EQ(pDlg->GetDlgItemText(CPasswordDlg::kIdHost), "quotes.example:8080");
        pDlg->SendMessage(WM_COMMAND, nResult, 0);
    });
}
} // namespace

TEST(PasswordPrompt, OkGivesTheTypedCredentialsAndCancelGivesNone)
{
    App();
    HttpCredentials credentials;
    AnswerWhenShown("anna", QString::fromLatin1("s\xe9same"), IDOK);
    ASSERT_TRUE(PromptForPassword("quotes.example:8080", credentials));
    EXPECT_EQ(credentials.strUser, "anna");
    EXPECT_EQ(credentials.strPassword, "s\xe9same"); // Windows-1252, as every text inside

    HttpCredentials untouched{"keep", "these"};
    AnswerWhenShown("x", "y", IDCANCEL);
    EXPECT_FALSE(PromptForPassword("quotes.example:8080", untouched));
    EXPECT_EQ(untouched.strUser, "keep");
}

TEST(PasswordPrompt, AFetchingThreadGetsTheAnswerOfTheDialogOnTheInterfaceThread)
{
    App();
    AnswerWhenShown("anna", "pw", IDOK);
    std::atomic<bool> bDone{false};
    bool bGiven = false;
    HttpCredentials credentials;
    std::thread fetch([&] {
        bGiven = PromptOnInterfaceThread("quotes.example:8080", credentials);
        bDone = true;
    });
    // The interface thread goes on meanwhile: it runs the dialog in its own loop.
    QElapsedTimer waited;
    waited.start();
    while (!bDone && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    fetch.join();
    EXPECT_TRUE(bGiven);
    EXPECT_EQ(credentials.strUser, "anna");
    EXPECT_EQ(credentials.strPassword, "pw");

    // Asked on the interface thread itself, it runs the dialog at once.
    AnswerWhenShown("x", "y", IDCANCEL);
    EXPECT_FALSE(PromptOnInterfaceThread("quotes.example:8080", credentials));
    EXPECT_EQ(credentials.strUser, "anna");
}
