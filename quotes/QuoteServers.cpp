#include "quotes/QuoteServers.h"

#include <cstdlib>

const char* QuoteServerVariable(QuoteServerRole role)
{
    switch (role) {
    case QuoteServerRole::UsQuotes:
        return "TALLYFERN_US_QUOTE_SERVER";
    case QuoteServerRole::RegionalQuotes:
        return "TALLYFERN_REGIONAL_QUOTE_SERVER";
    case QuoteServerRole::AuNzQuotes:
        return "TALLYFERN_AUNZ_QUOTE_SERVER";
    case QuoteServerRole::SwissQuotes:
        return "TALLYFERN_SWISS_QUOTE_SERVER";
    case QuoteServerRole::OptionQuotes:
        return "TALLYFERN_OPTIONS_QUOTE_SERVER";
    case QuoteServerRole::MakerSite:
        return "TALLYFERN_MAKER_SERVER";
    }
    return "TALLYFERN_MAKER_SERVER";
}

std::string GetQuoteServer(QuoteServerRole role)
{
    const char* pValue = std::getenv(QuoteServerVariable(role));
    if (pValue == nullptr || *pValue == '\0') {
        return kDefaultQuoteServer;
    }
    return pValue;
}

std::string GetMakerHost()
{
    return GetQuoteServer(QuoteServerRole::MakerSite);
}
