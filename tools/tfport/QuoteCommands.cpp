// quote and refresh: the commands that reach the quote servers (and, for alerts, the mail
// server). refresh runs the same cycle as the desktop window and suits a cron job: its exit
// status says whether a quote or a mail failed.
#include <cmath>
#include <ctime>
#include <iomanip>
#include <iostream>
#include <ostream>
#include <unistd.h>

#include "engine/AlertMailer.h"
#include "engine/AlertTest.h"
#include "engine/AlertTexts.h"
#include "engine/RefreshCycle.h"
#include "engine/RefreshHistory.h"
#include "model/PortfolioMerge.h"
#include "platform/keyring/SecretStore.h"
#include "platform/text/BlotterHeadings.h"
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

static_assert(kBlotterHeadingCount == kBlotterColumns, "a heading for every column");
// Beside the grid's headings: the time each price arrived.
const char* const kArrivedHeading = "Arrived";
// A row whose price was not fetched in this run shows this instead of a time.
const char* const kStoredPrice = "stored";
constexpr int kSymbolWidth = 10;
constexpr int kCellWidth = 16;
constexpr int kArrivedWidth = 10;

// Exit statuses of refresh besides 0 (everything arrived and was mailed); a run with both
// failures exits 4, since a lost alert is what the user most needs to hear of.
constexpr int kExitQuoteFailed = 3;
constexpr int kExitMailFailed = 4;

// "37/100 quotes" on standard error, rewritten in place, when that is a terminal.
class CProgressLine
{
  public:
    explicit CProgressLine(std::size_t nTotal) : m_nTotal(nTotal), m_bShown(::isatty(2) == 1)
    {
        Show();
    }
    void Step()
    {
        ++m_nArrived;
        Show();
    }
    // Removes the line before anything else is written.
    void Clear()
    {
        if (!m_bShown || m_nWidth == 0)
            return;
        std::cerr << '\r' << std::string(m_nWidth, ' ') << '\r' << std::flush;
        m_nWidth = 0;
    }

  private:
    void Show()
    {
        if (!m_bShown)
            return;
        const std::string strText =
            std::to_string(m_nArrived) + "/" + std::to_string(m_nTotal) + " quotes";
        std::cerr << '\r' << strText << std::flush;
        m_nWidth = strText.size();
    }

    std::size_t m_nTotal;
    std::size_t m_nArrived = 0;
    bool m_bShown;
    std::size_t m_nWidth = 0;
};

int RequireJobs(const std::string& text)
{
    const CCommandError usage{"--jobs takes a whole number from 1 to " +
                                  std::to_string(kMaxHostConnections) + ": \"" + text + "\"",
                              2};
    double value = 0;
    try {
        value = RequireNumber(text, "--jobs");
    } catch (const CCommandError&) {
        throw usage;
    }
    if (value != std::floor(value) || value < 1 || value > kMaxHostConnections)
        throw usage;
    return static_cast<int>(value);
}
} // namespace

int CmdQuote(const CCommandLine& line, std::ostream& out)
{
    if (line.positional.size() != 1)
        throw CCommandError{"usage: tfport quote SYMBOL [--country C] [--bid]", 2};
    const SQuoteRequest request{line.positional[0],
                                line.Option("--country").value_or("United States"),
                                line.HasFlag("--bid") ? 1 : 0};
    const SQuoteReply reply = FetchQuotes({request}, QuoteBatchOptionsFromEnvironment()).front();
    out << "result " << reply.ResultCode() << " (" << ResultName(reply.ResultCode()) << ")\n"
        << "price  " << FormatFixed(reply.dPrice, 4) << "\n"
        << "change " << FormatFixed(reply.dChange, 4) << "\n";
    if (!reply.Ok())
        std::cerr << "tfport: " << EscapeControls(request.strSymbol) << ": "
                  << EscapeControls(reply.Reason()) << "\n";
    return reply.Ok() ? 0 : 1;
}

