#include "engine/history/HistorySchema.h"

#include <sqlite3.h>

#include "engine/history/HistoryDb.h"
#include "engine/history/SqlStatement.h"

namespace {

// Quote times are seconds since 1970 UTC; hour is the time divided by 3600. change is NULL
// where it is not known (an imported close), never 0. imported marks closes brought in from
// a file.
//
// One symbol's prices are found hour by hour through (hour, symbol): a refresh's rows then
// land side by side at the end of that index, where an index led by the symbol would spread
// them over one page per symbol and make every refresh rewrite hundreds of pages.
const char* const kCreateQuote = R"(
CREATE TABLE quote (
  id INTEGER PRIMARY KEY,
  arrived INTEGER NOT NULL,
  hour INTEGER NOT NULL,
  symbol TEXT NOT NULL,
  country TEXT NOT NULL,
  price REAL NOT NULL,
  change REAL,
  imported INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX quote_by_hour ON quote(hour, symbol);
CREATE INDEX quote_imported ON quote(arrived) WHERE imported = 1;
CREATE UNIQUE INDEX quote_import_day ON quote(symbol, arrived) WHERE imported = 1;
)";

const char* const kCreateRefresh = R"(
CREATE TABLE refresh (
  id INTEGER PRIMARY KEY,
  time INTEGER NOT NULL,
  total_value REAL NOT NULL,
  position_pl REAL NOT NULL,
  pl_today REAL NOT NULL,
  realized_mtd REAL NOT NULL,
  realized_ytd REAL NOT NULL,
  category TEXT NOT NULL,
  quotes_asked INTEGER NOT NULL,
  quotes_failed INTEGER NOT NULL
);
)";

const char* const kCreateRefreshIndex = "CREATE INDEX refresh_by_time ON refresh(time);";

// Version 1 kept fetched quotes only, with the change always known, and no indexes; the
// quote table is rebuilt in its new form (SQLite cannot relax NOT NULL in place).
const char* const kMigrateQuoteFrom1 = R"(
ALTER TABLE quote RENAME TO quote_v1;
)";
const char* const kCopyQuoteFrom1 = R"(
INSERT INTO quote(arrived, hour, symbol, country, price, change, imported)
  SELECT arrived, arrived / 3600, symbol, country, price, change, 0 FROM quote_v1 ORDER BY rowid;
DROP TABLE quote_v1;
)";

// The first column of the first row of a query that yields one number.
int ReadNumber(sqlite3* pDb, const char* pszSql, int& nValue)
{
    CSqlStatement stmt;
    int rc = stmt.Prepare(pDb, pszSql);
    if (rc != SQLITE_OK)
        return rc;
    rc = stmt.Step();
    if (rc != SQLITE_ROW)
        return rc;
    nValue = static_cast<int>(stmt.Int64(0));
    return SQLITE_OK;
}

int ReadVersion(sqlite3* pDb, int& nVersion)
{
    return ReadNumber(pDb, "PRAGMA user_version", nVersion);
}

int SetVersion(sqlite3* pDb)
{
    const std::string sql = "PRAGMA user_version = " + std::to_string(kHistorySchemaVersion);
    return ExecSql(pDb, sql.c_str());
}

// Runs the steps in order and stops at the first failure.
int Steps(sqlite3* pDb, std::initializer_list<const char*> steps)
{
    for (const char* pszSql : steps) {
        const int rc = ExecSql(pDb, pszSql);
        if (rc != SQLITE_OK)
            return rc;
    }
    return SetVersion(pDb);
}

SSchemaOutcome Upgrade(sqlite3* pDb)
{
    int nVersion = 0;
    int rc = ReadVersion(pDb, nVersion);
    if (rc != SQLITE_OK)
        return {ESchemaResult::Error, rc};
    switch (nVersion) {
    case kHistorySchemaVersion:
        return {ESchemaResult::Ready, SQLITE_OK};
    case 0: {
        int nTables = 0;
        rc = ReadNumber(pDb, "SELECT count(*) FROM sqlite_master WHERE type = 'table'", nTables);
        if (rc != SQLITE_OK)
            return {ESchemaResult::Error, rc};
        if (nTables != 0)
            return {ESchemaResult::Foreign, SQLITE_OK};
        rc = Steps(pDb, {kCreateQuote, kCreateRefresh, kCreateRefreshIndex});
        break;
    }
    case 1:
        rc = Steps(pDb, {kMigrateQuoteFrom1, kCreateQuote, kCopyQuoteFrom1, kCreateRefreshIndex});
        break;
    default:
        return {nVersion > kHistorySchemaVersion ? ESchemaResult::Newer : ESchemaResult::Foreign,
                SQLITE_OK};
    }
    return {rc == SQLITE_OK ? ESchemaResult::Ready : ESchemaResult::Error, rc};
}

} // namespace

SSchemaOutcome EnsureHistorySchema(sqlite3* pDb)
{
    int nVersion = 0;
    int rc = ReadVersion(pDb, nVersion);
    if (rc != SQLITE_OK)
        return {ESchemaResult::Error, rc};
    if (nVersion == kHistorySchemaVersion)
        return {ESchemaResult::Ready, SQLITE_OK};
    if (nVersion > kHistorySchemaVersion)
        return {ESchemaResult::Newer, SQLITE_OK};

    // Another program may be doing the same: the version is read again under the write lock.
    rc = ExecSql(pDb, "BEGIN IMMEDIATE");
    if (rc != SQLITE_OK)
        return {ESchemaResult::Error, rc};
    const SSchemaOutcome outcome = Upgrade(pDb);
    if (outcome.result == ESchemaResult::Ready) {
        rc = ExecSql(pDb, "COMMIT");
        if (rc == SQLITE_OK)
            return outcome;
        ExecSql(pDb, "ROLLBACK");
        return {ESchemaResult::Error, rc};
    }
    ExecSql(pDb, "ROLLBACK");
    return outcome;
}
