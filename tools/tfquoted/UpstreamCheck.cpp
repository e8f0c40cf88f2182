#include "tools/tfquoted/UpstreamCheck.h"

#include <chrono>

#include "quotes/QuoteUrl.h"
#include "tools/tfquoted/QuoteAsk.h"
#include "tools/tfquoted/QuotePages.h"
#include "tools/tfquoted/upstream/QuoteGateway.h"

int RunUpstreamCheck(CQuoteGateway& gateway, const std::string& strSymbol,
                     const std::string& strCountry, std::ostream& out, std::ostream& err)
{
    std::string strUrl;
    if (!BuildQuoteUrl(strSymbol, strCountry, strUrl)) {
        err << "tfquoted: the symbol is too long for a quote request\n";
        return 1;
    }
    const auto ask = AskForUrl(strUrl);
    if (!ask || ask->strSymbol.empty()) {
        err << "tfquoted: \"" << strCountry << "\" asks for no quote\n";
        return 1;
    }
    const auto started = std::chrono::steady_clock::now();
    const SGatewayAnswer answer = gateway.Lookup(ask->market, ask->strSymbol);
    const auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - started)
                               .count();

    out << "upstream  " << gateway.Name() << "\n"
        << "asked     " << ask->strAsked << " (" << strCountry << ", market "
        << MarketKey(ask->market) << ")\n";
    if (!answer.strServiceSymbol.empty()) {
        out << "symbol    " << answer.strServiceSymbol << "\n";
    }
    if (answer.quote) {
        out << "price     " << FormatServedPrice(answer.quote->dPrice) << "\n"
            << "change    " << FormatServedChange(answer.quote->dChange) << "\n";
    }
    out << "time      " << elapsedMs << " ms\n";
    if (!answer.quote) {
        err << "tfquoted: " << answer.strFailure << "\n";
        return 1;
    }
    return 0;
}
