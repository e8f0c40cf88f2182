// The conduit as one writer of a portfolio that others write too: the lock from read to
// write, the portfolio saved before the handheld is rewritten, records matched by the
// identifier the last HotSync wrote (no second buy after a partial sale, no trade brought
// back after a removal), control characters refused, backups kept, links followed.
#include <chrono>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "conduit/CategoryBlock.h"
#include "conduit/ConduitSync.h"
#include "conduit/HandheldRecord.h"
#include "conduit/HotSyncState.h"
#include "model/Ledger.h"
#include "model/PortfolioFile.h"
#include "model/Valuation.h"
#include "platform/fs/Backups.h"
#include "platform/fs/FileLock.h"
#include "platform/fs/FileStore.h"
#include "platform/synckit/SyncLog.h"
#include "tests/conduit/ConduitFixture.h"
#include "tests/support/tempdir/TempDir.h"

namespace tf::conduit::test {
namespace {

using namespace std::chrono_literals;
using ::testing::Contains;
using ::testing::Pair;

class SharedPortfolio : public ConduitFixture
{
  protected:
    void SetUp() override
    {
        ConduitFixture::SetUp();
        CBlotterSpace doc;
        doc.AddDefaultCategories();
        doc.m_trades.AddTail(MakeTrade(1, "AAA", 100, 10, "Personal"));
        doc.m_trades.AddTail(MakeTrade(2, "BBB", 50, 20, "Personal"));
        WritePortfolio(doc);
    }
    void TearDown() override
    {
        tf::fs::SetFaultHook(nullptr);
        ConduitFixture::TearDown();
    }
    // The handheld user files the record of a symbol under a category and marks it changed.
    void EditOnHandheld(const char* symbol, const char* category)
    {
        synckit::HandheldDatabase& viewer = Viewer();
        CCategoryMgr manager;
        ASSERT_EQ(ReadCategoryBlockInto(viewer.appInfo.data(), viewer.appInfo.size(), manager), 0);
        CCategory* found = nullptr;
        ASSERT_EQ(manager.FindName(category, &found), kCatOk) << category;
        for (synckit::StoredRecord& record : viewer.records) {
            TradeRecord trade;
            UnpackHandheldRecord(record.data.data(), record.data.size(), trade);
            if (TradeSymbol(trade) == symbol) {
                record.category = static_cast<std::uint8_t>(found->GetIndex());
                record.flags = kSkRecordDirty;
                return;
            }
        }
        ADD_FAILURE() << "no record of " << symbol;
    }
    // A change made on the desktop between two HotSyncs.
    template <class F> void OnDesktop(F change)
    {
        CBlotterSpace doc = ReadPortfolio();
        change(doc);
        WritePortfolio(doc);
    }
    // The viewer's records as trades, in record order.
    std::vector<TradeRecord> ViewerTrades()
    {
        std::vector<TradeRecord> trades;
        for (const synckit::StoredRecord& record : Viewer().records) {
            TradeRecord trade;
            UnpackHandheldRecord(record.data.data(), record.data.size(), trade);
            trades.push_back(trade);
        }
        return trades;
    }
    std::size_t DirtyRecords()
    {
        std::size_t n = 0;
        for (const synckit::StoredRecord& record : Viewer().records)
            n += (record.flags & kSkRecordDirty) != 0 && record.category == 0;
        return n;
    }
};

TradeValues Sale(double quantity, double price)
{
    TradeValues values;
    values.bSell = true;
    values.symbol = "AAA";
    values.quantity = quantity;
    values.price = price;
    values.category = "Personal";
    values.country = "United States";
    return values;
}

TEST_F(SharedPortfolio, APartialSaleThenAHandheldCategoryEditAddsNoSecondBuy)
{
    MakeViewer({"Unfiled", "Business"});
    Sync();
    OnDesktop([](CBlotterSpace& doc) {
        TradeRecord buy{};
        ASSERT_TRUE(doc.FindTrade(1, buy));
        ASSERT_FALSE(AddSell(doc, &buy, Sale(40, 12), 1800000000).Refused());
    });
    // The handheld's record still shows the 100 units it was written with.
    EditOnHandheld("AAA", "Business");
    Sync();

    CBlotterSpace doc = ReadPortfolio();
    ASSERT_EQ(doc.m_trades.GetCount(), 3u);
    TradeRecord buy{};
    ASSERT_TRUE(doc.FindTrade(1, buy));
    EXPECT_EQ(buy.quantity, 60);
    EXPECT_EQ(TradeCategory(buy), "Business");
    int buys = 0;
    for (const TradeRecord& trade : doc.m_trades)
        buys += TradeSymbol(trade) == "AAA" && trade.isSell == 0;
    EXPECT_EQ(buys, 1);
    // The handheld shows what is held now.
    Sync();
    int records = 0;
    for (const TradeRecord& trade : ViewerTrades()) {
        if (TradeSymbol(trade) == "AAA") {
            ++records;
            EXPECT_EQ(trade.quantity, 60);
        }
    }
    EXPECT_EQ(records, 1);
}

TEST_F(SharedPortfolio, ATradeRemovedOnTheDesktopIsNotBroughtBackByAHandheldEdit)
{
    MakeViewer({"Unfiled", "Business"});
    Sync();
    // Trade 2 is removed, and a new buy takes its number again.
    OnDesktop([](CBlotterSpace& doc) {
        TradeRecord gone{};
        ASSERT_TRUE(doc.FindTrade(2, gone));
        RemoveTrade(doc, gone);
        TradeRecord again = MakeTrade(2, "CCC", 5, 5, "Personal");
        again.buyDate = 1800000000;
        doc.m_trades.AddTail(again);
    });
    EditOnHandheld("BBB", "Business");
    Sync();

    CBlotterSpace doc = ReadPortfolio();
    ASSERT_EQ(doc.m_trades.GetCount(), 2u);
    TradeRecord two{};
    ASSERT_TRUE(doc.FindTrade(2, two));
    EXPECT_EQ(TradeSymbol(two), "CCC");
    EXPECT_EQ(TradeCategory(two), "Personal") << "the old record's edit went to a new trade";
    EXPECT_THAT(Log(), Contains(Pair("The Viewer's record of BBB (trade 2) was changed there, "
                                     "but its trade was removed on the desktop; it was not taken "
                                     "in again.",
                                     10)));
    for (const TradeRecord& trade : ViewerTrades())
        EXPECT_NE(TradeSymbol(trade), "BBB");
}

TEST_F(SharedPortfolio, ATradeShownUnderUnfiledForWantOfASlotKeepsItsCategory)
{
    // Every handheld slot is taken: "Personal" finds none, so both trades show under
    // "Unfiled" on the handheld.
    std::vector<std::string> full = {"Unfiled"};
    for (int i = 1; i <= 15; ++i)
        full.push_back("H" + std::to_string(i));
    MakeViewer(full);
    Sync();
    ASSERT_EQ(Viewer().records.size(), 3u);
    EXPECT_EQ(Viewer().records[0].category, 0);
    // On the handheld, one record is made private (still in "Unfiled"), the other is
    // filed under H3.
    Viewer().records[0].flags = kSkRecordDirty | kSkRecordPrivate;
    EditOnHandheld("BBB", "H3");
    Sync();

    CBlotterSpace doc = ReadPortfolio();
    ASSERT_EQ(doc.m_trades.GetCount(), 2u);
    EXPECT_EQ(TradeCategory(*doc.m_trades.begin()), "Personal");
    EXPECT_EQ(doc.m_trades.begin()->privateFlag, 1);
    EXPECT_EQ(TradeCategory(*(doc.m_trades.begin() + 1)), "H3");
}

TEST_F(SharedPortfolio, RecordsWithControlCharactersAreRefusedWithALogLine)
{
    MakeViewer({"Unfiled", "Bad\x1b[2J"});
    std::uint32_t esc = AddHandheldTrade("X\x1b[2J", 1, 1, kSkRecordDirty, 0);
    std::uint32_t lf = AddHandheldTrade("LF", 1, 1, kSkRecordDirty, 0, 0, "Ca\nnada");
    std::uint32_t cat = AddHandheldTrade("CAT", 1, 1, kSkRecordDirty, 1);
    AddHandheldTrade("GOOD", 1, 1, kSkRecordDirty, 0);
    Sync();

    CBlotterSpace doc = ReadPortfolio();
    ASSERT_EQ(doc.m_trades.GetCount(), 3u);
    EXPECT_EQ(TradeSymbol(*(doc.m_trades.begin() + 2)), "GOOD");
    EXPECT_EQ(std::count(doc.m_categories.begin(), doc.m_categories.end(), "Bad\x1b[2J"), 0);
    for (std::uint32_t id : {esc, lf, cat})
        EXPECT_THAT(Log(), Contains(Pair("The Viewer's record " + std::to_string(id) +
                                             " was not taken in: its symbol, country or category "
                                             "holds a control character.",
                                         10)));
}

TEST_F(SharedPortfolio, AFailedSaveLeavesTheHandheldAsItWasForTheNextHotSync)
{
    MakeViewer({"Unfiled"});
    for (int i = 0; i < 5; ++i)
        AddHandheldTrade(("P" + std::to_string(i)).c_str(), 1, 1, kSkRecordDirty, 0);
    const std::string before = PortfolioBytes();
    // A full disk: every write of the save fails.
    tf::fs::SetFaultHook([](tf::fs::FileOp op) { return op == tf::fs::FileOp::Write; });
    Sync();
    tf::fs::SetFaultHook(nullptr);

    EXPECT_EQ(PortfolioBytes(), before);
    EXPECT_EQ(m_handheld.CallCount(synckit::SkCall::DeleteAll), 0);
    EXPECT_EQ(m_handheld.CallCount(synckit::SkCall::WriteRecord), 0);
    EXPECT_EQ(m_handheld.CallCount(synckit::SkCall::ClearSyncFlags), 0);
    EXPECT_EQ(DirtyRecords(), 5u);
    LogLines log = Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.back(), std::make_pair(std::string("Tallyfern"), 21));
    EXPECT_NE(log[log.size() - 2].first.find("could not be saved (Cannot write"), std::string::npos)
        << log[log.size() - 2].first;
    EXPECT_NE(log[log.size() - 2].first.find("read again at the next HotSync"), std::string::npos);

