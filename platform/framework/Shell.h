// The shell's services to the program's windows: the notification-area icon (add, modify,
// delete, with a callback message to the owner), the cursor position, the foreground
// window, and popup-menu tracking. The default host works over QSystemTrayIcon and QMenu;
// tests install a recording host with SetShellHost.
//
// Mouse events over an icon reach its owner as the icon's callback message, with the icon
// identifier as the first parameter and the mouse message as the second: a right click as
// WM_RBUTTONUP, a double click as WM_LBUTTONDBLCLK, a single left click as WM_LBUTTONUP.
//
// A desktop without a notification area: NIM_ADD still succeeds (the icon appears should a
// notification area start later), and IsNotificationAreaAvailable() answers false. A window
// that would hide itself to the tray should then minimise instead, so that the user can
// always bring it back (CDialog::HideToTray does exactly that). NIM_ADD fails only when the
// record is malformed, the owner already has an icon with that identifier, or a
// notification area exists and cannot show it (no picture).
//
// An icon that is up can show a desktop notification (a title and a line of text) for the
// program: through the desktop's notification service where there is one, else as a balloon
// beside the icon.
#pragma once

#include <string>

#include <QPoint>

#include "platform/framework/Resources.h"
#include "platform/framework/WinDefs.h"

class CMenu;
class CWnd;

// Room for the tooltip, terminating zero included; longer texts are cut to fit.
constexpr std::size_t kNotifyTipSize = 64;
// The record's size as the shell expects it in cbSize; any other value is refused.
constexpr unsigned kNotifyIconDataSize = 88;

// The icon as passed to the shell; which fields count is given by uFlags.
struct NOTIFYICONDATA
{
    unsigned cbSize = 0;
    CWnd* hWnd = nullptr; // owner: receives the callback message; not owned
    unsigned uID = 0;
    unsigned uFlags = 0;
    unsigned uCallbackMessage = 0;
    HICON hIcon = nullptr;
    char szTip[kNotifyTipSize] = {};
};

class CShellHost
{
  public:
    virtual ~CShellHost() = default;
    // NIM_ADD, NIM_MODIFY or NIM_DELETE for the icon (owner, uID); true when accepted.
    virtual bool NotifyIcon(unsigned nMessage, const NOTIFYICONDATA& nid) = 0;
    // A desktop notification from the icon (owner, uID); false when that icon is not up.
    virtual bool ShowBalloon(const NOTIFYICONDATA& nid, const std::string& strTitle,
                             const std::string& strText) = 0;
    virtual bool IsNotificationAreaAvailable() const = 0;
    virtual QPoint GetCursorPos() const = 0;
    virtual void SetForegroundWindow(CWnd* pWnd) = 0;
    // Shows the menu at pt until the user chooses or dismisses it; the chosen command
    // identifier, or 0.
    virtual unsigned TrackPopupMenu(CMenu& menu, unsigned nFlags, QPoint pt, CWnd* pOwner) = 0;
};

// The host in use: the installed one, or the default host over Qt.
CShellHost& GetShellHost();
// Installs pHost (nullptr restores the default) and returns the one it replaces. The host
// is not owned.
CShellHost* SetShellHost(CShellHost* pHost);

bool Shell_NotifyIcon(unsigned nMessage, NOTIFYICONDATA* pnid);
// Texts are the program's 8-bit texts.
bool Shell_ShowBalloon(const NOTIFYICONDATA* pnid, const std::string& strTitle,
                       const std::string& strText);
bool IsNotificationAreaAvailable();
QPoint GetCursorPos();
void SetForegroundWindow(CWnd* pWnd);
