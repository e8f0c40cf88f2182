#include "engine/history/HistoryStore.h"

#include <cstdint>
#include <limits>
#include <sqlite3.h>
#include <utility>

#include "engine/history/SqlStatement.h"
#include "platform/text/LocaleText.h"

namespace {

// Texts written by another program may not be UTF-8 (or not fit for Windows-1252); they are
// kept byte for byte.
std::string FromDb(const std::string& utf8)
{
    STextConversion text = Utf8ToWindows1252(utf8);
    if (!text.bOk)
        return utf8;
    return std::move(text.text);
}

std::int64_t Since(const SHistoryRange& range)
{
    return range.since ? static_cast<std::int64_t>(*range.since)
                       : std::numeric_limits<std::int64_t>::min();
}

std::int64_t Until(const SHistoryRange& range)
{
    return range.until ? static_cast<std::int64_t>(*range.until)
                       : std::numeric_limits<std::int64_t>::max();
}

// Steps through every row, handing each to fn; SQLITE_DONE at the end.
template <class F> int EachRow(CSqlStatement& stmt, F fn)
{
    int rc = SQLITE_ROW;
    while ((rc = stmt.Step()) == SQLITE_ROW)
        fn();
    return rc;
}

SPricePoint PriceRow(const CSqlStatement& stmt)
{
    SPricePoint point;
    point.time = static_cast<std::time_t>(stmt.Int64(0));
    point.symbol = FromDb(stmt.Text(1));
    point.country = FromDb(stmt.Text(2));
    point.price = stmt.Double(3);
    point.change = stmt.OptionalDouble(4);
    point.bImported = stmt.Int64(5) != 0;
    return point;
}

// Reads price rows (the columns of PriceRow) of a query whose parameters bind() sets.
template <class Bind>
bool ReadPriceRows(CHistoryDb& db, const char* pszSql, Bind bind, std::vector<SPricePoint>& out)
{
    out.clear();
    return db.Read([&](sqlite3* pDb) {
        out.clear();
        CSqlStatement stmt;
        const int rc = stmt.Prepare(pDb, pszSql);
        if (rc != SQLITE_OK)
            return rc;
        bind(stmt);
        return EachRow(stmt, [&] { out.push_back(PriceRow(stmt)); });
    });
}

} // namespace

