// history: the portfolio's value over time (or one symbol's prices) from the price history
// beside the portfolio, and `history import FILE` to bring in past daily closes.
#include <cstdint>
#include <ctime>
#include <iostream>
#include <ostream>

#include "engine/history/CloseImport.h"
#include "engine/history/HistoryQuery.h"
#include "platform/text/DateTexts.h"
#include "tools/tfport/Commands.h"
#include "tools/tfport/ExportFormats.h"
#include "tools/tfport/HistoryOutput.h"
#include "tools/tfport/TerminalText.h"

namespace {

EHistoryFormat RequireFormat(const CCommandLine& line)
{
    const std::string format = line.Option("--format").value_or("table");
    if (format == "table")
        return EHistoryFormat::Table;
    if (format == "csv")
        return EHistoryFormat::Csv;
    if (format == "json")
        return EHistoryFormat::Json;
    throw CCommandError{"--format must be table, csv or json, not \"" + format + "\"", 2};
}

// A date option as every date of tfport is written. A day alone stands for the whole day:
// its first second for --since, its last for --until.
std::optional<std::time_t> OptionalDate(const CCommandLine& line, const char* pszName,
                                        bool bEndOfDay)
{
    const auto text = line.Option(pszName);
    if (!text)
        return std::nullopt;
    std::int32_t when = 0;
    std::string error;
    if (!ParseDateText(*text, when, error))
        throw CCommandError{std::string(pszName) + ": " + error, 2};
    const bool bDayOnly = text->find('T') == std::string::npos;
    return bDayOnly && bEndOfDay ? EndOfLocalDay(LocalDateOf(when)) : std::time_t{when};
}

SHistoryRange RequireRange(const CCommandLine& line)
{
    SHistoryRange range;
    range.since = OptionalDate(line, "--since", false);
    range.until = OptionalDate(line, "--until", true);
    if (range.since && range.until && *range.until < *range.since)
        throw CCommandError{"--until " + *line.Option("--until") + " comes before --since " +
                                *line.Option("--since"),
                            2};
    return range;
}

// Opens the history for reading; false when there is none yet. Tells on standard error when
// a damaged one had to be moved aside.
bool OpenForReading(CHistoryDb& db, const std::string& strPath)
{
    const bool bOpen = db.Open(strPath, EHistoryOpen::ExistingOnly);
    if (!db.DamagedCopy().empty())
        std::cerr << "tfport: the price history was damaged; it is kept as " << db.DamagedCopy()
                  << " and a new one was started\n";
    if (bOpen)
        return true;
    if (db.Fault() == EHistoryFault::Missing)
        return false;
    throw CCommandError{"cannot read the price history " + strPath + ": " + db.FaultText()};
}

[[noreturn]] void ReadFailed(const CHistoryDb& db)
{
    throw CCommandError{"cannot read the price history " + db.Path() + ": " + db.FaultText()};
}

SHistoryCell Optional(const std::optional<double>& value, int nDecimals)
{
    return value ? SHistoryCell::Amount(*value, nDecimals) : SHistoryCell::Null();
}

SHistoryCell Optional(const std::optional<int>& value)
{
    return value ? SHistoryCell::Count(*value) : SHistoryCell::Null();
}

void WriteValues(EHistoryFormat format, const std::vector<SValuePoint>& points, std::ostream& out)
{
    static const std::vector<SHistoryColumn> kColumns = {
        {"time", "Time"},
        {"total_value", "Total Value"},
        {"position_pl", "Position P/L"},
        {"pl_today", "Total P/L Today"},
        {"realized_mtd", "Realized MTD P/L"},
        {"realized_ytd", "Realized YTD P/L"},
        {"category", "Category"},
        {"quotes_asked", "Quotes"},
        {"quotes_failed", "Failed"},
        {"source", "Source"},
    };
    std::vector<std::vector<SHistoryCell>> rows;
    rows.reserve(points.size());
    for (const SValuePoint& p : points) {
        rows.push_back({SHistoryCell::At(p.time), SHistoryCell::Amount(p.totalValue, 2),
                        SHistoryCell::Amount(p.positionPL, 2), Optional(p.plToday, 2),
                        Optional(p.realizedMTD, 2), Optional(p.realizedYTD, 2),
                        SHistoryCell::Text(p.category), Optional(p.quotesAsked),
                        Optional(p.quotesFailed),
                        SHistoryCell::Text(p.bComputed ? "computed" : "refresh")});
    }
    WriteHistoryRows(format, kColumns, rows, out);
}

void WritePrices(EHistoryFormat format, const std::vector<SPricePoint>& points, std::ostream& out)
{
    static const std::vector<SHistoryColumn> kColumns = {
        {"time", "Time"},   {"symbol", "Symbol"}, {"country", "Country"},
        {"price", "Price"}, {"change", "Change"}, {"source", "Source"},
    };
    std::vector<std::vector<SHistoryCell>> rows;
    rows.reserve(points.size());
    for (const SPricePoint& p : points) {
        rows.push_back({SHistoryCell::At(p.time), SHistoryCell::Text(p.symbol),
                        SHistoryCell::Text(p.country), SHistoryCell::Amount(p.price, 4),
                        Optional(p.change, 4),
                        SHistoryCell::Text(p.bImported ? "import" : "refresh")});
    }
    WriteHistoryRows(format, kColumns, rows, out);
}

// Reads a series and writes it in the format; a table says in words that there is nothing.
template <class Point, class Query, class Write>
int ShowSeries(const std::string& strHistory, EHistoryFormat format, const std::string& strNone,
               Query query, Write write, std::ostream& out)
{
    CHistoryDb db;
    std::vector<Point> points;
    if (OpenForReading(db, strHistory) && !query(db, points))
        ReadFailed(db);
    if (points.empty() && format == EHistoryFormat::Table)
        out << strNone << "\n";
    else
        write(format, points, out);
    return 0;
}

int CmdHistoryImport(const CCommandLine& line, std::ostream& out)
{
    if (line.positional.size() != 2)
        throw CCommandError{"usage: tfport " + CommandSynopsis("history"), 2};
    const std::string strPath = PortfolioPath(line);
    const CBlotterSpace doc = LoadForCommand(strPath);
    const std::string& strFile = line.positional[1];
    std::string bytes;
    std::string error;
    if (!ReadCloseFile(strFile, bytes, error))
        throw CCommandError{error};
    const SCloseCsv csv = ParseCloseCsv(bytes, LocalDateOf(std::time(nullptr)));
    if (!csv.bOk)
        throw CCommandError{strFile + ", " + csv.error + "; nothing was imported"};

    CHistoryDb db;
    const std::string strHistory = HistoryPathFor(strPath);
    if (!db.Open(strHistory, EHistoryOpen::Create))
        throw CCommandError{"cannot open the price history " + strHistory + ": " + db.FaultText() +
                            "; nothing was imported"};
    if (!db.DamagedCopy().empty())
        std::cerr << "tfport: the price history was damaged; it is kept as " << db.DamagedCopy()
                  << " and a new one was started\n";
    SImportSummary summary;
    if (!ImportCloses(db, doc, csv.rows, summary))
        throw CCommandError{"cannot write the price history " + strHistory + ": " + db.FaultText() +
                            "; nothing was imported"};
    if (summary.nCloses == 0) {
        out << "No closes in " << strFile << "\n";
        return 0;
    }
    out << "Imported " << summary.nCloses << " close(s) of " << summary.symbols.size()
        << " symbol(s) from " << IsoDateText(summary.first) << " to " << IsoDateText(summary.last)
        << " into " << strHistory << "\n";
    for (const std::string& strSymbol : summary.notInPortfolio)
        std::cerr << "tfport: note: no trade of the portfolio is in " << TerminalText(strSymbol)
                  << "; its closes are kept but count in no value\n";
    return 0;
}

} // namespace

