// Where the six kinds of quote source live. Every role defaults to the local quote service
// and can be pointed elsewhere through its environment variable ("host" or "host:port").
#pragma once

#include <string>

enum class QuoteServerRole {
    UsQuotes,       // TALLYFERN_US_QUOTE_SERVER
    RegionalQuotes, // TALLYFERN_REGIONAL_QUOTE_SERVER
    AuNzQuotes,     // TALLYFERN_AUNZ_QUOTE_SERVER
    SwissQuotes,    // TALLYFERN_SWISS_QUOTE_SERVER
    OptionQuotes,   // TALLYFERN_OPTIONS_QUOTE_SERVER
    MakerSite       // TALLYFERN_MAKER_SERVER
};

// The local quote service every role uses unless told otherwise.
inline constexpr const char* kDefaultQuoteServer = "127.0.0.1:8470";

// The name of the environment variable that overrides the role.
const char* QuoteServerVariable(QuoteServerRole role);

// The host (and port, if one is set) of the role, read from the environment on every call
// so that a changed setting takes effect at the next fetch.
std::string GetQuoteServer(QuoteServerRole role);

// The maker's web site, as the version check and the obsolete-version caption name it.
std::string GetMakerHost();
