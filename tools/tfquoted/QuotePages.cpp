#include "tools/tfquoted/QuotePages.h"

#include <array>
#include <charconv>
#include <cmath>
#include <ctime>

namespace {

// Decimals a served price carries at most; quotes in eighths and sixteenths need four.
constexpr int kMaxPriceDecimals = 4;
// Option prices are quoted in sixteenths when they fall on one.
constexpr int kFractionDenominator = 16;
// Room for any double printed with a few decimals.
constexpr std::size_t kNumberBuffer = 64;

std::string FixedText(double d, int nDecimals)
{
    std::array<char, kNumberBuffer> buffer{};
    const auto [ptr, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), d,
                                         std::chars_format::fixed, nDecimals);
    if (ec != std::errc()) {
        return "0";
    }
    return std::string(buffer.data(), ptr);
}

// The volume column; the readers never look at it, it only makes the line whole.
std::string VolumeFor(double dPrice)
{
    return std::to_string(static_cast<long long>(std::fabs(dPrice) * 977) % 900000 + 1000);
}

std::string Quoted(const std::string& strText)
{
    return "\"" + strText + "\"";
}

} // namespace

std::string FormatServedPrice(double d)
{
    std::string strText = FixedText(d, kMaxPriceDecimals);
    // Trim zeros beyond the second decimal.
    const std::size_t nPoint = strText.find('.');
    while (strText.size() > nPoint + 3 && strText.back() == '0') {
        strText.pop_back();
    }
    return strText;
}

std::string FormatServedChange(double d)
{
    std::string strText = FormatServedPrice(d);
    if (strText.front() != '-') {
        strText.insert(strText.begin(), '+');
    }
    return strText;
}

std::string FormatGroupedPrice(double d)
{
    const std::string strPlain = FormatServedPrice(std::fabs(d));
    const std::size_t nPoint = strPlain.find('.');
    std::string strText = d < 0 ? "-" : "";
    for (std::size_t i = 0; i < strPlain.size(); ++i) {
        if (i > 0 && i < nPoint && (nPoint - i) % 3 == 0) {
            strText += ',';
        }
        strText += strPlain[i];
    }
    return strText;
}

std::string FormatFractionPrice(double d)
{
    const double dScaled = d * kFractionDenominator;
    if (d < 0 || std::fabs(dScaled - std::round(dScaled)) > 1e-9) {
        return FormatServedPrice(d);
    }
    const auto nSixteenths = static_cast<long long>(std::round(dScaled));
    const long long nWhole = nSixteenths / kFractionDenominator;
    long long nNumerator = nSixteenths % kFractionDenominator;
    long long nDenominator = kFractionDenominator;
    if (nNumerator == 0) {
        return std::to_string(nWhole);
    }
    while (nNumerator % 2 == 0) {
        nNumerator /= 2;
        nDenominator /= 2;
    }
    const std::string strFraction = std::to_string(nNumerator) + "/" + std::to_string(nDenominator);
    return nWhole == 0 ? strFraction : std::to_string(nWhole) + " " + strFraction;
}

QuoteStamp CurrentQuoteStamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    QuoteStamp stamp;
    stamp.strDate = std::to_string(local.tm_mon + 1) + "/" + std::to_string(local.tm_mday) + "/" +
                    std::to_string(local.tm_year + 1900);
    const int nHour12 = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
    const std::string strMinutes = (local.tm_min < 10 ? "0" : "") + std::to_string(local.tm_min);
    stamp.strTime = std::to_string(nHour12) + ":" + strMinutes + (local.tm_hour < 12 ? "am" : "pm");
    return stamp;
}

std::string UsCsvBody(const std::string& strSymbol, const std::optional<ServedQuote>& quote,
                      const QuoteStamp& stamp)
{
    if (!quote) {
        return Quoted(strSymbol) + ",0.00,\"N/A\",\"N/A\",N/A,N/A,N/A,N/A,N/A\r\n";
    }
    const ServedQuote& q = *quote;
    const double dHigh = std::max(q.dPrice, q.dPreviousClose);
    const double dLow = std::min(q.dPrice, q.dPreviousClose);
    return Quoted(strSymbol) + "," + FormatServedPrice(q.dPrice) + "," + Quoted(stamp.strDate) +
           "," + Quoted(stamp.strTime) + "," + FormatServedChange(q.dChange) + "," +
           FormatServedPrice(q.dPreviousClose) + "," + FormatServedPrice(dHigh) + "," +
           FormatServedPrice(dLow) + "," + VolumeFor(q.dPrice) + "\r\n";
}

