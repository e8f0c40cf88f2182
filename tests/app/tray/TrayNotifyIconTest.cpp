#include "app/tray/TrayNotifyIcon.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <QIcon>
#include <QPixmap>

#include "platform/framework/Menu.h"
#include "tests/platform/framework/TestApp.h"
#include "tests/support/trayshell/RecordingShellHost.h"

namespace {

constexpr unsigned kTrayId = 135;
constexpr unsigned kCallback = WM_USER + 100;
constexpr unsigned kRestore = 32776;
constexpr unsigned kGainIcon = 133;
constexpr unsigned kLossIcon = 134;

// An owner window that records the messages it receives and hands the callback message to
// its icon, as the main window does.
class COwner : public CWnd
{
  public:
    CTrayNotifyIcon* m_pIcon = nullptr;
    std::vector<unsigned> m_commands;
    std::vector<bool> m_answers;

  protected:
    LRESULT WindowProc(unsigned nMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (nMsg == kCallback && m_pIcon != nullptr)
            m_answers.push_back(m_pIcon->OnTrayNotification(wParam, lParam));
        else if (nMsg == WM_COMMAND)
            m_commands.push_back(LOWORD(wParam));
        return 0;
    }
};

void RegisterTrayResources()
{
    RegisterMenuResource(kTrayId,
                         {SMenuItem::Popup("Tray", {SMenuItem::Command("&Restore", kRestore),
                                                    SMenuItem::Command("E&xit", ID_APP_EXIT)})});
    QPixmap green(16, 16);
    green.fill(Qt::darkGreen);
    QPixmap red(16, 16);
    red.fill(Qt::red);
    RegisterIconResource(kGainIcon, QIcon(green));
    RegisterIconResource(kLossIcon, QIcon(red));
}

std::vector<unsigned> Messages(const CRecordingShellHost& shell)
{
    std::vector<unsigned> messages;
    for (const auto& call : shell.Calls())
        messages.push_back(call.nMessage);
    return messages;
}

} // namespace

