// tfport history and history import, and the history that tfport refresh writes, against the
// quote service on a free loopback port: rows per refresh and none for failed quotes, the
// three formats and the ranges, an import refused whole for one bad line, and a damaged or
// full history that never stops a refresh or its save.
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "engine/history/HistoryDb.h"
#include "engine/history/HistoryStore.h"
#include "engine/history/LocalDays.h"
#include "model/BlotterSpace.h"
#include "model/Ledger.h"
#include "model/PortfolioFile.h"
#include "tests/engine/history/HistoryTestSupport.h"
#include "tests/support/process/ChildProcess.h"
#include "tests/support/tempdir/TempDir.h"
#include "tools/tfquoted/QuoteBook.h"
#include "tools/tfquoted/QuoteService.h"

using history_test::QueryNumber;

namespace {

class TfportHistoryTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_book.Set("IBM", {131.25, 0.75, 130.50, 131.20});
        m_book.Set("MSFT", {310.0, -2.5, 312.5, 309.9});
        m_nPort = m_service.Bind("127.0.0.1", 0);
        ASSERT_GT(m_nPort, 0);
        m_service.Start();
    }
    void TearDown() override { m_service.Stop(); }

    tf::test::SProcessOptions Options() const
    {
        tf::test::SProcessOptions options;
        options.workingDir = m_dir.Path().string();
        const std::string server = "127.0.0.1:" + std::to_string(m_nPort);
        options.env = {{"TALLYFERN_US_QUOTE_SERVER", server},
                       {"TALLYFERN_REGIONAL_QUOTE_SERVER", server}};
        return options;
    }
    tf::test::SProcessResult Run(std::vector<std::string> args) const
    {
        args.insert(args.begin(), TFPORT_PATH);
        return tf::test::RunProcess(args, Options());
    }
    // tfport under a shell that first caps the size of every file it may write.
    tf::test::SProcessResult RunWithFileLimit(int nKilobytes, const std::string& args) const
    {
        const std::string script = "trap '' XFSZ; ulimit -f " + std::to_string(nKilobytes) +
                                   "; exec '" + TFPORT_PATH + "' " + args;
        return tf::test::RunProcess({"/bin/bash", "-c", script}, Options());
    }
    std::string History() const { return m_dir.File("info.kgw.history.sqlite"); }
    long long Count(const char* pszTable) const
    {
        return QueryNumber(History(), std::string("SELECT count(*) FROM ") + pszTable);
    }
    // IBM and MSFT, which the service prices, and with bUnpriced NOPE, which it does not.
    void MakePortfolio(bool bUnpriced)
    {
        ASSERT_EQ(Run({"init"}).exitCode, 0);
        ASSERT_EQ(Run({"buy", "IBM", "100", "120"}).exitCode, 0);
        ASSERT_EQ(Run({"buy", "MSFT", "10", "300"}).exitCode, 0);
        if (bUnpriced) {
            ASSERT_EQ(Run({"buy", "NOPE", "5", "1"}).exitCode, 0);
        }
    }
    double StoredPrice(const char* pszSymbol) const
    {
        CBlotterSpace doc;
        EXPECT_EQ(ReadPortfolioFile(m_dir.File("info.kgw"), doc).status, PortfolioReadStatus::Read);
        for (const TradeRecord& trade : doc.m_trades) {
            if (TradeSymbol(trade) == pszSymbol)
                return trade.currentPrice;
        }
        return -1;
    }

    tf::test::CTempDir m_dir{"tf-tfport-history"};
    CQuoteBook m_book;
    CQuoteService m_service{m_book, QuoteServiceOptions{}};
    int m_nPort = 0;
};