std::string RegionalCsvBody(const std::string& strSymbol, const std::optional<ServedQuote>& quote,
                            const QuoteStamp& stamp)
{
    std::string strBody = "Symbol,Last,Date,Change,High,Low,Prev Close,Volume\r\n";
    if (!quote) {
        return strBody + Quoted(strSymbol) +
               ",\"N/A\",\"N/A\",\"N/A\",\"N/A\",\"N/A\",\"N/A\",0\r\n";
    }
    const ServedQuote& q = *quote;
    const double dHigh = std::max(q.dPrice, q.dPreviousClose);
    const double dLow = std::min(q.dPrice, q.dPreviousClose);
    return strBody + Quoted(strSymbol) + "," + Quoted(FormatServedPrice(q.dPrice)) + "," +
           Quoted(stamp.strDate) + "," + Quoted(FormatServedChange(q.dChange)) + "," +
           Quoted(FormatServedPrice(dHigh)) + "," + Quoted(FormatServedPrice(dLow)) + "," +
           Quoted(FormatServedPrice(q.dPreviousClose)) + "," + VolumeFor(q.dPrice) + "\r\n";
}

std::string SwissPageBody(const std::string& strValor, const std::optional<ServedQuote>& quote)
{
    std::string strBody = "<html><head><title>Quote detail " + strValor +
                          "</title></head>\r\n<body>\r\n<h1>Quote detail</h1>\r\n";
    if (!quote) {
        return strBody + "<p>Valor " + strValor + " not found.</p>\r\n</body></html>\r\n";
    }
    strBody += "<table>\r\n";
    strBody += "<tr><td>Valor:</td>\r\n<td>" + strValor + "</td></tr>\r\n";
    strBody += "<tr><td>Close:</td>\r\n<td>" + FormatGroupedPrice(quote->dPrice) + "</td></tr>\r\n";
    strBody += "<tr><td>Close prev. day:</td>\r\n<td>" + FormatGroupedPrice(quote->dPreviousClose) +
               "</td></tr>\r\n";
    strBody += "<tr><td>Currency:</td>\r\n<td>CHF</td></tr>\r\n";
    return strBody + "</table>\r\n</body></html>\r\n";
}

std::string OptionsPageBody(const std::string& strTicker, const std::optional<ServedQuote>& quote)
{
    std::string strBody = "<html><head><title>Option quotes " + strTicker +
                          "</title></head>\r\n<body>\r\n<h2>Delayed quote " + strTicker +
                          "</h2>\r\n";
    if (!quote) {
        return strBody + "<p>No quotes for " + strTicker + ".</p>\r\n</body></html>\r\n";
    }
    const ServedQuote& q = *quote;
    const double dAsk = q.dPrice + (q.dPrice - q.dBid);
    // Each header cell and each value cell on its own line: a value stands five lines below
    // its label.
    strBody += "<table>\r\n<tr><th>Last Sale</th>\r\n<th>Net</th>\r\n<th>Bid</th>\r\n"
               "<th>Ask</th>\r\n<th>Vol</th></tr>\r\n";
    strBody += "<tr><td>" + FormatFractionPrice(q.dPrice) + "</td>\r\n<td>" +
               FormatServedChange(q.dChange) + "</td>\r\n<td>" + FormatFractionPrice(q.dBid) +
               "</td>\r\n<td>" + FormatFractionPrice(dAsk) + "</td>\r\n<td>" + VolumeFor(q.dPrice) +
               "</td></tr>\r\n</table>\r\n";
    strBody += "<table>\r\n<tr><th>Previous Close</th>\r\n<th>Open</th>\r\n<th>High</th>\r\n"
               "<th>Low</th>\r\n<th>Open Int</th></tr>\r\n";
    strBody += "<tr><td>" + FormatFractionPrice(q.dPreviousClose) + "</td>\r\n<td>" +
               FormatFractionPrice(q.dPreviousClose) + "</td>\r\n<td>" +
               FormatFractionPrice(std::max(q.dPrice, q.dPreviousClose)) + "</td>\r\n<td>" +
               FormatFractionPrice(std::min(q.dPrice, q.dPreviousClose)) + "</td>\r\n<td>" +
               VolumeFor(q.dBid) + "</td></tr>\r\n</table>\r\n";
    return strBody + "</body></html>\r\n";
}

std::string VersionBody(const std::string& strVersion)
{
    return "\"Tallyfern\"," + strVersion + "\r\n";
}

std::string QuoteBody(const SQuoteAsk& ask, const std::optional<ServedQuote>& quote,
                      const QuoteStamp& stamp)
{
    switch (ask.layout) {
    case EQuoteLayout::UsCsv:
        return UsCsvBody(ask.strAsked, quote, stamp);
    case EQuoteLayout::RegionalCsv:
        return RegionalCsvBody(ask.strAsked, quote, stamp);
    case EQuoteLayout::SwissPage:
        return SwissPageBody(ask.strAsked, quote);
    case EQuoteLayout::OptionsPage:
        return OptionsPageBody(ask.strAsked, quote);
    }
    return {};
}
