// Opening the History window on two years of daily closes of 100 symbols held in the
// portfolio: reading the history, valuing each day's holdings, building the chart and
// drawing it once, as a person opening the window waits for it.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include <QApplication>
#include <QLineSeries>

#include "app/HistoryDlg.h"
#include "bench/app/BenchApp.h"
#include "engine/history/CloseImport.h"
#include "engine/history/LocalDays.h"
#include "model/BlotterSpace.h"

namespace {

constexpr int kSymbols = 100;
constexpr int kDays = 730;
// 2026-03-05 14:07:45 in New York.
constexpr std::time_t kNow = 1772737665;

void BM_OpenHistoryWindowTwoYears100Symbols(benchmark::State& state)
{
    BenchApp();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("tf_bench_history_window_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string strHistory = (folder / "info.kgw.history.sqlite").string();

    CBlotterSpace doc;
    doc.AddDefaultCategories();
    doc.m_strCategoryFilter = "All";
    const SLocalDate first = LocalDateOf(kNow - kDays * 86400);
    for (int n = 0; n < kSymbols; ++n) {
        TradeRecord trade = MakeEmptyTrade();
        trade.id = n + 1;
        SetTradeSymbol(trade, "S" + std::to_string(n));
        SetTradeCategory(trade, "Personal");
        SetTradeCountry(trade, "United States");
        trade.quantity = 10 + n;
        trade.price = 20 + n % 30;
        trade.buyDate = static_cast<std::int32_t>(StartOfLocalDay(first) + (n % 200) * 86400);
        doc.m_trades.AddTail(trade);
    }
    std::vector<SCloseRow> rows;
    for (int d = 0; d < kDays; ++d) {
        const SLocalDate date = LocalDateOf(StartOfLocalDay(first) + d * 86400 + 43200);
        for (int n = 0; n < kSymbols; ++n)
            rows.push_back({date, "S" + std::to_string(n), 20.0 + n % 30 + (d % 50) * 0.1});
    }
    {
        CHistoryDb db;
        SImportSummary summary;
        if (!db.Open(strHistory, EHistoryOpen::Create) || !ImportCloses(db, doc, rows, summary)) {
            state.SkipWithError(db.FaultText().c_str());
            return;
        }
    }

    std::size_t nPoints = 0;
    for (auto _ : state) {
        CHistoryDlg dlg(doc, strHistory, [] { return kNow; });
        dlg.Create();
        dlg.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(dlg.grab());
        nPoints = static_cast<std::size_t>(dlg.Chart().MainSeries()->points().size());
        dlg.hide();
    }
    state.counters["points"] = static_cast<double>(nPoints);
    state.counters["closes"] = static_cast<double>(rows.size());
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_OpenHistoryWindowTwoYears100Symbols)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