std::size_t Lines(const std::string& text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

TEST_F(TfportHistoryTest, EachFetchingRefreshAddsItsTotalsAndTheQuotesThatArrived)
{
    MakePortfolio(true);
    const auto empty = Run({"history"});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.out.rfind("No price history yet", 0), 0u) << empty.out;
    EXPECT_EQ(Run({"history", "--format", "json"}).out, "[]\n");

    // NOPE fails (exit 3) and keeps its stored price; the refresh is history all the same.
    constexpr int kQuoteFailed = 3;
    ASSERT_EQ(Run({"refresh"}).exitCode, kQuoteFailed);
    m_book.Set("IBM", {132.00, 1.50, 130.50, 131.90});
    ASSERT_EQ(Run({"refresh"}).exitCode, kQuoteFailed);
    ASSERT_EQ(Run({"refresh", "--no-fetch"}).exitCode, 0);
    EXPECT_EQ(Count("refresh"), 2) << "a refresh from the stored prices adds nothing";
    EXPECT_EQ(Count("quote"), 4) << "NOPE has no price: no row, never a 0";
    EXPECT_EQ(QueryNumber(History(), "SELECT count(*) FROM quote WHERE symbol = 'NOPE'"), 0);

    const auto csv = Run({"history", "--format", "csv"});
    ASSERT_EQ(csv.exitCode, 0) << csv.err;
    ASSERT_EQ(Lines(csv.out), 3u) << csv.out;
    EXPECT_EQ(csv.out.substr(0, csv.out.find('\n') + 1),
              "time,total_value,position_pl,pl_today,realized_mtd,realized_ytd,category,"
              "quotes_asked,quotes_failed,source\r\n");
    EXPECT_NE(csv.out.find(",16225.00,1220.00,50.00,0.00,0.00,All,3,1,refresh\r\n"),
              std::string::npos)
        << csv.out;
    EXPECT_NE(csv.out.find(",16300.00,1295.00,125.00,0.00,0.00,All,3,1,refresh\r\n"),
              std::string::npos)
        << csv.out;

    const auto json = Run({"history", "--symbol", "IBM", "--format", "json"});
    ASSERT_EQ(json.exitCode, 0);
    EXPECT_EQ(Lines(json.out), 4u) << json.out;
    EXPECT_NE(json.out.find("\"symbol\": \"IBM\", \"country\": \"United States\", \"price\": "
                            "131.2500, \"change\": 0.7500, \"source\": \"refresh\"}"),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"price\": 132.0000, \"change\": 1.5000"), std::string::npos);

    const auto table = Run({"history"});
    EXPECT_EQ(table.out.substr(0, table.out.find('\n')),
              "Time                 Total Value  Position P/L  Total P/L Today  Realized MTD P/L"
              "  Realized YTD P/L  Category  Quotes  Failed  Source");
    EXPECT_NE(table.out.find("   16,300.00      1,295.00           125.00"), std::string::npos)
        << table.out;
    EXPECT_EQ(Run({"history", "--symbol", "NOPE"}).out, "No prices of NOPE in the price history\n");

    // The range ends are days; the wrong words are usage errors.
    const std::string today = IsoDateText(LocalDateOf(std::time(nullptr)));
    EXPECT_EQ(Lines(Run({"history", "--since", today, "--until", today, "--format", "csv"}).out),
              3u);
    EXPECT_EQ(Run({"history", "--until", "2001-01-01", "--format", "csv"}).out.find("\r\n2"),
              std::string::npos);
    const auto reversed = Run({"history", "--since", "2026-02-02", "--until", "2026-02-01"});
    EXPECT_EQ(reversed.exitCode, 2);
    EXPECT_EQ(reversed.err, "tfport: --until 2026-02-01 comes before --since 2026-02-02\n");
    EXPECT_EQ(Run({"history", "--since", "2026-02-30"}).exitCode, 2);
    EXPECT_EQ(Run({"history", "--format", "xml"}).exitCode, 2);
    EXPECT_EQ(Run({"history", "extra"}).exitCode, 2);
}