TEST(TrayNotifyIcon, IsAFrameworkObjectThatStartsEmpty)
{
    TestApp();
    CTrayNotifyIcon icon;
    EXPECT_STREQ(icon.GetRuntimeClass()->m_lpszClassName, "CTrayNotifyIcon");
    EXPECT_TRUE(icon.IsKindOf(TF_RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(icon.IsCreated());
    EXPECT_EQ(icon.GetNotifyIconData().cbSize, 0u);
    EXPECT_EQ(icon.GetNotifyIconData().hWnd, nullptr);
}

TEST(TrayNotifyIcon, ActsOnlyWhileTheIconIsUp)
{
    TestApp();
    RegisterTrayResources();
    CRecordingShellHost shell;
    COwner owner;
    CTrayNotifyIcon icon;

    EXPECT_FALSE(icon.SetTooltipText("early"));
    EXPECT_FALSE(icon.SetIcon(LoadIconResource(kLossIcon)));
    icon.RemoveIcon();
    EXPECT_TRUE(shell.Calls().empty());

    ASSERT_TRUE(
        icon.Create(&owner, kTrayId, "Tallyfern Desktop", LoadIconResource(kGainIcon), kCallback));
    const NOTIFYICONDATA& nid = shell.Calls().at(0).nid;
    EXPECT_EQ(shell.Calls()[0].nMessage, NIM_ADD);
    EXPECT_EQ(nid.cbSize, 88u);
    EXPECT_EQ(nid.hWnd, &owner);
    EXPECT_EQ(nid.uID, kTrayId);
    EXPECT_EQ(nid.uFlags, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    EXPECT_EQ(nid.uCallbackMessage, kCallback);
    EXPECT_EQ(nid.hIcon, LoadIconResource(kGainIcon));
    EXPECT_STREQ(nid.szTip, "Tallyfern Desktop");

    EXPECT_TRUE(icon.SetIcon(LoadIconResource(kLossIcon)));
    EXPECT_EQ(shell.Calls().back().nid.uFlags, NIF_ICON);
    EXPECT_TRUE(icon.SetTooltipText("Tallyfern Desktop: Lost -12.50 today!"));
    EXPECT_EQ(shell.Calls().back().nid.uFlags, NIF_TIP);
    EXPECT_EQ(shell.Icon(&owner, kTrayId)->hIcon, LoadIconResource(kLossIcon));
    EXPECT_EQ(shell.Tooltip(&owner, kTrayId), "Tallyfern Desktop: Lost -12.50 today!");

    // A tooltip longer than the record holds is cut to 63 characters.
    EXPECT_TRUE(icon.SetTooltipText(std::string(70, 'x')));
    EXPECT_EQ(shell.Tooltip(&owner, kTrayId), std::string(63, 'x'));

    icon.RemoveIcon();
    icon.RemoveIcon();
    EXPECT_FALSE(icon.SetTooltipText("late"));
    EXPECT_FALSE(icon.SetIcon(LoadIconResource(kGainIcon)));
    EXPECT_EQ(Messages(shell),
              (std::vector<unsigned>{NIM_ADD, NIM_MODIFY, NIM_MODIFY, NIM_MODIFY, NIM_DELETE}));
    EXPECT_EQ(shell.Calls().back().nid.uFlags, 0u);
    EXPECT_EQ(shell.IconCount(), 0u);
}

TEST(TrayNotifyIcon, ARefusedIconLeavesItNotCreated)
{
    TestApp();
    RegisterTrayResources();
    CRecordingShellHost shell;
    shell.SetRefuseIcons(true);
    COwner owner;
    CTrayNotifyIcon icon;
    EXPECT_FALSE(
        icon.Create(&owner, kTrayId, "Tallyfern Desktop", LoadIconResource(kGainIcon), kCallback));
    EXPECT_FALSE(icon.IsCreated());
    EXPECT_FALSE(icon.SetIcon(LoadIconResource(kLossIcon)));
    EXPECT_EQ(shell.Calls().size(), 1u);
}

TEST(TrayNotifyIcon, DestructionTakesTheIconDown)
{
    TestApp();
    RegisterTrayResources();
    CRecordingShellHost shell;
    COwner owner;
    {
        CTrayNotifyIcon icon;
        ASSERT_TRUE(icon.Create(&owner, kTrayId, "Tallyfern Desktop", LoadIconResource(kGainIcon),
                                kCallback));
        EXPECT_EQ(shell.IconCount(), 1u);
    }
    EXPECT_EQ(shell.IconCount(), 0u);
    EXPECT_EQ(Messages(shell), (std::vector<unsigned>{NIM_ADD, NIM_DELETE}));
}

TEST(TrayNotifyIcon, MouseMessagesOpenTheMenuOrRestore)
{
    TestApp();
    RegisterTrayResources();
    CRecordingShellHost shell;
    shell.SetCursor(QPoint(640, 470));
    COwner owner;
    CTrayNotifyIcon icon;
    owner.m_pIcon = &icon;
    ASSERT_TRUE(
        icon.Create(&owner, kTrayId, "Tallyfern Desktop", LoadIconResource(kGainIcon), kCallback));

    // A double click runs Restore at once, without a menu.
    ASSERT_TRUE(shell.Click(&owner, kTrayId, WM_LBUTTONDBLCLK));
    EXPECT_EQ(owner.m_commands, std::vector<unsigned>{kRestore});
    EXPECT_TRUE(shell.Popups().empty());

    // A right click shows the menu at the cursor with Restore in bold, owner in front; the
    // chosen item arrives as a command once the menu has closed.
    shell.SetMenuAnswer(ID_APP_EXIT);
    ASSERT_TRUE(shell.Click(&owner, kTrayId, WM_RBUTTONUP));
    ASSERT_EQ(shell.Popups().size(), 1u);
    const auto& popup = shell.Popups()[0];
    EXPECT_EQ(popup.items, (std::vector<std::string>{"&Restore", "E&xit"}));
    EXPECT_EQ(popup.ids, (std::vector<unsigned>{kRestore, ID_APP_EXIT}));
    EXPECT_EQ(popup.nDefaultItem, 0);
    EXPECT_TRUE(popup.bDefaultBold);
    EXPECT_EQ(popup.pt, QPoint(640, 470));
    EXPECT_EQ(popup.nFlags, TPM_LEFTBUTTON);
    EXPECT_EQ(popup.pOwner, &owner);
    EXPECT_EQ(shell.ForegroundWindows(), std::vector<CWnd*>{&owner});
    ASSERT_TRUE(WaitFor([&] { return owner.m_commands.size() == 2; }));
    EXPECT_EQ(owner.m_commands.back(), ID_APP_EXIT);

    // A dismissed menu sends nothing; other mouse messages do nothing but are this icon's.
    shell.SetMenuAnswer(0);
    ASSERT_TRUE(shell.Click(&owner, kTrayId, WM_RBUTTONUP));
    ASSERT_TRUE(shell.Click(&owner, kTrayId, WM_MOUSEMOVE));
    QApplication::processEvents();
    EXPECT_EQ(owner.m_commands.size(), 2u);
    EXPECT_EQ(owner.m_answers, (std::vector<bool>{true, true, true, true}));

    // Another icon's identifier, or a missing menu resource, is not handled.
    EXPECT_FALSE(icon.OnTrayNotification(136, WM_RBUTTONUP));
    ClearResources();
    EXPECT_FALSE(icon.OnTrayNotification(kTrayId, WM_LBUTTONDBLCLK));
    EXPECT_EQ(owner.m_commands.size(), 2u);
    EXPECT_EQ(shell.Popups().size(), 2u);
}

TEST(TrayNotifyIcon, TheQtShellKeepsTheProgramRunningWithoutANotificationArea)
{
    // Under the offscreen platform there is no notification area: the icon is still taken
    // (the program goes on), and the area is reported missing so that windows minimise.
    TestApp();
    RegisterTrayResources();
    COwner owner;
    CTrayNotifyIcon icon;
    EXPECT_FALSE(IsNotificationAreaAvailable());
    EXPECT_TRUE(
        icon.Create(&owner, kTrayId, "Tallyfern Desktop", LoadIconResource(kGainIcon), kCallback));
    EXPECT_TRUE(icon.SetTooltipText("Tallyfern Desktop: Made \x80 today!"));
    EXPECT_TRUE(icon.SetIcon(LoadIconResource(kLossIcon)));
    // The same owner and identifier cannot be added twice.
    CTrayNotifyIcon twin;
    EXPECT_FALSE(twin.Create(&owner, kTrayId, "twin", LoadIconResource(kGainIcon), kCallback));
    icon.RemoveIcon();
    EXPECT_FALSE(icon.IsCreated());
    // A record of the wrong size is refused before it reaches the shell.
    NOTIFYICONDATA bad;
    bad.cbSize = 504;
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &bad));
}
