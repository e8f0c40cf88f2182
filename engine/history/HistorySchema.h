// The tables of the price history and the steps from each older schema to the current one.
#pragma once

struct sqlite3;

enum class ESchemaResult {
    Ready,   // the current schema is in place (created or migrated)
    Newer,   // written by a later program: nothing was touched
    Foreign, // a database with tables of its own and no schema version: not a history
    Error,   // SQLite failed; the code is in SSchemaOutcome::rc
};

struct SSchemaOutcome
{
    ESchemaResult result = ESchemaResult::Error;
    int rc = 0;
};

// Creates the tables of a new history, or migrates an older one, in one transaction so that
// two programs opening a new file at once cannot both create it.
SSchemaOutcome EnsureHistorySchema(sqlite3* pDb);
