#include "conduit/HandheldRecord.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string_view>

#include "model/LedgerChecks.h"

namespace tf::conduit {

namespace {
constexpr std::size_t kSymbolOffset = 0;
constexpr std::size_t kSymbolWidth = 10;
constexpr std::size_t kFirstDoubleOffset = 10;
constexpr std::size_t kCountryOffset = 74;
constexpr std::size_t kCountryWidth = 20;
constexpr std::size_t kDeductFeeOffset = 94;
// Bytes 95 to 114 (six u16 and a double) are written as zero; the rest of the record too.

void PutDouble(std::uint8_t* at, double value)
{
    auto bits = std::bit_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i)
        at[i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
}

double GetDouble(const std::uint8_t* at)
{
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits = (bits << 8) | at[i];
    return std::bit_cast<double>(bits);
}

std::string_view FieldText(const std::uint8_t* at, std::size_t width)
{
    const char* text = reinterpret_cast<const char*>(at);
    return std::string_view(text, strnlen(text, width));
}
} // namespace

bool PackHandheldRecord(const TradeRecord& trade, SkRecordBlock& block)
{
    if (!block.buffer || block.bufferSize < kHandheldRecordSize)
        return false;
    block.bufferSize = kHandheldRecordSize;
    block.recordSize = kHandheldRecordSize;
    block.recordId = 0;
    block.attributes = trade.privateFlag == 1 ? kAttributePrivate : kAttributeShown;

    std::uint8_t* out = block.buffer;
    std::memset(out, 0, kHandheldRecordSize);
    std::memcpy(out + kSymbolOffset, trade.symbol, kSymbolWidth);
    const double values[] = {trade.quantity,  trade.price,     trade.currentPrice, trade.dayChange,
                             trade.brokerFee, trade.auxValue1, trade.costPrice,    trade.auxValue2};
    for (std::size_t i = 0; i < std::size(values); ++i)
        PutDouble(out + kFirstDoubleOffset + 8 * i, values[i]);
    std::memcpy(out + kCountryOffset, trade.country, kCountryWidth);
    out[kDeductFeeOffset] = static_cast<std::uint8_t>(trade.deductFee & 0xFF);
    return true;
}

void UnpackHandheldRecord(const std::uint8_t* data, std::size_t size, TradeRecord& trade)
{
    std::uint8_t record[kHandheldRecordSize] = {};
    if (data)
        std::memcpy(record, data, std::min(size, kHandheldRecordSize));

    trade = MakeEmptyTrade();
    SetTradeSymbol(trade, FieldText(record + kSymbolOffset, kSymbolWidth));
    double* fields[] = {&trade.quantity,  &trade.price,     &trade.currentPrice, &trade.dayChange,
                        &trade.brokerFee, &trade.auxValue1, &trade.costPrice,    &trade.auxValue2};
    for (std::size_t i = 0; i < std::size(fields); ++i)
        *fields[i] = GetDouble(record + kFirstDoubleOffset + 8 * i);
    // A country that fills all 20 bytes has no room for the record's terminator: it keeps
    // its first 19 characters.
    SetTradeCountry(trade, FieldText(record + kCountryOffset, kCountryWidth));
    trade.deductFee = 0;
}

bool HasTradeNumbers(const TradeRecord& record)
{
    return !CheckTradeNumbers(record.quantity, record.price, record.brokerFee) &&
           std::isfinite(record.currentPrice) && std::isfinite(record.dayChange);
}

} // namespace tf::conduit
