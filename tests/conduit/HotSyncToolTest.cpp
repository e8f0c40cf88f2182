// HotSyncs run the way a user runs them: tfsync against a folder handheld, the handheld's
// viewer edited with `tfsync handheld`, the portfolio checked with the model and tfport.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "conduit/CategoryBlock.h"
#include "conduit/HandheldRecord.h"
#include "model/PortfolioFile.h"
#include "platform/synckit/PdbFile.h"
#include "tests/conduit/ConduitFixture.h"
#include "tests/support/process/ChildProcess.h"
#include "tests/support/tempdir/TempDir.h"

namespace tf::conduit::test {
namespace {

// A tool that takes longer than this has hung.
constexpr std::chrono::milliseconds kToolTimeout{10000};

struct RunResult
{
    int exitCode = -1;
    std::string output; // standard output and standard error together
};

// Runs a program with its output captured; it is killed if it outlives the time-out.
RunResult RunProgram(const std::vector<std::string>& args)
{
    tf::test::SProcessOptions options;
    options.mergeStderr = true;
    options.timeout = kToolTimeout;
    tf::test::SProcessResult process = tf::test::RunProcess(args, options);
    RunResult result{process.exitCode, process.out};
    if (process.timedOut)
        result.output += "\n[killed after the time-out]";
    return result;
}

class HotSyncTool : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_strRoot = m_root.Path().string();
        m_strHandheld = m_strRoot + "/handheld";
        m_strUser = m_strRoot + "/user";
        std::filesystem::create_directory(m_strUser);
    }

    RunResult Tool(std::vector<std::string> args)
    {
        args.insert(args.begin(), TF_TFSYNC_PATH);
        return RunProgram(args);
    }
    RunResult HotSync() { return Tool({"--handheld", m_strHandheld, "--user-dir", m_strUser}); }
    RunResult Handheld(const std::string& command, std::vector<std::string> args)
    {
        args.insert(args.begin(), {"handheld", command, "--handheld", m_strHandheld});
        return Tool(args);
    }
    std::string Portfolio() const { return m_strUser + "/Tallyfern.kgw"; }
    synckit::HandheldDatabase Viewer()
    {
        std::string file = tf::test::ReadFileBytes(m_strHandheld + "/TallyfernDB.pdb");
        std::vector<std::uint8_t> bytes(file.begin(), file.end());
        synckit::HandheldDatabase db;
        EXPECT_EQ(synckit::ParsePdb(bytes.data(), bytes.size(), db), kSkOk);
        return db;
    }
    std::string Bytes(const std::string& path) { return tf::test::ReadFileBytes(path); }

    tf::test::CTempDir m_root{"tfsync-test"};
    std::string m_strRoot;
    std::string m_strHandheld;
    std::string m_strUser;
};

std::string SymbolOf(const synckit::StoredRecord& record)
{
    TradeRecord trade;
    UnpackHandheldRecord(record.data.data(), record.data.size(), trade);
    return TradeSymbol(trade);
}

int SlotOf(const synckit::HandheldDatabase& db, const std::string& name)
{
    CCategoryMgr manager;
    ReadCategoryBlockInto(db.appInfo.data(), db.appInfo.size(), manager);
    CCategory* category = nullptr;
    return manager.FindName(name, &category) == kCatOk ? category->GetIndex() : -1;
}

std::uint32_t AddedId(const std::string& output)
{
    std::size_t at = output.find('#');
    return at == std::string::npos ? 0
                                   : static_cast<std::uint32_t>(std::stoul(output.substr(at + 1)));
}

