#include "tools/tfquoted/QuoteSource.h"

#include "tools/tfquoted/upstream/QuoteGateway.h"

namespace {

// The lookup with the text asked first, then with one leading or trailing part taken off.
std::optional<ServedQuote> FindEither(CQuoteBook& book, const std::string& strAsked,
                                      const std::string& strShorter)
{
    if (auto quote = book.Find(strAsked)) {
        return quote;
    }
    if (strShorter != strAsked) {
        return book.Find(strShorter);
    }
    return std::nullopt;
}

} // namespace

SQuoteAnswer CBookSource::Answer(const SQuoteAsk& ask)
{
    SQuoteAnswer answer;
    const std::string& strAsked = ask.strAsked;
    switch (ask.layout) {
    case EQuoteLayout::RegionalCsv: {
        const std::size_t nStar = strAsked.find('*');
        answer.quote = FindEither(m_book, strAsked, strAsked.substr(0, nStar));
        break;
    }
    case EQuoteLayout::OptionsPage: {
        const bool bDot = !strAsked.empty() && strAsked.front() == '.';
        answer.quote = FindEither(m_book, strAsked, bDot ? strAsked.substr(1) : strAsked);
        break;
    }
    case EQuoteLayout::UsCsv:
    case EQuoteLayout::SwissPage:
        answer.quote = m_book.Find(strAsked);
        break;
    }
    return answer;
}

SQuoteAnswer CGatewaySource::Answer(const SQuoteAsk& ask)
{
    SQuoteAnswer answer;
    if (ask.strSymbol.empty()) {
        answer.bNotFound = true;
        answer.strNoQuote = "no quote: no symbol was asked for";
        return answer;
    }
    const SGatewayAnswer found = m_gateway.Lookup(ask.market, ask.strSymbol);
    if (!found.quote) {
        answer.bNotFound = true;
        answer.strNoQuote = found.strFailure;
        return answer;
    }
    ServedQuote quote;
    quote.dPrice = found.quote->dPrice;
    quote.dChange = found.quote->dChange;
    quote.dPreviousClose = found.quote->dPreviousClose;
    // The services' quote endpoints carry no bid: an option valued at its bid gets the price.
    quote.dBid = found.quote->dPrice;
    answer.quote = quote;
    return answer;
}

std::optional<std::string> CGatewaySource::Status()
{
    return m_gateway.StatusJson();
}
