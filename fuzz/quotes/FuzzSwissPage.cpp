// Fuzzes the reader ReadSwissQuotePage with arbitrary reply bodies.
#include <cstddef>
#include <cstdint>

#include "fuzz/quotes/FuzzReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    FuzzQuoteReader(&ReadSwissQuotePage, pData, nSize);
    return 0;
}