TEST_F(HotSyncTool, CarriesAHandheldTradeIntoThePortfolioAndBack)
{
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    doc.m_trades.AddTail(MakeTrade(1, "AAA", 100, 10, "Personal"));
    ASSERT_TRUE(WritePortfolioFile(Portfolio(), doc).bOk);

    RunResult first = HotSync();
    ASSERT_EQ(first.exitCode, 0) << first.output;
    EXPECT_NE(first.output.find("Conduit: Tallyfern, version 1.1"), std::string::npos);
    EXPECT_NE(first.output.find("[19] Synchronizing Tallyfern..."), std::string::npos);
    EXPECT_NE(first.output.find("[20] Tallyfern"), std::string::npos) << first.output;

    synckit::HandheldDatabase viewer = Viewer();
    ASSERT_EQ(viewer.records.size(), 2u);
    EXPECT_EQ(SymbolOf(viewer.records[0]), "AAA");
    EXPECT_EQ(SymbolOf(viewer.records[1]), kSummarySymbol);
    EXPECT_EQ(viewer.records[0].category, SlotOf(viewer, "Personal"));
    EXPECT_EQ(viewer.creator, synckit::FourCharCode("Tlyf"));
    std::uint32_t aaa = viewer.records[0].uid;

    RunResult list = Handheld("list", {});
    ASSERT_EQ(list.exitCode, 0) << list.output;
    EXPECT_NE(list.output.find("AAA quantity=100 price=10"), std::string::npos) << list.output;
    EXPECT_NE(list.output.find("Personal"), std::string::npos);

    RunResult added =
        Handheld("add", {"--symbol", "NEW", "--quantity", "50", "--price", "2.5", "--category",
                         "Travel", "--private", "--country", "Germany"});
    ASSERT_EQ(added.exitCode, 0) << added.output;
    RunResult doomed = Handheld("add", {"--symbol", "DEL", "--quantity", "1", "--price", "1"});
    ASSERT_EQ(doomed.exitCode, 0) << doomed.output;
    ASSERT_EQ(Handheld("delete", {"--uid", std::to_string(AddedId(doomed.output))}).exitCode, 0);
    RunResult edited =
        Handheld("edit", {"--uid", std::to_string(aaa), "--category", "Business", "--private"});
    ASSERT_EQ(edited.exitCode, 0) << edited.output;
    int travelSlot = SlotOf(Viewer(), "Travel");
    EXPECT_GT(travelSlot, 0);

    RunResult second = HotSync();
    ASSERT_EQ(second.exitCode, 0) << second.output;

    CBlotterSpace saved;
    ASSERT_EQ(ReadPortfolioFile(Portfolio(), saved).status, PortfolioReadStatus::Read);
    ASSERT_EQ(saved.m_trades.GetCount(), 2u);
    const TradeRecord& saved0 = *saved.m_trades.begin();
    EXPECT_EQ(TradeSymbol(saved0), "AAA");
    EXPECT_EQ(TradeCategory(saved0), "Business");
    EXPECT_EQ(saved0.privateFlag, 1);
    const TradeRecord& imported = *std::next(saved.m_trades.begin());
    EXPECT_EQ(TradeSymbol(imported), "NEW");
    EXPECT_EQ(TradeCategory(imported), "Travel");
    EXPECT_EQ(TradeCountry(imported), "Germany");
    EXPECT_EQ(imported.privateFlag, 1);
    EXPECT_DOUBLE_EQ(imported.quantity, 50);
    EXPECT_DOUBLE_EQ(imported.price, 2.5);
    EXPECT_EQ(imported.id, 2);
    EXPECT_EQ(saved.m_categories.back(), "Travel");

    viewer = Viewer();
    ASSERT_EQ(viewer.records.size(), 3u);
    EXPECT_EQ(SymbolOf(viewer.records[1]), "NEW");
    EXPECT_EQ(viewer.records[1].category, travelSlot) << "the handheld's category kept its slot";
    EXPECT_EQ(viewer.records[1].flags, kSkRecordPrivate);
    EXPECT_EQ(viewer.records[0].category, SlotOf(viewer, "Business"));

    RunResult shown = RunProgram({TF_TFPORT_PATH, "--file", Portfolio(), "show"});
    EXPECT_EQ(shown.exitCode, 0) << shown.output;
    EXPECT_NE(shown.output.find("NEW"), std::string::npos) << shown.output;
    EXPECT_NE(shown.output.find("AAA"), std::string::npos) << shown.output;
    RunResult csv =
        RunProgram({TF_TFPORT_PATH, "--file", Portfolio(), "export", "--format", "csv"});
    EXPECT_EQ(csv.exitCode, 0) << csv.output;
    EXPECT_NE(csv.output.find("Travel"), std::string::npos) << csv.output;

    // A third HotSync with nothing changed on either side changes nothing.
    std::string file = Bytes(Portfolio());
    RunResult third = HotSync();
    ASSERT_EQ(third.exitCode, 0) << third.output;
    EXPECT_EQ(Bytes(Portfolio()), file);
    synckit::HandheldDatabase after = Viewer();
    ASSERT_EQ(after.records.size(), viewer.records.size());
    for (std::size_t i = 0; i < after.records.size(); ++i) {
        EXPECT_EQ(after.records[i].data, viewer.records[i].data);
        EXPECT_EQ(after.records[i].flags, viewer.records[i].flags);
        EXPECT_EQ(after.records[i].category, viewer.records[i].category);
    }
    EXPECT_EQ(after.appInfo, viewer.appInfo);
}

