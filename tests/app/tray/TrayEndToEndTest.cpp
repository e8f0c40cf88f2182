// The tray icon on a real X notification area (trayer under Xvfb): the icon goes up, a
// double click on it restores, and a right click opens the menu with Restore in bold whose
// Exit reaches the owner. Started by WithTrayer.sh under xvfb-run.
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QPixmap>
#include <QProcess>
#include <QTimer>

#include "app/tray/TrayNotifyIcon.h"
#include "platform/framework/Menu.h"

namespace {

constexpr unsigned kTrayId = 135;
constexpr unsigned kCallback = WM_USER + 100;
constexpr unsigned kRestore = 32776;
// Bound on every wait for the X server, trayer or the mouse.
constexpr int kWaitMs = 5000;

bool WaitFor(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < kWaitMs)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class COwner : public CWnd
{
  public:
    CTrayNotifyIcon m_icon;
    std::vector<unsigned> m_mouse;
    std::vector<unsigned> m_commands;

  protected:
    LRESULT WindowProc(unsigned nMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (nMsg == kCallback) {
            m_mouse.push_back(static_cast<unsigned>(lParam));
            m_icon.OnTrayNotification(wParam, lParam);
        } else if (nMsg == WM_COMMAND) {
            m_commands.push_back(LOWORD(wParam));
        }
        return 0;
    }
};

// Clicks the icon's embedded window with xdotool; false when it could not be done.
bool ClickIcon(int nButton, int nRepeat)
{
    QProcess xdotool;
    xdotool.start("xdotool",
                  {"search", "--onlyvisible", "--classname", QCoreApplication::applicationName(),
                   "mousemove", "--window", "%1", "8", "8", "click", "--repeat",
                   QString::number(nRepeat), "--delay", "80", QString::number(nButton)});
    return xdotool.waitForFinished(kWaitMs) && xdotool.exitCode() == 0;
}

} // namespace

TEST(TrayEndToEnd, TheIconAnswersTheMouseOnARealNotificationArea)
{
    int argc = 1;
    char name[] = "tf_tray_e2e";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    RegisterMenuResource(kTrayId,
                         {SMenuItem::Popup("Tray", {SMenuItem::Command("&Restore", kRestore),
                                                    SMenuItem::Command("E&xit", ID_APP_EXIT)})});
    QPixmap picture(22, 22);
    picture.fill(Qt::darkGreen);
    RegisterIconResource(133, QIcon(picture));

    ASSERT_TRUE(WaitFor([] { return IsNotificationAreaAvailable(); }))
        << "no notification area on this display";
    COwner owner;
    // A notification area that exists cannot show an icon without a picture: refused, so
    // the window can report "Failed to create tray icon".
    CTrayNotifyIcon bare;
    EXPECT_FALSE(bare.Create(&owner, kTrayId + 1, "no picture", nullptr, kCallback));
    EXPECT_FALSE(bare.IsCreated());
    ASSERT_TRUE(owner.m_icon.Create(&owner, kTrayId, "Tallyfern Desktop", LoadIconResource(133),
                                    kCallback));
    // Let trayer embed the icon before the mouse goes to it.
    ASSERT_TRUE(WaitFor([] {
        QProcess search;
        search.start("xdotool", {"search", "--onlyvisible", "--classname", "tf_tray_e2e"});
        return search.waitForFinished(kWaitMs) && search.exitCode() == 0;
    }));

    // Trayer maps the icon before it has placed it; give it a moment to settle.
    QElapsedTimer settle;
    settle.start();
    WaitFor([&] { return settle.elapsed() > 500; });

    ASSERT_TRUE(ClickIcon(1, 2));
    ASSERT_TRUE(WaitFor([&] { return !owner.m_commands.empty(); }));
    EXPECT_EQ(owner.m_commands.front(), kRestore);

    // The popup runs its own loop: look at it from a timer, then choose Exit.
    bool bSawMenu = false;
    bool bRestoreBold = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (pMenu == nullptr || pMenu->actions().size() != 2)
            return;
        bSawMenu = true;
        bRestoreBold =
            pMenu->actions()[0]->font().bold() && pMenu->defaultAction() == pMenu->actions()[0];
        // Chosen as a user chooses: highlight Exit, press Enter.
        pMenu->setActiveAction(pMenu->actions()[1]);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(pMenu, &enter);
    });
    probe.start(50);
    ASSERT_TRUE(ClickIcon(3, 1));
    ASSERT_TRUE(WaitFor([&] { return owner.m_commands.size() >= 2; }));
    probe.stop();
    EXPECT_TRUE(bSawMenu);
    EXPECT_TRUE(bRestoreBold);
    EXPECT_EQ(owner.m_commands.back(), ID_APP_EXIT);
    EXPECT_NE(std::find(owner.m_mouse.begin(), owner.m_mouse.end(), WM_LBUTTONDBLCLK),
              owner.m_mouse.end());
    EXPECT_NE(std::find(owner.m_mouse.begin(), owner.m_mouse.end(), WM_RBUTTONUP),
              owner.m_mouse.end());
    owner.m_icon.RemoveIcon();
}
