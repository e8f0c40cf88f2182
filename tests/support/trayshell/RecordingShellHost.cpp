#include "tests/support/trayshell/RecordingShellHost.h"

#include <cstring>

#include <QAction>
#include <QMenu>

#include "platform/framework/Ansi.h"
#include "platform/framework/Menu.h"
#include "platform/framework/Wnd.h"

CRecordingShellHost::CRecordingShellHost() : m_pPrevious(SetShellHost(this)) {}

CRecordingShellHost::~CRecordingShellHost()
{
    SetShellHost(m_pPrevious);
}

bool CRecordingShellHost::NotifyIcon(unsigned nMessage, const NOTIFYICONDATA& nid)
{
    m_calls.push_back({nMessage, nid});
    const auto key = std::make_pair(nid.hWnd, nid.uID);
    const auto it = m_icons.find(key);
    switch (nMessage) {
    case NIM_ADD:
        if (m_bRefuse || it != m_icons.end())
            return false;
        m_icons.emplace(key, nid);
        return true;
    case NIM_MODIFY:
        if (it == m_icons.end())
            return false;
        if ((nid.uFlags & NIF_ICON) != 0)
            it->second.hIcon = nid.hIcon;
        if ((nid.uFlags & NIF_TIP) != 0)
            std::memcpy(it->second.szTip, nid.szTip, sizeof nid.szTip);
        if ((nid.uFlags & NIF_MESSAGE) != 0)
            it->second.uCallbackMessage = nid.uCallbackMessage;
        return true;
    case NIM_DELETE:
        if (it == m_icons.end())
            return false;
        m_icons.erase(it);
        return true;
    default:
        return false;
    }
}

bool CRecordingShellHost::ShowBalloon(const NOTIFYICONDATA& nid, const std::string& strTitle,
                                      const std::string& strText)
{
    if (m_icons.find(std::make_pair(nid.hWnd, nid.uID)) == m_icons.end())
        return false;
    m_balloons.push_back({nid.hWnd, nid.uID, strTitle, strText});
    return true;
}

unsigned CRecordingShellHost::TrackPopupMenu(CMenu& menu, unsigned nFlags, QPoint pt, CWnd* pOwner)
{
    SPopup popup{{}, {}, menu.GetDefaultItem(), false, nFlags, pt, pOwner};
    const QList<QAction*> actions = menu.GetQMenu()->actions();
    for (QAction* pAction : actions) {
        popup.items.push_back(pAction->isSeparator() ? std::string()
                                                     : QStringToAnsi(pAction->text()));
        popup.ids.push_back(CMenu::CommandOf(pAction));
    }
    if (popup.nDefaultItem >= 0)
        popup.bDefaultBold = actions.at(popup.nDefaultItem)->font().bold();
    m_popups.push_back(popup);
    return m_nMenuAnswer;
}

bool CRecordingShellHost::Click(CWnd* pOwner, unsigned uID, unsigned nMouseMessage)
{
    const auto it = m_icons.find({pOwner, uID});
    if (it == m_icons.end() || pOwner == nullptr)
        return false;
    pOwner->SendMessage(it->second.uCallbackMessage, uID, static_cast<LPARAM>(nMouseMessage));
    return true;
}

const NOTIFYICONDATA* CRecordingShellHost::Icon(CWnd* pOwner, unsigned uID) const
{
    const auto it = m_icons.find({pOwner, uID});
    return it == m_icons.end() ? nullptr : &it->second;
}

std::string CRecordingShellHost::Tooltip(CWnd* pOwner, unsigned uID) const
{
    const NOTIFYICONDATA* pIcon = Icon(pOwner, uID);
    if (pIcon == nullptr)
        return {};
    return std::string(pIcon->szTip, strnlen(pIcon->szTip, sizeof pIcon->szTip));
}
