// The main window's refresh: without fetching over 10,000 open positions (pricing from the
// stored values, rows, totals, tray and the save of a 1.7 MB file), and with fetching over
// 200 positions against the local quote service on loopback.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>
#include <string>

#include <QApplication>

#include "app/AppResources.h"
#include "app/BlotterDlg.h"
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

QApplication& App()
{
    static int argc = 1;
    static char name[] = "bench_app_refresh";
    static char* argv[] = {name, nullptr};
    static auto* pApp = [] {
        if (std::getenv("QT_QPA_PLATFORM") == nullptr)
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        auto* p = new QApplication(argc, argv);
        RegisterAppResources();
        return p;
    }();
    return *pApp;
}

std::string SymbolOf(int n)
{
    return "S" + std::to_string(n);
}

// A folder with an info.kgw of nPositions open buys; removed with the object.
class CPortfolioFolder
{
  public:
    explicit CPortfolioFolder(int nPositions)
    {
        CBlotterSpace doc;
        doc.m_bAutoRefresh = 0;
        doc.m_nRefreshMinutes = 10;
        doc.m_strCategoryFilter = "All";
        doc.m_bCheckVersion = 0;
        doc.AddDefaultCategories();
        doc.m_trades.Reserve(static_cast<std::size_t>(nPositions));
        for (int n = 0; n < nPositions; ++n) {
            TradeRecord trade = MakeEmptyTrade();
            trade.id = n + 1;
            SetTradeSymbol(trade, SymbolOf(n));
            SetTradeCategory(trade, n % 2 == 0 ? "Personal" : "Business");
            SetTradeCountry(trade, "United States");
            trade.quantity = 10 + n % 90;
            trade.price = 20 + n % 50;
            trade.currentPrice = 21 + n % 40;
            trade.dayChange = (n % 7) - 3;
            doc.m_trades.AddTail(trade);
        }
        WritePortfolioFile(Path(), doc);
    }
    std::string Path() const { return m_folder.File("info.kgw"); }

  private:
    tf::test::CTempDir m_folder{"tf_bench_app"};
};

std::unique_ptr<CBlotterDlg> OpenWindow(const std::string& strPath, QuoteFunction quote)
{
    SBlotterServices services;
    services.quote = std::move(quote);
    services.fetchVersion = [](double& dVersion) { dVersion = 0; };
    services.strPortfolioPath = strPath;
    auto pDlg = std::make_unique<CBlotterDlg>(services);
    pDlg->Create();
    return pDlg;
}

void BM_RefreshWithoutFetching10000(benchmark::State& state)
{
    App();
    CRecordingShellHost shell;
    CPortfolioFolder folder(kOfflinePositions);
    // The start's own refresh asks nothing: no quote source.
    auto pDlg = OpenWindow(folder.Path(), [](const std::string&, const std::string&, int, double&,
                                             double&) { return 2; });
    for (auto _ : state)
        pDlg->Refresh(false);
    state.counters["rows"] = static_cast<double>(pDlg->Grid().GetRowCount());
}
BENCHMARK(BM_RefreshWithoutFetching10000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_FetchingRefresh200(benchmark::State& state)
{
    App();
    CRecordingShellHost shell;
    CQuoteBook book;
    for (int n = 0; n < kFetchedPositions; ++n) {
        ServedQuote quote;
        quote.dPrice = 30 + n % 17;
        quote.dChange = (n % 5) - 2;
        book.Set(SymbolOf(n), quote);
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
    auto pDlg = OpenWindow(folder.Path(), FetchQuote);
    for (auto _ : state)
        pDlg->Refresh(true);
    state.counters["rows"] = static_cast<double>(pDlg->Grid().GetRowCount());
    pDlg.reset();
    unsetenv(QuoteServerVariable(QuoteServerRole::UsQuotes));
    service.Stop();
}
BENCHMARK(BM_FetchingRefresh200)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
