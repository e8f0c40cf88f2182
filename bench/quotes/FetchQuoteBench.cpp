// 1,000 FetchQuote calls against the local quote service beside 1,000 requests for the same
// URL made by a bare libcurl loop with one easy handle per request; prints both and their
// ratio. Run: build/bench/quotes/bench_quotes
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <curl/curl.h>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "quotes/FetchQuote.h"
#include "quotes/QuoteServers.h"
#include "tools/tfquoted/QuoteBook.h"
#include "tools/tfquoted/QuoteService.h"

namespace {

// Requests each side makes in one run.
constexpr int kRequests = 1000;
// Runs of each side; the median is compared, so one disturbed run does not decide.
constexpr int kRuns = 5;
// Requests made before timing, so the first run does not pay for warming up.
constexpr int kWarmUpRequests = 100;

struct LocalService
{
    CQuoteBook book;
    std::unique_ptr<CQuoteService> pService;
    std::string strAddress;

    LocalService()
    {
        ServedQuote quote;
        quote.dPrice = 123.5;
        quote.dChange = 0.75;
        quote.dPreviousClose = 122.75;
        quote.dBid = 123.25;
        book.Set("IBM", quote);
        pService = std::make_unique<CQuoteService>(book, QuoteServiceOptions());
        const int nPort = pService->Bind("127.0.0.1", 0);
        if (nPort <= 0) {
            std::fprintf(stderr, "cannot bind a loopback port\n");
            std::exit(1);
        }
        pService->Start();
        strAddress = "127.0.0.1:" + std::to_string(nPort);
        setenv(QuoteServerVariable(QuoteServerRole::UsQuotes), strAddress.c_str(), 1);
        for (int i = 0; i < kWarmUpRequests; ++i) {
            double dPrice = 0.0;
            double dChange = 0.0;
            FetchQuote("IBM", "United States", 0, dPrice, dChange);
        }
    }
};

LocalService& Service()
{
    static LocalService service;
    return service;
}

std::size_t CollectBody(char* pData, std::size_t nSize, std::size_t nCount, void* pUser)
{
    static_cast<std::string*>(pUser)->append(pData, nSize * nCount);
    return nSize * nCount;
}

void BM_FetchQuote(benchmark::State& state)
{
    Service();
    for (auto _ : state) {
        double dPrice = 0.0;
        double dChange = 0.0;
        if (FetchQuote("IBM", "United States", 0, dPrice, dChange) != kFetchOk || dPrice != 123.5) {
            state.SkipWithError("fetch failed");
            break;
        }
        benchmark::DoNotOptimize(dChange);
    }
}

void BM_BareCurl(benchmark::State& state)
{
    const std::string strUrl =
        "http://" + Service().strAddress + "/d/quotes.csv?s=IBM&f=sl1d1t1c1ohgv&e=.csv";
    curl_slist* pHeaders = curl_slist_append(nullptr, "Accept: text/*");
    pHeaders = curl_slist_append(pHeaders, "User-Agent: Tallyfern");
    for (auto _ : state) {
        std::string strBody;
        CURL* h = curl_easy_init();
        curl_easy_setopt(h, CURLOPT_URL, strUrl.c_str());
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, pHeaders);
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CollectBody);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &strBody);
        const CURLcode rc = curl_easy_perform(h);
        curl_easy_cleanup(h);
        if (rc != CURLE_OK || strBody.empty()) {
            state.SkipWithError("request failed");
            break;
        }
        benchmark::DoNotOptimize(strBody);
    }
    curl_slist_free_all(pHeaders);
}

BENCHMARK(BM_BareCurl)->Iterations(kRequests)->Unit(benchmark::kMicrosecond)->Repetitions(kRuns);
BENCHMARK(BM_FetchQuote)->Iterations(kRequests)->Unit(benchmark::kMicrosecond)->Repetitions(kRuns);

// Keeps the median of each benchmark's runs to print the ratio at the end.
class CRatioReporter : public benchmark::ConsoleReporter
{
  public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                m_medians[run.run_name.function_name] = run.GetAdjustedRealTime();
                m_cpuMedians[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> m_medians;
    std::map<std::string, double> m_cpuMedians;
};

} // namespace

int main(int argc, char** argv)
{
    // Interleave the runs of the two sides so that a busy spell of the machine falls on
    // both alike; a flag on the command line can still turn it off.
    std::vector<char*> args(argv, argv + argc);
    std::string strInterleave = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, strInterleave.data());
    int nArgs = static_cast<int>(args.size());
    benchmark::Initialize(&nArgs, args.data());
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto fetch = reporter.m_medians.find("BM_FetchQuote");
    const auto bare = reporter.m_medians.find("BM_BareCurl");
    if (fetch != reporter.m_medians.end() && bare != reporter.m_medians.end() && bare->second > 0) {
        const double dFetchCpu = reporter.m_cpuMedians["BM_FetchQuote"];
        const double dBareCpu = reporter.m_cpuMedians["BM_BareCurl"];
        std::printf("median of %d runs of %d requests: FetchQuote %.1f us/call, bare libcurl "
                    "%.1f us/request, ratio %.3f (client CPU %.1f vs %.1f us, ratio %.3f)\n",
                    kRuns, kRequests, fetch->second, bare->second, fetch->second / bare->second,
                    dFetchCpu, dBareCpu, dBareCpu > 0 ? dFetchCpu / dBareCpu : 0.0);
    }
    Service().pService->Stop();
    return 0;
}
