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

std::string HttpPrefix(QuoteServerRole role)
{
    return "http://" + GetQuoteServer(role);
}

} // namespace

bool IsOptionSymbol(const std::string& strSymbol)
{
    return strSymbol.find(".o") != std::string::npos || strSymbol.find(".O") != std::string::npos;
}

bool BuildQuoteUrl(const std::string& strSymbol, const std::string& strCountry, std::string& strUrl)
{
    std::string strBuilt;
    if (strCountry == kVersionSourceKey) {
        strBuilt = HttpPrefix(QuoteServerRole::MakerSite) + "/version.htm";
    } else if (IsUsOrCanada(strCountry) && !IsOptionSymbol(strSymbol)) {
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
