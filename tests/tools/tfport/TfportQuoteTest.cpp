// tfport quote and refresh against the quote service on a free loopback port.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "model/BlotterSpace.h"
#include "model/PortfolioFile.h"
#include "tests/support/process/ChildProcess.h"
#include "tests/support/tempdir/TempDir.h"
#include "tools/tfquoted/QuoteBook.h"
#include "tools/tfquoted/QuoteService.h"

namespace {
struct RunResult
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

class TfportQuoteTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_book.Set("IBM", {131.25, 0.75, 130.50, 131.20});
        m_book.Set("MSFT", {310.0, -2.5, 312.5, 309.9});
        m_book.Set("VOD", {0.75, 0.01, 0.74, 0.75});
        m_nPort = m_service.Bind("127.0.0.1", 0);
        ASSERT_GT(m_nPort, 0);
        m_service.Start();
    }
    void TearDown() override { m_service.Stop(); }

    std::string Address() const { return "127.0.0.1:" + std::to_string(m_nPort); }

    // args: tfport's arguments as a shell would split them.
    RunResult Run(const std::string& args)
    {
        std::string server = "127.0.0.1:" + std::to_string(m_nPort);
        std::vector<std::string> argv = tf::test::SplitCommandLine(args);
        argv.insert(argv.begin(), TFPORT_PATH);
        tf::test::SProcessOptions options;
        options.workingDir = m_dir.Path().string();
        options.env = {{"TALLYFERN_US_QUOTE_SERVER", server},
                       {"TALLYFERN_REGIONAL_QUOTE_SERVER", server}};
        tf::test::SProcessResult process = tf::test::RunProcess(argv, options);
        return {process.exitCode, process.out, process.err};
    }

    CBlotterSpace ReadBack()
    {
        CBlotterSpace doc;
        EXPECT_EQ(ReadPortfolioFile((m_dir / "info.kgw").string(), doc).status,
                  PortfolioReadStatus::Read);
        return doc;
    }

    tf::test::CTempDir m_dir{"tf-tfport-quote"};
    CQuoteBook m_book;
    CQuoteService m_service{m_book, QuoteServiceOptions{}};
    int m_nPort = 0;
};
} // namespace

TEST_F(TfportQuoteTest, QuotePrintsTheResultPriceAndChange)
{
    RunResult us = Run("quote IBM");
    EXPECT_EQ(us.exitCode, 0) << us.err;
    EXPECT_EQ(us.out, "result 0 (ok)\nprice  131.2500\nchange 0.7500\n");
    RunResult regional = Run("quote VOD --country 'United Kingdom'");
    EXPECT_EQ(regional.exitCode, 0);
    EXPECT_NE(regional.out.find("price  0.7500"), std::string::npos) << regional.out;
    RunResult empty = Run("quote ''");
    EXPECT_NE(empty.exitCode, 0);
    EXPECT_NE(empty.out.find("result -1"), std::string::npos) << empty.out;
}

TEST_F(TfportQuoteTest, RefreshPricesSavesAndPrintsTheBlotter)
{
    ASSERT_EQ(Run("init").exitCode, 0);
    ASSERT_EQ(Run("buy IBM 100 120 --category Business").exitCode, 0);
    ASSERT_EQ(Run("buy MSFT 10 300").exitCode, 0);
    ASSERT_EQ(Run("buy NOPE 5 1").exitCode, 0);
    ASSERT_EQ(Run("settings --check-version off").exitCode, 0);
    // NOPE was priced once, at 2.00; the quote service does not know it (any more).
    {
        CBlotterSpace doc = ReadBack();
        TradeRecord& nope = *(doc.m_trades.begin() + 2);
        nope.currentPrice = 2.0;
        nope.dayChange = 0.25;
        ASSERT_TRUE(WritePortfolioFile((m_dir / "info.kgw").string(), doc).bOk);
    }

    RunResult refresh = Run("refresh");
    EXPECT_EQ(refresh.exitCode, 3) << refresh.err;
    EXPECT_NE(refresh.out.find("Security"), std::string::npos);
    EXPECT_NE(refresh.out.find("Last Trade"), std::string::npos);
    EXPECT_NE(refresh.out.find("IBM               131.2500          0.7500          100.00"
                               "       13,125.00           75.00        1,125.00"),
              std::string::npos)
        << refresh.out;
    // The unknown symbol keeps its last price: 13,125 + 3,100 + 10.
    EXPECT_NE(refresh.out.find("NOPE                2.0000          0.2500            5.00"
                               "           10.00            1.25            5.00    stored"),
              std::string::npos)
        << refresh.out;
    EXPECT_NE(refresh.out.find("Total Value:       16,235.00"), std::string::npos) << refresh.out;
    EXPECT_NE(refresh.out.find("Total P/L Today:   51.25"), std::string::npos);
    EXPECT_NE(refresh.out.find("Tallyfern Desktop:  Last refresh on "), std::string::npos);
    EXPECT_EQ(refresh.err, "tfport: NOPE (United States): no price in the reply\n"
                           "tfport: 1 of 3 quotes failed; their lots kept their stored prices\n");

    CBlotterSpace doc = ReadBack();
    auto it = doc.m_trades.begin();
    EXPECT_EQ(it->currentPrice, 131.25);
    EXPECT_EQ(it->status, kStatusChanged);
    EXPECT_EQ((it + 2)->currentPrice, 2.0);
    EXPECT_EQ((it + 2)->dayChange, 0.25);
    EXPECT_NE((it + 2)->status, kStatusChanged);

    // Without fetching, the stored prices are shown; a category filters this run only.
    m_book.Set("IBM", {1.0, 0.0, 1.0, 1.0});
    RunResult stored = Run("refresh --no-fetch --category Business");
    ASSERT_EQ(stored.exitCode, 0);
    EXPECT_NE(stored.out.find("131.2500"), std::string::npos);
    EXPECT_EQ(stored.out.find("MSFT"), std::string::npos);
    EXPECT_EQ(stored.err, "");
    EXPECT_EQ(ReadBack().m_strCategoryFilter, "All");
}

