#include "model/CategoryRules.h"

#include <algorithm>

#include "model/TradeRecord.h"

const char* const kMsgTooManyCategories = "Cannot add more than 15 categories.";
const char* const kCapCategoryLimit = "PalmPilot Limit";

namespace {
void Refile(CBlotterSpace& doc, const std::string& from, const std::string& to)
{
    // Exact text: a trade filed under another letter case keeps its category.
    for (TradeRecord& trade : doc.m_trades)
        if (TradeCategory(trade) == from)
            SetTradeCategory(trade, to);
}
} // namespace

bool IsReservedCategory(std::string_view name)
{
    return name == kCategoryAll || name == kCategoryUnfiled;
}

std::string CategoryNameProblem(const CBlotterSpace& doc, std::string_view name)
{
    const std::string quoted = "\"" + std::string(name) + "\"";
    if (name.empty())
        return "a category needs a name";
    if (name.size() > kCategoryMax)
        return "Please enter no more than 15 characters.";
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F)
            return "the category " + quoted + " holds a control character";
    if (IsReservedCategory(name))
        return quoted + " is reserved";
    if (std::find(doc.m_categories.begin(), doc.m_categories.end(), name) != doc.m_categories.end())
        return "there is already a category " + quoted;
    return {};
}

CategoryResult AddTradeCategory(CBlotterSpace& doc, const std::string& name)
{
    CategoryResult result;
    if (doc.m_categories.size() >= kMaxCategories) {
        result.message = kMsgTooManyCategories;
        result.caption = kCapCategoryLimit;
        return result;
    }
    doc.m_categories.push_back(name);
    result.bChanged = true;
    return result;
}

CategoryResult RemoveTradeCategory(CBlotterSpace& doc, const std::string& name)
{
    Refile(doc, name, kCategoryUnfiled);
    CategoryResult result;
    auto it = std::find(doc.m_categories.begin(), doc.m_categories.end(), name);
    if (it != doc.m_categories.end()) {
        doc.m_categories.erase(it);
        result.bChanged = true;
    }
    return result;
}

CategoryResult RenameTradeCategory(CBlotterSpace& doc, const std::string& from,
                                   const std::string& to)
{
    CategoryResult result;
    auto it = std::find(doc.m_categories.begin(), doc.m_categories.end(), from);
    if (it == doc.m_categories.end())
        return result;
    *it = to;
    Refile(doc, from, to);
    if (doc.m_strCategoryFilter == from)
        doc.m_strCategoryFilter = to;
    result.bChanged = true;
    return result;
}
