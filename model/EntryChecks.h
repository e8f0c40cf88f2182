// The texts a trade typed in the terminal or read from a file must have: a symbol that the
// trade list, quote requests and mail can carry, a category of the portfolio, a country the
// quote sources know. (The trade dialog offers only valid choices and keeps its own rules.)
#pragma once

#include <string>
#include <string_view>

#include "BlotterSpace.h"

// The countries a trade can be entered for: those the trade dialog offers, and the two more
// the quote sources know.
extern const char* const kTradeCountries[12];
// "United States, Canada, ..." for messages and help.
std::string TradeCountriesText();

// Why the text cannot be a trade's symbol, or empty when it can.
std::string SymbolProblem(std::string_view symbol);
// Why the text cannot be a trade's category in this portfolio, or empty when it can.
std::string TradeCategoryProblem(const CBlotterSpace& doc, std::string_view category);
// Why the text is not a country a trade can be entered for, or empty when it is.
std::string CountryProblem(std::string_view country);
