#include "quotes/FetchQuote.h"

#include <memory>
#include <new>
#include <utility>

#include "quotes/HtmlTags.h"
#include "quotes/QuoteSession.h"
#include "quotes/QuoteUrl.h"
#include "quotes/TearException.h"

namespace {

HttpPasswordPrompt& PasswordPrompt()
{
    static HttpPasswordPrompt prompt;
    return prompt;
}

HttpLimits& FetchLimits()
{
    static HttpLimits limits;
    return limits;
}

} // namespace

void SetPasswordPrompt(HttpPasswordPrompt prompt)
{
    PasswordPrompt() = std::move(prompt);
}

void SetFetchLimits(const HttpLimits& limits)
{
    FetchLimits() = limits;
}

HttpLimits GetFetchLimits()
{
    return FetchLimits();
}

int FetchQuote(const std::string& symbol, const std::string& country, int bUseBid, double& dPrice,
               double& dChange)
{
    // The record's texts are zero-terminated: whatever follows a NUL is not part of them.
    const std::string strSymbol = symbol.substr(0, symbol.find('\0'));
    const std::string strCountry = country.substr(0, country.find('\0'));
    if (strSymbol.empty()) {
        return kFetchMissingArgument;
    }

    try {
        std::string strUrl;
        if (!BuildQuoteUrl(strSymbol, strCountry, strUrl)) {
            return kFetchNotMade;
        }
        const QuoteReader reader = ChooseQuoteReader(strSymbol, strCountry);

        CQuoteSession session(FetchLimits(), PasswordPrompt());
        const std::unique_ptr<CHttpRequest> pResponse = session.OpenQuote(strUrl);

        dPrice = 0.0;
        dChange = 0.0;
        ResetHtmlTagState();
        if (reader != nullptr) {
            CHttpLineReader body = pResponse->OpenBody();
            reader(body, strCountry, bUseBid, dPrice, dChange);
        }
        return kFetchOk;
    } catch (CTearException* pError) {
        const int nCode = pError->m_nCode;
        delete pError;
        return nCode;
    } catch (const std::bad_alloc&) {
        return kFetchFailed;
    }
}

QuoteFetchResult FetchQuoteResult(const std::string& symbol, const std::string& country,
                                  int bUseBid)
{
    QuoteFetchResult result;
    result.nResult = FetchQuote(symbol, country, bUseBid, result.dPrice, result.dChange);
    return result;
}

int FetchCurrentVersion(double& dVersion)
{
    double dUnused = 0.0;
    dVersion = 0.0;
    return FetchQuote("none", kVersionSourceKey, 0, dVersion, dUnused);
}
