#include "tools/tfsync/ViewerRecord.h"

#include <algorithm>
#include <cstring>

namespace tfsync {

namespace {
void PutBigEndianDouble(std::vector<std::uint8_t>& out, std::size_t at, double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 7; i >= 0; --i) {
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits & 0xFF);
        bits >>= 8;
    }
}

double GetBigEndianDouble(const std::uint8_t* at)
{
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits = (bits << 8) | at[i];
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void PutText(std::vector<std::uint8_t>& out, std::size_t at, std::size_t width,
             const std::string& text)
{
    std::memcpy(out.data() + at, text.data(), std::min(width, text.size()));
}

std::string GetText(const std::uint8_t* at, std::size_t width)
{
    const char* text = reinterpret_cast<const char*>(at);
    return std::string(text, strnlen(text, width));
}
} // namespace

std::vector<std::uint8_t> EncodeViewerTrade(const ViewerTrade& trade)
{
    std::vector<std::uint8_t> out(kViewerRecordSize, 0);
    PutText(out, 0, 10, trade.symbol);
    PutBigEndianDouble(out, 10, trade.quantity);
    PutBigEndianDouble(out, 18, trade.price);
    PutBigEndianDouble(out, 26, trade.lastPrice);
    PutBigEndianDouble(out, 34, trade.dayChange);
    PutBigEndianDouble(out, 42, trade.brokerFee);
    PutBigEndianDouble(out, 50, trade.carried1);
    PutBigEndianDouble(out, 58, trade.costPrice);
    PutBigEndianDouble(out, 66, trade.carried2);
    PutText(out, 74, 20, trade.country);
    out[94] = static_cast<std::uint8_t>(trade.deductFee);
    return out;
}

ViewerTrade DecodeViewerTrade(const std::vector<std::uint8_t>& record)
{
    std::uint8_t bytes[kViewerRecordSize] = {};
    std::memcpy(bytes, record.data(), std::min(record.size(), kViewerRecordSize));
    ViewerTrade trade;
    trade.symbol = GetText(bytes, 10);
    trade.quantity = GetBigEndianDouble(bytes + 10);
    trade.price = GetBigEndianDouble(bytes + 18);
    trade.lastPrice = GetBigEndianDouble(bytes + 26);
    trade.dayChange = GetBigEndianDouble(bytes + 34);
    trade.brokerFee = GetBigEndianDouble(bytes + 42);
    trade.carried1 = GetBigEndianDouble(bytes + 50);
    trade.costPrice = GetBigEndianDouble(bytes + 58);
    trade.carried2 = GetBigEndianDouble(bytes + 66);
    trade.country = GetText(bytes + 74, 20);
    trade.deductFee = bytes[94];
    return trade;
}

ViewerCategories DecodeViewerCategories(const std::vector<std::uint8_t>& block)
{
    std::uint8_t bytes[kViewerBlockSize] = {};
    std::memcpy(bytes, block.data(), std::min(block.size(), kViewerBlockSize));
    ViewerCategories categories;
    for (int slot = 0; slot < kViewerSlots; ++slot) {
        categories.slots[slot].name = GetText(bytes + 2 + slot * kViewerNameWidth, 15);
        categories.slots[slot].id = bytes[258 + slot];
    }
    return categories;
}

std::vector<std::uint8_t> EncodeViewerCategories(const ViewerCategories& categories)
{
    std::vector<std::uint8_t> out(kViewerBlockSize, 0);
    for (int slot = 0; slot < kViewerSlots; ++slot) {
        PutText(out, 2 + slot * kViewerNameWidth, 15, categories.slots[slot].name);
        out[258 + static_cast<std::size_t>(slot)] = categories.slots[slot].id;
    }
    return out;
}

} // namespace tfsync
