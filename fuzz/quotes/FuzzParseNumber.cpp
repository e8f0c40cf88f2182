// Fuzzes the price parsers: any text gives a finite number.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "quotes/QuoteNumber.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string_view text(reinterpret_cast<const char*>(pData), nSize);
    if (!std::isfinite(ParseQuoteNumber(text)) || !std::isfinite(ConvertLeadingDouble(text))) {
        std::abort();
    }
    return 0;
}
