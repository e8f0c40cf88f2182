// A shell host for tests: installs itself for its lifetime and records every notification-
// icon call and every popup menu, with a notification area that can be present or absent,
// can refuse icons, and answers popup menus with a chosen command. Mouse events over an icon
// are played to its owner with Click.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/framework/Shell.h"

class CRecordingShellHost : public CShellHost
{
  public:
    struct SCall
    {
        unsigned nMessage;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
        NOTIFYICONDATA nid; // as passed
    };
    struct SBalloon
    {
        CWnd* pOwner;
        unsigned uID;
        std::string strTitle;
        std::string strText;
    };
    struct SPopup
    {
        std::vector<std::string> items; // item texts, "" for separators
        std::vector<unsigned> ids;
        int nDefaultItem;  // position of the default (bold) item, or -1
        bool bDefaultBold; // whether that item's font is bold
        unsigned nFlags;
        QPoint pt;
        CWnd* pOwner;
    };

    CRecordingShellHost();
    ~CRecordingShellHost() override;
    CRecordingShellHost(const CRecordingShellHost&) = delete;
    CRecordingShellHost& operator=(const CRecordingShellHost&) = delete;

    bool NotifyIcon(unsigned nMessage, const NOTIFYICONDATA& nid) override;
    bool ShowBalloon(const NOTIFYICONDATA& nid, const std::string& strTitle,
                     const std::string& strText) override;
    bool IsNotificationAreaAvailable() const override { return m_bAreaAvailable; }
    QPoint GetCursorPos() const override { return m_cursor; }
    void SetForegroundWindow(CWnd* pWnd) override { m_foreground.push_back(pWnd); }
    unsigned TrackPopupMenu(CMenu& menu, unsigned nFlags, QPoint pt, CWnd* pOwner) override;

    void SetAreaAvailable(bool bAvailable) { m_bAreaAvailable = bAvailable; }
    void SetRefuseIcons(bool bRefuse) { m_bRefuse = bRefuse; }
    void SetCursor(QPoint pt) { m_cursor = pt; }
    // The command the next popup menus answer with (0: dismissed).
    void SetMenuAnswer(unsigned nCommand) { m_nMenuAnswer = nCommand; }

    // Sends the icon's owner its callback message for a mouse event; false when no such icon.
    bool Click(CWnd* pOwner, unsigned uID, unsigned nMouseMessage);

    const std::vector<SCall>& Calls() const { return m_calls; }
    const std::vector<SPopup>& Popups() const { return m_popups; }
    // Desktop notifications shown by icons that were up, in order.
    const std::vector<SBalloon>& Balloons() const { return m_balloons; }
    const std::vector<CWnd*>& ForegroundWindows() const { return m_foreground; }
    // The icon as the notification area shows it now (flags merged), or nullptr.
    const NOTIFYICONDATA* Icon(CWnd* pOwner, unsigned uID) const;
    std::size_t IconCount() const { return m_icons.size(); }
    std::string Tooltip(CWnd* pOwner, unsigned uID) const;
    void ClearCalls() { m_calls.clear(); }

  private:
    CShellHost* m_pPrevious;
    bool m_bAreaAvailable = true;
    bool m_bRefuse = false;
    QPoint m_cursor{100, 200};
    unsigned m_nMenuAnswer = 0;
    std::vector<SCall> m_calls;
    std::vector<SPopup> m_popups;
    std::vector<SBalloon> m_balloons;
    std::vector<CWnd*> m_foreground;
    std::map<std::pair<CWnd*, unsigned>, NOTIFYICONDATA> m_icons;
};
