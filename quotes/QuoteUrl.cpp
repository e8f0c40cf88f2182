#include "quotes/QuoteUrl.h"

#include "quotes/QuoteServers.h"

namespace {

struct RegionalSuffix
{
    const char* pCountry;
    const char* pSuffix;
};

// Exchange suffixes of the regional server, which serves the continental exchanges too.
constexpr RegionalSuffix kRegionalSuffixes[] = {
    {"France", "*P&detailed=s"},  {"United Kingdom", "*L&detailed=s"}, {"Ireland", "*L&detailed=s"},
    {"Germany", "*F&detailed=s"}, {"Italy", "*M&detailed=s"},          {"Sweden", "*S&detailed=s"},
    {"Norway", "*O&detailed=s"},
};

bool IsUsOrCanada(const std::string& strCountry)
{
    return strCountry == "United States" || strCountry == "Canada";
}

std::string OptionBase(const std::string& strSymbol)
{
    return strSymbol.substr(0, strSymbol.find('.'));
}

// The symbol stands inside a query: a "?" or "&" in it would start query fields of its own.
// Spaces and control characters are encoded with the rest of the request line.
std::string EncodeSymbol(const std::string& strSymbol)
{
    std::string strOut;
    strOut.reserve(strSymbol.size());
    for (const char c : strSymbol) {
        if (c == '?') {
            strOut += "%3F";
        } else if (c == '&') {
            strOut += "%26";
        } else {
            strOut += c;
        }
    }
    return strOut;
}

std::string HttpPrefix(QuoteServerRole role)
{
    return "http://" + GetQuoteServer(role);
}

} // namespace

bool IsOptionSymbol(const std::string& strSymbol)
{
    return strSymbol.find(".o") != std::string::npos || strSymbol.find(".O") != std::string::npos;
}

bool BuildQuoteUrl(const std::string& strTypedSymbol, const std::string& strCountry,
                   std::string& strUrl)
{
    const bool bOption = IsOptionSymbol(strTypedSymbol);
    const std::string strSymbol = EncodeSymbol(strTypedSymbol);
    std::string strBuilt;
    if (strCountry == kVersionSourceKey) {
        strBuilt = HttpPrefix(QuoteServerRole::MakerSite) + "/version.htm";
    } else if (IsUsOrCanada(strCountry) && !bOption) {
        strBuilt = HttpPrefix(QuoteServerRole::UsQuotes) + "/d/quotes.csv?s=" + strSymbol +
                   "&f=sl1d1t1c1ohgv&e=.csv";
    } else if (IsUsOrCanada(strCountry)) {
        strBuilt = HttpPrefix(QuoteServerRole::OptionQuotes) + "/cgi-bin/cboeget.exe?ticker=." +
                   OptionBase(strSymbol);
    } else if (strCountry == "Australia" || strCountry == "New Zealand") {
        strBuilt = HttpPrefix(QuoteServerRole::AuNzQuotes) +
                   "/quotes/aunz/quote?symbols=" + strSymbol + "&detailed=s";
    } else if (strCountry == "Switzerland") {
        strBuilt =
            HttpPrefix(QuoteServerRole::SwissQuotes) + "/quotes/Detail.cfm?Valor=" + strSymbol;
    } else {
        const char* pSuffix = "";
        for (const auto& entry : kRegionalSuffixes) {
            if (strCountry == entry.pCountry) {
                pSuffix = entry.pSuffix;
                break;
            }
        }
        strBuilt = HttpPrefix(QuoteServerRole::RegionalQuotes) +
                   "/quotes/ukie/quote.csv?symbols=" + strSymbol + pSuffix;
    }
    if (strBuilt.size() + 1 > kMaxQuoteUrl) {
        return false;
    }
    strUrl = strBuilt;
    return true;
}

QuoteReader ChooseQuoteReader(const std::string& strSymbol, const std::string& strCountry)
{
    if (strCountry == "Switzerland") {
        return &ReadSwissQuotePage;
    }
    if (IsOptionSymbol(strSymbol)) {
        return strCountry == "United States" ? &ReadOptionsQuotePage : nullptr;
    }
    if (strCountry == kVersionSourceKey || IsUsOrCanada(strCountry)) {
        return &ReadUsCsvQuote;
    }
    return &ReadRegionalCsvQuote;
}
