#include "tools/tfquoted/QuoteAsk.h"

#include <cctype>

namespace {

constexpr char kSuffixMark = '*';

int HexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const int nLower = std::tolower(static_cast<unsigned char>(c));
    return nLower >= 'a' && nLower <= 'f' ? nLower - 'a' + 10 : -1;
}

// A query value decoded the way the HTTP server decodes it: %XX and "+" for a space.
std::string DecodeQueryValue(const std::string& strValue)
{
    std::string strOut;
    for (std::size_t i = 0; i < strValue.size(); ++i) {
        const char c = strValue[i];
        if (c == '+') {
            strOut += ' ';
        } else if (c == '%' && i + 2 < strValue.size() && HexValue(strValue[i + 1]) >= 0 &&
                   HexValue(strValue[i + 2]) >= 0) {
            strOut += static_cast<char>(HexValue(strValue[i + 1]) * 16 + HexValue(strValue[i + 2]));
            i += 2;
        } else {
            strOut += c;
        }
    }
    return strOut;
}

std::optional<std::string> QueryValue(const std::string& strQuery, const std::string& strName)
{
    std::size_t nAt = 0;
    while (nAt <= strQuery.size()) {
        const std::size_t nEnd = std::min(strQuery.find('&', nAt), strQuery.size());
        const std::string strPair = strQuery.substr(nAt, nEnd - nAt);
        const std::size_t nEquals = strPair.find('=');
        if (nEquals != std::string::npos && strPair.substr(0, nEquals) == strName) {
            return DecodeQueryValue(strPair.substr(nEquals + 1));
        }
        nAt = nEnd + 1;
    }
    return std::nullopt;
}

} // namespace

SQuoteAsk AskForPath(const SQuotePath& path, const std::string& strAsked)
{
    SQuoteAsk ask;
    ask.layout = path.layout;
    ask.strAsked = strAsked;
    ask.strSymbol = strAsked;
    ask.market = path.market;
    // The regional path carries the exchange in a one-letter suffix ("VOD*L"); without a
    // known one the symbol stands for itself.
    const std::size_t nMark = strAsked.rfind(kSuffixMark);
    if (path.bExchangeSuffix && nMark != std::string::npos && nMark + 2 == strAsked.size()) {
        if (const auto market = MarketFromSuffix(strAsked.back())) {
            ask.market = *market;
            ask.strSymbol = strAsked.substr(0, nMark);
        }
    }
    return ask;
}

std::optional<SQuoteAsk> AskForUrl(const std::string& strUrl)
{
    const std::size_t nScheme = strUrl.find("://");
    const std::size_t nPathStart = strUrl.find('/', nScheme == std::string::npos ? 0 : nScheme + 3);
    if (nPathStart == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t nQuery = strUrl.find('?', nPathStart);
    const std::string strPath = strUrl.substr(nPathStart, nQuery - nPathStart);
    const std::string strQuery = nQuery == std::string::npos ? "" : strUrl.substr(nQuery + 1);
    for (const SQuotePath& path : kQuotePaths) {
        if (strPath == path.pPath) {
            return AskForPath(path, QueryValue(strQuery, path.pParameter).value_or(""));
        }
    }
    return std::nullopt;
}
