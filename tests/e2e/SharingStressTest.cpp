// All writers of one portfolio at once, for a bounded time: rounds of 20 parallel
// `tfport buy`, `tfport refresh` against a quote server that answers slowly, HotSyncs
// through tfsync carrying trades entered on the handheld, and the real window under Xvfb
// refreshing on Refresh Now. Afterwards every buy that reported success is in the file
// exactly once, and every handheld trade is on both sides exactly once.
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "conduit/HandheldRecord.h"
#include "model/BlotterSpace.h"
#include "model/PortfolioFile.h"
#include "platform/synckit/FolderHandheld.h"
#include "tests/support/httpserver/ScriptedHttpServer.h"
#include "tests/support/process/ChildProcess.h"
#include "tests/support/tempdir/TempDir.h"
#include "tools/tfquoted/QuoteBook.h"
#include "tools/tfquoted/QuoteService.h"

using namespace std::chrono_literals;
using tf::test::CChildProcess;
using tf::test::RunProcess;
using tf::test::SProcessOptions;
using tf::test::SProcessResult;

namespace {
// How long the writers run together.
constexpr auto kStressTime = 8s;
constexpr int kParallelBuys = 20;
// Every quote of the slow server takes this long.
constexpr int kSlowQuoteMs = 1500;
// Positions bought during the run trade here: their quotes come from the fast regional
// server, so the slow server holds each refresh for its first positions only.
constexpr const char* kStressCountry = "United Kingdom";
// What the regional server answers for them: a refresh that finds every price ends with 0.
constexpr ServedQuote kBoughtQuote{10.0, 0.1, 9.9, 9.95};

// A quote service that counts what it is asked.
QuoteServiceOptions Counting(std::atomic<int>& requests)
{
    QuoteServiceOptions options;
    options.log = [&requests](const std::string&) { ++requests; };
    return options;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

class SharingStress : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_dir / "data");
        std::filesystem::create_directories(m_dir / "handheld");
        m_book.Set("IBM", {131.25, 0.75, 130.50, 131.20});
        m_book.Set("MSFT", {310.0, -2.5, 312.5, 309.9});
        ASSERT_GT(m_windowPort = m_windowQuotes.Bind("127.0.0.1", 0), 0);
        m_windowQuotes.Start();
        ASSERT_GT(m_regionalPort = m_regionalQuotes.Bind("127.0.0.1", 0), 0);
        m_regionalQuotes.Start();
        ScriptedReply slow;
        slow.strBody = "\"IBM\",123.5,\"3/5/2026\",\"4:00pm\",-0.25,1,2,3,4\r\n";
        slow.nStallBeforeMs = kSlowQuoteMs;
        m_slowQuotes.Script("/d/quotes.csv", slow);
        ASSERT_TRUE(m_slowQuotes.Start());
    }
    void TearDown() override
    {
        m_slowQuotes.Stop();
        m_regionalQuotes.Stop();
        m_windowQuotes.Stop();
    }

    std::string Portfolio() const { return (m_dir / "data" / "info.kgw").string(); }
    SProcessOptions TfportOptions() const
    {
        SProcessOptions options;
        options.env = {
            {"TALLYFERN_US_QUOTE_SERVER", m_slowQuotes.Address()},
            {"TALLYFERN_REGIONAL_QUOTE_SERVER", "127.0.0.1:" + std::to_string(m_regionalPort)}};
        options.unsetEnv = {"TALLYFERN_LOCK_WAIT"};
        options.timeout = 60s;
        return options;
    }
    std::vector<std::string> Tfport(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {TF_TFPORT_PATH, "--file", Portfolio()});
        return args;
    }
    std::vector<std::string> HotSync() const
    {
        return {TF_TFSYNC_PATH,
                "--handheld",
                (m_dir / "handheld").string(),
                "--user-dir",
                (m_dir / "data").string(),
                "--local-file",
                "info.kgw"};
    }
    SProcessOptions Display() const
    {
        SProcessOptions options;
        options.env = {{"DISPLAY", m_strDisplay}};
        options.timeout = 10s;
        return options;
    }

    tf::test::CTempDir m_dir{"tf-sharing-stress"};
    CQuoteBook m_book;
    std::atomic<int> m_nWindowRequests{0};
    CQuoteService m_windowQuotes{m_book, Counting(m_nWindowRequests)};
    CQuoteService m_regionalQuotes{m_book, QuoteServiceOptions{}};
    CScriptedHttpServer m_slowQuotes;
    int m_windowPort = 0;
    int m_regionalPort = 0;
    std::string m_strDisplay;
};
} // namespace

