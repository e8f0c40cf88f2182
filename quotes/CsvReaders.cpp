// The two comma-separated layouts.
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

// A field after leading white space, with its first character dropped, converted: the
// services put a currency sign or quotation mark in front of the number.
double ConvertAfterFirst(std::string_view field)
{
    return ConvertLeadingDouble(DropFirst(TrimLeadingSpace(field)));
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

void ReadUsCsvQuote(CHttpLineReader& reader, const std::string& /*strCountry*/, int /*bUseBid*/,
                    double& dPrice, double& dChange)
{
    std::string strLine;
    if (!ReadQuoteLine(reader, strLine) || strLine.empty()) {
        return;
    }
    if (const auto price = CsvField(strLine, 2)) {
        dPrice = ConvertLeadingDouble(TrimLeadingSpace(*price));
    }
    if (const auto change = CsvField(strLine, 5)) {
        dChange = ConvertSignedChange(*change);
    }
}

void ReadRegionalCsvQuote(CHttpLineReader& reader, const std::string& strCountry, int /*bUseBid*/,
                          double& dPrice, double& dChange)
{
    std::string strLine;
    for (int nLine = 1; nLine <= kRegionalQuoteLine; ++nLine) {
        if (!ReadQuoteLine(reader, strLine) || strLine.empty()) {
            return;
        }
    }
    const auto price = CsvField(strLine, 2);
    if (price) {
        dPrice = ConvertAfterFirst(*price);
    }
    if (strCountry == "Australia") {
        if (const auto change = CsvField(strLine, 4)) {
            dChange = ConvertSignedChange(*change);
        }
        return;
    }
    // Without a previous close there is no change to compute; price minus nothing would
    // report the whole price as the day's move.
    if (const auto previous = CsvField(strLine, 7); previous) {
        dChange = dPrice - ConvertAfterFirst(*previous);
    }
}
