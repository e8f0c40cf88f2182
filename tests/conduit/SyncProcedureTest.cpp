// A whole synchronisation on the memory handheld: what reaches the portfolio file, what
// the viewer database holds afterwards, and the log.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "conduit/CategoryBlock.h"
#include "conduit/ConduitSync.h"
#include "conduit/HandheldRecord.h"
#include "platform/synckit/SyncLog.h"
#include "tests/conduit/ConduitFixture.h"

namespace tf::conduit::test {
namespace {

using synckit::StoredRecord;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Pair;

TradeRecord Unpack(const StoredRecord& record)
{
    TradeRecord trade;
    UnpackHandheldRecord(record.data.data(), record.data.size(), trade);
    return trade;
}

std::vector<std::string> SlotNames(const synckit::HandheldDatabase& db)
{
    std::vector<std::string> names;
    for (int slot = 0; slot < 16; ++slot) {
        const char* name = reinterpret_cast<const char*>(db.appInfo.data() + 2 + 16 * slot);
        names.emplace_back(name, strnlen(name, 16));
    }
    return names;
}

std::vector<std::string> Symbols(const CBlotterSpace& doc)
{
    std::vector<std::string> symbols;
    for (const TradeRecord& trade : doc.m_trades)
        symbols.push_back(TradeSymbol(trade));
    return symbols;
}

class SyncProcedure : public ConduitFixture
{
};

TEST_F(SyncProcedure, FirstSyncFillsANewViewerWithOpenTradesCategoriesAndSummary)
{
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    doc.m_dExternalYtdGains = 1000;
    doc.m_bDeductBrokerage = 1;
    doc.m_strBaseCountry = "Canada";
    TradeRecord aaa = MakeTrade(1, "AAA", 100, 10, "Personal");
    aaa.privateFlag = 1;
    doc.m_trades.AddTail(aaa);
    TradeRecord bbb = MakeTrade(2, "BBB", 0, 20, "Business");
    bbb.closed = 1;
    bbb.brokerFee = 4;
    doc.m_trades.AddTail(bbb);
    TradeRecord sale = MakeTrade(3, "BBB", 50, 30, "Business");
    sale.isSell = 1;
    sale.closed = 1;
    sale.refId = 2;
    sale.costPrice = 20; // a sale keeps its buy's price as it was sold
    sale.brokerFee = 5;
    sale.sellDate = 1772463600; // this month
    doc.m_trades.AddTail(sale);
    TradeRecord gone = MakeTrade(4, "CCC", 10, 5, "Personal");
    gone.status = kStatusDeleted;
    doc.m_trades.AddTail(gone);
    doc.m_trades.AddTail(MakeTrade(5, "DDD", 7, 3, "Unfiled"));
    doc.m_trades.AddTail(MakeTrade(6, "EEE", 1, 1, "Travel"));
    TradeRecord fff = MakeTrade(7, "FFF", 0, 10, "Business");
    fff.closed = 1;
    doc.m_trades.AddTail(fff);
    TradeRecord january = MakeTrade(8, "FFF", 10, 20, "Business");
    january.isSell = 1;
    january.closed = 1;
    january.refId = 7;
    january.costPrice = 10;
    january.sellDate = 1768921200; // this year, another month
    doc.m_trades.AddTail(january);
    WritePortfolio(doc);

    Sync();

    EXPECT_THAT(Log(), ElementsAre(Pair("Synchronizing Tallyfern...", 19), Pair("Tallyfern", 20)));
    synckit::HandheldDatabase& viewer = Viewer();
    EXPECT_EQ(viewer.creator, std::uint32_t{m_props.creator});
    EXPECT_EQ(viewer.type, std::uint32_t{m_props.type});
    EXPECT_EQ(viewer.attributes, 0);
    EXPECT_EQ(viewer.version, 0);

    // "All" never reaches the handheld and "Unfiled" stays in slot 0; a category met only
    // on a trade is named on the handheld too.
    ASSERT_TRUE(viewer.bHasAppInfo);
    ASSERT_EQ(viewer.appInfo.size(), kCategoryBlockSize);
    EXPECT_THAT(SlotNames(viewer),
                ElementsAre("Unfiled", "401(k)", "Stock Plan", "Business", "Personal", "Travel", "",
                            "", "", "", "", "", "", "", "", ""));
    for (int slot = 0; slot <= 5; ++slot)
        EXPECT_EQ(viewer.appInfo[258 + slot], slot);

    // Exactly the open, live trades in portfolio order, then the summary record.
    ASSERT_EQ(viewer.records.size(), 4u);
    EXPECT_EQ(TradeSymbol(Unpack(viewer.records[0])), "AAA");
    EXPECT_EQ(viewer.records[0].category, 4);
    EXPECT_EQ(viewer.records[0].flags, kAttributePrivate);
    EXPECT_EQ(TradeSymbol(Unpack(viewer.records[1])), "DDD");
    EXPECT_EQ(viewer.records[1].category, 0);
    EXPECT_EQ(TradeSymbol(Unpack(viewer.records[2])), "EEE");
    EXPECT_EQ(viewer.records[2].category, 5);
    for (const StoredRecord& record : viewer.records)
        EXPECT_EQ(record.flags & kSkRecordDirty, 0) << "the closing clear call resets changes";

    const StoredRecord& summaryRecord = viewer.records[3];
    TradeRecord summary = Unpack(summaryRecord);
    EXPECT_EQ(TradeSymbol(summary), kSummarySymbol);
    EXPECT_EQ(summaryRecord.category, 0);
    EXPECT_DOUBLE_EQ(summary.quantity, (30 - 20) * 50 - 4 - 5);           // month
    EXPECT_DOUBLE_EQ(summary.price, 1000 + (30 - 20) * 50 - 4 - 5 + 100); // year
    EXPECT_DOUBLE_EQ(summary.currentPrice, 1000);
    EXPECT_EQ(TradeCountry(summary), "Canada");
    EXPECT_EQ(summaryRecord.data[94], 1);

    CBlotterSpace saved = ReadPortfolio();
    EXPECT_THAT(Symbols(saved), ElementsAre("AAA", "BBB", "BBB", "DDD", "EEE", "FFF", "FFF"));
    std::vector<std::pair<int, int>> indexAndStatus;
    for (const TradeRecord& trade : saved.m_trades)
        indexAndStatus.emplace_back(trade.recordIndex, trade.status);
    EXPECT_THAT(indexAndStatus, ElementsAre(Pair(1, 0), Pair(2, 2), Pair(3, 2), Pair(4, 0),
                                            Pair(5, 0), Pair(6, 2), Pair(7, 2)));
    EXPECT_EQ(saved.m_categories, doc.m_categories);
}

TEST_F(SyncProcedure, ChangedHandheldRecordsReachThePortfolio)
{
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    doc.m_trades.AddTail(MakeTrade(1, "AAA", 100, 10, "Business"));
    TradeRecord deleted = MakeTrade(9, "OLD", 1, 1, "Business");
    deleted.status = kStatusDeleted;
    doc.m_trades.AddTail(deleted);
    WritePortfolio(doc);

    MakeViewer({"Unfiled", "Personal", "", "Boat"});
    constexpr std::uint8_t kDirty = kSkRecordDirty;
    AddHandheldTrade("AAA", 100, 10, kDirty | kSkRecordPrivate, 1); // a desktop trade
    std::uint32_t xyz = AddHandheldTrade("XYZ", 5, 2.5, kDirty, 3, 2.75);
    AddHandheldTrade("QQQ", 1, 1, kDirty, 0);
    AddHandheldTrade("RRR", 2, 2, kDirty, 2); // index without a name
    AddHandheldTrade("DEL", 3, 3, kSkRecordDeleted | kDirty, 1);
    AddHandheldTrade("PRV", 4, 4, kSkRecordDeleted | kSkRecordPrivate, 1); // 0x90
    AddHandheldTrade(kSummarySymbol, 5, 5, kDirty, 0);
    AddHandheldTrade("SAME", 6, 6, 0, 1); // unchanged since the last HotSync

    Sync();

    CBlotterSpace saved = ReadPortfolio();
    EXPECT_THAT(Symbols(saved), ElementsAre("AAA", "XYZ", "QQQ", "RRR"));
    auto it = saved.m_trades.begin();
    EXPECT_EQ(TradeCategory(*it), "Personal");
    EXPECT_EQ(it->privateFlag, 1);
    EXPECT_EQ(it->id, 1);
    ++it;
    const TradeRecord& imported = *it;
    EXPECT_EQ(imported.id, 10) << "numbering counts the deleted trade too";
    EXPECT_EQ(TradeCategory(imported), "Boat");
    EXPECT_EQ(imported.privateFlag, 0);
    EXPECT_DOUBLE_EQ(imported.quantity, 5);
    EXPECT_DOUBLE_EQ(imported.price, 2.5);
    EXPECT_DOUBLE_EQ(imported.costPrice, 2.5);
    EXPECT_DOUBLE_EQ(imported.currentPrice, 2.75);
    EXPECT_DOUBLE_EQ(imported.dayChange, 0.25);
    EXPECT_DOUBLE_EQ(imported.brokerFee, 9.95);
    EXPECT_EQ(TradeCountry(imported), "Canada");
    EXPECT_EQ(imported.buyDate, kSyncTime);
    EXPECT_EQ(imported.deductFee, 0);
    EXPECT_EQ(imported.closed, 0);
    EXPECT_EQ(imported.isSell, 0);
    EXPECT_EQ(imported.refId, 0);
    EXPECT_EQ(imported.recordIndex, 2) << "renumbered by the write-back";
    EXPECT_EQ(imported.status, kStatusInStep);
    ++it;
    EXPECT_EQ(TradeCategory(*it), "Unfiled");
    ++it;
    EXPECT_EQ(TradeCategory(*it), "Unfiled");
    EXPECT_EQ(saved.m_categories.back(), "Boat");
    EXPECT_EQ(saved.m_categories.size(), 7u);
    (void)xyz;

    // The viewer now holds the portfolio's open trades: the deleted and unchanged records
    // are gone, and "Boat" kept its slot.
    synckit::HandheldDatabase& viewer = Viewer();
    ASSERT_EQ(viewer.records.size(), 5u);
    EXPECT_EQ(TradeSymbol(Unpack(viewer.records[1])), "XYZ");
    EXPECT_EQ(viewer.records[1].category, 3);
    EXPECT_EQ(viewer.records[0].category, 1);
    EXPECT_EQ(SlotNames(viewer)[3], "Boat");
    EXPECT_EQ(m_handheld.CallCount(synckit::SkCall::PurgeDeleted), 1);
}

TEST_F(SyncProcedure, EmptyCategorySlotKeepsLaterCategoriesInTheirSlots)
{
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    doc.m_trades.AddTail(MakeTrade(1, "DDD", 1, 1, "Dee"));
    WritePortfolio(doc);
    MakeViewer({"Unfiled", "Ay", "Bee", "", "Dee", "Eee"});
    std::vector<std::uint8_t> before = Viewer().appInfo;

    Sync();

    std::vector<std::string> names = SlotNames(Viewer());
    EXPECT_EQ(names[3], "401(k)") << "the first free slot takes the first new category";
    EXPECT_EQ(names[4], "Dee");
    EXPECT_EQ(names[5], "Eee");
    EXPECT_EQ(Viewer().appInfo[258 + 4], before[258 + 4]);
    EXPECT_EQ(Viewer().records[0].category, 4);
}

TEST_F(SyncProcedure, WritingCategoriesPutsEachIntoItsOwnSlot)
{
    MakeViewer({"Unfiled", "Ay", "Bee", "", "Dee", "Eee"});
    std::vector<std::uint8_t> before = Viewer().appInfo;
    CConduitSync sync(m_doc);
    std::uint8_t handle = sync.OpenViewerDatabase(m_props);
    ASSERT_NE(handle, 0);
    CCategoryMgr manager;
    ASSERT_EQ(sync.ReadHandheldCategories(m_props, handle, manager), 0);
    EXPECT_EQ(manager.FindIndex(3, nullptr), kCatNotFound);
    CCategory* dee = nullptr;
    ASSERT_EQ(manager.FindIndex(4, &dee), kCatOk);
    EXPECT_EQ(dee->GetName(), "Dee");

    // A changed name lands in its category's own slot; the gap at slot 3 stays a gap.
    dee->SetName("Dii");
    EXPECT_EQ(sync.WriteHandheldCategories(m_props, handle, manager), 0);
    std::vector<std::uint8_t> expected = before;
    const std::size_t slot4 = 2 + 16 * 4;
    const std::string name = "Dii";
    for (std::size_t i = 0; i < 16; ++i)
        expected.at(slot4 + i) = i < name.size() ? static_cast<std::uint8_t>(name[i]) : 0;
    ASSERT_NE(expected, before);
    EXPECT_EQ(Viewer().appInfo, expected);
    SkCloseDatabase(handle);
}

TEST_F(SyncProcedure, SixteenDocumentCategoriesRefuseANewNameButTheTradeKeepsIt)
{
    CBlotterSpace doc;
    doc.m_categories = {"All", "Unfiled"};
    for (int i = 1; i <= 14; ++i)
        doc.m_categories.push_back("C" + std::to_string(i));
    WritePortfolio(doc);
    MakeViewer({"Unfiled", "Extra"});
    AddHandheldTrade("NEW", 1, 1, kSkRecordDirty, 1);

    Sync();

    CBlotterSpace saved = ReadPortfolio();
    EXPECT_EQ(saved.m_categories.size(), 16u);
    EXPECT_FALSE(std::count(saved.m_categories.begin(), saved.m_categories.end(), "Extra"));
    ASSERT_EQ(saved.m_trades.GetCount(), 1u);
    EXPECT_EQ(TradeCategory(*saved.m_trades.begin()), "Extra");
    // Fifteen named slots: "Unfiled", "Extra" and the fourteen others fill the handheld.
    std::vector<std::string> names = SlotNames(Viewer());
    EXPECT_EQ(names[1], "Extra");
    EXPECT_EQ(names[15], "C14");
    EXPECT_EQ(Viewer().records[0].category, 1);
}

TEST_F(SyncProcedure, FullHandheldFilesATradeWithoutASlotUnderUnfiledAndWritesTheRest)
{
    m_doc.m_categories = {"All", "Unfiled", "Mine", "Yours"};
    m_doc.m_trades.AddTail(MakeTrade(1, "ONE", 1, 1, "Mine"));
    m_doc.m_trades.AddTail(MakeTrade(2, "TWO", 2, 2, "Yours"));
    m_doc.m_trades.AddTail(MakeTrade(3, "THREE", 3, 3, "Mine"));
    std::vector<std::string> full = {"Unfiled"};
    for (int i = 1; i <= 14; ++i)
        full.push_back("H" + std::to_string(i));
    MakeViewer(full); // one slot left, identifiers 0..14

    CConduitSync sync(m_doc, [] { return kSyncTime; });
    std::uint8_t handle = sync.OpenViewerDatabase(m_props);
    EXPECT_EQ(sync.ExportPortfolio(m_props, handle), 1);
    SkCloseDatabase(handle);

    EXPECT_EQ(SlotNames(Viewer())[15], "Mine");
    EXPECT_EQ(Viewer().appInfo[258 + 15], 15) << "identifiers stay below 16";
    // "Yours" found no slot: its trade is shown under "Unfiled", and the ones after it are
    // still written.
    ASSERT_EQ(Viewer().records.size(), 4u);
    EXPECT_EQ(TradeSymbol(Unpack(Viewer().records[0])), "ONE");
    EXPECT_EQ(Viewer().records[0].category, 15);
    EXPECT_EQ(TradeSymbol(Unpack(Viewer().records[1])), "TWO");
    EXPECT_EQ(Viewer().records[1].category, 0);
    EXPECT_EQ(TradeSymbol(Unpack(Viewer().records[2])), "THREE");
    EXPECT_EQ(Viewer().records[2].category, 15);
    EXPECT_EQ(TradeSymbol(Unpack(Viewer().records[3])), kSummarySymbol);
    std::vector<int> statuses;
    for (const TradeRecord& trade : m_doc.m_trades)
        statuses.push_back(trade.status);
    EXPECT_THAT(statuses, ElementsAre(0, 0, 0));
    // The desktop keeps the trade's own category; the log names the trade.
    EXPECT_EQ(TradeCategory(*(m_doc.m_trades.begin() + 1)), "Yours");
    EXPECT_THAT(Log(), Contains(Pair("Trade 2 (TWO) is shown under \"Unfiled\" on the Viewer: "
                                     "its category \"Yours\" found no free category there.",
                                     10)));
}

TEST_F(SyncProcedure, CategoryIdentifierCounterRefusesPastFifteen)
{
    m_doc.m_categories = {"Mine"};
    m_doc.m_trades.AddTail(MakeTrade(1, "ONE", 1, 1, "Mine"));
    synckit::HandheldDatabase& viewer = MakeViewer({"Unfiled", "Top"});
    viewer.appInfo[258 + 1] = 15;

    CConduitSync sync(m_doc, [] { return kSyncTime; });
    std::uint8_t handle = sync.OpenViewerDatabase(m_props);
    EXPECT_EQ(sync.ExportPortfolio(m_props, handle), 1);
    SkCloseDatabase(handle);
    EXPECT_EQ(SlotNames(Viewer())[2], "");
}

TEST_F(SyncProcedure, NoPortfolioFileReadsAndWritesNothing)
{
    MakeViewer({"Unfiled"});
    AddHandheldTrade("AAA", 1, 1, kSkRecordDirty, 0);

    Sync();

    EXPECT_FALSE(std::filesystem::exists(PortfolioPath()));
    EXPECT_EQ(m_handheld.CallCount(synckit::SkCall::ReadNextModified), 0);
    EXPECT_EQ(m_handheld.CallCount(synckit::SkCall::WriteRecord), 0);
    EXPECT_EQ(Viewer().records.size(), 1u);
    LogLines log = Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], std::make_pair(std::string("Synchronizing Tallyfern..."), 19));
    EXPECT_NE(log[1].first.find("No portfolio file"), std::string::npos);
    EXPECT_EQ(m_handheld.OpenCount(), 0) << "the viewer database was closed";
}