TEST_F(SharingStress, EveryWriterAtOnceLosesNothing)
{
    ASSERT_EQ(RunProcess(Tfport({"init"})).exitCode, 0);
    ASSERT_EQ(RunProcess(Tfport({"buy", "IBM", "100", "120"})).exitCode, 0);
    ASSERT_EQ(RunProcess(Tfport({"buy", "MSFT", "10", "300"})).exitCode, 0);
    ASSERT_EQ(RunProcess(HotSync()).exitCode, 0);

    // The display: Xvfb picks a free one and names it on its standard output.
    CChildProcess xvfb;
    ASSERT_TRUE(
        xvfb.Start({"Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"}));
    ASSERT_TRUE(WaitFor([&] { return xvfb.Output().find('\n') != std::string::npos; }, 10s))
        << "Xvfb did not start: " << xvfb.Errors();
    m_strDisplay = ":" + xvfb.Output().substr(0, xvfb.Output().find('\n'));

    CChildProcess window;
    SProcessOptions windowOptions = Display();
    windowOptions.workingDir = (m_dir / "data").string();
    const std::string windowServer = "127.0.0.1:" + std::to_string(m_windowPort);
    for (const char* role : {"US", "REGIONAL", "AUNZ", "SWISS", "OPTIONS"})
        windowOptions.env.emplace_back(std::string("TALLYFERN_") + role + "_QUOTE_SERVER",
                                       windowServer);
    windowOptions.env.emplace_back("TALLYFERN_MAKER_SERVER", windowServer);
    windowOptions.unsetEnv = {"QT_QPA_PLATFORM", "TALLYFERN_LOCK_WAIT"};
    ASSERT_TRUE(window.Start({TF_TALLYFERN_PATH}, windowOptions));
    std::string windowId;
    ASSERT_TRUE(WaitFor(
        [&] {
            SProcessResult found =
                RunProcess({"xdotool", "search", "--name", "^Tallyfern Desktop"}, Display());
            windowId = found.out.substr(0, found.out.find('\n'));
            if (windowId.empty())
                return false;
            return RunProcess({"xdotool", "getwindowname", windowId}, Display())
                       .out.find("Last refresh on") != std::string::npos;
        },
        20s))
        << "the window did not come up: " << window.Errors();

    std::mutex mutex;
    std::map<std::string, int> boughtReported; // symbol -> reported successes
    int buysRun = 0;
    int buysRefused = 0;
    int refreshesRun = 0;
    int refreshesOk = 0;
    int hotSyncsRun = 0;
    int hotSyncsOk = 0;
    int clicks = 0;
    std::vector<std::string> handheldTrades;
    const auto deadline = std::chrono::steady_clock::now() + kStressTime;
    auto running = [&] { return std::chrono::steady_clock::now() < deadline; };

    const int windowRequestsBefore = m_nWindowRequests;
    std::thread buyers([&] {
        for (int round = 0; round == 0 || running(); ++round) {
            std::vector<std::unique_ptr<CChildProcess>> batch;
            std::vector<std::string> symbols;
            for (int i = 0; i < kParallelBuys; ++i) {
                symbols.push_back("B" + std::to_string(round) + "x" + std::to_string(i));
                m_book.Set(symbols.back(), kBoughtQuote);
                batch.push_back(std::make_unique<CChildProcess>());
                batch.back()->Start(Tfport({"buy", symbols.back(), std::to_string(i + 1), "10",
                                            "--country", kStressCountry}),
                                    TfportOptions());
            }
            for (int i = 0; i < kParallelBuys; ++i) {
                SProcessResult result = batch[i]->Wait(60s);
                std::lock_guard<std::mutex> lock(mutex);
                ++buysRun;
                if (result.exitCode == 0 && result.out.rfind("Trade ", 0) == 0)
                    ++boughtReported[symbols[i]];
                else
                    ++buysRefused;
            }
        }
    });
    std::thread refresher([&] {
        while (running()) {
            SProcessResult result = RunProcess(Tfport({"refresh"}), TfportOptions());
            std::lock_guard<std::mutex> lock(mutex);
            ++refreshesRun;
            refreshesOk += result.exitCode == 0;
        }
    });
    std::thread syncer([&] {
        for (int k = 0; running(); ++k) {
            const std::string symbol = "H" + std::to_string(k);
            m_book.Set(symbol, kBoughtQuote);
            SProcessResult added =
                RunProcess({TF_TFSYNC_PATH, "handheld", "add", "--handheld",
                            (m_dir / "handheld").string(), "--symbol", symbol, "--quantity",
                            std::to_string(k + 1), "--price", "3", "--country", kStressCountry});
            SProcessResult synced = RunProcess(HotSync());
            std::lock_guard<std::mutex> lock(mutex);
            if (added.exitCode == 0)
                handheldTrades.push_back(symbol);
            ++hotSyncsRun;
            hotSyncsOk += synced.exitCode == 0;
        }
    });
    std::thread clicker([&] {
        while (running()) {
            RunProcess({"xdotool", "windowfocus", "--sync", windowId}, Display());
            RunProcess({"xdotool", "key", "alt+r"}, Display());
            ++clicks;
            std::this_thread::sleep_for(200ms);
        }
    });
    buyers.join();
    refresher.join();
    syncer.join();
    clicker.join();

    // The window saves once more as it ends; one more HotSync brings both sides level.
    window.Signal(SIGTERM);
    SProcessResult ended = window.Wait(30s);
    EXPECT_EQ(ended.exitCode, 0) << ended.err;
    SProcessResult last = RunProcess(HotSync());
    ASSERT_EQ(last.exitCode, 0) << last.out;
    xvfb.Signal(SIGTERM);
    xvfb.Wait(10s);

    CBlotterSpace doc;
    ASSERT_EQ(ReadPortfolioFile(Portfolio(), doc).status, PortfolioReadStatus::Read);
    std::map<std::string, int> inFile;
    for (const TradeRecord& trade : doc.m_trades)
        ++inFile[TradeSymbol(trade)];
    for (const auto& [symbol, count] : boughtReported)
        EXPECT_EQ(inFile[symbol], 1) << symbol;
    tf::synckit::CFolderHandheld folder((m_dir / "handheld").string());
    tf::synckit::HandheldDatabase viewer;
    ASSERT_EQ(folder.LoadDatabase("TallyfernDB", viewer, nullptr), kSkOk);
    std::map<std::string, int> onHandheld;
    for (const tf::synckit::StoredRecord& record : viewer.records) {
        TradeRecord trade;
        tf::conduit::UnpackHandheldRecord(record.data.data(), record.data.size(), trade);
        ++onHandheld[TradeSymbol(trade)];
    }
    for (const std::string& symbol : handheldTrades) {
        EXPECT_EQ(inFile[symbol], 1) << symbol;
        EXPECT_EQ(onHandheld[symbol], 1) << symbol;
    }
    EXPECT_EQ(inFile["IBM"], 1);
    EXPECT_EQ(inFile["MSFT"], 1);
    // Nothing but the expected trades: every one once.
    const std::size_t expected = boughtReported.size() + handheldTrades.size() + 2;
    EXPECT_EQ(doc.m_trades.GetCount(), expected);
    EXPECT_GT(refreshesOk, 0);
    EXPECT_GT(hotSyncsOk, 0);
    const int windowRequests = m_nWindowRequests - windowRequestsBefore;
    EXPECT_GT(windowRequests, 0) << "the window never refreshed";

    std::cout << "stress: " << buysRun << " tfport buy (" << boughtReported.size()
              << " reported success, " << buysRefused << " did not), " << refreshesRun
              << " tfport refresh (" << refreshesOk << " ok), " << hotSyncsRun << " HotSyncs ("
              << hotSyncsOk << " wrote the file) carrying " << handheldTrades.size()
              << " handheld trades, " << clicks << " Refresh Now in the window (" << windowRequests
              << " quotes asked); trades expected " << expected << ", found "
              << doc.m_trades.GetCount() << "\n";
}
