// buy, sell, update and remove: the ledger rules applied to the file. A refusal prints the
// rule's message and leaves the file as it was. Each command loads the document, applies
// one rule and saves.
#include <ostream>

#include "model/EntryChecks.h"
#include "model/Ledger.h"
#include "platform/text/FormatAmount.h"
#include "tools/tfport/Commands.h"
#include "tools/tfport/TerminalText.h"

namespace {
std::string Checked(const std::string& problem, const std::string& text)
{
    if (!problem.empty())
        throw CCommandError{problem};
    return text;
}

std::string CheckedSymbol(const std::string& symbol)
{
    return Checked(SymbolProblem(symbol), symbol);
}

std::string CheckedCategory(const CBlotterSpace& doc, const std::string& category)
{
    return Checked(TradeCategoryProblem(doc, category), category);
}

std::string CheckedCountry(const std::string& country)
{
    return Checked(CountryProblem(country), country);
}

double OptionalNumber(const CCommandLine& line, const char* name, double fallback)
{
    auto text = line.Option(name);
    return text ? RequireNumber(*text, name + 2) : fallback;
}

// The trade the command names; a record marked deleted is only waiting for the conduit.
TradeRecord RequireLiveTrade(const CBlotterSpace& doc, int id)
{
    TradeRecord trade{};
    if (!doc.FindTrade(id, trade))
        throw CCommandError{"there is no trade number " + std::to_string(id)};
    if (trade.status == kStatusDeleted)
        throw CCommandError{"trade " + std::to_string(id) +
                            " is marked deleted; the next HotSync removes it"};
    return trade;
}

void RequireArguments(const CCommandLine& line, std::size_t count, const char* command)
{
    if (line.positional.size() != count)
        throw CCommandError{std::string("usage: tfport ") + CommandSynopsis(command), 2};
}

int Refused(const LedgerResult& result)
{
    throw CCommandError{result.caption + ": " + result.message};
}

void PrintSale(const CBlotterSpace& doc, std::int32_t id, std::ostream& out)
{
    TradeRecord sale{};
    doc.FindTrade(id, sale);
    out << "Trade " << sale.id << ": sold " << FormatAmount(sale.quantity, 2) << " "
        << TerminalText(TradeSymbol(sale)) << " at " << FormatAmount(sale.price, 4)
        << " from trade " << sale.refId << ", realized " << FormatAmount(sale.realizedPL, 2)
        << "\n";
}

// sell --symbol S QTY PRICE, or sell S QTY PRICE when S is not a trade number.
int SellSymbol(const CCommandLine& line, std::ostream& out, const std::string& symbol,
               std::size_t first)
{
    CLockedPortfolio portfolio(PortfolioPath(line));
    CBlotterSpace& doc = portfolio.Doc();
    TradeValues values;
    values.bSell = true;
    values.symbol = CheckedSymbol(symbol);
    values.quantity = RequireNumber(line.positional[first], "quantity");
    values.price = RequireNumber(line.positional[first + 1], "price");
    values.brokerFee = OptionalNumber(line, "--fee", 0);
    LedgerResult result = SellBySymbol(doc, values, TradeDate(line));
    if (result.Refused()) {
        if (result.caption == kCapSellAmount)
            throw CCommandError{result.caption + ": " + result.message + " (the open buys of " +
                                symbol + " hold " + FormatAmount(result.heldQuantity, 2) + ")"};
        if (result.caption == kCapPositionNotOpen)
            throw CCommandError{result.caption + ": " + result.message + " (no open buy of " +
                                symbol + ")"};
        return Refused(result);
    }
    portfolio.Save();
    for (std::int32_t id : result.newIds)
        PrintSale(doc, id, out);
    return 0;
}
} // namespace

int CmdBuy(const CCommandLine& line, std::ostream& out)
{
    RequireArguments(line, 3, "buy");
    CLockedPortfolio portfolio(PortfolioPath(line));
    CBlotterSpace& doc = portfolio.Doc();
    TradeValues values;
    values.symbol = CheckedSymbol(line.positional[0]);
    values.quantity = RequireNumber(line.positional[1], "quantity");
    values.price = RequireNumber(line.positional[2], "price");
    values.brokerFee = OptionalNumber(line, "--fee", 0);
    values.category = CheckedCategory(doc, line.Option("--category").value_or(kCategoryUnfiled));
    values.country = CheckedCountry(line.Option("--country").value_or(doc.m_strBaseCountry));
    LedgerResult result = AddBuy(doc, values, TradeDate(line));
    if (result.Refused())
        return Refused(result);
    portfolio.Save();
    out << "Trade " << result.newId << ": bought " << FormatAmount(values.quantity, 2) << " "
        << values.symbol << " at " << FormatAmount(values.price, 4) << "\n";
    return 0;
}

