// The handheld record and category block layouts, and the document operations the
// conduit adds.
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

#include "conduit/CategoryBlock.h"
#include "conduit/ConduitDocument.h"
#include "conduit/HandheldRecord.h"
#include "tests/conduit/ConduitFixture.h"

namespace tf::conduit::test {
namespace {

// A 128-byte buffer inside a larger one filled with a pattern, to catch stray writes.
struct GuardedBuffer
{
    static constexpr std::size_t kGuard = 32;
    GuardedBuffer() : bytes(kGuard + kHandheldRecordSize + kGuard, 0xA5)
    {
        block.buffer = bytes.data() + kGuard;
        block.bufferSize = kHandheldRecordSize;
        block.recordId = 77;
    }
    bool GuardsIntact() const
    {
        for (std::size_t i = 0; i < kGuard; ++i)
            if (bytes[i] != 0xA5 || bytes[bytes.size() - 1 - i] != 0xA5)
                return false;
        return true;
    }
    const std::uint8_t* Record() const { return bytes.data() + kGuard; }
    std::vector<std::uint8_t> bytes;
    SkRecordBlock block{};
};

TEST(HandheldRecord, PacksBigEndianFieldsAtTheirOffsets)
{
    TradeRecord trade = MakeTrade(1, "ABCDEFGHIJ", 100.0, 12.5, "Personal");
    trade.currentPrice = -1.0;
    trade.dayChange = 0.5;
    trade.brokerFee = 2.0;
    trade.auxValue1 = 3.0;
    trade.costPrice = 4.0;
    trade.auxValue2 = 5.0;
    trade.deductFee = 1;
    SetTradeCountry(trade, "Switzerland");
    GuardedBuffer out;

    ASSERT_TRUE(PackHandheldRecord(trade, out.block));
    EXPECT_TRUE(out.GuardsIntact());
    const std::uint8_t* r = out.Record();
    EXPECT_EQ(std::memcmp(r, "ABCDEFGHIJ", 10), 0);
    const std::uint8_t hundred[8] = {0x40, 0x59, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(r + 10, hundred, 8), 0);
    const std::uint8_t twelveHalf[8] = {0x40, 0x29, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(r + 18, twelveHalf, 8), 0);
    const std::uint8_t minusOne[8] = {0xBF, 0xF0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(r + 26, minusOne, 8), 0);
    EXPECT_EQ(r[34], 0x3F); // 0.5
    EXPECT_EQ(r[42], 0x40); // 2.0
    EXPECT_EQ(r[50], 0x40); // auxValue1 3.0
    EXPECT_EQ(r[51], 0x08);
    EXPECT_EQ(r[58], 0x40); // costPrice 4.0
    EXPECT_EQ(r[59], 0x10);
    EXPECT_EQ(r[66], 0x40); // auxValue2 5.0
    EXPECT_EQ(r[67], 0x14);
    EXPECT_EQ(std::memcmp(r + 74, "Switzerland\0\0\0\0\0\0\0\0\0", 20), 0);
    EXPECT_EQ(r[94], 1);
    for (std::size_t i = 95; i < kHandheldRecordSize; ++i)
        EXPECT_EQ(r[i], 0) << i;
    EXPECT_EQ(std::uint32_t{out.block.recordSize}, 128u);
    EXPECT_EQ(std::uint16_t{out.block.bufferSize}, 128u);
    EXPECT_EQ(std::uint32_t{out.block.recordId}, 0u);
}

TEST(HandheldRecord, AttributeByteFollowsThePrivateFlag)
{
    GuardedBuffer out;
    TradeRecord trade = MakeTrade(1, "A", 1, 1, "");
    trade.privateFlag = 1;
    PackHandheldRecord(trade, out.block);
    EXPECT_EQ(std::uint8_t{out.block.attributes}, 0x10);
    trade.privateFlag = 0;
    PackHandheldRecord(trade, out.block);
    EXPECT_EQ(std::uint8_t{out.block.attributes}, 0x40);
    trade.privateFlag = 2;
    PackHandheldRecord(trade, out.block);
    EXPECT_EQ(std::uint8_t{out.block.attributes}, 0x40);
}

TEST(HandheldRecord, RefusesABufferTooSmall)
{
    std::uint8_t small[64];
    SkRecordBlock block{};
    block.buffer = small;
    block.bufferSize = sizeof small;
    EXPECT_FALSE(PackHandheldRecord(MakeTrade(1, "A", 1, 1, ""), block));
    block.buffer = nullptr;
    block.bufferSize = 128;
    EXPECT_FALSE(PackHandheldRecord(MakeTrade(1, "A", 1, 1, ""), block));
}

TEST(HandheldRecord, UnpackReadsWhatPackWroteExceptTheFeeFlag)
{
    TradeRecord trade = MakeTrade(1, "MSFT", 10, 250.25, "Personal");
    trade.currentPrice = 251;
    trade.dayChange = -0.75;
    trade.brokerFee = 7.5;
    trade.auxValue1 = 1.5;
    trade.costPrice = 240;
    trade.auxValue2 = 2.5;
    trade.deductFee = 1;
    GuardedBuffer out;
    PackHandheldRecord(trade, out.block);
    TradeRecord back;
    UnpackHandheldRecord(out.Record(), kHandheldRecordSize, back);
    EXPECT_EQ(TradeSymbol(back), "MSFT");
    EXPECT_EQ(TradeCountry(back), "United States");
    EXPECT_EQ(TradeCategory(back), "");
    EXPECT_DOUBLE_EQ(back.quantity, 10);
    EXPECT_DOUBLE_EQ(back.price, 250.25);
    EXPECT_DOUBLE_EQ(back.currentPrice, 251);
    EXPECT_DOUBLE_EQ(back.dayChange, -0.75);
    EXPECT_DOUBLE_EQ(back.brokerFee, 7.5);
    EXPECT_DOUBLE_EQ(back.auxValue1, 1.5);
    EXPECT_DOUBLE_EQ(back.costPrice, 240);
    EXPECT_DOUBLE_EQ(back.auxValue2, 2.5);
    EXPECT_EQ(back.deductFee, 0);
    EXPECT_EQ(back.id, 0);
}

TEST(HandheldRecord, UnpackCutsTextsWithinTheirFieldsAndPadsShortRecords)
{
    std::uint8_t record[kHandheldRecordSize];
    std::memset(record, 'X', sizeof record); // no terminator anywhere
    TradeRecord trade;
    UnpackHandheldRecord(record, sizeof record, trade);
    EXPECT_EQ(TradeSymbol(trade), std::string(10, 'X'));
    EXPECT_EQ(trade.padding1[0], 0);
    EXPECT_EQ(TradeCountry(trade), std::string(19, 'X'));
    EXPECT_EQ(trade.country[19], 0);

    // A record of 20 bytes: the symbol and the first double, the rest reads as zero.
    std::uint8_t shortRecord[20] = {'I', 'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0x40, 0x59};
    UnpackHandheldRecord(shortRecord, sizeof shortRecord, trade);
    EXPECT_EQ(TradeSymbol(trade), "IBM");
    EXPECT_DOUBLE_EQ(trade.quantity, 100);
    EXPECT_DOUBLE_EQ(trade.price, 0);
    EXPECT_EQ(TradeCountry(trade), "");
    UnpackHandheldRecord(nullptr, 0, trade);
    EXPECT_EQ(TradeSymbol(trade), "");
}

TEST(CategoryBlock, ReadsNamedSlotsByIndexAndSkipsEmptyOnes)
{
    std::vector<std::uint8_t> block = CategoryBlockBytes({"Unfiled", "A", "B", "", "D", "E"});
    block[258 + 4] = 200;
    std::memset(block.data() + 2 + 16 * 15, 'Z', 16); // slot 15 without terminator
    CCategoryMgr manager;
    ASSERT_EQ(ReadCategoryBlockInto(block.data(), block.size(), manager), 0);
    EXPECT_EQ(manager.GetCount(), 6);
    EXPECT_EQ(manager.FindIndex(3, nullptr), kCatNotFound);
    CCategory* category = nullptr;
    ASSERT_EQ(manager.FindIndex(4, &category), kCatOk);
    EXPECT_EQ(category->GetName(), "D");
    EXPECT_EQ(category->GetID(), 200);
    ASSERT_EQ(manager.FindIndex(15, &category), kCatOk);
    EXPECT_EQ(category->GetName(), std::string(15, 'Z'));
    EXPECT_EQ(manager.FindName("E", &category), kCatOk);
    EXPECT_EQ(category->GetIndex(), 5);
    EXPECT_EQ(manager.FindName("C", nullptr), kCatNotFound);
}

TEST(CategoryBlock, BuildWritesEachCategoryIntoItsOwnSlot)
{
    std::vector<std::uint8_t> source = CategoryBlockBytes({"Unfiled", "A", "B", "", "D"});
    CCategoryMgr manager;
    ReadCategoryBlockInto(source.data(), source.size(), manager);
    std::uint8_t built[kCategoryBlockSize];
    std::memset(built, 0xEE, sizeof built);
    EXPECT_EQ(BuildCategoryBlock(manager, built), 4);
    EXPECT_EQ(std::vector<std::uint8_t>(built, built + kCategoryBlockSize), source);
}

TEST(CategoryBlock, ShortBlockReadsAsZeroFilled)
{
    std::vector<std::uint8_t> block = CategoryBlockBytes({"Unfiled", "A"});
    CCategoryMgr manager;
    ASSERT_EQ(ReadCategoryBlockInto(block.data(), 20, manager), 0);
    EXPECT_EQ(manager.GetCount(), 2);
    CCategory* category = nullptr;
    manager.FindIndex(1, &category);
    EXPECT_EQ(category->GetID(), 0) << "identifier bytes lay past the end";
}

TEST(ConduitDocument, MatchTradeChangesOnlyCategoryAndPrivateFlagOfTheFirstMatch)
{
    CBlotterSpace doc;
    doc.m_trades.AddTail(MakeTrade(1, "AAA", 100, 10, "Business"));
    doc.m_trades.AddTail(MakeTrade(2, "AAA", 100, 10, "Business"));
    TradeRecord candidate = MakeTrade(0, "AAA", 100, 10, "Personal");
    candidate.privateFlag = 1;
    EXPECT_TRUE(MatchTrade(doc, candidate));
    EXPECT_EQ(TradeCategory(*doc.m_trades.begin()), "Personal");
    EXPECT_EQ(doc.m_trades.begin()->privateFlag, 1);
    EXPECT_EQ(TradeCategory(*std::next(doc.m_trades.begin())), "Business");

    candidate.price = 10.000000001;
    EXPECT_FALSE(MatchTrade(doc, candidate));
    candidate.price = 10;
    candidate.quantity = 99;
    EXPECT_FALSE(MatchTrade(doc, candidate));
    candidate.quantity = 100;
    SetTradeSymbol(candidate, "aaa");
    EXPECT_FALSE(MatchTrade(doc, candidate));
}

TEST(ConduitDocument, CategoriesAndDeletedTrades)
{
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    EXPECT_TRUE(HasCategory(doc, "Personal"));
    EXPECT_FALSE(HasCategory(doc, "personal"));
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(AddCategory(doc, "N" + std::to_string(i)));
    EXPECT_EQ(doc.m_categories.size(), 16u);
    EXPECT_FALSE(AddCategory(doc, "Seventeenth"));
    EXPECT_EQ(doc.m_categories.size(), 16u);

    TradeRecord gone = MakeTrade(2, "B", 1, 1, "");
    gone.status = kStatusDeleted;
    doc.m_trades.AddTail(gone);
    doc.m_trades.AddTail(MakeTrade(1, "A", 1, 1, ""));
    doc.m_trades.AddTail(gone);
    RemoveDeletedTrades(doc);
    ASSERT_EQ(doc.m_trades.GetCount(), 1u);
    EXPECT_EQ(TradeSymbol(*doc.m_trades.begin()), "A");
}

} // namespace
} // namespace tf::conduit::test
