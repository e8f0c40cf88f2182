// history: the portfolio's value over time (or one symbol's prices) from the price history
// beside the portfolio, and `history import FILE` to bring in past daily closes.
#include <ctime>
#include <iostream>
#include <ostream>

#include "engine/history/CloseImport.h"
#include "engine/history/HistoryQuery.h"
#include "platform/text/Windows1252.h"
#include "tools/tfport/Commands.h"
#include "tools/tfport/ExportFormats.h"
#include "tools/tfport/HistoryOutput.h"

namespace {

const char* const kHistoryUsage =
    "usage: tfport history [--symbol S] [--since DATE] [--until DATE] [--daily]"
    " [--format table|csv|json]\n"
    "       tfport history import FILE";

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

std::optional<SLocalDate> OptionalDate(const CCommandLine& line, const char* pszName)
{
    const auto text = line.Option(pszName);
    if (!text)
        return std::nullopt;
    SLocalDate date;
    if (!ParseIsoDate(*text, date))
        throw CCommandError{
            std::string(pszName) + " needs a date as YYYY-MM-DD, not \"" + *text + "\"", 2};
    return date;
}

SHistoryRange RequireRange(const CCommandLine& line)
{
    const auto since = OptionalDate(line, "--since");
    const auto until = OptionalDate(line, "--until");
    if (since && until && *until < *since)
        throw CCommandError{
            "--until " + IsoDateText(*until) + " comes before --since " + IsoDateText(*since), 2};
    SHistoryRange range;
    if (since)
        range.since = StartOfLocalDay(*since);
    if (until)
        range.until = EndOfLocalDay(*until);
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
                        SHistoryCell::Text(ToUtf8(p.category)), Optional(p.quotesAsked),
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
        rows.push_back({SHistoryCell::At(p.time), SHistoryCell::Text(ToUtf8(p.symbol)),
                        SHistoryCell::Text(ToUtf8(p.country)), SHistoryCell::Amount(p.price, 4),
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
        throw CCommandError{kHistoryUsage, 2};
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
        std::cerr << "tfport: note: no trade of the portfolio is in " << ToUtf8(strSymbol)
                  << "; its closes are kept but count in no value\n";
    return 0;
}

} // namespace

int CmdHistory(const CCommandLine& line, std::ostream& out)
{
    if (!line.positional.empty() && line.positional[0] == "import")
        return CmdHistoryImport(line, out);
    if (!line.positional.empty())
        throw CCommandError{kHistoryUsage, 2};
    const EHistoryFormat format = RequireFormat(line);
    const SHistoryRange range = RequireRange(line);
    const bool bDaily = line.HasFlag("--daily");
    const std::string strPath = PortfolioPath(line);

    const std::string strHistory = HistoryPathFor(strPath);
    if (const auto symbol = line.Option("--symbol")) {
        std::string strSymbol;
        if (!Utf8ToWindows1252(*symbol, strSymbol))
            strSymbol = *symbol;
        return ShowSeries<SPricePoint>(
            strHistory, format, "No prices of " + *symbol + " in the price history",
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
