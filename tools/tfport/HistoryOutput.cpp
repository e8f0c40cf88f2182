#include "tools/tfport/HistoryOutput.h"

#include <algorithm>
#include <ostream>

#include "engine/history/LocalDays.h"
#include "platform/text/DateTexts.h"
#include "platform/text/FormatAmount.h"
#include "platform/text/Numbers.h"
#include "tools/tfport/ExportFormats.h"
#include "tools/tfport/TerminalText.h"

namespace {

using EKind = SHistoryCell::EKind;

// The cell as CSV and JSON carry it; an unknown value is empty.
std::string PlainText(const SHistoryCell& cell)
{
    switch (cell.kind) {
    case EKind::Null:
        return {};
    case EKind::Time:
        return LocalDateTimeText(cell.time);
    case EKind::Amount:
        return FormatFixed(cell.value, cell.nDecimals);
    case EKind::Count:
        return std::to_string(static_cast<long long>(cell.value));
    case EKind::Text:
        return cell.text;
    }
    return {};
}

std::string TableText(const SHistoryCell& cell)
{
    if (cell.kind == EKind::Amount)
        return FormatAmount(cell.value, cell.nDecimals);
    return cell.kind == EKind::Text ? TerminalText(cell.text) : PlainText(cell);
}

// Characters on a terminal: the texts are Windows-1252, one byte a character, until the
// output stream converts them.
std::size_t Columns(const std::string& windows1252)
{
    return windows1252.size();
}

void WriteTable(const std::vector<SHistoryColumn>& columns,
                const std::vector<std::vector<SHistoryCell>>& rows, std::ostream& out)
{
    // Numbers stand right-aligned under their headings, texts left.
    std::vector<std::size_t> widths;
    widths.reserve(columns.size());
    std::vector<bool> numeric(columns.size(), false);
    for (const SHistoryColumn& column : columns)
        widths.push_back(Columns(column.pszHeading));
    std::vector<std::vector<std::string>> texts;
    for (const auto& row : rows) {
        texts.emplace_back();
        for (std::size_t c = 0; c < row.size(); ++c) {
            texts.back().push_back(TableText(row[c]));
            widths[c] = std::max(widths[c], Columns(texts.back().back()));
            if (row[c].kind == EKind::Amount || row[c].kind == EKind::Count)
                numeric[c] = true;
        }
    }
    const auto line = [&](const auto& textOf) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const std::string text = textOf(c);
            const std::string pad(widths[c] - Columns(text), ' ');
            if (c != 0)
                out << "  ";
            if (numeric[c])
                out << pad << text;
            else
                out << text << (c + 1 < columns.size() ? pad : "");
        }
        out << "\n";
    };
    line([&](std::size_t c) { return std::string(columns[c].pszHeading); });
    for (const auto& row : texts)
        line([&](std::size_t c) { return row[c]; });
}

void WriteCsv(const std::vector<SHistoryColumn>& columns,
              const std::vector<std::vector<SHistoryCell>>& rows, std::ostream& out)
{
    for (std::size_t c = 0; c < columns.size(); ++c)
        out << (c == 0 ? "" : ",") << columns[c].pszName;
    out << "\r\n";
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c)
            out << (c == 0 ? "" : ",") << CsvField(PlainText(row[c]));
        out << "\r\n";
    }
}

void WriteJson(const std::vector<SHistoryColumn>& columns,
               const std::vector<std::vector<SHistoryCell>>& rows, std::ostream& out)
{
    out << "[";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        out << (r == 0 ? "\n  {" : ",\n  {");
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const SHistoryCell& cell = rows[r][c];
            out << (c == 0 ? "" : ", ") << '"' << columns[c].pszName << "\": ";
            switch (cell.kind) {
            case EKind::Null:
                out << "null";
                break;
            case EKind::Time:
                out << JsonString(IsoLocalTime(cell.time));
                break;
            case EKind::Text:
                out << JsonString(cell.text);
                break;
            default:
                out << PlainText(cell);
            }
        }
        out << "}";
    }
    out << (rows.empty() ? "]\n" : "\n]\n");
}

} // namespace

void WriteHistoryRows(EHistoryFormat format, const std::vector<SHistoryColumn>& columns,
                      const std::vector<std::vector<SHistoryCell>>& rows, std::ostream& out)
{
    switch (format) {
    case EHistoryFormat::Table:
        WriteTable(columns, rows, out);
        break;
    case EHistoryFormat::Csv:
        WriteCsv(columns, rows, out);
        break;
    case EHistoryFormat::Json:
        WriteJson(columns, rows, out);
        break;
    }
}
