// A thousand tfport buys killed at random moments: the portfolio always reads whole, every
// buy that reported success is in it exactly once, and the temporary files of killed saves
// are gone after the next save.
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <random>
#include <string>

#include "model/BlotterSpace.h"
#include "model/PortfolioFile.h"
#include "tests/support/process/KillAtRandom.h"
#include "tests/support/tempdir/TempDir.h"

namespace fs = std::filesystem;

namespace {
constexpr int kKills = 1000;

std::size_t FilesWith(const fs::path& dir, const std::string& part)
{
    std::size_t n = 0;
    for (const auto& entry : fs::directory_iterator(dir))
        n += entry.path().filename().string().find(part) != std::string::npos;
    return n;
}
} // namespace

TEST(TfportKilled, AThousandKillsLeaveAWholeFileAndEveryReportedTradeOnce)
{
    tf::test::ScratchInMemory();
    tf::test::CTempDir dir("tf-tfport-kill");
    const std::string path = dir.File("info.kgw");
    tf::test::SProcessOptions options;
    options.workingDir = dir.Path().string();
    auto buy = [](const std::string& symbol) {
        return std::vector<std::string>{TFPORT_PATH, "buy", symbol, "1", "1"};
    };
    ASSERT_EQ(tf::test::RunProcess({TFPORT_PATH, "init"}, options).exitCode, 0);
    const auto runTime = tf::test::MedianRunTime(buy("WARM"), options);

    std::mt19937 random(12);
    std::map<std::string, int> reported;
    reported["WARM"] = 5;
    int killed = 0;
    std::size_t mostTemporaries = 0;
    for (int i = 0; i < kKills; ++i) {
        const std::string symbol = "K" + std::to_string(i);
        tf::test::SProcessResult result =
            tf::test::RunKilledAtRandom(buy(symbol), options, runTime * 5 / 4, random);
        ASSERT_TRUE(result.started);
        if (result.exitCode == 0 && result.out.rfind("Trade ", 0) == 0)
            reported[symbol] = 1;
        else
            ++killed;
        CBlotterSpace doc;
        ASSERT_EQ(ReadPortfolioFile(path, doc).status, PortfolioReadStatus::Read)
            << "after kill " << i;
        mostTemporaries = std::max(mostTemporaries, FilesWith(dir.Path(), ".tmp-"));
    }
    // The next writer clears what the killed ones left.
    ASSERT_EQ(tf::test::RunProcess(buy("LAST"), options).exitCode, 0);
    reported["LAST"] = 1;

    CBlotterSpace doc;
    ASSERT_EQ(ReadPortfolioFile(path, doc).status, PortfolioReadStatus::Read);
    std::map<std::string, int> found;
    for (const TradeRecord& trade : doc.m_trades)
        ++found[TradeSymbol(trade)];
    for (const auto& [symbol, count] : reported)
        EXPECT_EQ(found[symbol], count) << symbol;
    for (const auto& [symbol, count] : found)
        EXPECT_LE(count, symbol == "WARM" ? 5 : 1) << symbol;
    EXPECT_EQ(FilesWith(dir.Path(), ".tmp-"), 0u);
    EXPECT_EQ(FilesWith(dir.Path(), ".damaged-"), 0u);
    EXPECT_LE(FilesWith(dir.Path(), ".~"), 5u);
    EXPECT_GT(killed, 0);
    std::cout << "tfport kill loop: " << kKills << " runs (median " << runTime.count() << " us), "
              << killed << " killed before they reported, " << reported.size() - 2 << " reported; "
              << doc.m_trades.GetCount() << " trades in the file; at most " << mostTemporaries
              << " temporary files left at once, none after the next save\n";
}
