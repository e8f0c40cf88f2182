#include "engine/history/CloseCsv.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <set>
#include <utility>

#include "model/TradeRecord.h"
#include "platform/text/CsvReader.h"
#include "platform/text/LocaleText.h"
#include "platform/text/Numbers.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kFieldCount = 3;

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char ca = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        if (ca != b[i])
            return false;
    }
    return true;
}

std::string Quoted(std::string_view text)
{
    // Enough of a field to recognise it in the message, never a whole long line.
    constexpr std::size_t kShown = 40;
    std::string shown(text.substr(0, kShown));
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    }
    return "\"" + shown + (text.size() > kShown ? "...\"" : "\"");
}

// Checks one row; an empty text when it is good.
std::string CheckRow(const std::vector<std::string>& fields, const SLocalDate& today,
                     SCloseRow& row)
{
    if (fields.size() != kFieldCount)
        return "expected 3 fields (date,symbol,close), found " + std::to_string(fields.size());
    std::string dateError;
    if (!ParseLocalDate(fields[0], row.date, dateError))
        return "the date " + dateError;
    if (today < row.date)
        return "the date " + fields[0] + " is after today";
    STextConversion symbol = Utf8ToWindows1252(fields[1]);
    if (!symbol.bOk)
        return "the symbol is not text the portfolio can hold";
    row.symbol = std::move(symbol.text);
    if (row.symbol.empty())
        return "the symbol is empty";
    if (row.symbol.size() > kSymbolMax)
        return "the symbol " + Quoted(fields[1]) + " is longer than 10 characters";
    for (unsigned char c : row.symbol) {
        if (c < 0x20 || c == 0x7F || c == ',')
            return "the symbol " + Quoted(fields[1]) + " holds a comma or a control character";
    }
    if (!ParseWholeDouble(fields[2], row.close))
        return "the close is not a number: " + Quoted(fields[2]);
    // A gap stays a gap: a close of 0 or less is no price.
    if (!std::isfinite(row.close) || row.close <= 0 || row.close > kMaxClosePrice)
        return "the close " + Quoted(fields[2]) + " is not a positive price";
    return {};
}

} // namespace

SCloseCsv ParseCloseCsv(std::string_view text, const SLocalDate& today)
{
    SCloseCsv result;
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());
    const auto refuse = [&result](std::size_t nLine, const std::string& why) {
        result.rows.clear();
        result.error = "line " + std::to_string(nLine) + ": " + why;
        return result;
    };
    if (text.find('\0') != std::string_view::npos) {
        const std::size_t nLine =
            1 +
            static_cast<std::size_t>(std::count(
                text.begin(), text.begin() + static_cast<std::ptrdiff_t>(text.find('\0')), '\n'));
        return refuse(nLine, "the line holds a zero byte");
    }
    SCsvResult csv = ReadCsv(text);
    if (!csv.bOk)
        return refuse(csv.errorLine, "the fields are not comma-separated values: " + csv.error);
    if (csv.records.empty()) {
        result.error = "the file is empty: it needs the header date,symbol,close";
        return result;
    }
    const std::vector<std::string>& header = csv.records.front().fields;
    if (header.size() != kFieldCount || !EqualsNoCase(Trim(header[0]), "date") ||
        !EqualsNoCase(Trim(header[1]), "symbol") || !EqualsNoCase(Trim(header[2]), "close"))
        return refuse(csv.records.front().line,
                      "the first line must be the header date,symbol,close");

    std::set<std::pair<SLocalDate, std::string>> seen;
    std::vector<std::string> fields;
    for (std::size_t i = 1; i < csv.records.size(); ++i) {
        const std::size_t nLine = csv.records[i].line;
        if (result.rows.size() == kMaxCloseRows)
            return refuse(nLine, "more than " + std::to_string(kMaxCloseRows) +
                                     " closes in one file; split it into smaller files");
        fields.clear();
        for (const std::string& field : csv.records[i].fields)
            fields.emplace_back(Trim(field));
        if (fields.size() == 1 && fields[0].empty())
            continue; // a line of blanks
        SCloseRow row;
        if (std::string why = CheckRow(fields, today, row); !why.empty())
            return refuse(nLine, why);
        if (!seen.emplace(row.date, row.symbol).second)
            return refuse(nLine, "a second close for " + Quoted(fields[1]) + " on " + fields[0]);
        result.rows.push_back(std::move(row));
    }
    result.bOk = true;
    return result;
}

bool ReadCloseFile(const std::string& strPath, std::string& bytes, std::string& error)
{
    std::ifstream in(strPath, std::ios::binary);
    if (!in) {
        error = "cannot open " + strPath + " (" + std::strerror(errno) + ")";
        return false;
    }
    bytes.clear();
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        if (bytes.size() + static_cast<std::size_t>(in.gcount()) > kMaxCloseFileBytes) {
            error = strPath + " is larger than " + std::to_string(kMaxCloseFileBytes >> 20) +
                    " MB; split it into smaller files";
            return false;
        }
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        error = "cannot read " + strPath;
        return false;
    }
    return true;
}
