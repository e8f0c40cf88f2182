// The main window's refresh: without fetching over 10,000 open positions (pricing from the
// stored values, rows, totals, tray and the save of a 1.7 MB file); with fetching over 200
// positions against the local quote service on loopback; and the longest time the interface
// thread is busy during a refresh of 100 positions at a server that answers each request
// after 100 ms, beside the sequential cycle run on the interface thread as it once was.
// Run: build/bench/app/bench_app_refresh
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>
#include <string>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "app/BlotterDlg.h"
#include "bench/app/BenchApp.h"
#include "bench/support/RefreshBenchSupport.h"
#include "model/PortfolioFile.h"
#include "model/TradeRecord.h"
#include "quotes/FetchQuote.h"
#include "quotes/QuoteServers.h"
#include "tests/support/tempdir/TempDir.h"
#include "tests/support/trayshell/RecordingShellHost.h"
#include "tools/tfquoted/QuoteBook.h"
#include "tools/tfquoted/QuoteService.h"

namespace {

constexpr int kOfflinePositions = 10000;
constexpr int kFetchedPositions = 200;
constexpr int kSlowPositions = 100;
constexpr int kSlowReplyMs = 100;
// Each refresh is waited for at most this long.
constexpr int kRefreshWaitMs = 120000;

enum ECycle { kSequential = 0, kConcurrent = 1 };

// A folder with an info.kgw of nPositions open buys; removed with the object.
class CPortfolioFolder
{
  public:
    explicit CPortfolioFolder(int nPositions)
    {
        CBlotterSpace doc = MakeBenchPortfolio(nPositions);
        WritePortfolioFile(Path(), doc);
    }
    std::string Path() const { return m_folder.File("info.kgw"); }

  private:
    tf::test::CTempDir m_folder{"tf_bench_app"};
};

// Processes events until the window's refresh has ended.
bool WaitForRefresh(CBlotterDlg& dlg)
{
    QElapsedTimer waited;
    waited.start();
    while (dlg.IsBusy() && waited.elapsed() < kRefreshWaitMs)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return !dlg.IsBusy();
}

// Opens the window and lets its first refresh end.
std::unique_ptr<CBlotterDlg> OpenWindow(const std::string& strPath, QuoteBatchFunction fetch)
{
    SBlotterServices services;
    services.fetchQuotes = std::move(fetch);
    services.fetchVersion = [](double& dVersion, const SQuoteBatchOptions&) { dVersion = 0; };
    services.strPortfolioPath = strPath;
    auto pDlg = std::make_unique<CBlotterDlg>(services);
    pDlg->Create();
    WaitForRefresh(*pDlg);
    return pDlg;
}

// Every quote fails at once: a window without a quote source.
std::vector<SQuoteReply> NoQuotes(const std::vector<SQuoteRequest>& requests,
                                  const SQuoteBatchOptions&)
{
    std::vector<SQuoteReply> replies;
    for (const SQuoteRequest& request : requests)
        replies.push_back(FailedQuote(request, EQuoteFailure::kRefused));
    return replies;
}

// The longest stretch between two ticks of a 1 ms timer while work() runs on this thread and
// done() is not yet true: how long the interface thread was busy at a time.
template <class Work, class Done> qint64 LongestBusyMs(Work work, Done done)
{
    QElapsedTimer sinceTick;
    qint64 nLongest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { nLongest = std::max(nLongest, sinceTick.restart()); });
    ticker.start(1);
    sinceTick.start();
    work();
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < kRefreshWaitMs)
        QApplication::processEvents(QEventLoop::AllEvents, 1);
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    ticker.stop();
    return std::max(nLongest, sinceTick.elapsed());
}

void BM_RefreshWithoutFetching10000(benchmark::State& state)
{
    BenchApp();
    CRecordingShellHost shell;
    CPortfolioFolder folder(kOfflinePositions);
    // The start's own refresh finds no quote source.
    auto pDlg = OpenWindow(folder.Path(), NoQuotes);
    for (auto _ : state)
        pDlg->Refresh(false);
    state.counters["rows"] = static_cast<double>(pDlg->Grid().GetRowCount());
}
BENCHMARK(BM_RefreshWithoutFetching10000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_FetchingRefresh200(benchmark::State& state)
{
    BenchApp();
    CRecordingShellHost shell;
    CQuoteBook book;
    for (int n = 0; n < kFetchedPositions; ++n) {
        ServedQuote quote;
        quote.dPrice = 30 + n % 17;
        quote.dChange = (n % 5) - 2;
        book.Set(BenchSymbol(n), quote);
    }
    CQuoteService service(book, QuoteServiceOptions{});
    const int nPort = service.Bind("127.0.0.1", 0);
    if (nPort < 0) {
        state.SkipWithError("cannot listen on loopback");
        return;
    }
    service.Start();
    const std::string strAddress = "127.0.0.1:" + std::to_string(nPort);
    setenv(QuoteServerVariable(QuoteServerRole::UsQuotes), strAddress.c_str(), 1);

    CPortfolioFolder folder(kFetchedPositions);
    auto pDlg = OpenWindow(folder.Path(), FetchQuotes);
    for (auto _ : state) {
        pDlg->Refresh(true);
        if (!WaitForRefresh(*pDlg)) {
            state.SkipWithError("the refresh did not end");
            break;
        }
    }
    state.counters["rows"] = static_cast<double>(pDlg->Grid().GetRowCount());
    state.counters["failed"] = pDlg->LastRefresh().nQuotesFailed;
    pDlg.reset();
    unsetenv(QuoteServerVariable(QuoteServerRole::UsQuotes));
    service.Stop();
}
BENCHMARK(BM_FetchingRefresh200)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_InterfaceThreadDuringRefresh100(benchmark::State& state)
{
    BenchApp();
    CRecordingShellHost shell;
    CDelayedQuoteServer server(kSlowReplyMs);
    if (!server.IsRunning()) {
        state.SkipWithError("cannot listen on loopback");
        return;
    }
    CPortfolioFolder folder(kSlowPositions);
    auto pDlg = OpenWindow(folder.Path(), FetchQuotes);
    qint64 nLongest = 0;
    for (auto _ : state) {
        if (state.range(0) == kConcurrent) {
            nLongest = std::max(nLongest, LongestBusyMs([&] { pDlg->Refresh(true); },
                                                        [&] { return !pDlg->IsBusy(); }));
        } else {
            // The cycle as it ran before: every request in turn on the interface thread.
            CBlotterSpace doc = pDlg->Document();
            nLongest = std::max(nLongest, LongestBusyMs(
                                              [&] {
                                                  RunRefresh(doc, true, FetchOneAfterAnother,
                                                             nullptr, std::time(nullptr));
                                              },
                                              [] { return true; }));
        }
    }
    state.counters["longest_busy_ms"] = static_cast<double>(nLongest);
    state.counters["failed"] = pDlg->LastRefresh().nQuotesFailed;
    state.SetLabel(state.range(0) == kSequential ? "sequential" : "concurrent");
}
BENCHMARK(BM_InterfaceThreadDuringRefresh100)
    ->Arg(kSequential)
    ->Arg(kConcurrent)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
