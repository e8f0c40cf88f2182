// The two comma-separated layouts.
#include <optional>
#include <string>
#include <string_view>

#include "quotes/HtmlTags.h"
#include "quotes/QuoteNumber.h"
#include "quotes/QuoteReaders.h"

namespace {

// The regional layout's quote stands on its second line.
constexpr int kRegionalQuoteLine = 2;

std::string_view TrimLeadingSpace(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\v' || text[i] == '\f' || text[i] == '\r')) {
        ++i;
    }
    return text.substr(i);
}

std::string_view DropFirst(std::string_view text)
{
    return text.empty() ? text : text.substr(1);
}

// A field after leading white space, with its first character dropped: the services put a
// currency sign or quotation mark in front of the number.
std::string_view AfterFirst(std::string_view field)
{
    return DropFirst(TrimLeadingSpace(field));
}

// A leading "-" negates the rest; any other first character (normally "+") is dropped.
double ConvertSignedChange(std::string_view field)
{
    const std::string_view text = TrimLeadingSpace(field);
    if (!text.empty() && text.front() == '-') {
        return -ConvertLeadingDouble(text.substr(1));
    }
    return ConvertLeadingDouble(DropFirst(text));
}

// "N/A", with or without quotation marks: what the services write for a value they lack.
bool IsNotAvailable(std::optional<std::string_view> field)
{
    if (!field) {
        return false;
    }
    std::string_view text = TrimLeadingSpace(*field);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = text.substr(1, text.size() - 2);
    }
    return text == "N/A";
}

} // namespace

bool ReadQuoteLine(CHttpLineReader& reader, std::string& strLine)
{
    if (!reader.ReadString(strLine)) {
        return false;
    }
    StripHtmlTags(strLine);
    return true;
}

std::optional<std::string_view> CsvField(std::string_view line, int nField)
{
    if (nField < 1) {
        return std::nullopt;
    }
    std::size_t nStart = 0;
    for (int i = 1; i < nField; ++i) {
        const std::size_t nComma = line.find(',', nStart);
        if (nComma == std::string_view::npos) {
            return std::nullopt;
        }
        nStart = nComma + 1;
    }
    const std::size_t nEnd = line.find(',', nStart);
    return line.substr(nStart,
                       nEnd == std::string_view::npos ? std::string_view::npos : nEnd - nStart);
}

bool ReadUsCsvQuote(CHttpLineReader& reader, const std::string& /*strCountry*/, int /*bUseBid*/,
                    double& dPrice, double& dChange)
{
    std::string strLine;
    if (!ReadQuoteLine(reader, strLine) || strLine.empty()) {
        return false;
    }
    bool bFound = false;
    if (const auto price = CsvField(strLine, 2)) {
        bFound = ReadLeadingDouble(TrimLeadingSpace(*price), dPrice);
    }
    if (const auto change = CsvField(strLine, 5)) {
        dChange = ConvertSignedChange(*change);
    }
    // The service answers a symbol it does not know with a price of 0 and no trade date.
    if (bFound && dPrice == 0.0 && IsNotAvailable(CsvField(strLine, 3))) {
        return false;
    }
    return bFound;
}

bool ReadRegionalCsvQuote(CHttpLineReader& reader, const std::string& strCountry, int /*bUseBid*/,
                          double& dPrice, double& dChange)
{
    std::string strLine;
    for (int nLine = 1; nLine <= kRegionalQuoteLine; ++nLine) {
        if (!ReadQuoteLine(reader, strLine) || strLine.empty()) {
            return false;
        }
    }
    bool bFound = false;
    if (const auto price = CsvField(strLine, 2)) {
        bFound = ReadLeadingDouble(AfterFirst(*price), dPrice);
    }
    if (strCountry == "Australia") {
        if (const auto change = CsvField(strLine, 4)) {
            dChange = ConvertSignedChange(*change);
        }
        return bFound;
    }
    // Without a previous close there is no change to compute; price minus nothing would
    // report the whole price as the day's move.
    double dPrevious = 0.0;
    if (const auto previous = CsvField(strLine, 7);
        previous && ReadLeadingDouble(AfterFirst(*previous), dPrevious)) {
        dChange = dPrice - dPrevious;
    }
    return bFound;
}
