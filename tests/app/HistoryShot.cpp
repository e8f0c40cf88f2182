// Takes a picture of the History window over a sample year (imported daily closes of three
// positions, one of them partly sold) into the file named on the command line
// (docs/history.png). Run it under Xvfb for the desktop's real fonts; it is built with the
// tests but is not one.
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include <QApplication>

#include "app/HistoryDlg.h"
#include "engine/history/CloseImport.h"
#include "engine/history/HistoryStore.h"
#include "engine/history/LocalDays.h"
#include "model/BlotterSpace.h"
#include "model/Ledger.h"
#include "tests/model/TradeValuesForTests.h"
#include "tests/support/tempdir/TempDir.h"

namespace {

// 2026-03-05 14:07:45 in New York, the clock of the window tests.
constexpr std::time_t kNow = 1772737665;

// A buy or sale of the picture's portfolio, filed under Personal with a fee of 9.95.
TradeValues Values(const char* pszSymbol, double dQuantity, double dPrice, const char* pszCountry)
{
    return MakeTradeValues(pszSymbol, dQuantity, dPrice, 9.95, false, "Personal", pszCountry);
}

std::int32_t Day(int year, int month, int day)
{
    return static_cast<std::int32_t>(StartOfLocalDay({year, month, day}) + 15 * 3600);
}

CBlotterSpace SamplePortfolio()
{
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    doc.m_strCategoryFilter = "All";
    AddBuy(doc, Values("IBM", 100, 182.40, "United States"), Day(2025, 3, 10));
    AddBuy(doc, Values("MSFT", 20, 391.20, "United States"), Day(2025, 6, 2));
    AddBuy(doc, Values("VOD.L", 3000, 0.71, "United Kingdom"), Day(2025, 4, 1));
    TradeRecord vod = MakeEmptyTrade();
    doc.FindTrade(3, vod);
    AddSell(doc, &vod, Values("VOD.L", 1000, 0.78, "United Kingdom"), Day(2025, 11, 3));
    return doc;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("TZ", "America/New_York", 1);
    tzset();
    QApplication app(argc, argv);
    const std::string strOut = argc > 1 ? argv[1] : "history.png";
    tf::test::CTempDir folder("tf-history-shot");
    const std::string strHistory = folder.File("info.kgw.history.sqlite");
    const CBlotterSpace doc = SamplePortfolio();

    // A year of weekday closes, each a small seeded step from the last.
    std::mt19937 random(1998);
    std::normal_distribution<double> step(0.0004, 0.012);
    struct SWalk
    {
        const char* pszSymbol;
        double dPrice;
    } walks[] = {{"IBM", 180.0}, {"MSFT", 385.0}, {"VOD.L", 0.70}};
    std::vector<SCloseRow> rows;
    const SLocalDate today = LocalDateOf(kNow);
    SLocalDate date = MonthsBefore(today, 12);
    for (std::time_t t = StartOfLocalDay(date); LocalDateOf(t) < today; t += 86400) {
        date = LocalDateOf(t + 3600);
        std::tm local{};
        const std::time_t noon = StartOfLocalDay(date) + 12 * 3600;
        localtime_r(&noon, &local);
        if (local.tm_wday == 0 || local.tm_wday == 6)
            continue;
        for (SWalk& walk : walks) {
            walk.dPrice *= std::exp(step(random));
            rows.push_back({date, walk.pszSymbol, std::round(walk.dPrice * 10000) / 10000});
        }
    }
    CHistoryDb db;
    SImportSummary summary;
    if (!db.Open(strHistory, EHistoryOpen::Create) || !ImportCloses(db, doc, rows, summary)) {
        std::fprintf(stderr, "cannot write %s: %s\n", strHistory.c_str(), db.FaultText().c_str());
        return 1;
    }
    db.Close();

    CHistoryDlg dlg(doc, strHistory, [] { return kNow; });
    dlg.Create();
    dlg.show();
    QApplication::processEvents();
    const bool bSaved = dlg.grab().save(QString::fromStdString(strOut), "PNG");
    std::printf("%s %s\n", bSaved ? "wrote" : "could not write", strOut.c_str());
    return bSaved ? 0 : 1;
}
