// The viewer database's records and category block as the handheld's viewer reads and
// writes them: what `tfsync handheld` shows and edits. Written from the record layout
// alone, independently of the conduit's own packer, so that a HotSync test checks one
// against the other.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tfsync {

constexpr std::size_t kViewerRecordSize = 128;
constexpr std::size_t kViewerBlockSize = 278;
constexpr int kViewerSlots = 16;
constexpr std::size_t kViewerNameWidth = 16;
constexpr const char* kViewerSummarySymbol = "!@#$%^&*";

struct ViewerTrade
{
    std::string symbol;  // up to 10 bytes
    double quantity = 0; // the summary record: realized P/L of the month
    double price = 0;    // the summary record: realized P/L of the year
    double lastPrice = 0;
    double dayChange = 0;
    double brokerFee = 0;
    double carried1 = 0;
    double costPrice = 0;
    double carried2 = 0;
    std::string country; // up to 20 bytes
    int deductFee = 0;
};

std::vector<std::uint8_t> EncodeViewerTrade(const ViewerTrade& trade);
// Bytes past the record's end read as zero.
ViewerTrade DecodeViewerTrade(const std::vector<std::uint8_t>& record);

struct ViewerCategory
{
    std::string name; // empty: the slot is unused
    std::uint8_t id = 0;
};

struct ViewerCategories
{
    ViewerCategory slots[kViewerSlots];
};

ViewerCategories DecodeViewerCategories(const std::vector<std::uint8_t>& block);
std::vector<std::uint8_t> EncodeViewerCategories(const ViewerCategories& categories);

} // namespace tfsync
