// The viewer database's record: one open trade (or the summary record) in 128 bytes,
// big-endian, as the handheld's viewer reads it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/TradeRecord.h"
#include "platform/synckit/SyncKit.h"

namespace tf::conduit {

constexpr std::size_t kHandheldRecordSize = 128;
// Attribute bytes the conduit writes.
constexpr std::uint8_t kAttributePrivate = 0x10;
constexpr std::uint8_t kAttributeShown = 0x40;
constexpr std::uint8_t kAttributeDeleted = 0x80;
// The symbol that marks the summary record.
constexpr const char* kSummarySymbol = "!@#$%^&*";

// Writes the trade into the block's buffer (which must hold kHandheldRecordSize bytes) and
// sets sizes, record identifier 0 and the attribute byte. The category index is the
// caller's. False when the block has no buffer big enough.
bool PackHandheldRecord(const TradeRecord& trade, SkRecordBlock& block);

// Reads a record of `size` bytes (untrusted: from the handheld) into a working trade. A
// record shorter than kHandheldRecordSize reads as if zero-filled; texts are cut within
// their fields.
void UnpackHandheldRecord(const std::uint8_t* data, std::size_t size, TradeRecord& trade);

// False when an unpacked record holds a number no trade may hold: a quantity that is not
// above 0, a price or fee below 0, or any of them, the last price or the day's change not
// finite. Such a record is not taken into the portfolio.
bool HasTradeNumbers(const TradeRecord& record);

} // namespace tf::conduit