TEST_F(SyncProcedure, NoPortfolioFileStillCreatesAnEmptyViewer)
{
    Sync();
    ASSERT_NE(m_handheld.FindDatabase(kViewerName), nullptr);
    EXPECT_TRUE(Viewer().records.empty());
    EXPECT_FALSE(std::filesystem::exists(PortfolioPath()));
}

TEST_F(SyncProcedure, DamagedPortfolioIsNeitherSynchronizedNorOverwritten)
{
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    doc.m_trades.AddTail(MakeTrade(1, "AAA", 1, 1, "Personal"));
    WritePortfolio(doc);
    std::string whole = PortfolioBytes();
    std::filesystem::resize_file(PortfolioPath(), whole.size() - 40);
    std::string cut = PortfolioBytes();
    MakeViewer({"Unfiled"});
    AddHandheldTrade("NEW", 1, 1, kSkRecordDirty, 0);

    Sync();

    EXPECT_EQ(PortfolioBytes(), cut);
    EXPECT_EQ(m_handheld.CallCount(synckit::SkCall::ReadNextModified), 0);
    EXPECT_EQ(m_handheld.CallCount(synckit::SkCall::DeleteAll), 0);
    LogLines log = Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_NE(log[1].first.find("could not be read"), std::string::npos) << log[1].first;
    EXPECT_NE(log[1].first.find("A copy is at"), std::string::npos) << log[1].first;
}

