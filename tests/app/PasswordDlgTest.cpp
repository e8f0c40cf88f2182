// The password prompt that a quote server's challenge brings up.
#include "app/PasswordDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
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
