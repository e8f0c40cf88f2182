#include "platform/framework/Resources.h"

#include <map>
#include <memory>

#include <QIcon>

namespace {

struct SResourceTables
{
    std::map<unsigned, MenuTemplate> menus;
    std::map<unsigned, std::string> strings;
    // Handles stay valid while the entry lives, so icons are held by pointer.
    std::map<unsigned, std::unique_ptr<QIcon>> icons;
};

SResourceTables& Tables()
{
    static SResourceTables tables;
    return tables;
}

} // namespace

void RegisterMenuResource(unsigned nId, MenuTemplate menu)
{
    Tables().menus[nId] = std::move(menu);
}

const MenuTemplate* FindMenuResource(unsigned nId)
{
    const auto it = Tables().menus.find(nId);
    return it == Tables().menus.end() ? nullptr : &it->second;
}

void RegisterStringResource(unsigned nId, std::string strText)
{
    Tables().strings[nId] = std::move(strText);
}

std::string LoadStringResource(unsigned nId)
{
    const auto it = Tables().strings.find(nId);
    return it == Tables().strings.end() ? std::string() : it->second;
}

void RegisterIconResource(unsigned nId, const QIcon& icon)
{
    auto& pIcon = Tables().icons[nId];
    if (pIcon)
        *pIcon = icon; // keeps handles given out earlier pointing at the current picture
    else
        pIcon = std::make_unique<QIcon>(icon);
}

HICON LoadIconResource(unsigned nId)
{
    const auto it = Tables().icons.find(nId);
    return it == Tables().icons.end() ? nullptr : it->second.get();
}

void ClearResources()
{
    Tables().menus.clear();
    Tables().strings.clear();
    Tables().icons.clear();
}
