#include "platform/framework/Menu.h"

#include <QAction>
#include <QFont>
#include <QMenu>

#include "platform/framework/Ansi.h"
#include "platform/framework/Shell.h"
#include "platform/framework/Wnd.h"

namespace {

// Qt property holding an action's command identifier.
constexpr const char* kCommandProperty = "tfCommandId";

QAction* AddCommand(QMenu* pMenu, const std::string& strText, unsigned nId, bool bGrayed)
{
    QAction* pAction = pMenu->addAction(AnsiToQString(strText));
    pAction->setProperty(kCommandProperty, nId);
    pAction->setEnabled(!bGrayed);
    return pAction;
}

} // namespace

CMenu::CMenu() = default;

CMenu::CMenu(QMenu* pBorrowed) : m_pMenu(pBorrowed) {}

CMenu::~CMenu()
{
    DestroyMenu();
}

std::unique_ptr<CMenu> CMenu::FromQMenu(QMenu* pMenu)
{
    return std::unique_ptr<CMenu>(new CMenu(pMenu));
}

void CMenu::FillQMenu(QMenu* pMenu, const std::vector<SMenuItem>& items)
{
    for (const SMenuItem& item : items) {
        if (item.bSeparator) {
            pMenu->addSeparator();
        } else if (!item.popup.empty()) {
            QMenu* pPopup = pMenu->addMenu(AnsiToQString(item.strText));
            FillQMenu(pPopup, item.popup);
        } else {
            AddCommand(pMenu, item.strText, item.nId, item.bGrayed);
        }
    }
}

bool CMenu::LoadMenu(unsigned nId)
{
    const MenuTemplate* pMenu = FindMenuResource(nId);
    if (pMenu == nullptr) {
        DestroyMenu();
        return false;
    }
    LoadMenu(*pMenu);
    return true;
}

void CMenu::LoadMenu(const MenuTemplate& menu)
{
    CreatePopupMenu();
    FillQMenu(m_pMenu, menu);
}

void CMenu::CreatePopupMenu()
{
    DestroyMenu();
    m_pMenu = new QMenu();
    m_bOwned = true;
}

void CMenu::DestroyMenu()
{
    m_subMenus.clear();
    if (m_bOwned)
        delete m_pMenu;
    m_pMenu = nullptr;
    m_bOwned = false;
}

QAction* CMenu::ActionAt(int nPos) const
{
    if (m_pMenu == nullptr || nPos < 0)
        return nullptr;
    const QList<QAction*> actions = m_pMenu->actions();
    return nPos < actions.size() ? actions.at(nPos) : nullptr;
}

CMenu* CMenu::GetSubMenu(int nPos) const
{
    QAction* pAction = ActionAt(nPos);
    if (pAction == nullptr || pAction->menu() == nullptr)
        return nullptr;
    if (m_subMenus.size() <= static_cast<std::size_t>(nPos))
        m_subMenus.resize(static_cast<std::size_t>(nPos) + 1);
    auto& pSub = m_subMenus[static_cast<std::size_t>(nPos)];
    if (!pSub || pSub->m_pMenu != pAction->menu())
        pSub.reset(new CMenu(pAction->menu()));
    return pSub.get();
}

int CMenu::GetMenuItemCount() const
{
    return m_pMenu == nullptr ? -1 : static_cast<int>(m_pMenu->actions().size());
}

unsigned CMenu::GetMenuItemID(int nPos) const
{
    const QAction* pAction = ActionAt(nPos);
    if (pAction == nullptr)
        return ~0u;
    return CommandOf(pAction);
}

std::string CMenu::GetMenuString(int nPos) const
{
    const QAction* pAction = ActionAt(nPos);
    return pAction == nullptr ? std::string() : QStringToAnsi(pAction->text());
}

void CMenu::AppendMenu(unsigned nFlags, unsigned nId, const std::string& strText)
{
    if (m_pMenu == nullptr)
        CreatePopupMenu();
    if ((nFlags & MF_SEPARATOR) != 0)
        m_pMenu->addSeparator();
    else
        AddCommand(m_pMenu, strText, nId, (nFlags & MF_GRAYED) != 0);
}

bool CMenu::SetDefaultItem(unsigned nItem, bool bByPos)
{
    if (m_pMenu == nullptr)
        return false;
    QAction* pChosen = nullptr;
    const QList<QAction*> actions = m_pMenu->actions();
    for (qsizetype i = 0; i < actions.size(); ++i) {
        const bool bMatch = bByPos ? static_cast<unsigned>(i) == nItem
                                   : !actions[i]->isSeparator() && CommandOf(actions[i]) == nItem;
        if (bMatch) {
            pChosen = actions[i];
            break;
        }
    }
    if (pChosen == nullptr || pChosen->isSeparator())
        return false;
    for (QAction* pAction : actions) {
        QFont font = pAction->font();
        font.setBold(pAction == pChosen);
        pAction->setFont(font);
    }
    m_pMenu->setDefaultAction(pChosen);
    return true;
}

int CMenu::GetDefaultItem() const
{
    if (m_pMenu == nullptr || m_pMenu->defaultAction() == nullptr)
        return -1;
    return static_cast<int>(m_pMenu->actions().indexOf(m_pMenu->defaultAction()));
}

bool CMenu::EnableMenuItem(unsigned nId, bool bEnable)
{
    if (m_pMenu == nullptr)
        return false;
    for (QAction* pAction : m_pMenu->actions()) {
        if (!pAction->isSeparator() && pAction->menu() == nullptr && CommandOf(pAction) == nId) {
            pAction->setEnabled(bEnable);
            return true;
        }
    }
    return false;
}

unsigned CMenu::TrackPopupMenu(unsigned nFlags, QPoint pt, CWnd* pOwner)
{
    if (m_pMenu == nullptr)
        return 0;
    const unsigned nChosen = GetShellHost().TrackPopupMenu(*this, nFlags, pt, pOwner);
    if ((nFlags & TPM_RETURNCMD) != 0)
        return nChosen;
    if (nChosen != 0 && pOwner != nullptr)
        pOwner->PostMessage(WM_COMMAND, MAKEWPARAM(nChosen, 0), 0);
    return nChosen != 0 ? 1 : 0;
}

unsigned CMenu::CommandOf(const QAction* pAction)
{
    if (pAction == nullptr)
        return 0;
    const QVariant value = pAction->property(kCommandProperty);
    return value.isValid() ? value.toUInt() : 0;
}
