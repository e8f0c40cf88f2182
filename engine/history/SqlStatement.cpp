#include "engine/history/SqlStatement.h"

#include <sqlite3.h>

CSqlStatement::~CSqlStatement()
{
    sqlite3_finalize(m_pStmt);
}

int CSqlStatement::Prepare(sqlite3* pDb, std::string_view sql)
{
    sqlite3_finalize(m_pStmt);
    m_pStmt = nullptr;
    return sqlite3_prepare_v2(pDb, sql.data(), static_cast<int>(sql.size()), &m_pStmt, nullptr);
}

void CSqlStatement::Bind(int nParam, double dValue)
{
    sqlite3_bind_double(m_pStmt, nParam, dValue);
}

void CSqlStatement::Bind(int nParam, std::int64_t nValue)
{
    sqlite3_bind_int64(m_pStmt, nParam, nValue);
}

void CSqlStatement::Bind(int nParam, std::string_view text)
{
    sqlite3_bind_text(m_pStmt, nParam, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

void CSqlStatement::Bind(int nParam, const std::optional<double>& value)
{
    if (value)
        Bind(nParam, *value);
    else
        BindNull(nParam);
}

void CSqlStatement::BindNull(int nParam)
{
    sqlite3_bind_null(m_pStmt, nParam);
}

int CSqlStatement::Step()
{
    return sqlite3_step(m_pStmt);
}

void CSqlStatement::Reset()
{
    sqlite3_reset(m_pStmt);
    sqlite3_clear_bindings(m_pStmt);
}

bool CSqlStatement::IsNull(int nCol) const
{
    return sqlite3_column_type(m_pStmt, nCol) == SQLITE_NULL;
}

double CSqlStatement::Double(int nCol) const
{
    return sqlite3_column_double(m_pStmt, nCol);
}

std::int64_t CSqlStatement::Int64(int nCol) const
{
    return sqlite3_column_int64(m_pStmt, nCol);
}

std::string CSqlStatement::Text(int nCol) const
{
    const auto* pText = sqlite3_column_text(m_pStmt, nCol);
    const int nBytes = sqlite3_column_bytes(m_pStmt, nCol);
    if (pText == nullptr)
        return {};
    return std::string(reinterpret_cast<const char*>(pText), static_cast<std::size_t>(nBytes));
}

std::optional<double> CSqlStatement::OptionalDouble(int nCol) const
{
    if (IsNull(nCol))
        return std::nullopt;
    return Double(nCol);
}

int ExecSql(sqlite3* pDb, const char* pszSql)
{
    return sqlite3_exec(pDb, pszSql, nullptr, nullptr, nullptr);
}