TEST_F(TfportHistoryTest, DailyKeepsEachDaysLastRowWithinTheRange)
{
    ASSERT_EQ(Run({"init"}).exitCode, 0);
    {
        CHistoryDb db;
        ASSERT_TRUE(db.Open(History(), EHistoryOpen::Create));
        for (int day = 1; day <= 4; ++day) {
            for (int hour : {10, 12, 16}) {
                SHistoryRefresh refresh =
                    history_test::SampleRefresh(StartOfLocalDay({2026, 2, day}) + hour * 3600, 1);
                refresh.totalValue = day * 100 + hour;
                ASSERT_TRUE(WriteRefresh(db, refresh));
            }
        }
    }
    const auto daily = Run({"history", "--daily", "--since", "2026-02-02", "--until", "2026-02-03",
                            "--format", "csv"});
    ASSERT_EQ(daily.exitCode, 0) << daily.err;
    EXPECT_EQ(daily.out.substr(daily.out.find('\n') + 1),
              "2026-02-02 16:00:00,216.00,1234.25,-12.75,0.00,500.00,All,2,1,refresh\r\n"
              "2026-02-03 16:00:00,316.00,1234.25,-12.75,0.00,500.00,All,2,1,refresh\r\n");
    const auto prices = Run({"history", "--symbol", "S0", "--daily", "--format", "csv"});
    EXPECT_EQ(Lines(prices.out), 5u) << prices.out;
    EXPECT_NE(prices.out.find("2026-02-04 15:59:59,S0,United States,100.0000,0.0000,refresh\r\n"),
              std::string::npos)
        << prices.out;
}

TEST_F(TfportHistoryTest, TextsFromAnotherWriterReachTheTerminalEscapedAndInItsEncoding)
{
    ASSERT_EQ(Run({"init"}).exitCode, 0);
    {
        CHistoryDb db;
        ASSERT_TRUE(db.Open(History(), EHistoryOpen::Create));
        SHistoryRefresh refresh = history_test::SampleRefresh(StartOfLocalDay({2026, 2, 2}), 1);
        refresh.category = "\xC9t\x1B[2J"; // E acute, then a terminal's clear-screen
        ASSERT_TRUE(WriteRefresh(db, refresh));
    }
    tf::test::SProcessOptions utf8 = Options();
    utf8.env.push_back({"LC_ALL", "C.UTF-8"});
    const auto table = tf::test::RunProcess({TFPORT_PATH, "history"}, utf8);
    ASSERT_EQ(table.exitCode, 0) << table.err;
    EXPECT_NE(table.out.find("\xC3\x89t\\x1b[2J"), std::string::npos) << table.out;
    EXPECT_EQ(table.out.find('\x1B'), std::string::npos);
    const auto json = tf::test::RunProcess({TFPORT_PATH, "history", "--format", "json"}, utf8);
    EXPECT_NE(json.out.find("\"category\": \"\xC3\x89t\\u001b[2J\""), std::string::npos)
        << json.out;
}

