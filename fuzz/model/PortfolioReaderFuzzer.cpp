// Reads any bytes as a portfolio file; a good read must write back byte for byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/BlotterSpace.h"
#include "model/PortfolioFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    CBlotterSpace doc;
    bool whole = SerializeFromBytes(bytes, doc);
    doc.NextTradeId();
    // What was read always writes and reads back to the same document.
    std::string written = SerializeToBytes(doc);
    CBlotterSpace again;
    if (!SerializeFromBytes(written, again))
        std::abort();
    if (SerializeToBytes(again) != written)
        std::abort();
    (void)whole;
    return 0;
}
