// CBlotterApp: the application object. It registers the program's resources and runs the
// main window modally. A termination signal closes the window as its close command does
// (save, stop the timer, take the tray icon down); the desktop session's request to save
// before a logout saves the portfolio and keeps the program running, since the logout may
// still be cancelled.
#pragma once

#include "platform/framework/WinApp.h"

class CBlotterDlg;

class CBlotterApp : public CWinApp
{
  public:
    bool InitInstance() override;

  protected:
    void OnEndSession() override;
    void OnSaveSession() override;

  private:
    CBlotterDlg* m_pDlg = nullptr; // the main window while it runs; not owned
};
