// The reply bodies tfquoted sends, laid out the way the quote services of each kind did:
// CSV lines with quoted symbols and signed changes, pages with labels and values on
// separate lines.
#pragma once

#include <optional>
#include <string>

#include "tools/tfquoted/QuoteAsk.h"
#include "tools/tfquoted/QuoteBook.h"

// "123.50", "3.125": at least two decimals, at most four, "." in every locale.
std::string FormatServedPrice(double d);
// "+0.75", "-0.25".
std::string FormatServedChange(double d);
// "1,234.50".
std::string FormatGroupedPrice(double d);
// "3 1/8" for prices in sixteenths, otherwise as FormatServedPrice.
std::string FormatFractionPrice(double d);

// The date and time texts of the CSV lines ("12/8/2026", "4:00pm").
struct QuoteStamp
{
    std::string strDate;
    std::string strTime;
};
QuoteStamp CurrentQuoteStamp();

// Unknown symbols get the services' "N/A" fields or a page without values.
std::string UsCsvBody(const std::string& strSymbol, const std::optional<ServedQuote>& quote,
                      const QuoteStamp& stamp);
std::string RegionalCsvBody(const std::string& strSymbol, const std::optional<ServedQuote>& quote,
                            const QuoteStamp& stamp);
std::string SwissPageBody(const std::string& strValor, const std::optional<ServedQuote>& quote);
std::string OptionsPageBody(const std::string& strTicker, const std::optional<ServedQuote>& quote);
std::string VersionBody(const std::string& strVersion);

// The body for an ask in its path's layout.
std::string QuoteBody(const SQuoteAsk& ask, const std::optional<ServedQuote>& quote,
                      const QuoteStamp& stamp);
