// init, show, export and totals: the portfolio as a whole.
#include <ctime>
#include <iomanip>
#include <ostream>

#include "engine/RefreshCycle.h"
#include "model/PortfolioFile.h"
#include "platform/text/FormatAmount.h"
#include "platform/text/Numbers.h"
#include "tools/tfport/Commands.h"
#include "tools/tfport/ExportFormats.h"
#include "tools/tfport/TerminalText.h"

int CmdInit(const CCommandLine& line, std::ostream& out)
{
    std::string path = PortfolioPath(line);
    CBlotterSpace doc;
    doc.m_strCategoryFilter = kCategoryAll;
    doc.AddDefaultCategories();
    CreatePortfolio(path, doc);
    out << "Wrote a new portfolio to " << path << "\n";
    return 0;
}

namespace {
const char* YesNo(std::int32_t flag)
{
    return flag ? "yes" : "no";
}

std::string ShortDate(std::int32_t when)
{
    if (when == 0)
        return "-";
    std::time_t t = when;
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    if (std::strftime(text, sizeof text, "%b %d, %Y", &local) == 0)
        return "-";
    return text;
}

const char* StatusName(std::int16_t status)
{
    switch (status) {
    case kStatusInStep:
        return "synced";
    case kStatusAdded:
        return "added";
    case kStatusChanged:
        return "changed";
    case kStatusDeleted:
        return "deleted";
    default:
        return "?";
    }
}
} // namespace

int CmdShow(const CCommandLine& line, std::ostream& out)
{
    CBlotterSpace doc = LoadForCommand(PortfolioPath(line));
    out << "Settings\n"
        << "  Refresh automatically:   " << YesNo(doc.m_bAutoRefresh) << ", every "
        << doc.m_nRefreshMinutes << " minutes\n"
        << "  Category shown:          " << TerminalText(doc.m_strCategoryFilter) << "\n"
        << "  Base country:            " << TerminalText(doc.m_strBaseCountry) << "\n"
        << "  Deduct brokerage:        " << YesNo(doc.m_bDeductBrokerage) << "\n"
        << "  Use bid for options:     " << YesNo(doc.m_bUseBidForOptions) << "\n"
        << "  Check version:           " << YesNo(doc.m_bCheckVersion) << "\n"
        << "  External YTD gains:      " << FormatAmount(doc.m_dExternalYtdGains, 2) << "\n"
        << "  Show closed trades:      " << YesNo(doc.m_bShowClosedTrades) << "\n"
        << "  Pager alerts:            " << YesNo(doc.m_bPagerAlerts) << " at "
        << doc.m_nAlertPercent << "%\n"
        << "  SMTP server:             " << TerminalText(doc.m_strSmtpServer) << "\n"
        << "  Mail from:               " << TerminalText(doc.m_strMailFrom) << "\n"
        << "  Pager address:           " << TerminalText(doc.m_strPagerAddress) << "\n"
        << "  Column widths:          ";
    for (int width : doc.m_nColumnWidth)
        out << " " << width;
    out << "\n  File version:            " << FormatFixed(doc.m_dFileVersion, 2) << "\n\n";

    out << "Trades (" << doc.m_trades.GetCount() << ")\n";
    out << std::left << std::setw(5) << "  Id" << std::setw(5) << " Ref" << std::setw(6) << " Kind"
        << std::setw(12) << " Symbol" << std::right << std::setw(14) << "Quantity" << std::setw(14)
        << "Price" << std::setw(10) << "Fee"
        << "  " << std::left << std::setw(16) << "Category" << std::setw(16) << "Country"
        << std::setw(14) << "Bought" << std::setw(14) << "Sold"
        << "State\n";
    for (const TradeRecord& t : doc.m_trades) {
        std::string state = t.isSell ? "sale" : (t.closed ? "closed" : "open");
        out << std::right << std::setw(4) << t.id << std::setw(5) << t.refId << " " << std::left
            << std::setw(5) << (t.isSell ? "sell" : "buy") << " " << std::setw(11)
            << TerminalText(TradeSymbol(t)) << std::right << std::setw(14)
            << FormatAmount(t.quantity, 2) << std::setw(14) << FormatAmount(t.price, 4)
            << std::setw(10) << FormatAmount(t.brokerFee, 2) << "  " << std::left << std::setw(16)
            << TerminalText(TradeCategory(t)) << std::setw(16) << TerminalText(TradeCountry(t))
            << std::setw(14) << ShortDate(t.buyDate) << std::setw(14) << ShortDate(t.sellDate)
            << state << ", " << StatusName(t.status) << "\n";
    }
    out << "\nCategories (" << doc.m_categories.size() << ")\n";
    for (const std::string& category : doc.m_categories)
        out << "  " << TerminalText(category) << "\n";
    return 0;
}

int CmdExport(const CCommandLine& line, std::ostream& out)
{
    std::string format = line.Option("--format").value_or("json");
    if (format != "json" && format != "csv")
        throw CCommandError{"unknown export format \"" + format + "\" (json or csv)", 2};
    CBlotterSpace doc = LoadForCommand(PortfolioPath(line));
    if (format == "json")
        WriteTradesJson(doc, out);
    else
        WriteTradesCsv(doc, out);
    return 0;
}

int CmdTotals(const CCommandLine& line, std::ostream& out)
{
    CBlotterSpace doc = LoadForCommand(PortfolioPath(line));
    if (auto category = line.Option("--category"))
        doc.m_strCategoryFilter = *category;
    RefreshResult result = RunRefresh(doc, false, nullptr, nullptr, std::time(nullptr));
    out << "Total Value:       " << result.totals[kTotalValue] << "\n"
        << "Position P/L:      " << result.totals[kTotalPositionPL] << "\n"
        << "Total P/L Today:   " << result.totals[kTotalPLToday] << "\n"
        << "Realized MTD P/L:  " << result.totals[kTotalRealizedMTD] << "\n"
        << "Realized YTD P/L:  " << result.totals[kTotalRealizedYTD] << "\n";
    return 0;
}
