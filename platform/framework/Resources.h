// The program's resource tables: menus, strings and icons registered once at start-up under
// their numeric identifiers, and loaded by identifier wherever the program needs them
// (CMenu::LoadMenu, LoadStringResource, LoadIconResource). Registering an identifier again
// replaces the earlier entry.
#pragma once

#include <string>
#include <vector>

class QIcon;

// An icon handle: owned by the icon table and valid for the life of the process.
using HICON = const QIcon*;

// One menu item: a command ("&Restore", 32776), a separator, or a popup with items of its
// own. "&" before a letter makes it the item's mnemonic; "&&" is a literal ampersand.
struct SMenuItem
{
    std::string strText;
    unsigned nId = 0;
    std::vector<SMenuItem> popup;
    bool bSeparator = false;
    bool bGrayed = false;

    static SMenuItem Command(std::string strText, unsigned nId)
    {
        return SMenuItem{std::move(strText), nId, {}, false, false};
    }
    static SMenuItem Popup(std::string strText, std::vector<SMenuItem> items)
    {
        return SMenuItem{std::move(strText), 0, std::move(items), false, false};
    }
    static SMenuItem Separator() { return SMenuItem{{}, 0, {}, true, false}; }
};

// A menu resource: its top-level items, normally popups ("&File", "&Help").
using MenuTemplate = std::vector<SMenuItem>;

void RegisterMenuResource(unsigned nId, MenuTemplate menu);
// The menu registered under nId, or nullptr.
const MenuTemplate* FindMenuResource(unsigned nId);

void RegisterStringResource(unsigned nId, std::string strText);
// The string registered under nId, or an empty string.
std::string LoadStringResource(unsigned nId);

void RegisterIconResource(unsigned nId, const QIcon& icon);
// The icon registered under nId, or nullptr.
HICON LoadIconResource(unsigned nId);

// Forgets every entry (tests start each case from empty tables).
void ClearResources();
