// One fetching refresh of the engine (fetch every distinct quote, apply, rows and totals),
// concurrent beside the sequential cycle in the same run:
//   - 100 positions at a server that answers each request after 100 ms;
//   - 10 positions at a server that accepts and never answers (the sequential side waits the
//     stall limit, 30 s, per position: run it alone with --benchmark_filter=Silent);
//   - 500 positions against the local quote service (tfquoted's).
// Run: build/bench/engine/bench_refresh_cycle
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "bench/support/RefreshBenchSupport.h"
#include "engine/RefreshCycle.h"
#include "quotes/QuoteServers.h"
#include "tools/tfquoted/QuoteBook.h"
#include "tools/tfquoted/QuoteService.h"

namespace {

constexpr int kSlowPositions = 100;
constexpr int kSlowReplyMs = 100;
constexpr int kSilentPositions = 10;
constexpr int kLocalPositions = 500;

enum ECycle { kSequential = 0, kConcurrent = 1 };

// Runs one refresh per iteration and counts what arrived and what failed.
void RunCycles(benchmark::State& state, int nPositions, bool bAllArrive)
{
    const QuoteBatchFunction fetch =
        state.range(0) == kSequential ? QuoteBatchFunction(FetchOneAfterAnother) : FetchQuotes;
    const CBlotterSpace original = MakeBenchPortfolio(nPositions);
    const SQuoteBatchOptions options = QuoteBatchOptionsFromEnvironment();
    int nFailed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CBlotterSpace doc = original;
        state.ResumeTiming();
        const RefreshResult result =
            RunRefresh(doc, true, fetch, nullptr, std::time(nullptr), options);
        nFailed = result.nQuotesFailed;
        benchmark::DoNotOptimize(result.totals);
    }
    state.counters["quotes"] = nPositions;
    state.counters["failed"] = nFailed;
    state.SetLabel(state.range(0) == kSequential ? "sequential" : "concurrent");
    if (bAllArrive && nFailed != 0)
        state.SkipWithError("quotes failed");
    if (!bAllArrive && nFailed != nPositions)
        state.SkipWithError("a silent server gave quotes");
}

void BM_SlowServer100(benchmark::State& state)
{
    CDelayedQuoteServer server(kSlowReplyMs);
    if (!server.IsRunning()) {
        state.SkipWithError("cannot listen on loopback");
        return;
    }
    RunCycles(state, kSlowPositions, true);
}
BENCHMARK(BM_SlowServer100)
    ->Arg(kSequential)
    ->Arg(kConcurrent)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_SilentServer10(benchmark::State& state)
{
    CSilentQuoteServer server;
    if (!server.IsRunning()) {
        state.SkipWithError("cannot listen on loopback");
        return;
    }
    RunCycles(state, kSilentPositions, false);
}
BENCHMARK(BM_SilentServer10)
    ->Arg(kSequential)
    ->Arg(kConcurrent)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

void BM_LocalService500(benchmark::State& state)
{
    CQuoteBook book;
    for (int n = 0; n < kLocalPositions; ++n) {
        ServedQuote quote;
        quote.dPrice = 30 + n % 17;
        quote.dChange = (n % 5) - 2;
        quote.dPreviousClose = quote.dPrice - quote.dChange;
        book.Set(BenchSymbol(n), quote);
    }
    CQuoteService service(book, QuoteServiceOptions{});
    const int nPort = service.Bind("127.0.0.1", 0);
    if (nPort <= 0) {
        state.SkipWithError("cannot listen on loopback");
        return;
    }
    service.Start();
    const std::string strAddress = "127.0.0.1:" + std::to_string(nPort);
    setenv(QuoteServerVariable(QuoteServerRole::UsQuotes), strAddress.c_str(), 1);
    RunCycles(state, kLocalPositions, true);
    unsetenv(QuoteServerVariable(QuoteServerRole::UsQuotes));
    service.Stop();
}
BENCHMARK(BM_LocalService500)
    ->Arg(kSequential)
    ->Arg(kConcurrent)
    ->Iterations(5)
    ->Repetitions(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
