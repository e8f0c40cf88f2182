// CWinApp: the application object. Run makes the QApplication, calls InitInstance (which
// builds the main window and normally runs it with DoModal), and returns the exit code.
//
// The end of the process is the main window's close command: while the application runs,
// SIGTERM, SIGINT and SIGHUP, and the desktop session's request to save before logging out,
// each send m_pMainWnd a WM_CLOSE (the signals through the event loop, never from inside a
// signal handler), so the window saves and tears down exactly as when the user closes it.
// A signal first closes every message box (CloseAllMessageBoxes), so that one signal is enough
// whatever box the program waits in.
//
// Without a display to open, Run writes the program's one-line NoDisplayText to standard
// error and the process exits with status 1, instead of Qt's abort.
#pragma once

#include <memory>
#include <string>

class CWnd;
class QApplication;
class QSocketNotifier;

class CWinApp
{
  public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Makes the QApplication unless one exists, installs the termination handlers, runs
    // InitInstance and returns m_nExitCode (1 when InitInstance returned false).
    int Run(int argc, char** argv);

    // Builds and runs the program; false when it could not start.
    virtual bool InitInstance() = 0;

    // The line written when no display can be opened (with its line feed).
    virtual std::string NoDisplayText() const;

    // Routes SIGTERM, SIGINT, SIGHUP and the session's save request to m_pMainWnd as
    // WM_CLOSE. False when the signal pipe could not be made. Undone by the destructor.
    bool InstallTerminationHandlers();

    // The window that receives WM_CLOSE at the end of the session; not owned.
    CWnd* m_pMainWnd = nullptr;
    int m_nExitCode = 0;

  protected:
    // A termination signal arrived; runs on the user-interface thread, after every message
    // box was closed. The default sends m_pMainWnd WM_CLOSE and then closes (rejects) every
    // other dialog still open, so that every modal loop ends.
    virtual void OnEndSession();
    // The desktop session asks every program to save before it ends. The default sends
    // WM_CLOSE to m_pMainWnd; a program that can save without closing may do only that, since
    // the user may still cancel the logout.
    virtual void OnSaveSession();

  private:
    void OnTerminationSignal();
    void RemoveTerminationHandlers();

    int m_nArgc = 0;
    std::unique_ptr<QApplication> m_pOwnApp;
    std::unique_ptr<QSocketNotifier> m_pNotifier;
    bool m_bHandlersInstalled = false;
};
