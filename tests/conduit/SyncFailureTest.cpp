// Every failing record-interface call is logged with its own text and code, and the
// synchronisation goes on to write the portfolio file.
#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "conduit/ConduitSync.h"
#include "platform/fs/FileStore.h"
#include "platform/synckit/SyncLog.h"
#include "tests/conduit/ConduitFixture.h"

namespace tf::conduit::test {
namespace {

using synckit::SkCall;
using ::testing::Contains;
using ::testing::Pair;

constexpr int kFault = kSkErrGeneral;

class SyncFailure : public ConduitFixture
{
  protected:
    void SetUp() override
    {
        ConduitFixture::SetUp();
        CBlotterSpace doc;
        doc.AddDefaultCategories();
        doc.m_trades.AddTail(MakeTrade(1, "AAA", 100, 10, "Personal"));
        doc.m_trades.AddTail(MakeTrade(2, "BBB", 5, 7, "Business"));
        doc.m_trades.AddTail(MakeTrade(3, "CCC", 1, 1, "Business"));
        WritePortfolio(doc);
        MakeViewer({"Unfiled"});
        AddHandheldTrade("NEW", 1, 1, kSkRecordDirty, 0);
    }
    bool Written() { return Log().back() == std::make_pair(std::string("Tallyfern"), 20); }
    int SavedTrades() { return static_cast<int>(ReadPortfolio().m_trades.GetCount()); }
};

struct FailingCall
{
    SkCall call;
    const char* text;
    int code;
    const char* name;
};

class EachFailingCall : public SyncFailure, public ::testing::WithParamInterface<FailingCall>
{
};

TEST_P(EachFailingCall, IsLoggedAndTheSyncGoesOn)
{
    m_handheld.FailCall(GetParam().call, kFault);
    Sync();
    EXPECT_THAT(Log(), Contains(Pair(GetParam().text, GetParam().code)));
    EXPECT_TRUE(Written());
    EXPECT_EQ(m_handheld.OpenCount(), 0);
}

std::string CallName(const ::testing::TestParamInfo<FailingCall>& param)
{
    return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Calls, EachFailingCall,
    ::testing::Values(FailingCall{SkCall::ReadNextModified, "Error reading record.", 8, "ReadNext"},
                      FailingCall{SkCall::PurgeDeleted,
                                  "Could not purge the deleted records on the Viewer.", 10,
                                  "Purge"},
                      FailingCall{SkCall::DeleteAll, "Could not clear the database on the Viewer.",
                                  10, "DeleteAll"},
                      FailingCall{SkCall::ClearSyncFlags, "Could not clear Tallyfern database", 10,
                                  "ClearSyncFlags"}),
    CallName);

TEST_F(SyncFailure, ReadErrorLeavesTheViewerForTheNextHotSync)
{
    AddHandheldTrade("TWO", 2, 2, kSkRecordDirty, 0);
    m_handheld.FailCall(SkCall::ReadNextModified, kFault, 1, 1);
    Sync();
    EXPECT_THAT(Log(), Contains(Pair("Error reading record.", 8)));
    EXPECT_TRUE(Written());
    EXPECT_EQ(SavedTrades(), 4) << "the first record was taken, the second not";
    // Rewriting the viewer now would delete the record not yet read.
    EXPECT_EQ(m_handheld.CallCount(SkCall::DeleteAll), 0);
    ASSERT_EQ(Viewer().records.size(), 2u);
    EXPECT_NE(Viewer().records[1].flags & kSkRecordDirty, 0);

    synckit::ClearLog();
    Sync();
    EXPECT_TRUE(Written());
    EXPECT_EQ(SavedTrades(), 5) << "the rest comes at the next HotSync, nothing twice";
    EXPECT_EQ(Viewer().records.size(), 6u);
}

TEST_F(SyncFailure, FailedRecordWriteLeavesLaterTradesChanged)
{
    m_handheld.FailCall(SkCall::WriteRecord, kFault, 1, 1);
    Sync();
    EXPECT_TRUE(Written());
    CBlotterSpace saved = ReadPortfolio();
    std::vector<int> statuses;
    for (const TradeRecord& trade : saved.m_trades)
        statuses.push_back(trade.status);
    EXPECT_EQ(statuses, (std::vector<int>{0, 2, 2, 2}));
    // The write-back stopped at the failure; the summary record still went out.
    ASSERT_EQ(Viewer().records.size(), 2u);
}

TEST_F(SyncFailure, UnopenableViewerStillMergesNothingAndSavesThePortfolio)
{
    m_handheld.FailCall(SkCall::Open, kFault);
    Sync();
    LogLines log = Log();
    EXPECT_THAT(log, Contains(Pair("Error reading record.", 8)));
    EXPECT_THAT(log, Contains(Pair("Could not purge the deleted records on the Viewer.", 10)));
    EXPECT_THAT(log, Contains(Pair("Could not clear the database on the Viewer.", 10)));
    EXPECT_THAT(log, Contains(Pair("Could not clear Tallyfern database", 10)));
    EXPECT_TRUE(Written());
    EXPECT_EQ(SavedTrades(), 3);
    EXPECT_EQ(m_handheld.CallCount(SkCall::Create), 0) << "only a missing database is created";
    EXPECT_EQ(Viewer().records.size(), 1u);
}

TEST_F(SyncFailure, FailedCreateLeavesNoViewer)
{
    m_handheld.RemoveDatabase(kViewerName);
    m_handheld.FailCall(SkCall::Create, kFault);
    Sync();
    EXPECT_EQ(m_handheld.FindDatabase(kViewerName), nullptr);
    EXPECT_THAT(Log(), Contains(Pair("Error reading record.", 8)));
    EXPECT_TRUE(Written());
}

TEST_F(SyncFailure, UnreadableCategoryBlockFilesEverythingUnderUnfiledAndKeepsTheBlock)
{
    MakeViewer({"Unfiled", "Mobile"});
    AddHandheldTrade("MOB", 1, 1, kSkRecordDirty, 1);
    std::vector<std::uint8_t> block = Viewer().appInfo;
    m_handheld.FailCall(SkCall::ReadCategoryBlock, kFault, 0, 1);
    Sync();
    CBlotterSpace saved = ReadPortfolio();
    ASSERT_EQ(saved.m_trades.GetCount(), 4u);
    EXPECT_EQ(TradeSymbol(*std::prev(saved.m_trades.end())), "MOB");
    EXPECT_EQ(TradeCategory(*std::prev(saved.m_trades.end())), "Unfiled");
    EXPECT_TRUE(Written());
    // The block read fine for the write-back, so the handheld's own category stayed.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Viewer().appInfo.data() + 18)), "Mobile");
    EXPECT_EQ(Viewer().appInfo[259], block[259]);
}

TEST_F(SyncFailure, FailedCategoryBlockWriteIsNotFatal)
{
    m_handheld.FailCall(SkCall::WriteCategoryBlock, kFault);
    Sync();
    EXPECT_TRUE(Written());
    EXPECT_EQ(Viewer().records.size(), 5u);
}

TEST_F(SyncFailure, FailedCloseIsLogged)
{
    m_handheld.FailCall(SkCall::Close, kFault, 0, 1);
    Sync();
    EXPECT_THAT(Log(), Contains(Pair("Could not save the database on the Viewer.", 10)));
    EXPECT_TRUE(Written());
}

TEST_F(SyncFailure, UnwritablePortfolioEndsWithCode21AndKeepsTheOldFile)
{
    std::string before = PortfolioBytes();
    fs::SetFaultHook([](fs::FileOp op) { return op == fs::FileOp::Rename; });
    Sync();
    fs::SetFaultHook(nullptr);
    EXPECT_EQ(Log().back(), std::make_pair(std::string("Tallyfern"), 21));
    EXPECT_EQ(PortfolioBytes(), before);
}

} // namespace
} // namespace tf::conduit::test