    synckit::ClearLog();
    Sync();
    EXPECT_EQ(Log().back(), std::make_pair(std::string("Tallyfern"), 20));
    CBlotterSpace doc = ReadPortfolio();
    EXPECT_EQ(doc.m_trades.GetCount(), 7u);
    EXPECT_EQ(Viewer().records.size(), 8u); // seven trades and the summary
    // Backups of the conduit's saves: the version before this HotSync.
    CBlotterSpace backup;
    ASSERT_EQ(ReadPortfolioFile(tf::fs::BackupPath(PortfolioPath(), 1), backup).status,
              PortfolioReadStatus::Read);
    EXPECT_EQ(backup.m_trades.GetCount(), 2u);
}

TEST_F(SharedPortfolio, ALockHeldTooLongEndsTheHotSyncWithoutTouchingAnything)
{
    MakeViewer({"Unfiled"});
    AddHandheldTrade("NEW", 1, 1, kSkRecordDirty, 0);
    const std::string before = PortfolioBytes();
    tf::fs::CFileLock held;
    ASSERT_TRUE(held.Acquire(PortfolioPath(), 0ms));

    CConduitSync sync(m_doc, [] { return kSyncTime; });
    sync.SetLockWait(50ms);
    sync.Run(m_props);

    EXPECT_EQ(PortfolioBytes(), before);
    EXPECT_EQ(m_handheld.CallCount(synckit::SkCall::ReadNextModified), 0);
    EXPECT_EQ(m_handheld.CallCount(synckit::SkCall::DeleteAll), 0);
    EXPECT_EQ(m_handheld.OpenCount(), 0);
    EXPECT_EQ(DirtyRecords(), 1u);
    LogLines log = Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1], std::make_pair("Nothing was synchronized: Tallyfern.kgw is in use by " +
                                         std::string(program_invocation_short_name) + " (process " +
                                         std::to_string(::getpid()) +
                                         ") (waited 0.05 seconds); the portfolio and the Viewer "
                                         "were left as they were.",
                                     10));
}

