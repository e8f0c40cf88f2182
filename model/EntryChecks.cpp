#include "model/EntryChecks.h"

#include <algorithm>
#include <vector>

#include "model/LedgerChecks.h"

const char* const kTradeCountries[12] = {
    "United States", "Canada", "United Kingdom", "France",      "Germany", "Italy",
    "Sweden",        "Norway", "Australia",      "Switzerland", "Ireland", "New Zealand"};

namespace {
std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::string Joined(const std::vector<std::string>& names)
{
    std::string out;
    for (const std::string& name : names)
        out += (out.empty() ? "" : ", ") + name;
    return out;
}
} // namespace

std::string TradeCountriesText()
{
    return Joined(std::vector<std::string>(std::begin(kTradeCountries), std::end(kTradeCountries)));
}

std::string SymbolProblem(std::string_view symbol)
{
    if (symbol.empty())
        return "the symbol is empty";
    if (symbol.size() > kSymbolMax)
        return "the symbol " + Quoted(symbol) + " is longer than 10 characters";
    for (unsigned char c : symbol) {
        // A comma would make the trade list's rows unreadable; control characters would end
        // up in request lines and mail subjects.
        if (c < 0x20 || c == 0x7F || c == ',')
            return "the symbol " + Quoted(symbol) + " holds a comma or a control character";
    }
    return {};
}

std::string TradeCategoryProblem(const CBlotterSpace& doc, std::string_view category)
{
    if (category.size() > kCategoryMax)
        return "the category " + Quoted(category) + " is longer than 15 characters";
    if (CheckTradeCategory(category))
        return kMsgCategoryAll;
    if (std::find(doc.m_categories.begin(), doc.m_categories.end(), category) ==
        doc.m_categories.end()) {
        std::vector<std::string> known;
        for (const std::string& name : doc.m_categories)
            if (name != kCategoryAll)
                known.push_back(name);
        return "no category " + Quoted(category) + " (the portfolio has: " + Joined(known) + ")";
    }
    return {};
}

std::string CountryProblem(std::string_view country)
{
    for (const char* known : kTradeCountries)
        if (country == known)
            return {};
    return "unknown country " + Quoted(country) + " (one of: " + TradeCountriesText() + ")";
}