bool WriteRefresh(CHistoryDb& db, const SHistoryRefresh& refresh)
{
    return db.Write([&refresh](sqlite3* pDb) {
        CSqlStatement row;
        int rc = row.Prepare(pDb, "INSERT INTO refresh(time, total_value, position_pl, pl_today,"
                                  " realized_mtd, realized_ytd, category, quotes_asked,"
                                  " quotes_failed) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
        if (rc != SQLITE_OK)
            return rc;
        row.Bind(1, static_cast<std::int64_t>(refresh.time));
        row.Bind(2, refresh.totalValue);
        row.Bind(3, refresh.positionPL);
        row.Bind(4, refresh.plToday);
        row.Bind(5, refresh.realizedMTD);
        row.Bind(6, refresh.realizedYTD);
        row.Bind(7, Windows1252ToUtf8(refresh.category));
        row.Bind(8, static_cast<std::int64_t>(refresh.quotesAsked));
        row.Bind(9, static_cast<std::int64_t>(refresh.quotesFailed));
        if ((rc = row.Step()) != SQLITE_DONE)
            return rc;

        CSqlStatement quote;
        rc = quote.Prepare(pDb, "INSERT INTO quote(arrived, hour, symbol, country, price, change)"
                                " VALUES (?, ?, ?, ?, ?, ?)");
        if (rc != SQLITE_OK)
            return rc;
        for (const SHistoryQuote& q : refresh.quotes) {
            quote.Bind(1, static_cast<std::int64_t>(q.arrived));
            quote.Bind(2, HistoryHourOf(q.arrived));
            quote.Bind(3, Windows1252ToUtf8(q.symbol));
            quote.Bind(4, Windows1252ToUtf8(q.country));
            quote.Bind(5, q.price);
            quote.Bind(6, q.change);
            if ((rc = quote.Step()) != SQLITE_DONE)
                return rc;
            quote.Reset();
        }
        return SQLITE_OK;
    });
}

bool WriteImportedCloses(CHistoryDb& db, const std::vector<SPricePoint>& closes)
{
    return db.Write([&closes](sqlite3* pDb) {
        CSqlStatement insert;
        int rc = insert.Prepare(pDb, "INSERT OR REPLACE INTO quote(arrived, hour, symbol, country,"
                                     " price, change, imported) VALUES (?, ?, ?, ?, ?, NULL, 1)");
        if (rc != SQLITE_OK)
            return rc;
        for (const SPricePoint& close : closes) {
            insert.Bind(1, static_cast<std::int64_t>(close.time));
            insert.Bind(2, HistoryHourOf(close.time));
            insert.Bind(3, Windows1252ToUtf8(close.symbol));
            insert.Bind(4, Windows1252ToUtf8(close.country));
            insert.Bind(5, close.price);
            if ((rc = insert.Step()) != SQLITE_DONE)
                return rc;
            insert.Reset();
        }
        return SQLITE_OK;
    });
}

bool ReadRefreshes(CHistoryDb& db, const SHistoryRange& range, std::vector<SValuePoint>& out)
{
    out.clear();
    return db.Read([&](sqlite3* pDb) {
        out.clear();
        CSqlStatement stmt;
        int rc = stmt.Prepare(pDb, "SELECT time, total_value, position_pl, pl_today, realized_mtd,"
                                   " realized_ytd, category, quotes_asked, quotes_failed"
                                   " FROM refresh WHERE time BETWEEN ? AND ? ORDER BY time, id");
        if (rc != SQLITE_OK)
            return rc;
        stmt.Bind(1, Since(range));
        stmt.Bind(2, Until(range));
        return EachRow(stmt, [&] {
            SValuePoint point;
            point.time = static_cast<std::time_t>(stmt.Int64(0));
            point.totalValue = stmt.Double(1);
            point.positionPL = stmt.Double(2);
            point.plToday = stmt.Double(3);
            point.realizedMTD = stmt.Double(4);
            point.realizedYTD = stmt.Double(5);
            point.category = FromDb(stmt.Text(6));
            point.quotesAsked = static_cast<int>(stmt.Int64(7));
            point.quotesFailed = static_cast<int>(stmt.Int64(8));
            out.push_back(std::move(point));
        });
    });
}

bool ReadPrices(CHistoryDb& db, const std::string& strSymbol, const SHistoryRange& range,
                std::vector<SPricePoint>& out)
{
    // Walks the hours that have rows, jumping from one to the next through the index, and
    // looks the symbol up in each.
    return ReadPriceRows(
        db,
        "WITH RECURSIVE h(hour) AS ("
        " SELECT (SELECT min(hour) FROM quote WHERE hour >= ?1)"
        " UNION ALL SELECT (SELECT min(hour) FROM quote WHERE hour > h.hour)"
        " FROM h WHERE h.hour IS NOT NULL AND h.hour < ?2)"
        " SELECT q.arrived, q.symbol, q.country, q.price, q.change, q.imported"
        " FROM h CROSS JOIN quote q"
        " WHERE h.hour IS NOT NULL AND h.hour <= ?2 AND q.hour = h.hour AND q.symbol = ?3"
        " AND q.arrived BETWEEN ?4 AND ?5 ORDER BY q.arrived, q.id",
        [&](CSqlStatement& stmt) {
            stmt.Bind(1, HistoryHourOf(static_cast<std::time_t>(Since(range))));
            stmt.Bind(2, HistoryHourOf(static_cast<std::time_t>(Until(range))));
            stmt.Bind(3, Windows1252ToUtf8(strSymbol));
            stmt.Bind(4, Since(range));
            stmt.Bind(5, Until(range));
        },
        out);
}

bool ReadImportedCloses(CHistoryDb& db, std::optional<std::time_t> until,
                        std::vector<SPricePoint>& out)
{
    return ReadPriceRows(
        db,
        "SELECT arrived, symbol, country, price, change, imported FROM quote"
        " WHERE imported = 1 AND arrived <= ? ORDER BY arrived, id",
        [&](CSqlStatement& stmt) {
            stmt.Bind(1, Until(SHistoryRange{std::nullopt, until}));
        },
        out);
}

bool ReadImportedSymbols(CHistoryDb& db, std::vector<std::string>& out)
{
    out.clear();
    return db.Read([&](sqlite3* pDb) {
        out.clear();
        // Jumps from one symbol to the next through the index of imported closes.
        CSqlStatement stmt;
        int rc = stmt.Prepare(pDb, "WITH RECURSIVE s(symbol) AS ("
                                   " SELECT min(symbol) FROM quote WHERE imported = 1"
                                   " UNION ALL SELECT (SELECT min(symbol) FROM quote"
                                   " WHERE imported = 1 AND symbol > s.symbol)"
                                   " FROM s WHERE s.symbol IS NOT NULL)"
                                   " SELECT symbol FROM s WHERE symbol IS NOT NULL");
        if (rc != SQLITE_OK)
            return rc;
        return EachRow(stmt, [&] { out.push_back(FromDb(stmt.Text(0))); });
    });
}

std::int64_t HistoryHourOf(std::time_t when)
{
    // As SQLite divides integers, so that a migrated row files under the same hour.
    constexpr std::int64_t kSecondsPerHour = 3600;
    return static_cast<std::int64_t>(when) / kSecondsPerHour;
}