int CmdSell(const CCommandLine& line, std::ostream& out)
{
    if (auto symbol = line.Option("--symbol")) {
        RequireArguments(line, 2, "sell");
        return SellSymbol(line, out, *symbol, 0);
    }
    RequireArguments(line, 3, "sell");
    const std::string& first = line.positional[0];
    if (!IsTradeNumberText(first))
        return SellSymbol(line, out, first, 1);

    CLockedPortfolio portfolio(PortfolioPath(line));
    CBlotterSpace& doc = portfolio.Doc();
    const int id = RequireTradeId(first);
    TradeRecord buy{};
    if (!doc.FindTrade(id, buy))
        throw CCommandError{"there is no trade number " + first + " (to sell the symbol " + first +
                            ", write --symbol " + first + ")"};
    buy = RequireLiveTrade(doc, id);
    TradeValues values;
    values.bSell = true;
    values.symbol = TradeSymbol(buy);
    values.quantity = RequireNumber(line.positional[1], "quantity");
    values.price = RequireNumber(line.positional[2], "price");
    values.brokerFee = OptionalNumber(line, "--fee", 0);
    values.category = TradeCategory(buy);
    values.country = TradeCountry(buy);
    LedgerResult result = AddSell(doc, &buy, values, TradeDate(line));
    if (result.Refused()) {
        if (result.caption == kCapSellAmount)
            throw CCommandError{result.caption + ": " + result.message + " (trade " +
                                std::to_string(buy.id) + " holds " +
                                FormatAmount(result.heldQuantity, 2) + ")"};
        return Refused(result);
    }
    portfolio.Save();
    PrintSale(doc, result.newId, out);
    return 0;
}

int CmdUpdate(const CCommandLine& line, std::ostream& out)
{
    RequireArguments(line, 1, "update");
    CLockedPortfolio portfolio(PortfolioPath(line));
    CBlotterSpace& doc = portfolio.Doc();
    TradeRecord trade = RequireLiveTrade(doc, RequireTradeId(line.positional[0]));
    TradeValues values;
    values.bSell = false; // only buys can be updated; a sale is refused by the rules
    values.symbol = CheckedSymbol(line.Option("--symbol").value_or(TradeSymbol(trade)));
    values.quantity = OptionalNumber(line, "--quantity", trade.quantity);
    values.price = OptionalNumber(line, "--price", trade.price);
    values.brokerFee = OptionalNumber(line, "--fee", trade.brokerFee);
    values.category =
        CheckedCategory(doc, line.Option("--category").value_or(TradeCategory(trade)));
    values.country = CheckedCountry(line.Option("--country").value_or(TradeCountry(trade)));
    std::optional<std::int32_t> buyDate;
    if (line.Option("--date"))
        buyDate = TradeDate(line);
    LedgerResult result = UpdateTrade(doc, trade, values, buyDate);
    if (result.Refused())
        return Refused(result);
    portfolio.Save();
    out << "Trade " << trade.id << " updated\n";
    return 0;
}

int CmdRemove(const CCommandLine& line, std::ostream& out)
{
    RequireArguments(line, 1, "remove");
    CLockedPortfolio portfolio(PortfolioPath(line));
    CBlotterSpace& doc = portfolio.Doc();
    TradeRecord trade = RequireLiveTrade(doc, RequireTradeId(line.positional[0]));
    LedgerResult result = RemoveTrade(doc, trade);
    if (result.Refused())
        return Refused(result);
    portfolio.Save();
    out << "Trade " << trade.id << " removed";
    TradeRecord buy{};
    if (trade.isSell && doc.FindTrade(trade.refId, buy))
        out << "; trade " << buy.id << " holds " << FormatAmount(buy.quantity, 2) << " again";
    out << "\n";
    return 0;
}
