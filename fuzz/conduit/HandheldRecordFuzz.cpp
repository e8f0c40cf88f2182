// Fuzzes UnpackHandheldRecord: any record gives texts within their fields, and the trade
// packs back into a record that unpacks the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "conduit/HandheldRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TradeRecord trade;
    tf::conduit::UnpackHandheldRecord(data, size, trade);
    if (TradeSymbol(trade).size() > kSymbolMax || TradeCountry(trade).size() > kCountryMax)
        std::abort();

    std::vector<std::uint8_t> buffer(tf::conduit::kHandheldRecordSize);
    SkRecordBlock block{};
    block.buffer = buffer.data();
    block.bufferSize = static_cast<std::uint16_t>(buffer.size());
    if (!tf::conduit::PackHandheldRecord(trade, block))
        std::abort();
    TradeRecord again;
    tf::conduit::UnpackHandheldRecord(buffer.data(), buffer.size(), again);
    if (TradeSymbol(again) != TradeSymbol(trade) || TradeCountry(again) != TradeCountry(trade) ||
        std::memcmp(&again.quantity, &trade.quantity, sizeof trade.quantity) != 0 ||
        std::memcmp(&again.auxValue2, &trade.auxValue2, sizeof trade.auxValue2) != 0)
        std::abort();
    return 0;
}