TEST_F(SyncProcedure, TwoSyncsWithoutChangesLeaveEverythingAsTheFirstLeftIt)
{
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    doc.m_trades.AddTail(MakeTrade(1, "AAA", 100, 10, "Personal"));
    TradeRecord hidden = MakeTrade(2, "BBB", 5, 7, "Business");
    hidden.privateFlag = 1;
    doc.m_trades.AddTail(hidden);
    doc.m_trades.AddTail(MakeTrade(3, "CCC", 1, 1, "Odd"));
    WritePortfolio(doc);
    MakeViewer({"Unfiled", "Mobile"});
    AddHandheldTrade("HHH", 3, 4, kSkRecordDirty, 1);

    Sync();
    std::string firstFile = PortfolioBytes();
    std::vector<StoredRecord> firstRecords = Viewer().records;
    std::vector<std::uint8_t> firstBlock = Viewer().appInfo;

    synckit::ClearLog();
    Sync();

    EXPECT_EQ(PortfolioBytes(), firstFile);
    EXPECT_EQ(Viewer().appInfo, firstBlock);
    ASSERT_EQ(Viewer().records.size(), firstRecords.size());
    for (std::size_t i = 0; i < firstRecords.size(); ++i) {
        EXPECT_EQ(Viewer().records[i].data, firstRecords[i].data) << i;
        EXPECT_EQ(Viewer().records[i].flags, firstRecords[i].flags) << i;
        EXPECT_EQ(Viewer().records[i].category, firstRecords[i].category) << i;
    }
    EXPECT_THAT(Log(), ElementsAre(Pair("Synchronizing Tallyfern...", 19), Pair("Tallyfern", 20)));
}

