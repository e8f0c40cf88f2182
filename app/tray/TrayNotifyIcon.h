// CTrayNotifyIcon: one icon in the desktop's notification area, owned by a window that
// receives the icon's callback message and the commands of its popup menu.
//
// The owner routes its callback message to OnTrayNotification; a right-button release opens
// the menu resource whose identifier is the icon's (its first popup, first item in bold),
// and a left double click sends the owner the first item's command without showing it.
// Every shell answer is returned to the caller; the class shows no message of its own.
#pragma once

#include <string>

#include "platform/framework/Object.h"
#include "platform/framework/Shell.h"
#include "platform/framework/Wnd.h"

class CTrayNotifyIcon : public CObject
{
    TF_DECLARE_DYNAMIC(CTrayNotifyIcon)

  public:
    CTrayNotifyIcon();
    // Removes the icon if it is up.
    ~CTrayNotifyIcon() override;
    CTrayNotifyIcon(const CTrayNotifyIcon&) = delete;
    CTrayNotifyIcon& operator=(const CTrayNotifyIcon&) = delete;

    // Puts the icon up. pWnd (not owned, may be nullptr) receives nCallbackMessage with uID
    // and the mouse message. The tooltip is cut to the 63 characters the record holds.
    bool Create(CWnd* pWnd, unsigned uID, const std::string& strToolTip, HICON hIcon,
                unsigned nCallbackMessage);
    // False without any shell call while the icon is not up.
    bool SetTooltipText(const std::string& strToolTip);
    bool SetIcon(HICON hIcon);
    // A desktop notification from the icon: strTitle over strText. False without any shell
    // call while the icon is not up.
    bool ShowBalloon(const std::string& strTitle, const std::string& strText);
    // Takes the icon down; nothing when it is not up.
    void RemoveIcon();

    // The callback message's two parameters; false when uID is not this icon's or its
    // menu cannot be loaded.
    virtual bool OnTrayNotification(WPARAM uID, LPARAM lEvent);

    bool IsCreated() const { return m_bCreated; }
    const NOTIFYICONDATA& GetNotifyIconData() const { return m_nid; }

  protected:
    NOTIFYICONDATA m_nid;
    bool m_bCreated;
};