TEST_F(TfportHistoryTest, ImportedClosesShowAValueFromDayOneAndABadLineRefusesTheFile)
{
    // Trades with past dates, as a ledger with buy dates writes them.
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    doc.m_strCategoryFilter = "All";
    TradeValues ibm;
    ibm.symbol = "IBM";
    ibm.quantity = 100;
    ibm.price = 120;
    ibm.category = "Personal";
    ibm.country = "United States";
    AddBuy(doc, ibm, static_cast<std::int32_t>(StartOfLocalDay({2025, 6, 2}) + 36000));
    ASSERT_TRUE(WritePortfolioFile(m_dir.File("info.kgw"), doc).bOk);

    tf::test::WriteFileBytes(m_dir / "closes.csv", "date,symbol,close\n"
                                                   "2025-06-01,IBM,118\n"
                                                   "2025-06-02,IBM,121.5\n"
                                                   "2025-06-03,IBM,122\n"
                                                   "2025-06-03,XYZ,9\n");
    const auto imported = Run({"history", "import", "closes.csv"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(imported.out, "Imported 4 close(s) of 2 symbol(s) from 2025-06-01 to 2025-06-03 "
                            "into info.kgw.history.sqlite\n");
    EXPECT_EQ(imported.err, "tfport: note: no trade of the portfolio is in XYZ; its closes are "
                            "kept but count in no value\n");
    const auto values = Run({"history", "--format", "csv"});
    EXPECT_EQ(values.out.substr(values.out.find('\n') + 1),
              "2025-06-02 23:59:59,12150.00,150.00,,,,All,,,computed\r\n"
              "2025-06-03 23:59:59,12200.00,200.00,,,,All,,,computed\r\n");
    const auto json = Run({"history", "--format", "json", "--since", "2025-06-03"});
    EXPECT_NE(json.out.find("\"pl_today\": null"), std::string::npos) << json.out;

    tf::test::WriteFileBytes(m_dir / "bad.csv", "date,symbol,close\n"
                                                "2025-06-04,IBM,123\n"
                                                "2025-06-05,IBM,n/a\n");
    const auto bad = Run({"history", "import", "bad.csv"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.err, "tfport: bad.csv, line 3: the close is not a number: \"n/a\"; nothing was "
                       "imported\n");
    EXPECT_EQ(Count("quote"), 4) << "not even the good line 2";
    EXPECT_EQ(Run({"history", "import", "missing.csv"}).exitCode, 1);
    EXPECT_EQ(Run({"history", "import"}).exitCode, 2);

    // The file is named as the file system spells it, even in characters no trade can hold.
    const std::string strName = "\xE6\x97\xA5\xE6\x9C\xAC-closes.csv";
    tf::test::WriteFileBytes(m_dir / strName, "date,symbol,close\n2025-06-04,IBM,123\n");
    tf::test::SProcessOptions utf8 = Options();
    utf8.env.push_back({"LC_ALL", "C.UTF-8"});
    const auto named = tf::test::RunProcess({TFPORT_PATH, "history", "import", strName}, utf8);
    EXPECT_EQ(named.exitCode, 0) << named.err;
    EXPECT_EQ(Count("quote"), 5);
}

TEST_F(TfportHistoryTest, HelpNamesTheHistoryCommands)
{
    const auto help = Run({"help", "history"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("usage: tfport history [--symbol S] [--since DATE]", 0), 0u)
        << help.out;
    EXPECT_NE(help.out.find("tfport history import FILE"), std::string::npos);
    EXPECT_NE(help.out.find("Dates: "), std::string::npos) << "--since and --until take dates";
    EXPECT_NE(Run({"--help"}).out.find("\n  history   "), std::string::npos);
    const auto bad = Run({"history", "--since", "yesterday"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.err.rfind("tfport: --since: \"yesterday\" is not a date", 0), 0u) << bad.err;
}

TEST_F(TfportHistoryTest, ADamagedOrFullHistoryNeverStopsTheRefreshOrItsSave)
{
    MakePortfolio(false);
    tf::test::WriteFileBytes(History(), std::string(5000, 'x'));
    const auto damaged = Run({"refresh"});
    ASSERT_EQ(damaged.exitCode, 0) << damaged.err;
    EXPECT_EQ(damaged.err.find("tfport: The price history was damaged; it is kept as " + History() +
                               ".damaged-"),
              std::string::npos)
        << "named as the tool was given it";
    EXPECT_EQ(damaged.err.rfind("tfport: The price history was damaged; it is kept as "
                                "info.kgw.history.sqlite.damaged-",
                                0),
              0u)
        << damaged.err;
    EXPECT_EQ(Lines(damaged.err), 1u) << damaged.err;
    EXPECT_EQ(StoredPrice("IBM"), 131.25);
    EXPECT_EQ(Count("refresh"), 1) << "the new history took the refresh";

    // No file may grow past 2 KB: the portfolio still fits, the history's log does not.
    m_book.Set("IBM", {140.0, 2.0, 138.0, 139.9});
    const auto full = RunWithFileLimit(2, "refresh");
    ASSERT_EQ(full.exitCode, 0) << full.err;
    EXPECT_EQ(full.err, "tfport: Price history not written (info.kgw.history.sqlite): the disk "
                        "reported an error (File too large)\n");
    EXPECT_EQ(StoredPrice("IBM"), 140.0) << "the portfolio is saved as always";
    EXPECT_EQ(Count("refresh"), 1);
}

TEST_F(TfportHistoryTest, RefreshesRunningAtOnceAllLand)
{
    MakePortfolio(false);
    constexpr int kWriters = 4;
    std::vector<std::unique_ptr<tf::test::CChildProcess>> writers;
    for (int i = 0; i < kWriters; ++i) {
        writers.push_back(std::make_unique<tf::test::CChildProcess>());
        ASSERT_TRUE(writers.back()->Start({TFPORT_PATH, "refresh"}, Options()));
    }
    for (auto& writer : writers) {
        const auto result = writer->Wait();
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.err.find("Price history"), std::string::npos) << result.err;
    }
    EXPECT_EQ(Count("refresh"), kWriters);
    EXPECT_EQ(Count("quote"), 2 * kWriters);
}
