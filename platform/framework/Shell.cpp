#include "platform/framework/Shell.h"

#include <map>
#include <memory>
#include <utility>

#include <QAction>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QWidget>

#include "platform/framework/Ansi.h"
#include "platform/framework/Menu.h"
#include "platform/framework/Wnd.h"

namespace {

// How long a notification stays when the desktop leaves the choice to the program.
constexpr int kBalloonMs = 10000;

QString TipText(const NOTIFYICONDATA& nid)
{
    std::size_t nLength = 0;
    while (nLength < kNotifyTipSize && nid.szTip[nLength] != '\0')
        ++nLength;
    return AnsiToQString(std::string_view(nid.szTip, nLength));
}

unsigned MouseMessageOf(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Context:
        return WM_RBUTTONUP;
    case QSystemTrayIcon::DoubleClick:
        return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::Trigger:
        return WM_LBUTTONUP;
    case QSystemTrayIcon::MiddleClick:
        return WM_MBUTTONUP;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return 0;
}

// One QSystemTrayIcon per (owner, identifier), as the shell keeps one icon per pair.
class CQtShellHost final : public CShellHost
{
  public:
    bool NotifyIcon(unsigned nMessage, const NOTIFYICONDATA& nid) override
    {
        const auto key = std::make_pair(nid.hWnd, nid.uID);
        auto it = m_icons.find(key);
        switch (nMessage) {
        case NIM_ADD: {
            if (it != m_icons.end())
                return false;
            auto pEntry = std::make_unique<SEntry>();
            pEntry->pIcon = std::make_unique<QSystemTrayIcon>();
            SEntry* pRaw = pEntry.get();
            Apply(*pRaw, nid);
            QObject::connect(pRaw->pIcon.get(), &QSystemTrayIcon::activated,
                             [pRaw](QSystemTrayIcon::ActivationReason reason) {
                                 const unsigned nMouse = MouseMessageOf(reason);
                                 if (nMouse != 0 && pRaw->pOwner != nullptr && pRaw->nCallback != 0)
                                     pRaw->pOwner->SendMessage(pRaw->nCallback, pRaw->nId,
                                                               static_cast<LPARAM>(nMouse));
                             });
            // A notification area cannot show an icon without a picture: that is the one
            // refusal Qt lets us see before the icon goes up.
            if (QSystemTrayIcon::isSystemTrayAvailable() && pRaw->pIcon->icon().isNull())
                return false;
            pRaw->pIcon->show();
            m_icons.emplace(key, std::move(pEntry));
            return true;
        }
        case NIM_MODIFY:
            if (it == m_icons.end())
                return false;
            Apply(*it->second, nid);
            return true;
        case NIM_DELETE:
            if (it == m_icons.end())
                return false;
            it->second->pIcon->hide();
            m_icons.erase(it);
            return true;
        default:
            return false;
        }
    }

    bool ShowBalloon(const NOTIFYICONDATA& nid, const std::string& strTitle,
                     const std::string& strText) override
    {
        const auto it = m_icons.find(std::make_pair(nid.hWnd, nid.uID));
        if (it == m_icons.end())
            return false;
        it->second->pIcon->showMessage(AnsiToQString(strTitle), AnsiToQString(strText),
                                       QSystemTrayIcon::Information, kBalloonMs);
        return true;
    }

    bool IsNotificationAreaAvailable() const override
    {
        return QSystemTrayIcon::isSystemTrayAvailable();
    }

    QPoint GetCursorPos() const override { return QCursor::pos(); }

    void SetForegroundWindow(CWnd* pWnd) override
    {
        if (pWnd == nullptr || pWnd->GetWidget() == nullptr)
            return;
        QWidget* pWidget = pWnd->GetWidget();
        pWidget->raise();
        pWidget->activateWindow();
    }

    unsigned TrackPopupMenu(CMenu& menu, unsigned, QPoint pt, CWnd*) override
    {
        QAction* pChosen = menu.GetQMenu()->exec(pt);
        return CMenu::CommandOf(pChosen);
    }

  private:
    struct SEntry
    {
        std::unique_ptr<QSystemTrayIcon> pIcon;
        CWnd* pOwner = nullptr;
        unsigned nId = 0;
        unsigned nCallback = 0;
    };

    static void Apply(SEntry& entry, const NOTIFYICONDATA& nid)
    {
        entry.pOwner = nid.hWnd;
        entry.nId = nid.uID;
        if ((nid.uFlags & NIF_MESSAGE) != 0)
            entry.nCallback = nid.uCallbackMessage;
        if ((nid.uFlags & NIF_ICON) != 0)
            entry.pIcon->setIcon(nid.hIcon != nullptr ? *nid.hIcon : QIcon());
        if ((nid.uFlags & NIF_TIP) != 0)
            entry.pIcon->setToolTip(TipText(nid));
    }

    std::map<std::pair<CWnd*, unsigned>, std::unique_ptr<SEntry>> m_icons;
};

CShellHost*& InstalledHost()
{
    static CShellHost* pHost = nullptr;
    return pHost;
}

} // namespace

CShellHost& GetShellHost()
{
    if (InstalledHost() != nullptr)
        return *InstalledHost();
    static CQtShellHost defaultHost;
    return defaultHost;
}

CShellHost* SetShellHost(CShellHost* pHost)
{
    return std::exchange(InstalledHost(), pHost);
}

bool Shell_NotifyIcon(unsigned nMessage, NOTIFYICONDATA* pnid)
{
    if (pnid == nullptr || pnid->cbSize != kNotifyIconDataSize)
        return false;
    return GetShellHost().NotifyIcon(nMessage, *pnid);
}

bool Shell_ShowBalloon(const NOTIFYICONDATA* pnid, const std::string& strTitle,
                       const std::string& strText)
{
    if (pnid == nullptr || pnid->cbSize != kNotifyIconDataSize)
        return false;
    return GetShellHost().ShowBalloon(*pnid, strTitle, strText);
}

bool IsNotificationAreaAvailable()
{
    return GetShellHost().IsNotificationAreaAvailable();
}

QPoint GetCursorPos()
{
    return GetShellHost().GetCursorPos();
}

void SetForegroundWindow(CWnd* pWnd)
{
    GetShellHost().SetForegroundWindow(pWnd);
}
