// The rules by which categories are added, removed and renamed, shared by the category
// dialog and tfport. "All" and "Unfiled" have fixed roles; the handheld takes at most
// kMaxCategories names.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "BlotterSpace.h"

// The handheld takes no more categories than this, "All" and "Unfiled" included.
constexpr std::size_t kMaxCategories = 15;

struct CategoryResult
{
    bool bChanged = false;
    std::string message; // empty unless refused
    std::string caption;

    bool Refused() const { return !message.empty(); }
};

extern const char* const kMsgTooManyCategories;
extern const char* const kCapCategoryLimit;

// "All" and "Unfiled": never added, removed or renamed from the terminal.
bool IsReservedCategory(std::string_view name);
// Why a name cannot be a new category (empty, too long, control characters, reserved, or
// already in the list), or empty when it can.
std::string CategoryNameProblem(const CBlotterSpace& doc, std::string_view name);

// Appends the name; refused when the list already holds kMaxCategories entries.
CategoryResult AddTradeCategory(CBlotterSpace& doc, const std::string& name);
// Files every trade of exactly this name (deleted ones too) under "Unfiled", then removes
// the first entry of the name; bChanged tells whether an entry was removed.
CategoryResult RemoveTradeCategory(CBlotterSpace& doc, const std::string& name);
// Renames the first entry in place and refiles its trades (and the window's filter) under
// the new name. The caller has checked both names.
CategoryResult RenameTradeCategory(CBlotterSpace& doc, const std::string& from,
                                   const std::string& to);