TEST_F(SharedPortfolio, TheDefaultNameAsALinkToTheDesktopsFileStaysALink)
{
    // The desktop's info.kgw, and the conduit's default name pointing at it.
    const std::string desktop = m_strDir + "/info.kgw";
    std::filesystem::rename(PortfolioPath(), desktop);
    std::filesystem::create_symlink("info.kgw", PortfolioPath());
    MakeViewer({"Unfiled"});
    AddHandheldTrade("PALM", 3, 3, kSkRecordDirty, 0);
    Sync();
    EXPECT_EQ(Log().back(), std::make_pair(std::string("Tallyfern"), 20));
    EXPECT_TRUE(std::filesystem::is_symlink(PortfolioPath()));
    CBlotterSpace doc;
    ASSERT_EQ(ReadPortfolioFile(desktop, doc).status, PortfolioReadStatus::Read);
    EXPECT_EQ(doc.m_trades.GetCount(), 3u);
    // Lock, record list and backup lie beside the desktop's file.
    EXPECT_TRUE(std::filesystem::exists(m_strDir + "/.info.kgw.lock"));
    EXPECT_TRUE(std::filesystem::exists(m_strDir + "/info.kgw.hotsync"));
    EXPECT_TRUE(std::filesystem::exists(m_strDir + "/info.kgw.~1~"));
    EXPECT_FALSE(std::filesystem::exists(m_strDir + "/.Tallyfern.kgw.lock"));
    EXPECT_FALSE(std::filesystem::exists(m_strDir + "/Tallyfern.kgw.hotsync"));
}