TEST_F(TfportQuoteTest, RefreshNamesUnreachableServersAndTakesAPerHostLimit)
{
    ASSERT_EQ(Run("init").exitCode, 0);
    ASSERT_EQ(Run("buy IBM 100 120").exitCode, 0);
    ASSERT_EQ(Run("buy VOD 1000 0.5 --country 'United Kingdom'").exitCode, 0);
    ASSERT_EQ(Run("buy IBM 50 125").exitCode, 0);

    // All quotes arrive: exit 0, nothing on standard error, every row with its time.
    RunResult ok = Run("refresh --jobs 1");
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_EQ(ok.err, "");
    EXPECT_EQ(ok.out.find("stored"), std::string::npos) << ok.out;

    for (const char* pJobs : {"0", "65", "2.5", "many"}) {
        RunResult bad = Run(std::string("refresh --jobs ") + pJobs);
        EXPECT_EQ(bad.exitCode, 2) << pJobs;
        EXPECT_NE(bad.err.find("--jobs"), std::string::npos) << bad.err;
    }

    // The regional server refuses: its quote fails with the reason, the US ones arrive.
    const std::string closed = "127.0.0.1:" + std::to_string(tf::test::FreeLoopbackPort());
    tf::test::SProcessOptions options;
    options.workingDir = m_dir.Path().string();
    options.env = {{"TALLYFERN_US_QUOTE_SERVER", Address()},
                   {"TALLYFERN_REGIONAL_QUOTE_SERVER", closed}};
    const tf::test::SProcessResult refused =
        tf::test::RunProcess({TFPORT_PATH, "refresh"}, options);
    EXPECT_EQ(refused.exitCode, 3);
    EXPECT_EQ(refused.err, "tfport: VOD (United Kingdom): refused\n"
                           "tfport: 1 of 2 quotes failed; their lots kept their stored prices\n");
    EXPECT_EQ(ReadBack().m_trades.begin()->currentPrice, 131.25);
}

TEST_F(TfportQuoteTest, RefreshReportsMailFailuresOnStandardError)
{
    ASSERT_EQ(Run("init").exitCode, 0);
    ASSERT_EQ(Run("buy IBM 100 120").exitCode, 0);
    ASSERT_EQ(Run("settings --alerts on --alert-percent 0").exitCode, 0);
    m_book.Set("IBM", {131.25, 13.0, 118.25, 131.2});
    ASSERT_EQ(Run("refresh").err, ""); // threshold 0: never an alert

    // A loopback port where nothing listens: the submission transport's one failure.
    ASSERT_EQ(Run("settings --alert-percent 5 --pager p@localhost --smtp-server 127.0.0.1:" +
                  std::to_string(tf::test::FreeLoopbackPort()))
                  .exitCode,
              0);
    RunResult refresh = Run("refresh");
    EXPECT_EQ(refresh.exitCode, 4);
    EXPECT_EQ(refresh.err, "tfport: mail: Unable to connect to server\n");
    EXPECT_EQ(ReadBack().m_trades.begin()->currentPrice, 131.25);
}
