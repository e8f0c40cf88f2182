#include "engine/history/CloseCsv.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <set>
#include <utility>

#include "model/TradeRecord.h"
#include "platform/text/Numbers.h"
#include "platform/text/Windows1252.h"

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

// Splits one line at its commas; a field in double quotes may hold commas and doubled quotes.
bool SplitFields(std::string_view line, std::vector<std::string>& fields)
{
    fields.clear();
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        std::string field;
        if (i < line.size() && line[i] == '"') {
            ++i;
            bool bClosed = false;
            while (i < line.size()) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    bClosed = true;
                    ++i;
                    break;
                }
                field += line[i++];
            }
            if (!bClosed)
                return false;
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
                ++i;
            if (i < line.size() && line[i] != ',')
                return false;
        } else {
            const std::size_t comma = line.find(',', i);
            const std::size_t end = comma == std::string_view::npos ? line.size() : comma;
            field = std::string(Trim(line.substr(i, end - i)));
            i = end;
        }
        fields.push_back(std::move(field));
        if (i >= line.size())
            return true;
        ++i; // the comma
    }
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
    if (!ParseIsoDate(fields[0], row.date))
        return "the date is not a date as YYYY-MM-DD: " + Quoted(fields[0]);
    if (today < row.date)
        return "the date " + fields[0] + " is after today";
    if (!Utf8ToWindows1252(fields[1], row.symbol))
        return "the symbol is not UTF-8 text";
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

    std::set<std::pair<SLocalDate, std::string>> seen;
    std::vector<std::string> fields;
    bool bHeader = false;
    std::size_t nLine = 0;
    const auto refuse = [&result, &nLine](const std::string& why) {
        result.rows.clear();
        result.error = "line " + std::to_string(nLine) + ": " + why;
        return result;
    };
    while (!text.empty()) {
        ++nLine;
        const std::size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() > kMaxCloseLineBytes)
            return refuse("the line is longer than " + std::to_string(kMaxCloseLineBytes) +
                          " bytes");
        if (line.find_first_of(std::string_view("\r\0", 2)) != std::string_view::npos)
            return refuse("the line holds a carriage return or a zero byte");
        if (Trim(line).empty())
            continue;
        if (!SplitFields(line, fields))
            return refuse("the fields are not comma-separated values (an unclosed quote?)");
        if (!bHeader) {
            if (fields.size() != kFieldCount || !EqualsNoCase(fields[0], "date") ||
                !EqualsNoCase(fields[1], "symbol") || !EqualsNoCase(fields[2], "close"))
                return refuse("the first line must be the header date,symbol,close");
            bHeader = true;
            continue;
        }
        if (result.rows.size() == kMaxCloseRows)
            return refuse("more than " + std::to_string(kMaxCloseRows) +
                          " closes in one file; split it into smaller files");
        SCloseRow row;
        if (std::string why = CheckRow(fields, today, row); !why.empty())
            return refuse(why);
        if (!seen.emplace(row.date, row.symbol).second)
            return refuse("a second close for " + Quoted(fields[1]) + " on " + fields[0]);
        result.rows.push_back(std::move(row));
    }
    if (!bHeader) {
        result.error = "the file is empty: it needs the header date,symbol,close";
        return result;
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