int CmdRefresh(const CCommandLine& line, std::ostream& out)
{
    std::string path = PortfolioPath(line);
    // Quotes are fetched from a copy read without the lock: a slow quote server must not
    // keep every other writer waiting. Only the prices are then put into the file, under
    // the lock, into what it holds by then.
    SQuoteBatchOptions options = QuoteBatchOptionsFromEnvironment();
    if (auto jobs = line.Option("--jobs"))
        options.nHostConnections = RequireJobs(*jobs);
    const CBlotterSpace before = LoadForCommand(path);
    CBlotterSpace doc = before;
    // A category asked for on the command line filters this run only; the window's choice
    // stays as it was saved.
    if (auto category = line.Option("--category"))
        doc.m_strCategoryFilter = *category;
    bool fetch = !line.HasFlag("--no-fetch");

    CProgressLine progress(fetch ? DistinctQuotes(doc).size() : 0);
    options.onReply = [&progress](std::size_t, const SQuoteReply&) { progress.Step(); };
    AlertMailerFactory mailers = MakeSmtpAlertMailerFactory(KeyringSmtpPassword);
    bool bMailFailed = false;
    auto alert = [&](const CBlotterSpace& d, const TradeRecord& trade, double price, double change,
                     std::time_t when) {
        RunAlertTest(trade, price, change, d, when, mailers, [&](const std::string& text) {
            bMailFailed = true;
            std::cerr << "tfport: mail: " << EscapeControls(text) << "\n";
        });
    };
    std::time_t now = std::time(nullptr);
    RefreshResult result = RunRefresh(doc, fetch, fetch ? QuoteBatchFunction(FetchQuotes) : nullptr,
                                      alert, now, options);
    progress.Clear();
    // A fetching refresh adds its totals and the quotes that arrived to the price history; a
    // history that cannot be written is told on standard error and the portfolio is saved all
    // the same.
    if (fetch) {
        CRefreshHistory history(path, [](const std::string& text) {
            std::cerr << "tfport: " << EscapeControls(text) << "\n";
        });
        history.Record(doc, result, std::time(nullptr));
    }
    doc.m_strCategoryFilter = before.m_strCategoryFilter;

    CLockedPortfolio portfolio(path);
    // What the refresh changed (prices, changes, states) goes onto the file's latest
    // version; trades another program added, changed or removed meanwhile stay so.
    portfolio.Doc() = MergePortfolios(before, doc, portfolio.Doc()).doc;
    portfolio.Save();

    out << std::left << std::setw(kSymbolWidth) << kBlotterSideHeading << std::right;
    for (int c = 0; c < kBlotterColumns; ++c)
        out << std::setw(kCellWidth) << kBlotterHeadings[c];
    out << std::setw(kArrivedWidth) << kArrivedHeading << "\n";
    for (const BlotterRow& row : result.rows) {
        out << std::left << std::setw(kSymbolWidth) << TerminalText(row.symbol) << std::right;
        for (const std::string& cell : row.cells)
            out << std::setw(kCellWidth) << cell;
        out << std::setw(kArrivedWidth)
            << (row.priced != 0 ? AlertTimeText(row.priced) : kStoredPrice) << "\n";
    }
    out << "\nTotal Value:       " << result.totals[kTotalValue] << "\n"
        << "Position P/L:      " << result.totals[kTotalPositionPL] << "\n"
        << "Total P/L Today:   " << result.totals[kTotalPLToday] << "\n"
        << "Realized MTD P/L:  " << result.totals[kTotalRealizedMTD] << "\n"
        << "Realized YTD P/L:  " << result.totals[kTotalRealizedYTD] << "\n"
        << RefreshCaption(std::time(nullptr)) << "\n";
    for (const SQuoteReply& reply : result.quotes) {
        if (!reply.Ok())
            std::cerr << "tfport: " << TerminalText(reply.request.strSymbol) << " ("
                      << TerminalText(reply.request.strCountry)
                      << "): " << EscapeControls(reply.Reason()) << "\n";
    }
    if (result.nQuotesFailed > 0)
        std::cerr << "tfport: " << result.nQuotesFailed << " of " << result.nQuotesAsked
                  << " quotes failed; their lots kept their stored prices\n";
    if (bMailFailed)
        return kExitMailFailed;
    return result.nQuotesFailed > 0 ? kExitQuoteFailed : 0;
}
