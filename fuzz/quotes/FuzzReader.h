// Runs one quote reader over fuzz input: the first byte picks the country and the use-bid
// flag, the rest is the reply body.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/net/HttpLineReader.h"
#include "quotes/HtmlTags.h"
#include "quotes/QuoteReaders.h"

inline void FuzzQuoteReader(QuoteReader reader, const std::uint8_t* pData, std::size_t nSize)
{
    static const char* const kCountries[] = {"United States", "Australia", "New Zealand", "France"};
    if (nSize == 0) {
        return;
    }
    const std::string strCountry = kCountries[pData[0] % 4];
    const int bUseBid = (pData[0] >> 2) & 1;
    const std::string_view body(reinterpret_cast<const char*>(pData + 1), nSize - 1);
    ResetHtmlTagState();
    CHttpLineReader lines(body);
    double dPrice = 0.0;
    double dChange = 0.0;
    const bool bFound = reader(lines, strCountry, bUseBid, dPrice, dChange);
    // Prices are finite; a change is a difference of two finite numbers; a reply without a
    // price leaves no price behind.
    if (!std::isfinite(dPrice) || (!bFound && dPrice != 0.0)) {
        std::abort();
    }
}