TEST_F(SharedPortfolio, TheRecordListNamesWhatWasWrittenAndABadOneFallsBackToValues)
{
    MakeViewer({"Unfiled", "Business"});
    Sync();
    CHotSyncState state;
    std::string error;
    ASSERT_TRUE(ReadHotSyncState(PortfolioPath() + ".hotsync", state, &error)) << error;
    EXPECT_EQ(state.database, kViewerName);
    ASSERT_EQ(state.records.size(), 2u); // the two trades, not the summary
    for (const synckit::StoredRecord& record : Viewer().records) {
        TradeRecord trade;
        UnpackHandheldRecord(record.data.data(), record.data.size(), trade);
        const SWrittenRecord* written = state.Find(record.uid);
        if (TradeSymbol(trade) == kSummarySymbol) {
            EXPECT_EQ(written, nullptr);
            continue;
        }
        ASSERT_NE(written, nullptr);
        EXPECT_EQ(written->tradeId, TradeSymbol(trade) == "AAA" ? 1 : 2);
        EXPECT_EQ(written->buyDate, 1700000000);
        EXPECT_EQ(written->category, record.category);
    }

    // A record list that cannot be read: said once, and records are matched by their values.
    tf::test::WriteFileBytes(PortfolioPath() + ".hotsync", "tallyfern-hotsync 1\nrecord x\n");
    EditOnHandheld("AAA", "Business");
    synckit::ClearLog();
    Sync();
    EXPECT_EQ(TradeCategory(*ReadPortfolio().m_trades.begin()), "Business");
    EXPECT_EQ(ReadPortfolio().m_trades.GetCount(), 2u);
    EXPECT_THAT(Log(),
                Contains(Pair(::testing::HasSubstr("could not be read (no database line)"), 10)));
    // ... and the HotSync wrote a good one again.
    EXPECT_TRUE(ReadHotSyncState(PortfolioPath() + ".hotsync", state, &error)) << error;
}

TEST(HotSyncState, RoundTripsAndRefusesAnythingElse)
{
    CHotSyncState state;
    state.database = "TallyfernDB";
    state.records[7] = {1, 1700000000, 0};
    state.records[0xFFFFFF] = {-2, -5, 15};
    const std::string text = FormatHotSyncState(state);
    EXPECT_EQ(text, "tallyfern-hotsync 1\ndatabase TallyfernDB\nrecord 7 1 1700000000 0\n"
                    "record 16777215 -2 -5 15\n");
    CHotSyncState read;
    ASSERT_TRUE(ParseHotSyncState(text, read, nullptr));
    EXPECT_EQ(read.database, "TallyfernDB");
    EXPECT_EQ(read.records.size(), 2u);
    EXPECT_EQ(read.Find(0xFFFFFF)->tradeId, -2);
    EXPECT_EQ(read.Find(0xFFFFFF)->category, 15);

    for (const char* bad : {"", "tallyfern-hotsync 2\ndatabase X\n", "tallyfern-hotsync 1\n",
                            "tallyfern-hotsync 1\ndatabase X\nrecord 1 2 3 4",
                            "tallyfern-hotsync 1\ndatabase X\nrecord 0 2 3 4\n",
                            "tallyfern-hotsync 1\ndatabase X\nrecord 1 2 3\n",
                            "tallyfern-hotsync 1\ndatabase X\nrecord 1 2 3 4 5\n",
                            "tallyfern-hotsync 1\ndatabase X\nrecord 1 2 3 16\n",
                            "tallyfern-hotsync 1\ndatabase X\nrecord 1 2 3 -1\n",
                            "tallyfern-hotsync 1\ndatabase X\nrecord 1 2 3 4\nrecord 1 4 5 6\n",
                            "tallyfern-hotsync 1\ndatabase X\nrecord 4294967296 2 3 4\n",
                            "tallyfern-hotsync 1\ndatabase X\nrecord  1 2 3 4\n"}) {
        CHotSyncState refused;
        refused.database = "left over";
        std::string error;
        EXPECT_FALSE(ParseHotSyncState(bad, refused, &error)) << bad;
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(refused.records.empty());
        EXPECT_EQ(refused.database, "");
    }
    // Every prefix of a good file is refused or read whole, never read past.
    for (std::size_t cut = 0; cut < text.size(); ++cut) {
        CHotSyncState part;
        if (ParseHotSyncState(text.substr(0, cut), part, nullptr)) {
            EXPECT_LE(part.records.size(), 2u);
        }
    }
    tf::test::CTempDir dir("tf-hotsync-state");
    CHotSyncState missing;
    EXPECT_TRUE(ReadHotSyncState(dir.File("none.hotsync"), missing, nullptr));
    EXPECT_TRUE(missing.records.empty());
}

} // namespace
} // namespace tf::conduit::test
