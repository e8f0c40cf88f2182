// Which server, path and reader serve a symbol, decided from its country.
#pragma once

#include <cstddef>
#include <string>

#include "quotes/QuoteReaders.h"

// The URL is built in a buffer of this many characters, terminator included; a longer one
// is refused rather than cut.
constexpr std::size_t kMaxQuoteUrl = 1024;

// The reserved country key that asks the maker's site for the current program version.
inline constexpr const char* kVersionSourceKey = "brackwel";

// A symbol that contains ".o" or ".O" anywhere.
bool IsOptionSymbol(const std::string& strSymbol);

// "http://" + host + path and query with the symbol as typed, but for "?" and "&", which are
// percent-encoded so that a symbol cannot add query fields. Returns false when the URL would
// not fit its buffer.
bool BuildQuoteUrl(const std::string& strSymbol, const std::string& strCountry,
                   std::string& strUrl);

// The reader for the reply, or nullptr when none applies (an option symbol outside the
// United States): price and change then stay 0.
QuoteReader ChooseQuoteReader(const std::string& strSymbol, const std::string& strCountry);
