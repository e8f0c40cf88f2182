// The markets a quote request can come from: one for each quote path, and one for each
// exchange suffix of the regional path. The upstream configuration names them by key.
#pragma once

#include <optional>
#include <string>

enum class EQuoteMarket {
    US,      // the US CSV path (United States and Canada)
    P,       // regional path, Paris ("*P")
    L,       // regional path, London ("*L"; the United Kingdom and Ireland)
    F,       // regional path, Frankfurt ("*F")
    M,       // regional path, Milan ("*M")
    S,       // regional path, Stockholm ("*S")
    O,       // regional path, Oslo ("*O")
    AUNZ,    // the Australia/New Zealand path
    SWISS,   // the Swiss quote page (a Valor number)
    OTHER,   // the regional path without a suffix (any other country)
    OPTIONS, // the options page (".BASE"); answered only through an alias
};

// The configuration's key for a market ("US", "L", "AUNZ"...).
const char* MarketKey(EQuoteMarket market);
// The market a configuration key names; options have no key of their own.
std::optional<EQuoteMarket> MarketFromKey(const std::string& strKey);
// The keys a configuration may use, for messages: "US, P, L, ...".
std::string MarketKeyList();
// The regional path's market for an exchange suffix letter ('P', 'L'...).
std::optional<EQuoteMarket> MarketFromSuffix(char cSuffix);
