// CDialog as a window: caption, showing and hiding, icon, window timers, the menu bar's
// commands and the system menu.
#include <algorithm>
#include <cstdint>

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>

#include "platform/framework/Ansi.h"
#include "platform/framework/Dialog.h"
#include "platform/framework/Shell.h"

// ---- the window

void CDialog::SetWindowText(const std::string& strText)
{
    setWindowTitle(AnsiToQString(strText));
}

std::string CDialog::GetWindowText() const
{
    return QStringToAnsi(windowTitle());
}

void CDialog::ShowWindow(int nCmdShow)
{
    switch (nCmdShow) {
    case SW_HIDE:
        hide();
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        showMinimized();
        break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
        showNormal();
        raise();
        activateWindow();
        break;
    default:
        show();
        break;
    }
}

void CDialog::HideToTray()
{
    if (IsNotificationAreaAvailable())
        hide();
    else
        showMinimized();
}

void CDialog::SetIcon(HICON hIcon, bool /*bBigIcon*/)
{
    // One window icon serves both sizes; the desktop scales it.
    setWindowIcon(hIcon != nullptr ? *hIcon : QIcon());
}

bool CDialog::SetTimer(unsigned nIdEvent, unsigned nElapseMs)
{
    KillTimer(nIdEvent);
    const int nTimer = startTimer(static_cast<int>(std::min<unsigned>(nElapseMs, INT32_MAX)));
    if (nTimer == 0)
        return false;
    m_timers[nIdEvent] = {nTimer, nElapseMs};
    return true;
}

bool CDialog::KillTimer(unsigned nIdEvent)
{
    const auto it = m_timers.find(nIdEvent);
    if (it == m_timers.end())
        return false;
    killTimer(it->second.first);
    m_timers.erase(it);
    return true;
}

unsigned CDialog::GetTimerInterval(unsigned nIdEvent) const
{
    const auto it = m_timers.find(nIdEvent);
    return it == m_timers.end() ? 0 : it->second.second;
}

QAction* CDialog::FindMenuCommand(unsigned nId) const
{
    if (m_pMenuBar == nullptr)
        return nullptr;
    for (QAction* pAction : m_pMenuBar->findChildren<QAction*>()) {
        if (!pAction->isSeparator() && pAction->menu() == nullptr &&
            CMenu::CommandOf(pAction) == nId)
            return pAction;
    }
    return nullptr;
}

void CDialog::BuildSystemMenu()
{
    auto* pMenu = new QMenu(this);
    m_pSystemMenu = CMenu::FromQMenu(pMenu);
    if (m_template.bMinimizeBox)
        m_pSystemMenu->AppendMenu(MF_STRING, SC_MINIMIZE, "Mi&nimize");
    m_pSystemMenu->AppendMenu(MF_STRING, SC_CLOSE, "&Close");
}

CMenu* CDialog::GetSystemMenu()
{
    if (!m_pSystemMenu)
        BuildSystemMenu();
    return m_pSystemMenu.get();
}

void CDialog::ShowSystemMenu(QPoint pt)
{
    const unsigned nId = GetSystemMenu()->TrackPopupMenu(TPM_RETURNCMD, pt, this);
    if (nId != 0)
        SendMessage(WM_SYSCOMMAND, nId, 0);
}
