// quote and refresh: the commands that reach the quote servers (and, for alerts, the mail
// server). refresh runs the same cycle as the desktop window and suits a cron job.
#include <ctime>
#include <iomanip>
#include <iostream>
#include <ostream>

#include "engine/AlertMailer.h"
#include "engine/AlertTest.h"
#include "engine/RefreshCycle.h"
#include "model/PortfolioMerge.h"
#include "platform/keyring/SecretStore.h"
#include "platform/text/Numbers.h"
#include "quotes/FetchQuote.h"
#include "tools/tfport/Commands.h"
#include "tools/tfport/TerminalText.h"

namespace {
const char* ResultName(int result)
{
    switch (result) {
    case kFetchOk:
        return "ok";
    case kFetchMissingArgument:
        return "missing symbol";
    case kFetchNotMade:
        return "request not made";
    case kFetchFailed:
        return "fetch failed";
    default:
        return "?";
    }
}

// The grid's headings, the side heading first.
const char* const kHeadings[1 + kBlotterColumns] = {
    "Security", "Last Trade", "Change", "Position", "Value", "Today's P/L", "Position P/L"};
constexpr int kSymbolWidth = 10;
constexpr int kCellWidth = 16;
} // namespace

int CmdQuote(const CCommandLine& line, std::ostream& out)
{
    if (line.positional.size() != 1)
        throw CCommandError{"usage: tfport quote SYMBOL [--country C] [--bid]", 2};
    std::string country = line.Option("--country").value_or("United States");
    QuoteFetchResult result =
        FetchQuoteResult(line.positional[0], country, line.HasFlag("--bid") ? 1 : 0);
    out << "result " << result.nResult << " (" << ResultName(result.nResult) << ")\n"
        << "price  " << FormatFixed(result.dPrice, 4) << "\n"
        << "change " << FormatFixed(result.dChange, 4) << "\n";
    return result.nResult == kFetchOk ? 0 : 1;
}

int CmdRefresh(const CCommandLine& line, std::ostream& out)
{
    std::string path = PortfolioPath(line);
    // Quotes are fetched from a copy read without the lock: a slow quote server must not
    // keep every other writer waiting. Only the prices are then put into the file, under
    // the lock, into what it holds by then.
    const CBlotterSpace before = LoadForCommand(path);
    CBlotterSpace doc = before;
    // A category asked for on the command line filters this run only; the window's choice
    // stays as it was saved.
    if (auto category = line.Option("--category"))
        doc.m_strCategoryFilter = *category;
    bool fetch = !line.HasFlag("--no-fetch");

    AlertMailerFactory mailers = MakeSmtpAlertMailerFactory(KeyringSmtpPassword);
    std::time_t now = std::time(nullptr);
    auto alert = [&](const CBlotterSpace& d, const TradeRecord& trade, double price,
                     double change) {
        RunAlertTest(trade, price, change, d, now, mailers, [](const std::string& text) {
            std::cerr << "tfport: mail: " << EscapeControls(text) << "\n";
        });
    };
    RefreshResult result = RunRefresh(doc, fetch, FetchQuote, alert, now);
    doc.m_strCategoryFilter = before.m_strCategoryFilter;

    CLockedPortfolio portfolio(path);
    // What the refresh changed (prices, changes, states) goes onto the file's latest
    // version; trades another program added, changed or removed meanwhile stay so.
    portfolio.Doc() = MergePortfolios(before, doc, portfolio.Doc()).doc;
    portfolio.Save();

    out << std::left << std::setw(kSymbolWidth) << kHeadings[0] << std::right;
    for (int c = 0; c < kBlotterColumns; ++c)
        out << std::setw(kCellWidth) << kHeadings[1 + c];
    out << "\n";
    for (const BlotterRow& row : result.rows) {
        out << std::left << std::setw(kSymbolWidth) << TerminalText(row.symbol) << std::right;
        for (const std::string& cell : row.cells)
            out << std::setw(kCellWidth) << cell;
        out << "\n";
    }
    out << "\nTotal Value:       " << result.totals[kTotalValue] << "\n"
        << "Position P/L:      " << result.totals[kTotalPositionPL] << "\n"
        << "Total P/L Today:   " << result.totals[kTotalPLToday] << "\n"
        << "Realized MTD P/L:  " << result.totals[kTotalRealizedMTD] << "\n"
        << "Realized YTD P/L:  " << result.totals[kTotalRealizedYTD] << "\n"
        << RefreshCaption(now) << "\n";
    if (result.nFetchFailures > 0)
        std::cerr << "tfport: " << result.nFetchFailures
                  << " quote(s) could not be fetched; their stored prices were used\n";
    return 0;
}