TEST_F(SyncProcedure, HandheldEditOfAKnownTradeChangesOnlyCategoryAndPrivateFlag)
{
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    doc.m_trades.AddTail(MakeTrade(1, "AAA", 100, 10, "Personal"));
    WritePortfolio(doc);
    Sync();
    std::string before = PortfolioBytes();

    // On the handheld: file the record under "Business" and make it private.
    synckit::HandheldDatabase& viewer = Viewer();
    CCategoryMgr manager;
    ASSERT_EQ(ReadCategoryBlockInto(viewer.appInfo.data(), viewer.appInfo.size(), manager), 0);
    CCategory* business = nullptr;
    ASSERT_EQ(manager.FindName("Business", &business), kCatOk);
    viewer.records[0].category = static_cast<std::uint8_t>(business->GetIndex());
    viewer.records[0].flags = kSkRecordDirty | kSkRecordPrivate;
    Sync();

    CBlotterSpace saved = ReadPortfolio();
    ASSERT_EQ(saved.m_trades.GetCount(), 1u);
    TradeRecord trade = *saved.m_trades.begin();
    EXPECT_EQ(TradeCategory(trade), "Business");
    EXPECT_EQ(trade.privateFlag, 1);
    TradeRecord expected = *doc.m_trades.begin();
    SetTradeCategory(expected, "Business");
    expected.privateFlag = 1;
    expected.recordIndex = 1;
    expected.status = kStatusInStep;
    EXPECT_EQ(std::memcmp(&trade, &expected, sizeof trade), 0);
    EXPECT_EQ(Viewer().records[0].flags, kSkRecordPrivate);
    EXPECT_NE(PortfolioBytes(), before);
}

} // namespace
} // namespace tf::conduit::test
