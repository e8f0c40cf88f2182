// The four readers that take price and change out of a quote reply. Each returns whether it
// found a price: a price field that reads as a number ("0" included; not "N/A", not a missing
// line, not a page without the labels). What is missing stays at the value the caller set (0)
// or the value found so far; a previous close that is missing or no number leaves the change
// at 0, never the whole price.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/net/HttpLineReader.h"

// One line of a reply as the readers see it: read by the line reader, tags removed.
bool ReadQuoteLine(CHttpLineReader& reader, std::string& strLine);

// Field nField (1-based) of a comma-separated line: the text between commas nField-1 and
// nField, or to the end of the line for the last field. Empty when the line has too few
// commas, so a reader never looks past the line.
std::optional<std::string_view> CsvField(std::string_view line, int nField);

// US quote server and the version page: price in field 2, change in field 5. The service's
// answer for a symbol it does not know (price 0 with the trade date "N/A") is no price.
bool ReadUsCsvQuote(CHttpLineReader& reader, const std::string& strCountry, int bUseBid,
                    double& dPrice, double& dChange);

// Regional and Australia/New Zealand servers: the first line is a header, the second holds
// the quote. Australia has the change in field 4; the others a previous close in field 7.
bool ReadRegionalCsvQuote(CHttpLineReader& reader, const std::string& strCountry, int bUseBid,
                          double& dPrice, double& dChange);

// Swiss quote page: the value lines that follow "Close:" and "Close prev. day:".
bool ReadSwissQuotePage(CHttpLineReader& reader, const std::string& strCountry, int bUseBid,
                        double& dPrice, double& dChange);

// Options quote page: the fifth non-empty line after "Last Sale" (or "Bid", valuing at bid)
// and after "Previous Close"; the change is the price minus the previous close.
bool ReadOptionsQuotePage(CHttpLineReader& reader, const std::string& strCountry, int bUseBid,
                          double& dPrice, double& dChange);

using QuoteReader = bool (*)(CHttpLineReader&, const std::string&, int, double&, double&);
