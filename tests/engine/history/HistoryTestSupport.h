// What the history tests share: a refresh to write, counting rows with plain SQL, and a
// database of the first schema as an older program left it.
#pragma once

#include <sqlite3.h>
#include <string>

#include "engine/history/HistoryRows.h"

namespace history_test {

// 2026-03-05 14:07:45 in New York.
constexpr std::time_t kNow = 1772737665;

inline SHistoryRefresh SampleRefresh(std::time_t when, int nQuotes = 3)
{
    SHistoryRefresh refresh;
    refresh.time = when;
    refresh.totalValue = 12345.5;
    refresh.positionPL = 1234.25;
    refresh.plToday = -12.75;
    refresh.realizedMTD = 0;
    refresh.realizedYTD = 500;
    refresh.category = "All";
    refresh.quotesAsked = nQuotes + 1;
    refresh.quotesFailed = 1;
    for (int i = 0; i < nQuotes; ++i)
        refresh.quotes.push_back(
            {when - nQuotes + i, "S" + std::to_string(i), "United States", 100.0 + i, 0.5 * i});
    return refresh;
}

// One number from a query on its own connection; -1 when the query fails.
inline long long QueryNumber(const std::string& strPath, const std::string& sql)
{
    sqlite3* pDb = nullptr;
    long long value = -1;
    if (sqlite3_open_v2(strPath.c_str(), &pDb, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* pStmt = nullptr;
        if (sqlite3_prepare_v2(pDb, sql.c_str(), -1, &pStmt, nullptr) == SQLITE_OK &&
            sqlite3_step(pStmt) == SQLITE_ROW)
            value = sqlite3_column_int64(pStmt, 0);
        sqlite3_finalize(pStmt);
    }
    sqlite3_close(pDb);
    return value;
}

inline std::string QueryText(const std::string& strPath, const std::string& sql)
{
    sqlite3* pDb = nullptr;
    std::string text = "?";
    if (sqlite3_open_v2(strPath.c_str(), &pDb, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* pStmt = nullptr;
        if (sqlite3_prepare_v2(pDb, sql.c_str(), -1, &pStmt, nullptr) == SQLITE_OK &&
            sqlite3_step(pStmt) == SQLITE_ROW && sqlite3_column_text(pStmt, 0) != nullptr)
            text = reinterpret_cast<const char*>(sqlite3_column_text(pStmt, 0));
        sqlite3_finalize(pStmt);
    }
    sqlite3_close(pDb);
    return text;
}

inline bool RunSql(const std::string& strPath, const char* pszSql)
{
    sqlite3* pDb = nullptr;
    bool bOk = sqlite3_open(strPath.c_str(), &pDb) == SQLITE_OK &&
               sqlite3_exec(pDb, pszSql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(pDb);
    return bOk;
}

// The first schema, as a program of that time wrote it: fetched quotes only, change always
// known, no indexes.
constexpr const char* kSchemaVersion1 = R"(
CREATE TABLE quote (arrived INTEGER NOT NULL, symbol TEXT NOT NULL, country TEXT NOT NULL,
                    price REAL NOT NULL, change REAL NOT NULL);
CREATE TABLE refresh (id INTEGER PRIMARY KEY, time INTEGER NOT NULL,
                      total_value REAL NOT NULL, position_pl REAL NOT NULL,
                      pl_today REAL NOT NULL, realized_mtd REAL NOT NULL,
                      realized_ytd REAL NOT NULL, category TEXT NOT NULL,
                      quotes_asked INTEGER NOT NULL, quotes_failed INTEGER NOT NULL);
INSERT INTO refresh VALUES (1, 1700000000, 1000.0, 100.0, -5.0, 0.0, 20.0, 'Business', 2, 0);
INSERT INTO quote VALUES (1699999990, 'IBM', 'United States', 131.25, 0.75);
INSERT INTO quote VALUES (1699999995, 'BHP', 'Australia', 45.5, -0.25);
PRAGMA user_version = 1;
)";

} // namespace history_test
