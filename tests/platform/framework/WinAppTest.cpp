#include "platform/framework/WinApp.h"

#include <csignal>
#include <gtest/gtest.h>

#include <QTimer>

#include "platform/framework/Dialog.h"
#include "tests/platform/framework/TestApp.h"

namespace {

SDialogTemplate MainTemplate()
{
    SDialogTemplate t;
    t.strCaption = "Main";
    t.cx = 100;
    t.cy = 50;
    t.items = {{IDOK, EControlKind::PushButton, "OK", 10, 10, 40, 14, kStyleNone, {}}};
    return t;
}

// A main window whose close command records itself and ends the modal run, as the
// program's window saves and ends.
class CMainDlg : public CDialog
{
  public:
    CMainDlg() : CDialog(MainTemplate()) {}
    int m_nCloses = 0;

  protected:
    void OnClose() override
    {
        ++m_nCloses;
        EndDialog(IDCANCEL);
    }
};

class CTestApp : public CWinApp
{
  public:
    int m_nSignal = SIGTERM;
    int m_nCloses = 0;
    int m_nResult = 0;

    bool InitInstance() override
    {
        CMainDlg dlg;
        m_pMainWnd = &dlg;
        // The signal arrives while the window runs; nothing else would end it.
        QTimer::singleShot(20, [this] { std::raise(m_nSignal); });
        QTimer::singleShot(3000, &dlg, [&dlg] { dlg.EndDialog(-2); });
        m_nResult = dlg.DoModal();
        m_nCloses = dlg.m_nCloses;
        m_pMainWnd = nullptr;
        return true;
    }
};

} // namespace

TEST(WinApp, TerminationSignalsCloseTheMainWindowAsItsCloseCommand)
{
    TestApp();
    for (const int nSignal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(nSignal);
        CTestApp app;
        app.m_nSignal = nSignal;
        char name[] = "test";
        char* argv[] = {name, nullptr};
        EXPECT_EQ(app.Run(1, argv), 0);
        EXPECT_EQ(app.m_nCloses, 1);
        EXPECT_EQ(app.m_nResult, IDCANCEL);
    }
    // Afterwards the default handling is back.
    struct sigaction current;
    ASSERT_EQ(sigaction(SIGTERM, nullptr, &current), 0);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
}

TEST(WinApp, AFailedStartIsAnErrorExit)
{
    TestApp();
    struct CFailingApp : CWinApp
    {
        bool InitInstance() override { return false; }
    } app;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(app.Run(1, argv), 1);
}
