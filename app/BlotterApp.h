// CBlotterApp: the application object. It registers the program's resources and runs the
// main window modally. A termination signal closes every message box and dialog and the window
// as its close command does (save, stop the timer, take the tray icon down); the desktop
// session's request to save before a logout saves the portfolio and keeps the program
// running, since the logout may still be cancelled.
#pragma once

#include <string>

#include "platform/framework/WinApp.h"

class CBlotterDlg;

class CBlotterApp : public CWinApp
{
  public:
    // The window keeps strPortfolioPath ("info.kgw" in the current folder when empty).
    explicit CBlotterApp(std::string strPortfolioPath = {});

    bool InitInstance() override;
    std::string NoDisplayText() const override;

  protected:
    void OnSaveSession() override;

  private:
    std::string m_strPortfolioPath;
    CBlotterDlg* m_pDlg = nullptr; // the main window while it runs; not owned
};
