// One prepared SQLite statement, finalized with the object. Binding and reading go by
// position (1-based for parameters, 0-based for result columns, as SQLite counts them).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

class CSqlStatement
{
  public:
    CSqlStatement() = default;
    ~CSqlStatement();
    CSqlStatement(const CSqlStatement&) = delete;
    CSqlStatement& operator=(const CSqlStatement&) = delete;

    // SQLite's result code; the statement is empty unless it is SQLITE_OK.
    int Prepare(sqlite3* pDb, std::string_view sql);
    bool IsPrepared() const { return m_pStmt != nullptr; }

    void Bind(int nParam, double dValue);
    void Bind(int nParam, std::int64_t nValue);
    void Bind(int nParam, std::string_view text);
    void Bind(int nParam, const std::optional<double>& value);
    void BindNull(int nParam);

    // SQLITE_ROW while rows come, SQLITE_DONE at the end, else an error code.
    int Step();
    // Ready to run again with new bindings.
    void Reset();

    bool IsNull(int nCol) const;
    double Double(int nCol) const;
    std::int64_t Int64(int nCol) const;
    std::string Text(int nCol) const;
    std::optional<double> OptionalDouble(int nCol) const;

  private:
    sqlite3_stmt* m_pStmt = nullptr;
};

// Runs SQL without results (one or more statements); SQLite's result code.
int ExecSql(sqlite3* pDb, const char* pszSql);
