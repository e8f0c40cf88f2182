// buy, sell, update and remove: the ledger rules applied to the file. A refusal prints the
// rule's message and leaves the file as it was.
#include <algorithm>
#include <ctime>
#include <ostream>

#include "model/Ledger.h"
#include "platform/text/FormatAmount.h"
#include "tools/tfport/Commands.h"
#include "tools/tfport/TerminalText.h"

namespace {
// The countries a trade can be entered for: those the trade dialog offers, and the two
// more the quote sources know.
const char* const kKnownCountries[] = {
    "United States", "Canada", "United Kingdom", "France",      "Germany", "Italy",
    "Sweden",        "Norway", "Australia",      "Switzerland", "Ireland", "New Zealand"};

std::string CheckedSymbol(const std::string& symbol)
{
    if (symbol.empty())
        throw CCommandError{"the symbol is empty"};
    if (symbol.size() > kSymbolMax)
        throw CCommandError{"the symbol \"" + symbol + "\" is longer than 10 characters"};
    for (unsigned char c : symbol) {
        // A comma would make the trade list's rows unreadable; control characters would end
        // up in request lines and mail subjects.
        if (c < 0x20 || c == 0x7F || c == ',')
            throw CCommandError{"the symbol \"" + symbol +
                                "\" holds a comma or a control character"};
    }
    return symbol;
}

std::string CheckedCategory(const CBlotterSpace& doc, const std::string& category)
{
    if (category.size() > kCategoryMax)
        throw CCommandError{"the category \"" + category + "\" is longer than 15 characters"};
    if (std::find(doc.m_categories.begin(), doc.m_categories.end(), category) ==
        doc.m_categories.end()) {
        std::string known;
        for (const std::string& c : doc.m_categories)
            known += (known.empty() ? "" : ", ") + c;
        throw CCommandError{"no category \"" + category + "\" (the portfolio has: " + known + ")"};
    }
    return category;
}

std::string CheckedCountry(const std::string& country)
{
    for (const char* known : kKnownCountries)
        if (country == known)
            return country;
    std::string list;
    for (const char* known : kKnownCountries)
        list += (list.empty() ? "" : ", ") + std::string(known);
    throw CCommandError{"unknown country \"" + country + "\" (one of: " + list + ")"};
}

double OptionalNumber(const CCommandLine& line, const char* name, double fallback)
{
    auto text = line.Option(name);
    return text ? RequireNumber(*text, name + 2) : fallback;
}

TradeRecord RequireTrade(const CBlotterSpace& doc, int id)
{
    TradeRecord trade{};
    if (!doc.FindTrade(id, trade))
        throw CCommandError{"there is no trade number " + std::to_string(id)};
    return trade;
}

void RequireArguments(const CCommandLine& line, std::size_t count, const char* usage)
{
    if (line.positional.size() != count)
        throw CCommandError{std::string("usage: tfport ") + usage, 2};
}

int Refused(const LedgerResult& result)
{
    throw CCommandError{result.caption + ": " + result.message};
}

std::int32_t Now()
{
    return static_cast<std::int32_t>(std::time(nullptr));
}
} // namespace

int CmdBuy(const CCommandLine& line, std::ostream& out)
{
    RequireArguments(line, 3, "buy SYMBOL QUANTITY PRICE [--fee F] [--category C] [--country X]");
    CLockedPortfolio portfolio(PortfolioPath(line));
    CBlotterSpace& doc = portfolio.Doc();
    TradeValues values;
    values.symbol = CheckedSymbol(line.positional[0]);
    values.quantity = RequireNumber(line.positional[1], "quantity");
    values.price = RequireNumber(line.positional[2], "price");
    values.brokerFee = OptionalNumber(line, "--fee", 0);
    values.category = CheckedCategory(doc, line.Option("--category").value_or(kCategoryUnfiled));
    values.country = CheckedCountry(line.Option("--country").value_or(doc.m_strBaseCountry));
    LedgerResult result = AddBuy(doc, values, Now());
    if (result.Refused())
        return Refused(result);
    portfolio.Save();
    out << "Trade " << result.newId << ": bought " << FormatAmount(values.quantity, 2) << " "
        << values.symbol << " at " << FormatAmount(values.price, 4) << "\n";
    return 0;
}

int CmdSell(const CCommandLine& line, std::ostream& out)
{
    RequireArguments(line, 3, "sell ID QUANTITY PRICE [--fee F]");
    CLockedPortfolio portfolio(PortfolioPath(line));
    CBlotterSpace& doc = portfolio.Doc();
    TradeRecord buy = RequireTrade(doc, RequireTradeId(line.positional[0]));
    TradeValues values;
    values.bSell = true;
    values.symbol = TradeSymbol(buy);
    values.quantity = RequireNumber(line.positional[1], "quantity");
    values.price = RequireNumber(line.positional[2], "price");
    values.brokerFee = OptionalNumber(line, "--fee", 0);
    values.category = TradeCategory(buy);
    values.country = TradeCountry(buy);
    LedgerResult result = AddSell(doc, &buy, values, Now());
    if (result.Refused()) {
        if (result.caption == kCapSellAmount)
            throw CCommandError{result.caption + ": " + result.message + " (trade " +
                                std::to_string(buy.id) + " holds " +
                                FormatAmount(result.heldQuantity, 2) + ")"};
        return Refused(result);
    }
    portfolio.Save();
    TradeRecord sale{};
    doc.FindTrade(result.newId, sale);
    out << "Trade " << result.newId << ": sold " << FormatAmount(values.quantity, 2) << " "
        << TerminalText(values.symbol) << " at " << FormatAmount(values.price, 4) << " from trade "
        << buy.id << ", realized " << FormatAmount(sale.realizedPL, 2) << "\n";
    return 0;
}

int CmdUpdate(const CCommandLine& line, std::ostream& out)
{
    RequireArguments(line, 1,
                     "update ID [--symbol S] [--quantity Q] [--price P] [--fee F] "
                     "[--category C] [--country X]");
    CLockedPortfolio portfolio(PortfolioPath(line));
    CBlotterSpace& doc = portfolio.Doc();
    TradeRecord trade = RequireTrade(doc, RequireTradeId(line.positional[0]));
    TradeValues values;
    values.bSell = false; // only buys can be updated; a sale is refused by the rules
    values.symbol = CheckedSymbol(line.Option("--symbol").value_or(TradeSymbol(trade)));
    values.quantity = OptionalNumber(line, "--quantity", trade.quantity);
    values.price = OptionalNumber(line, "--price", trade.price);
    values.brokerFee = OptionalNumber(line, "--fee", trade.brokerFee);
    values.category =
        CheckedCategory(doc, line.Option("--category").value_or(TradeCategory(trade)));
    values.country = CheckedCountry(line.Option("--country").value_or(TradeCountry(trade)));
    LedgerResult result = UpdateTrade(doc, trade, values);
    if (result.Refused())
        return Refused(result);
    portfolio.Save();
    out << "Trade " << trade.id << " updated\n";
    return 0;
}

int CmdRemove(const CCommandLine& line, std::ostream& out)
{
    RequireArguments(line, 1, "remove ID");
    CLockedPortfolio portfolio(PortfolioPath(line));
    CBlotterSpace& doc = portfolio.Doc();
    TradeRecord trade = RequireTrade(doc, RequireTradeId(line.positional[0]));
    RemoveTrade(doc, trade);
    portfolio.Save();
    out << "Trade " << trade.id << " removed\n";
    return 0;
}
