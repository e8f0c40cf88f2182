// category list|add|remove|rename: the category dialog's rules from the terminal, and a
// rename, which the dialog does not have. Each change is one locked transaction: it reads
// the document, applies one rule and saves.
#include <map>
#include <ostream>

#include "model/CategoryRules.h"
#include "tools/tfport/Commands.h"
#include "tools/tfport/TerminalText.h"

namespace {
void RequireCount(const CCommandLine& line, std::size_t count)
{
    if (line.positional.size() != count)
        throw CCommandError{"usage: tfport " + CommandSynopsis("category"), 2};
}

void RequireExisting(const CBlotterSpace& doc, const std::string& name)
{
    if (IsReservedCategory(name))
        throw CCommandError{"\"" + name + "\" is reserved and cannot be changed"};
    for (const std::string& category : doc.m_categories)
        if (category == name)
            return;
    throw CCommandError{"no category \"" + name + "\""};
}

void RequireNewName(const CBlotterSpace& doc, const std::string& name)
{
    std::string problem = CategoryNameProblem(doc, name);
    if (!problem.empty())
        throw CCommandError{problem};
}

int List(const CBlotterSpace& doc, std::ostream& out)
{
    std::map<std::string, int> trades;
    for (const TradeRecord& trade : doc.m_trades)
        if (trade.status != kStatusDeleted)
            ++trades[TradeCategory(trade)];
    for (const std::string& name : doc.m_categories) {
        out << TerminalText(name);
        if (name == kCategoryAll)
            out << " (every trade)";
        else
            out << " (" << trades[name] << (trades[name] == 1 ? " trade)" : " trades)");
        out << "\n";
    }
    return 0;
}
} // namespace

int CmdCategory(const CCommandLine& line, std::ostream& out)
{
    if (line.positional.empty())
        throw CCommandError{"usage: tfport " + CommandSynopsis("category"), 2};
    const std::string& action = line.positional[0];
    std::string path = PortfolioPath(line);
    if (action == "list") {
        RequireCount(line, 1);
        return List(LoadForCommand(path), out);
    }
    CLockedPortfolio portfolio(path);
    CBlotterSpace& doc = portfolio.Doc();
    if (action == "add") {
        RequireCount(line, 2);
        const std::string& name = line.positional[1];
        RequireNewName(doc, name);
        CategoryResult result = AddTradeCategory(doc, name);
        if (result.Refused())
            throw CCommandError{result.caption + ": " + result.message};
        portfolio.Save();
        out << "Added category " << TerminalText(name) << "\n";
        return 0;
    }
    if (action == "remove") {
        RequireCount(line, 2);
        const std::string& name = line.positional[1];
        RequireExisting(doc, name);
        int moved = 0;
        for (const TradeRecord& trade : doc.m_trades)
            moved += TradeCategory(trade) == name ? 1 : 0;
        RemoveTradeCategory(doc, name);
        portfolio.Save();
        out << "Removed category " << TerminalText(name) << "; " << moved << " trade(s) moved to "
            << kCategoryUnfiled << "\n";
        return 0;
    }
    if (action == "rename") {
        RequireCount(line, 3);
        const std::string& from = line.positional[1];
        const std::string& to = line.positional[2];
        RequireExisting(doc, from);
        RequireNewName(doc, to);
        RenameTradeCategory(doc, from, to);
        portfolio.Save();
        out << "Renamed category " << TerminalText(from) << " to " << TerminalText(to) << "\n";
        return 0;
    }
    throw CCommandError{"usage: tfport " + CommandSynopsis("category"), 2};
}
