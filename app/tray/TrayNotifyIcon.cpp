#include "app/tray/TrayNotifyIcon.h"

#include <algorithm>
#include <cstring>

#include "platform/framework/Menu.h"
#include "platform/framework/Wnd.h"

TF_IMPLEMENT_DYNAMIC(CTrayNotifyIcon, CObject)

namespace {

void CopyTip(char (&szTip)[kNotifyTipSize], const std::string& strToolTip)
{
    // Longer texts are cut: the record keeps 63 characters and the terminating zero.
    const std::size_t nLength = std::min(strToolTip.size(), kNotifyTipSize - 1);
    std::memcpy(szTip, strToolTip.data(), nLength);
    std::memset(szTip + nLength, 0, kNotifyTipSize - nLength);
}

} // namespace

CTrayNotifyIcon::CTrayNotifyIcon() : m_nid(), m_bCreated(false) {}

CTrayNotifyIcon::~CTrayNotifyIcon()
{
    RemoveIcon();
}

bool CTrayNotifyIcon::Create(CWnd* pWnd, unsigned uID, const std::string& strToolTip, HICON hIcon,
                             unsigned nCallbackMessage)
{
    m_nid = NOTIFYICONDATA();
    m_nid.cbSize = kNotifyIconDataSize;
    m_nid.hWnd = pWnd;
    m_nid.uID = uID;
    m_nid.hIcon = hIcon;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = nCallbackMessage;
    CopyTip(m_nid.szTip, strToolTip);
    m_bCreated = Shell_NotifyIcon(NIM_ADD, &m_nid);
    return m_bCreated;
}

bool CTrayNotifyIcon::SetTooltipText(const std::string& strToolTip)
{
    if (!m_bCreated)
        return false;
    m_nid.uFlags = NIF_TIP;
    CopyTip(m_nid.szTip, strToolTip);
    return Shell_NotifyIcon(NIM_MODIFY, &m_nid);
}

bool CTrayNotifyIcon::SetIcon(HICON hIcon)
{
    if (!m_bCreated)
        return false;
    m_nid.uFlags = NIF_ICON;
    m_nid.hIcon = hIcon;
    return Shell_NotifyIcon(NIM_MODIFY, &m_nid);
}

bool CTrayNotifyIcon::ShowBalloon(const std::string& strTitle, const std::string& strText)
{
    if (!m_bCreated)
        return false;
    return Shell_ShowBalloon(&m_nid, strTitle, strText);
}

void CTrayNotifyIcon::RemoveIcon()
{
    if (!m_bCreated)
        return;
    m_nid.uFlags = 0;
    Shell_NotifyIcon(NIM_DELETE, &m_nid);
    m_bCreated = false;
}

bool CTrayNotifyIcon::OnTrayNotification(WPARAM uID, LPARAM lEvent)
{
    if (uID != m_nid.uID)
        return false;

    // The menu is loaded anew for every notification and dies with this call.
    CMenu menu;
    if (!menu.LoadMenu(m_nid.uID))
        return false;
    CMenu* pSubMenu = menu.GetSubMenu(0);
    if (pSubMenu == nullptr)
        return false;

    if (lEvent == static_cast<LPARAM>(WM_RBUTTONUP)) {
        pSubMenu->SetDefaultItem(0, true);
        const QPoint pos = GetCursorPos();
        SetForegroundWindow(m_nid.hWnd);
        pSubMenu->TrackPopupMenu(TPM_LEFTBUTTON, pos, m_nid.hWnd);
    } else if (lEvent == static_cast<LPARAM>(WM_LBUTTONDBLCLK)) {
        if (m_nid.hWnd != nullptr)
            m_nid.hWnd->SendMessage(WM_COMMAND, MAKEWPARAM(pSubMenu->GetMenuItemID(0), 0), 0);
    }
    menu.DestroyMenu();
    return true;
}
