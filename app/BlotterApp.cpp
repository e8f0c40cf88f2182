#include "app/BlotterApp.h"

#include <QApplication>
#include <QDialog>

#include "app/AppResources.h"
#include "app/BlotterDlg.h"
#include "app/PasswordDlg.h"
#include "quotes/FetchQuote.h"

bool CBlotterApp::InitInstance()
{
    QApplication::setApplicationName("Tallyfern");
    QGuiApplication::setDesktopFileName("tallyfern");
    RegisterAppResources();
    // A quote server that asks for a password asks the user, on the interface thread.
    SetPasswordPrompt(PromptOnInterfaceThread);

    CBlotterDlg dlg;
    m_pDlg = &dlg;
    m_pMainWnd = &dlg;
    const int nResult = dlg.DoModal();
    m_pMainWnd = nullptr;
    m_pDlg = nullptr;
    return nResult != -1;
}

void CBlotterApp::OnEndSession()
{
    if (m_pDlg == nullptr)
        return;
    m_pDlg->CloseWindow();
    // A box or dialog still open (a mail error inside a refresh) would keep its own loop
    // running; close them so that the program can end.
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        auto* pOpen = qobject_cast<QDialog*>(pWidget);
        if (pOpen != nullptr && pOpen != m_pDlg && pOpen->isVisible())
            pOpen->reject();
    }
}

void CBlotterApp::OnSaveSession()
{
    if (m_pDlg != nullptr)
        m_pDlg->SavePortfolio();
}
