// tfport quote and refresh against the quote service on a free loopback port.
#include <array>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "model/BlotterSpace.h"
#include "model/PortfolioFile.h"
#include "tests/support/process/ChildProcess.h"
#include "tools/tfquoted/QuoteBook.h"
#include "tools/tfquoted/QuoteService.h"

namespace fs = std::filesystem;

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
        m_dir = fs::temp_directory_path() /
                ("tf-tfport-quote-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_book.Set("IBM", {131.25, 0.75, 130.50, 131.20});
        m_book.Set("MSFT", {310.0, -2.5, 312.5, 309.9});
        m_book.Set("VOD", {0.75, 0.01, 0.74, 0.75});
        m_nPort = m_service.Bind("127.0.0.1", 0);
        ASSERT_GT(m_nPort, 0);
        m_service.Start();
    }
    void TearDown() override
    {
        m_service.Stop();
        fs::remove_all(m_dir);
    }

    RunResult Run(const std::string& args)
    {
        std::string server = "127.0.0.1:" + std::to_string(m_nPort);
        std::string errFile = (m_dir / "stderr.txt").string();
        std::string command = "cd '" + m_dir.string() + "' && TALLYFERN_US_QUOTE_SERVER=" + server +
                              " TALLYFERN_REGIONAL_QUOTE_SERVER=" + server + " '" + TFPORT_PATH +
                              "' " + args + " 2>'" + errFile + "'";
        RunResult result;
        FILE* pipe = ::popen(command.c_str(), "r");
        std::array<char, 4096> buffer{};
        std::size_t n = 0;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
            result.out.append(buffer.data(), n);
        int status = ::pclose(pipe);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        FILE* err = std::fopen(errFile.c_str(), "r");
        while (err && (n = std::fread(buffer.data(), 1, buffer.size(), err)) > 0)
            result.err.append(buffer.data(), n);
        if (err)
            std::fclose(err);
        return result;
    }

    CBlotterSpace ReadBack()
    {
        CBlotterSpace doc;
        EXPECT_EQ(ReadPortfolioFile((m_dir / "info.kgw").string(), doc).status,
                  PortfolioReadStatus::Read);
        return doc;
    }

    fs::path m_dir;
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

    RunResult refresh = Run("refresh");
    ASSERT_EQ(refresh.exitCode, 0) << refresh.err;
    EXPECT_NE(refresh.out.find("Security"), std::string::npos);
    EXPECT_NE(refresh.out.find("Last Trade"), std::string::npos);
    EXPECT_NE(refresh.out.find("IBM               131.2500          0.7500          100.00"
                               "       13,125.00           75.00        1,125.00"),
              std::string::npos)
        << refresh.out;
    EXPECT_NE(refresh.out.find("Total Value:       16,225.00"), std::string::npos) << refresh.out;
    EXPECT_NE(refresh.out.find("Total P/L Today:   50.00"), std::string::npos);
    EXPECT_NE(refresh.out.find("Tallyfern Desktop:  Last refresh on "), std::string::npos);

    CBlotterSpace doc = ReadBack();
    auto it = doc.m_trades.begin();
    EXPECT_EQ(it->currentPrice, 131.25);
    EXPECT_EQ(it->status, kStatusChanged);

    // Without fetching, the stored prices are shown; a category filters this run only.
    m_book.Set("IBM", {1.0, 0.0, 1.0, 1.0});
    RunResult stored = Run("refresh --no-fetch --category Business");
    ASSERT_EQ(stored.exitCode, 0);
    EXPECT_NE(stored.out.find("131.2500"), std::string::npos);
    EXPECT_EQ(stored.out.find("MSFT"), std::string::npos);
    EXPECT_EQ(ReadBack().m_strCategoryFilter, "All");
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
    EXPECT_EQ(refresh.exitCode, 0);
    EXPECT_EQ(refresh.err, "tfport: mail: Unable to connect to server\n");
    EXPECT_EQ(ReadBack().m_trades.begin()->currentPrice, 131.25);
}
