// One SIGTERM ends the program whatever boxes it waits in: every open message box closes, no
// further box is shown, the window saves and the modal run ends, within a second.
#include <atomic>
#include <chrono>
#include <csignal>

#include <QMessageBox>
#include <QTimer>

#include "platform/framework/MessageBox.h"
#include "platform/framework/WinApp.h"
#include "tests/app/WindowFixture.h"

using namespace BlotterIds;

namespace {

using Clock = std::chrono::steady_clock;

// The signal must end the program well within this; a slower end is a fault.
constexpr auto kEndWithin = std::chrono::milliseconds(1000);
// A box still open this long after the signal is closed by the test so that it can fail.
constexpr auto kGiveUpAfter = std::chrono::milliseconds(4000);

class CFailingMailer : public CAlertMailer
{
  public:
    bool Connect() override { return false; }
    bool SendMail(CMailMessage&) override { return false; }
    bool Disconnect() override { return true; }
    std::string GetLastErrorText() const override { return "Unable to connect to server"; }
};

std::vector<QMessageBox*> VisibleBoxes()
{
    std::vector<QMessageBox*> boxes;
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        if (auto* pBox = qobject_cast<QMessageBox*>(pWidget); pBox != nullptr && pBox->isVisible())
            boxes.push_back(pBox);
    }
    return boxes;
}

// Counts the message boxes that appear on the screen, and those after a moment.
class CBoxWatcher : public QObject
{
  public:
    CBoxWatcher() { qApp->installEventFilter(this); }
    ~CBoxWatcher() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* pObject, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::Show && qobject_cast<QMessageBox*>(pObject) != nullptr) {
            ++m_nShown;
            if (m_bSignalled)
                m_after.push_back(static_cast<QMessageBox*>(pObject)->text().toStdString());
        }
        return false;
    }
    int m_nShown = 0;
    bool m_bSignalled = false;
    std::vector<std::string> m_after;
};

} // namespace

TEST_F(CWindowTest, OneSigtermWithTwoBoxesOpenClosesThemAllSavesAndEnds)
{
    // Two positions past the alert threshold and a mail server that cannot be reached: the
    // first refresh leaves four failure boxes to show, one after another.
    CBlotterSpace doc = MakePortfolio({MakeBuy(1, "AAA", 100, 10, "Personal", 12, 1),
                                       MakeBuy(2, "BBB", 100, 10, "Personal", 12, 1)});
    doc.m_bPagerAlerts = 1;
    doc.m_nAlertPercent = 5;
    doc.m_strSmtpServer = "mail.example.invalid";
    WritePortfolio(doc);
    m_quotes.answers["AAA"] = {0, 12.5, 0.75};
    m_quotes.answers["BBB"] = {0, 13, 1};
    std::atomic<int> nMailers{0};
    SBlotterServices services = Services();
    services.mailers = [&nMailers](const std::string&) {
        ++nMailers;
        return std::make_unique<CFailingMailer>();
    };

    // The real boxes, each with its own event loop.
    CMessageBoxSink* pRecording = SetMessageBoxSink(nullptr);
    CBoxWatcher watcher;
    m_pDlg = std::make_unique<CBlotterDlg>(services);
    struct CSignalApp : CWinApp
    {
        bool InitInstance() override { return true; }
    } app;
    app.m_pMainWnd = m_pDlg.get();
    ASSERT_TRUE(app.InstallTerminationHandlers());

    // While the connect error waits, a second box opens inside its loop; with both up, one
    // SIGTERM.
    int nStage = 0;
    int nSecondAnswer = 0;
    Clock::time_point signalled;
    int nMailersAtSignal = 0;
    bool bGaveUp = false;
    // Two timers: a timer does not fire again while its own slot waits in a box.
    QTimer opener;
    QObject::connect(&opener, &QTimer::timeout, [&] {
        if (nStage == 0 && VisibleBoxes().size() == 1) {
            nStage = 1;
            nSecondAnswer = TfMessageBox("Replace the quotes file?", MB_YESNO | MB_ICONQUESTION);
        }
    });
    QTimer signaller;
    QObject::connect(&signaller, &QTimer::timeout, [&] {
        const std::vector<QMessageBox*> open = VisibleBoxes();
        if (nStage == 1 && open.size() == 2) {
            nStage = 2;
            signalled = Clock::now();
            nMailersAtSignal = nMailers;
            watcher.m_bSignalled = true;
            std::raise(SIGTERM);
        } else if (nStage == 2 && !open.empty() && Clock::now() - signalled > kGiveUpAfter) {
            bGaveUp = true;
            for (QMessageBox* pBox : open)
                pBox->done(0);
        }
    });
    opener.start(10);
    signaller.start(10);

    // Creation starts the first refresh; its mail failures come to their boxes as the events
    // are processed, and the signal ends it all.
    m_pDlg->Create();
    PumpUntil([&] { return m_pDlg->IsClosed() && VisibleBoxes().empty(); }, 8000);
    const auto ended = Clock::now();
    opener.stop();
    signaller.stop();
    SetMessageBoxSink(pRecording);

    ASSERT_EQ(nStage, 2) << "the boxes never opened";
    EXPECT_FALSE(bGaveUp) << "the boxes stayed open after the signal";
    EXPECT_LT(ended - signalled, kEndWithin);
    EXPECT_EQ(watcher.m_nShown, 2);
    EXPECT_TRUE(watcher.m_after.empty()) << "a box after the signal: " << watcher.m_after.front();
    // The box closed by the signal answers as if No was pressed.
    EXPECT_EQ(nSecondAnswer, IDNO);
    EXPECT_TRUE(m_pDlg->IsClosed());
    EXPECT_TRUE(m_pDlg->IsEnded());
    EXPECT_EQ(m_shell.IconCount(), 0u);
    // No mail is tried once the program is ending.
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(nMailers, nMailersAtSignal);
    // The prices of the refresh are saved.
    const CBlotterSpace saved = ReadBack();
    EXPECT_EQ(saved.m_trades.begin()->currentPrice, 12.5);
}
