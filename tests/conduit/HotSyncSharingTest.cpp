// tfsync against a portfolio other programs write: a HotSync that finds the file locked too
// long changes nothing and exits 1; three hundred HotSyncs killed at random moments, with
// handheld trades entered between them, always leave the portfolio and the viewer database
// whole, and after one HotSync that runs to its end every handheld trade is on both sides
// exactly once.
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "conduit/HandheldRecord.h"
#include "model/BlotterSpace.h"
#include "model/PortfolioFile.h"
#include "platform/fs/FileLock.h"
#include "platform/synckit/FolderHandheld.h"
#include "tests/support/process/KillAtRandom.h"
#include "tests/support/tempdir/TempDir.h"

namespace fs = std::filesystem;

namespace {
constexpr int kKills = 300;
// A new handheld trade before every this many HotSyncs.
constexpr int kEntryEvery = 10;
constexpr const char* kDatabase = "TallyfernDB";

std::map<std::string, int> Symbols(const CBlotterSpace& doc)
{
    std::map<std::string, int> symbols;
    for (const TradeRecord& trade : doc.m_trades)
        ++symbols[TradeSymbol(trade)];
    return symbols;
}
} // namespace

TEST(HotSyncShared, ALockHeldTooLongEndsTheHotSyncWithStatusOneAndChangesNothing)
{
    tf::test::CTempDir dir("tf-hotsync-lock");
    const std::string handheld = dir.File("handheld");
    const std::string user = dir.File("user");
    fs::create_directories(user);
    const std::string portfolio = user + "/Tallyfern.kgw";
    ASSERT_EQ(tf::test::RunProcess({TF_TFPORT_PATH, "--file", portfolio, "init"}).exitCode, 0);
    ASSERT_EQ(
        tf::test::RunProcess({TF_TFSYNC_PATH, "--handheld", handheld, "--user-dir", user}).exitCode,
        0);
    ASSERT_EQ(tf::test::RunProcess({TF_TFSYNC_PATH, "handheld", "add", "--handheld", handheld,
                                    "--symbol", "PALM", "--quantity", "1", "--price", "1"})
                  .exitCode,
              0);
    const std::string before = tf::test::ReadFileBytes(portfolio);
    const std::string viewerBefore = tf::test::ReadFileBytes(handheld + "/TallyfernDB.pdb");

    tf::fs::CFileLock held;
    ASSERT_TRUE(held.Acquire(portfolio, std::chrono::milliseconds(0)));
    tf::test::SProcessOptions options;
    options.env = {{"TALLYFERN_LOCK_WAIT", "0.2"}};
    tf::test::SProcessResult run =
        tf::test::RunProcess({TF_TFSYNC_PATH, "--handheld", handheld, "--user-dir", user}, options);
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_NE(run.out.find("[10] Nothing was synchronized: Tallyfern.kgw is in use by " +
                           std::string(program_invocation_short_name) + " (process " +
                           std::to_string(::getpid()) + ") (waited 0.2 seconds)"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("[20]"), std::string::npos);
    EXPECT_EQ(tf::test::ReadFileBytes(portfolio), before);
    EXPECT_EQ(tf::test::ReadFileBytes(handheld + "/TallyfernDB.pdb"), viewerBefore);

    held.Release();
    run =
        tf::test::RunProcess({TF_TFSYNC_PATH, "--handheld", handheld, "--user-dir", user}, options);
    EXPECT_EQ(run.exitCode, 0) << run.out;
    CBlotterSpace doc;
    ASSERT_EQ(ReadPortfolioFile(portfolio, doc).status, PortfolioReadStatus::Read);
    EXPECT_EQ(doc.m_trades.GetCount(), 1u);
}

TEST(HotSyncKilled, ThreeHundredKillsLoseNoHandheldTrade)
{
    tf::test::ScratchInMemory();
    tf::test::CTempDir dir("tf-hotsync-kill");
    const std::string handheld = dir.File("handheld");
    const std::string user = dir.File("user");
    fs::create_directories(user);
    const std::string portfolio = user + "/Tallyfern.kgw";
    tf::test::SProcessOptions options;
    const std::vector<std::string> hotSync = {TF_TFSYNC_PATH, "--handheld", handheld, "--user-dir",
                                              user};
    ASSERT_EQ(tf::test::RunProcess({TF_TFPORT_PATH, "--file", portfolio, "init"}).exitCode, 0);
    ASSERT_EQ(tf::test::RunProcess({TF_TFPORT_PATH, "--file", portfolio, "buy", "DESK", "5", "5"})
                  .exitCode,
              0);
    ASSERT_EQ(tf::test::RunProcess(hotSync, options).exitCode, 0);
    const auto runTime = tf::test::MedianRunTime(hotSync, options, 3);

    std::mt19937 random(7);
    std::vector<std::string> entered;
    int ended = 0;
    tf::synckit::CFolderHandheld folder(handheld);
    for (int i = 0; i < kKills; ++i) {
        if (i % kEntryEvery == 0) {
            const std::string symbol = "H" + std::to_string(i);
            tf::test::SProcessResult added = tf::test::RunProcess(
                {TF_TFSYNC_PATH, "handheld", "add", "--handheld", handheld, "--symbol", symbol,
                 "--quantity", std::to_string(i + 1), "--price", "2"});
            ASSERT_EQ(added.exitCode, 0) << added.out << added.err;
            entered.push_back(symbol);
        }
        tf::test::SProcessResult run =
            tf::test::RunKilledAtRandom(hotSync, options, runTime * 5 / 4, random);
        ASSERT_TRUE(run.started);
        ended += run.exitCode >= 0;
        CBlotterSpace doc;
        ASSERT_EQ(ReadPortfolioFile(portfolio, doc).status, PortfolioReadStatus::Read)
            << "after kill " << i;
        tf::synckit::HandheldDatabase db;
        std::string error;
        ASSERT_EQ(folder.LoadDatabase(kDatabase, db, &error), kSkOk) << error;
    }
    // One HotSync to its end, and one more that finds nothing to do.
    for (int i = 0; i < 2; ++i) {
        tf::test::SProcessResult last = tf::test::RunProcess(hotSync, options);
        ASSERT_EQ(last.exitCode, 0) << last.out;
    }

    CBlotterSpace doc;
    ASSERT_EQ(ReadPortfolioFile(portfolio, doc).status, PortfolioReadStatus::Read);
    std::map<std::string, int> desktop = Symbols(doc);
    tf::synckit::HandheldDatabase db;
    ASSERT_EQ(folder.LoadDatabase(kDatabase, db, nullptr), kSkOk);
    std::map<std::string, int> viewer;
    for (const tf::synckit::StoredRecord& record : db.records) {
        TradeRecord trade;
        tf::conduit::UnpackHandheldRecord(record.data.data(), record.data.size(), trade);
        ++viewer[TradeSymbol(trade)];
    }
    for (const std::string& symbol : entered) {
        EXPECT_EQ(desktop[symbol], 1) << symbol;
        EXPECT_EQ(viewer[symbol], 1) << symbol;
    }
    EXPECT_EQ(desktop["DESK"], 1);
    EXPECT_EQ(doc.m_trades.GetCount(), entered.size() + 1);
    EXPECT_EQ(db.records.size(), entered.size() + 2); // and the summary record
    std::cout << "HotSync kill loop: " << kKills << " runs (median " << runTime.count() << " us), "
              << kKills - ended << " killed, " << ended << " ended first; " << entered.size()
              << " handheld trades entered, " << doc.m_trades.GetCount() - 1
              << " in the portfolio\n";
}
