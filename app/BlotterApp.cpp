#include "app/BlotterApp.h"

#include <cstdlib>

#include <QApplication>

#include "app/AppResources.h"
#include "app/BlotterDlg.h"
#include "app/PasswordDlg.h"
#include "quotes/FetchQuote.h"

CBlotterApp::CBlotterApp(std::string strPortfolioPath)
    : m_strPortfolioPath(std::move(strPortfolioPath))
{
}

std::string CBlotterApp::NoDisplayText() const
{
    const char* pDisplay = std::getenv("DISPLAY");
    const std::string strDisplay = pDisplay != nullptr && *pDisplay != '\0'
                                       ? std::string("DISPLAY=") + pDisplay
                                       : std::string("DISPLAY is not set");
    return "tallyfern: no display could be opened (" + strDisplay +
           "); the window needs a desktop session. From a terminal, \"tfport refresh\" prices "
           "the portfolio and prints the blotter.\n";
}

bool CBlotterApp::InitInstance()
{
    QApplication::setApplicationName("Tallyfern");
    QGuiApplication::setDesktopFileName("tallyfern");
    RegisterAppResources();
    // A quote server that asks for a password asks the user, on the interface thread.
    SetPasswordPrompt(PromptOnInterfaceThread);

    SBlotterServices services;
    services.strPortfolioPath = m_strPortfolioPath;
    CBlotterDlg dlg(std::move(services));
    m_pDlg = &dlg;
    m_pMainWnd = &dlg;
    const int nResult = dlg.DoModal();
    m_pMainWnd = nullptr;
    m_pDlg = nullptr;
    return nResult != -1;
}

void CBlotterApp::OnSaveSession()
{
    if (m_pDlg != nullptr)
        m_pDlg->SavePortfolio();
}
