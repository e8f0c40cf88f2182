// CMenu: a menu built from a menu resource (or item by item), shown as a window's menu bar,
// as the system menu, or tracked as a popup. Chosen items reach the owner window as
// WM_COMMAND with the item's identifier.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QPoint>

#include "platform/framework/Resources.h"

class QAction;
class QMenu;
class CWnd;

class CMenu
{
  public:
    CMenu();
    ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    // Builds the menu registered under nId; false (and an empty menu) when there is none.
    bool LoadMenu(unsigned nId);
    // Builds the menu from items given in place.
    void LoadMenu(const MenuTemplate& menu);
    // An empty popup menu to fill with AppendMenu.
    void CreatePopupMenu();
    void DestroyMenu();
    bool IsLoaded() const { return m_pMenu != nullptr; }
    // Wraps a Qt menu owned elsewhere (a window's system menu).
    static std::unique_ptr<CMenu> FromQMenu(QMenu* pMenu);

    // The popup at nPos, owned by this menu; nullptr when nPos holds no popup.
    CMenu* GetSubMenu(int nPos) const;
    int GetMenuItemCount() const;
    // The command identifier at nPos; 0 for a separator or popup, ~0u past the end.
    unsigned GetMenuItemID(int nPos) const;
    std::string GetMenuString(int nPos) const;

    // MF_STRING or MF_SEPARATOR, optionally MF_GRAYED.
    void AppendMenu(unsigned nFlags, unsigned nId = 0, const std::string& strText = {});
    // Makes an item the default one, drawn in bold; nItem is a position when bByPos, else a
    // command identifier. False when no such item exists.
    bool SetDefaultItem(unsigned nItem, bool bByPos);
    // Position of the default item, or -1.
    int GetDefaultItem() const;
    bool EnableMenuItem(unsigned nId, bool bEnable);

    // Shows the menu as a popup at pt (screen coordinates) through the shell host and waits
    // until it closes. With TPM_RETURNCMD the chosen identifier is returned and nothing is
    // sent; otherwise the choice is posted to pOwner as WM_COMMAND and the result is
    // nonzero when an item was chosen.
    unsigned TrackPopupMenu(unsigned nFlags, QPoint pt, CWnd* pOwner);

    QMenu* GetQMenu() const { return m_pMenu; }
    // Identifier carried by a Qt action created by this class (0 for others).
    static unsigned CommandOf(const QAction* pAction);
    // Adds the items to a Qt menu; used for menu bars too.
    static void FillQMenu(QMenu* pMenu, const std::vector<SMenuItem>& items);

  private:
    explicit CMenu(QMenu* pBorrowed);
    QAction* ActionAt(int nPos) const;

    QMenu* m_pMenu = nullptr;
    bool m_bOwned = false;
    // Wrappers of the popups, made on demand, indexed by position.
    mutable std::vector<std::unique_ptr<CMenu>> m_subMenus;
};