int CmdHistory(const CCommandLine& line, std::ostream& out)
{
    if (!line.positional.empty() && line.positional[0] == "import")
        return CmdHistoryImport(line, out);
    if (!line.positional.empty())
        throw CCommandError{"usage: tfport " + CommandSynopsis("history"), 2};
    const EHistoryFormat format = RequireFormat(line);
    const SHistoryRange range = RequireRange(line);
    const bool bDaily = line.HasFlag("--daily");
    const std::string strPath = PortfolioPath(line);

    const std::string strHistory = HistoryPathFor(strPath);
    if (const auto symbol = line.Option("--symbol")) {
        const std::string& strSymbol = *symbol;
        return ShowSeries<SPricePoint>(
            strHistory, format, "No prices of " + TerminalText(*symbol) + " in the price history",
            [&](CHistoryDb& db, std::vector<SPricePoint>& points) {
                return QueryPriceSeries(db, strSymbol, range, bDaily, points);
            },
            WritePrices, out);
    }
    const CBlotterSpace doc = LoadForCommand(strPath);
    return ShowSeries<SValuePoint>(
        strHistory, format,
        "No price history yet: every \"tfport refresh\" and every refresh of the window adds to "
        "it, and \"tfport history import FILE\" brings in past closes",
        [&](CHistoryDb& db, std::vector<SValuePoint>& points) {
            return QueryValueSeries(db, doc, range, bDaily, points);
        },
        WriteValues, out);
}
