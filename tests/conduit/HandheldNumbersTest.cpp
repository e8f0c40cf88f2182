// Handheld records whose numbers no trade may hold stay out of the portfolio, each with a
// line in the sync log.
#include <bit>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "conduit/HandheldRecord.h"
#include "platform/synckit/SyncKit.h"
#include "tests/conduit/ConduitFixture.h"

namespace tf::conduit::test {
namespace {
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::size_t kFeeOffset = 42;

// Overwrites the broker fee of the handheld's last record, big-endian as the viewer keeps it.
void SetLastFee(synckit::HandheldDatabase& viewer, double fee)
{
    const auto bits = std::bit_cast<std::uint64_t>(fee);
    for (int i = 0; i < 8; ++i)
        viewer.records.back().data[kFeeOffset + static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(bits >> (56 - 8 * i));
}

class HandheldNumbers : public ConduitFixture
{
};
} // namespace

TEST_F(HandheldNumbers, RecordsWithNumbersNoTradeMayHoldAreLeftOut)
{
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    WritePortfolio(doc);
    MakeViewer({"Unfiled"});
    constexpr std::uint8_t kDirty = kSkRecordDirty;
    AddHandheldTrade("GOOD", 5, 2.5, kDirty, 0);
    AddHandheldTrade("NANQ", kNan, 2.5, kDirty, 0);
    AddHandheldTrade("NEGQ", -5, 2.5, kDirty, 0);
    AddHandheldTrade("ZERO", 0, 2.5, kDirty, 0);
    AddHandheldTrade("NEGP", 5, -1, kDirty, 0);
    AddHandheldTrade("INFP", 5, kInf, kDirty, 0);
    AddHandheldTrade("LAST", 5, 2.5, kDirty, 0, kNan);
    AddHandheldTrade("FEE", 5, 2.5, kDirty, 0);
    SetLastFee(Viewer(), -kInf);
    AddHandheldTrade("FREE", 5, 0, kDirty, 0); // a price of 0 is a price
    SetLastFee(Viewer(), 0);

    Sync();

    CBlotterSpace saved = ReadPortfolio();
    ASSERT_EQ(saved.m_trades.GetCount(), 2u);
    EXPECT_EQ(TradeSymbol(*saved.m_trades.begin()), "GOOD");
    EXPECT_EQ(TradeSymbol(*std::next(saved.m_trades.begin())), "FREE");
    int warnings = 0;
    for (const auto& [text, activity] : Log())
        if (text.find("holds a quantity, price or fee that is not a number a trade can take") !=
            std::string::npos)
            ++warnings;
    EXPECT_EQ(warnings, 7);

    TradeRecord sound = MakeTrade(1, "OK", 1, 1, "Unfiled");
    EXPECT_TRUE(HasTradeNumbers(sound));
    sound.dayChange = -kInf;
    EXPECT_FALSE(HasTradeNumbers(sound));
}

} // namespace tf::conduit::test
