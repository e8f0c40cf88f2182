// What a request on one of the quote paths asks for: the market, the symbol, and the layout
// the answer has to take. The same reading serves the HTTP handlers and --check, which asks
// for the path FetchQuote would build.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "tools/tfquoted/upstream/QuoteMarket.h"

enum class EQuoteLayout {
    UsCsv,       // one CSV line
    RegionalCsv, // a header line and a CSV line (also the Australia/New Zealand path)
    SwissPage,   // a page with "Close:" and "Close prev. day:"
    OptionsPage, // a page with "Last Sale", "Bid" and "Previous Close"
};

struct SQuotePath
{
    const char* pPath;
    const char* pParameter; // the query parameter that holds the symbol
    EQuoteLayout layout;
    EQuoteMarket market;
    bool bExchangeSuffix; // the symbol may end in "*X", naming the exchange's market
};

// Every quote path tfquoted answers.
inline constexpr SQuotePath kQuotePaths[] = {
    {"/d/quotes.csv", "s", EQuoteLayout::UsCsv, EQuoteMarket::US, false},
    {"/quotes/ukie/quote.csv", "symbols", EQuoteLayout::RegionalCsv, EQuoteMarket::OTHER, true},
    {"/quotes/aunz/quote", "symbols", EQuoteLayout::RegionalCsv, EQuoteMarket::AUNZ, false},
    {"/quotes/Detail.cfm", "Valor", EQuoteLayout::SwissPage, EQuoteMarket::SWISS, false},
    {"/cgi-bin/cboeget.exe", "ticker", EQuoteLayout::OptionsPage, EQuoteMarket::OPTIONS, false},
};

struct SQuoteAsk
{
    EQuoteLayout layout = EQuoteLayout::UsCsv;
    EQuoteMarket market = EQuoteMarket::US;
    std::string strAsked;  // the parameter as it came ("VOD*L", ".XYZ")
    std::string strSymbol; // the symbol without the regional exchange suffix ("VOD")
};

// The ask of a request on the path, given the symbol parameter as it arrived.
SQuoteAsk AskForPath(const SQuotePath& path, const std::string& strAsked);

// The ask of a URL as FetchQuote builds it ("http://host/quotes/ukie/quote.csv?symbols=VOD*L
// &detailed=s"); nullopt for a URL that is no quote path (the version page).
std::optional<SQuoteAsk> AskForUrl(const std::string& strUrl);