TEST_F(HotSyncTool, ReportsWhatItCouldNotDo)
{
    RunResult noPortfolio = HotSync();
    EXPECT_EQ(noPortfolio.exitCode, 1);
    EXPECT_NE(noPortfolio.output.find("No portfolio file"), std::string::npos);

    EXPECT_EQ(Tool({"--handheld", m_strHandheld}).exitCode, 2);
    EXPECT_EQ(Tool({"--user-dir", m_strUser}).exitCode, 2);
    EXPECT_EQ(Tool({"--handheld", m_strHandheld, "--user-dir", m_strUser, "--bogus"}).exitCode, 2);
    EXPECT_EQ(Tool({"--handheld", m_strHandheld, "--user-dir", m_strUser, "--creator", "TOOLONG"})
                  .exitCode,
              2);
    RunResult noConduit = Tool({"--handheld", m_strHandheld, "--user-dir", m_strUser, "--conduit",
                                m_strRoot + "/missing.so"});
    EXPECT_EQ(noConduit.exitCode, 1);
    EXPECT_NE(noConduit.output.find("cannot load the conduit"), std::string::npos);

    EXPECT_EQ(Handheld("list", {"--db", "Nothing"}).exitCode, 1);
    EXPECT_EQ(
        Handheld("add", {"--symbol", "WAYTOOLONGSYM", "--quantity", "1", "--price", "1"}).exitCode,
        1);
    EXPECT_EQ(Handheld("add", {"--symbol", "A", "--quantity", "1,5", "--price", "1"}).exitCode, 1);
    EXPECT_EQ(Handheld("edit", {"--uid", "4242"}).exitCode, 1);
    EXPECT_EQ(Handheld("frob", {}).exitCode, 2);

    // A damaged viewer database is reported and left alone.
    std::filesystem::create_directories(m_strHandheld);
    std::ofstream(m_strHandheld + "/TallyfernDB.pdb") << "not a database";
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    ASSERT_TRUE(WritePortfolioFile(Portfolio(), doc).bOk);
    RunResult damaged = HotSync();
    EXPECT_EQ(damaged.exitCode, 1) << damaged.output;
    EXPECT_NE(damaged.output.find("Error reading record."), std::string::npos) << damaged.output;
    EXPECT_NE(damaged.output.find("[8] Handheld: " + m_strHandheld + "/TallyfernDB.pdb: "),
              std::string::npos)
        << damaged.output;
    EXPECT_EQ(Bytes(m_strHandheld + "/TallyfernDB.pdb"), "not a database");
    EXPECT_EQ(Handheld("list", {}).exitCode, 1);
}

TEST_F(HotSyncTool, ViewerCutInsideItsLastRecordIsReportedAndLeftAlone)
{
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    doc.m_trades.AddTail(MakeTrade(1, "AAA", 100, 10, "Personal"));
    ASSERT_TRUE(WritePortfolioFile(Portfolio(), doc).bOk);
    ASSERT_EQ(HotSync().exitCode, 0);
    ASSERT_EQ(Handheld("add", {"--symbol", "NEW", "--quantity", "5", "--price", "2", "--country",
                               "Germany"})
                  .exitCode,
              0);

    // The new record comes last; cut away the end of its country.
    const std::string path = m_strHandheld + "/TallyfernDB.pdb";
    std::string cut = Bytes(path);
    cut.resize(cut.size() - 40);
    tf::test::WriteFileBytes(path, cut);

    RunResult sync = HotSync();
    EXPECT_EQ(sync.exitCode, 1) << sync.output;
    EXPECT_NE(sync.output.find("[8] Handheld: " + path + ": not as long as when it was written"),
              std::string::npos)
        << sync.output;
    EXPECT_EQ(Bytes(path), cut) << "a damaged viewer is left for the user to mend";
    CBlotterSpace after;
    ASSERT_EQ(ReadPortfolioFile(Portfolio(), after).status, PortfolioReadStatus::Read);
    ASSERT_EQ(after.m_trades.GetCount(), 1u) << "no trade is taken from the damaged record";
    EXPECT_EQ(Handheld("list", {}).exitCode, 1);
}

} // namespace
} // namespace tf::conduit::test
