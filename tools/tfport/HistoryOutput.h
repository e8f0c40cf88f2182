// The rows of `tfport history` as a table for a person, or as CSV or JSON that a spreadsheet
// or a plotting tool reads as it is: plain numbers with a decimal point, times as local dates
// and times, and unknown values left empty (CSV) or null (JSON), never 0.
#pragma once

#include <ctime>
#include <iosfwd>
#include <string>
#include <vector>

enum class EHistoryFormat { Table, Csv, Json };

struct SHistoryCell
{
    enum class EKind { Null, Time, Amount, Count, Text };
    EKind kind = EKind::Null;
    std::time_t time = 0;
    double value = 0;
    int nDecimals = 2;
    std::string text; // UTF-8

    static SHistoryCell Null() { return {}; }
    static SHistoryCell At(std::time_t when) { return {EKind::Time, when, 0, 0, {}}; }
    static SHistoryCell Amount(double d, int nDecimals)
    {
        return {EKind::Amount, 0, d, nDecimals, {}};
    }
    static SHistoryCell Count(int n) { return {EKind::Count, 0, static_cast<double>(n), 0, {}}; }
    static SHistoryCell Text(std::string s) { return {EKind::Text, 0, 0, 0, std::move(s)}; }
};

struct SHistoryColumn
{
    const char* pszName;    // CSV header and JSON key
    const char* pszHeading; // the table's heading
};

void WriteHistoryRows(EHistoryFormat format, const std::vector<SHistoryColumn>& columns,
                      const std::vector<std::vector<SHistoryCell>>& rows, std::ostream& out);
