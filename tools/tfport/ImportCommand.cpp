// import FILE [--dry-run]: trades from a CSV file, checked whole before the one save.
// Loads the document, applies the import, saves once.
#include <iostream>
#include <optional>
#include <ostream>

#include "model/TradeImport.h"
#include "model/Valuation.h"
#include "platform/fs/FileStore.h"
#include "platform/text/DateTexts.h"
#include "platform/text/FormatAmount.h"
#include "platform/text/LocaleText.h"
#include "tools/tfport/Commands.h"
#include "tools/tfport/TerminalText.h"

namespace {
// An export takes about 200 bytes a trade: this is well over 100,000 trades, more than anyone
// enters by hand; a larger file is not a file of trades, and is not read into memory.
constexpr std::size_t kImportFileMax = 32u << 20;
// A spreadsheet's UTF-8 files may start with a byte-order mark; it is no part of the text.
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string ReadImportFile(const std::string& path)
{
    std::string bytes;
    char buffer[1 << 16];
    if (path == "-") {
        while (std::cin.read(buffer, sizeof buffer) || std::cin.gcount() > 0) {
            bytes.append(buffer, static_cast<std::size_t>(std::cin.gcount()));
            if (bytes.size() > kImportFileMax)
                throw CCommandError{
                    "standard input holds more than 32 MiB; it is not a file of trades"};
        }
        return bytes;
    }
    tf::fs::CInputFile file;
    if (!file.Open(path))
        throw CCommandError{"cannot read " + path + ": " + file.ErrorText(), 1, true};
    long n = 0;
    while ((n = file.Read(buffer, sizeof buffer)) > 0) {
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > kImportFileMax)
            throw CCommandError{path + " is larger than 32 MiB; it is not a file of trades", 1,
                                true};
    }
    if (n < 0)
        throw CCommandError{"cannot read " + path + ": " + file.ErrorText(), 1, true};
    return bytes;
}

std::string Windows1252Text(const std::string& path, std::string bytes)
{
    const CLocaleText locale = CLocaleText::FromEnvironment();
    if (locale.IsUtf8() && bytes.starts_with(kUtf8Bom))
        bytes.erase(0, kUtf8Bom.size());
    STextConversion text = locale.ToWindows1252(bytes);
    if (text.bOk)
        return text.text;
    std::string where = path + ", line " + std::to_string(text.badLine) + ": ";
    if (text.badCodePoint == 0)
        throw CCommandError{where + "bytes that are not " + locale.Codeset() + " text", 1, true};
    throw CCommandError{where + "\"" + text.badCharacter + "\" (" +
                            CodePointName(text.badCodePoint) +
                            ") has no Windows-1252 form, which a portfolio keeps",
                        1, true};
}

void PrintTrade(const CBlotterSpace& doc, const CBuyFees& units, std::int32_t id, const char* verb,
                std::ostream& out)
{
    TradeRecord t{};
    doc.FindTrade(id, t);
    // A buy as it was bought, before the sales in the same file took from it.
    out << verb << " trade " << t.id << ": " << (t.isSell ? "sell " : "buy ")
        << FormatAmount(t.isSell ? t.quantity : units.Bought(t), 2) << " "
        << TerminalText(TradeSymbol(t)) << " at " << FormatAmount(t.price, 4) << " on "
        << IsoLocalTime(t.isSell ? t.sellDate : t.buyDate);
    if (t.isSell)
        out << " from trade " << t.refId;
    else
        out << " (" << TerminalText(TradeCategory(t)) << ", " << TerminalText(TradeCountry(t))
            << ")";
    out << "\n";
}

std::string Rows(std::size_t n, const char* what)
{
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}
} // namespace

int CmdImport(const CCommandLine& line, std::ostream& out)
{
    if (line.positional.size() != 1)
        throw CCommandError{"usage: tfport " + CommandSynopsis("import"), 2};
    const std::string& file = line.positional[0];
    const bool dryRun = line.HasFlag("--dry-run");
    const std::string text = Windows1252Text(file, ReadImportFile(file));

    std::string path = PortfolioPath(line);
    // A dry run only reads; an import holds the writers' lock from its read to its save.
    std::optional<CLockedPortfolio> portfolio;
    CBlotterSpace readOnly;
    if (dryRun)
        readOnly = LoadForCommand(path);
    else
        portfolio.emplace(path);
    CBlotterSpace& doc = portfolio ? portfolio->Doc() : readOnly;
    SImportResult result = ImportTradesCsv(doc, text);
    if (!result.bOk)
        throw CCommandError{result.error + " (nothing was imported)"};
    if (portfolio && !result.addedIds.empty())
        portfolio->Save();

    const char* verb = dryRun ? "Would add" : "Added";
    for (const std::string& category : result.addedCategories)
        out << verb << " category " << TerminalText(category) << "\n";
    const CBuyFees units(doc);
    for (std::int32_t id : result.addedIds)
        PrintTrade(doc, units, id, verb, out);
    out << verb << " " << Rows(result.addedIds.size(), "trade") << " from "
        << Rows(result.nBuys + result.nSales, "row") << " (" << Rows(result.nBuys, "buy") << ", "
        << Rows(result.nSales, "sale") << "); skipped " << Rows(result.nDuplicates, "row")
        << " identical to trades already there, " << Rows(result.nDeleted, "row")
        << " marked deleted\n";
    return 0;
}
