// The price history as the window keeps and shows it: rows from each fetching refresh, a
// history that cannot be written told once while the portfolio is saved, the window and
// tfport refreshing at once, the File menu's History item, and the History window built
// offscreen from a known history: its series, ranges, symbol choice, tooltip, picture and
// the text shown when there is nothing to chart.
#include <QImage>
#include <QLineSeries>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include "app/HistoryDlg.h"
#include "engine/history/HistoryStore.h"
#include "engine/history/LocalDays.h"
#include "tests/app/WindowFixture.h"
#include "tests/engine/history/HistoryTestSupport.h"
#include "tests/support/process/ChildProcess.h"
#include "tests/support/sqlitefault/SqliteFaults.h"
#include "tests/support/tempdir/TempDir.h"
#include "tools/tfquoted/QuoteBook.h"
#include "tools/tfquoted/QuoteService.h"

using namespace BlotterIds;
using history_test::QueryNumber;

namespace {

class CHistoryWindowTest : public CWindowTest
{
  protected:
    std::string HistoryFile() const { return m_strPath + ".history.sqlite"; }
    long long Count(const char* pszTable) const
    {
        return QueryNumber(HistoryFile(), std::string("SELECT count(*) FROM ") + pszTable);
    }
    // A refresh every day at 16:00 for nDays days up to yesterday, and three today.
    void WriteDailyHistory(int nDays)
    {
        CHistoryDb db;
        ASSERT_TRUE(db.Open(HistoryFile(), EHistoryOpen::Create));
        const std::time_t today = StartOfLocalDay(LocalDateOf(m_now));
        for (int i = nDays; i >= 1; --i) {
            SHistoryRefresh refresh = history_test::SampleRefresh(today - i * 86400 + 16 * 3600, 1);
            refresh.totalValue = 1000 + i;
            refresh.positionPL = 100 - i;
            ASSERT_TRUE(WriteRefresh(db, refresh));
        }
        for (int h : {10, 11, 12}) {
            SHistoryRefresh refresh = history_test::SampleRefresh(today + h * 3600, 1);
            refresh.totalValue = 2000 + h;
            refresh.positionPL = h;
            ASSERT_TRUE(WriteRefresh(db, refresh));
        }
    }
};

std::vector<QPointF> Points(QLineSeries* pSeries)
{
    const QList<QPointF> points = pSeries->points();
    return {points.begin(), points.end()};
}

double Msecs(std::time_t when)
{
    return static_cast<double>(when) * 1000.0;
}

} // namespace

TEST_F(CHistoryWindowTest, FetchingRefreshesWriteTheHistoryAndNoneForFailedQuotes)
{
    WritePortfolio(
        MakePortfolio({MakeBuy(1, "IBM", 100, 120), MakeBuy(2, "MSFT", 10, 300),
                       MakeBuy(3, "IBM", 5, 110, "Business"), MakeBuy(4, "NOPE", 1, 1)}));
    m_quotes.answers["IBM"] = {0, 131.25, 0.75};
    m_quotes.answers["MSFT"] = {0, 310, -2.5};
    CBlotterDlg& dlg = Open();
    EXPECT_EQ(dlg.HistoryPath(), HistoryFile());
    EXPECT_EQ(Count("refresh"), 1) << "the start's fetching refresh";
    EXPECT_EQ(Count("quote"), 2) << "IBM once, MSFT once, nothing for NOPE";
    EXPECT_EQ(QueryNumber(HistoryFile(), "SELECT quotes_asked FROM refresh"), 3)
        << "IBM is asked for once for both of its lots";
    EXPECT_EQ(QueryNumber(HistoryFile(), "SELECT quotes_failed FROM refresh"), 1);
    EXPECT_EQ(QueryNumber(HistoryFile(), "SELECT arrived FROM quote LIMIT 1"), m_now);

    // Another category: a refresh from the stored prices, which adds nothing new.
    dlg.ComboBox(kCategoryBox)
        .SetCurSel(dlg.ComboBox(kCategoryBox).FindStringExact(-1, "Business"));
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(kCategoryBox, CBN_SELCHANGE), 0);
    EXPECT_EQ(Count("refresh"), 1);
    m_now += 60;
    dlg.Refresh(true);
    Settle();
    EXPECT_EQ(Count("refresh"), 2);
    EXPECT_EQ(QueryNumber(HistoryFile(), "SELECT CAST(total_value * 100 AS INTEGER) FROM refresh "
                                         "WHERE id = 2"),
              65625)
        << "the totals as shown, for the category shown";
    EXPECT_EQ(history_test::QueryText(HistoryFile(), "SELECT category FROM refresh WHERE id = 2"),
              "Business");
    EXPECT_EQ(dlg.StatusText(), "1 quote failed: NOPE (no price in the reply)")
        << "the history adds nothing to say when it was written";
}

TEST_F(CHistoryWindowTest, AHistoryThatCannotBeWrittenIsToldOnceAndThePortfolioIsSaved)
{
    tf::test::CSqliteFaultScope faults;
    WritePortfolio(MakePortfolio({MakeBuy(1, "IBM", 100, 120), MakeBuy(2, "NOPE", 1, 1)}));
    m_quotes.answers["IBM"] = {0, 131.25, 0.75};
    CBlotterDlg& dlg = Open();
    ASSERT_EQ(Count("refresh"), 1);
    const std::string strFailed = "1 quote failed: NOPE (no price in the reply)";
    ASSERT_EQ(dlg.StatusText(), strFailed);

    testing::internal::CaptureStderr();
    tf::test::CSqliteFaults::FailWritesFrom(1);
    const std::string strTold =
        "Price history not written (" + HistoryFile() + "): the disk is full";
    for (double dPrice : {132.0, 133.0, 134.0}) {
        m_quotes.answers["IBM"] = {0, dPrice, 1.0};
        dlg.Refresh(true);
        Settle();
        EXPECT_EQ(ReadBack().m_trades.begin()->currentPrice, dPrice) << "saved as always";
        // Told on the refresh that found it, beside what the refresh itself has to say; the
        // refreshes after it say only their own.
        EXPECT_EQ(dlg.StatusText(), dPrice == 132.0 ? strFailed + "; " + strTold : strFailed);
    }
    tf::test::CSqliteFaults::FailWritesFrom(0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "tallyfern: " + strTold + "\n")
        << "said once a run";
    EXPECT_EQ(Count("refresh"), 1);
    dlg.Refresh(true);
    Settle();
    EXPECT_EQ(Count("refresh"), 2) << "the next refresh writes again";

    // Another program leaves a damaged file in its place: moved aside, told once, and the
    // refresh lands in a new history.
    tf::test::WriteFileBytes(HistoryFile() + ".new", std::string(4096, '\x7F'));
    std::filesystem::rename(HistoryFile() + ".new", HistoryFile());
    testing::internal::CaptureStderr();
    dlg.Refresh(true);
    Settle();
    const std::string strDamaged =
        "The price history was damaged; it is kept as " + HistoryFile() + ".damaged-";
    EXPECT_EQ(dlg.StatusText().rfind(strFailed + "; " + strDamaged, 0), 0u) << dlg.StatusText();
    dlg.Refresh(true);
    Settle();
    const std::string strErr = testing::internal::GetCapturedStderr();
    EXPECT_EQ(strErr.rfind("tallyfern: " + strDamaged, 0), 0u) << strErr;
    EXPECT_EQ(std::count(strErr.begin(), strErr.end(), '\n'), 1);
    EXPECT_EQ(Count("refresh"), 2);
    EXPECT_TRUE(m_boxes.Boxes().empty()) << "no message box for the history";
}

TEST_F(CHistoryWindowTest, TheWindowAndTfportRefreshingAtOnceBothLand)
{
    WritePortfolio(MakePortfolio({MakeBuy(1, "IBM", 100, 120)}));
    m_quotes.answers["IBM"] = {0, 131.25, 0.75};
    CQuoteBook book;
    book.Set("IBM", {131.0, 0.5, 130.5, 130.9});
    CQuoteService service(book, QuoteServiceOptions{});
    const int nPort = service.Bind("127.0.0.1", 0);
    ASSERT_GT(nPort, 0);
    service.Start();
    CBlotterDlg& dlg = Open();

    constexpr int kEach = 8;
    tf::test::SProcessOptions options;
    options.workingDir = m_folder.string();
    options.env = {{"TALLYFERN_US_QUOTE_SERVER", "127.0.0.1:" + std::to_string(nPort)}};
    tf::test::CChildProcess tfport;
    ASSERT_TRUE(tfport.Start({"/bin/sh", "-c",
                              "for i in 1 2 3 4 5 6 7 8; do '" TFPORT_PATH "' refresh >/dev/null "
                              "|| exit 1; done"},
                             options));
    for (int i = 0; i < kEach; ++i) {
        dlg.Refresh(true);
        Settle();
    }
    const auto result = tfport.Wait();
    service.Stop();
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(dlg.StatusText(), "");
    EXPECT_EQ(Count("refresh"), 1 + 2 * kEach);
}

TEST_F(CHistoryWindowTest, TheFileMenuOpensTheHistoryAfterPreferences)
{
    WritePortfolio(MakePortfolio({}));
    CBlotterDlg& dlg = Open();
    QMenu* pFile = dlg.GetMenuBar()->actions().value(0)->menu();
    ASSERT_NE(pFile, nullptr);
    std::vector<std::pair<std::string, unsigned>> items;
    for (QAction* pAction : pFile->actions())
        items.emplace_back(pAction->text().toStdString(), CMenu::CommandOf(pAction));
    const std::vector<std::pair<std::string, unsigned>> expected = {
        {"Edit &Trades...", kCmdEditTrades},
        {"Edit &Categories...", kCmdEditCategories},
        {"&Edit Pager Alerts...", kCmdEditPagerAlerts},
        {"&Preferences...", kCmdPreferences},
        {"&History...", kCmdHistory},
        {"", 0u},
        {"E&xit", static_cast<unsigned>(IDOK)}};
    EXPECT_EQ(items, expected);

    // Looks for the window until its modal run shows it, then closes it.
    bool bOpened = false;
    std::string strCaption;
    QTimer finder;
    QObject::connect(&finder, &QTimer::timeout, [&] {
        for (QWidget* pWidget : QApplication::topLevelWidgets()) {
            if (auto* pHistory = dynamic_cast<CHistoryDlg*>(pWidget);
                pHistory != nullptr && pHistory->isVisible()) {
                strCaption = pHistory->GetWindowText();
                // The start's refresh of the empty portfolio is its one point.
                bOpened = pHistory->IsChartShown() &&
                          pHistory->Chart().MainSeries()->points().size() == 1;
                finder.stop();
                pHistory->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            }
        }
    });
    finder.start(10);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(kCmdHistory, 0), 0);
    EXPECT_TRUE(bOpened);
    EXPECT_EQ(strCaption, "Tallyfern History");
}

TEST_F(CHistoryWindowTest, TheChartShowsAKnownHistoryByRangeAndSymbol)
{
    WriteDailyHistory(60);
    CHistoryDlg dlg(MakePortfolio({MakeBuy(1, "S0", 1, 1)}), HistoryFile(),
                    [this] { return m_now; });
    ASSERT_TRUE(dlg.Create());
    ASSERT_TRUE(dlg.IsChartShown()) << dlg.EmptyText();
    EXPECT_EQ(dlg.GetCheckedRadioButton(HistoryIds::kRangeMonth, HistoryIds::kRangeAll),
              HistoryIds::kRangeYear);

    // A year: one point a day, each day's last.
    CHistoryChartView& chart = dlg.Chart();
    std::vector<QPointF> main = Points(chart.MainSeries());
    std::vector<QPointF> second = Points(chart.SecondSeries());
    ASSERT_EQ(main.size(), 61u);
    ASSERT_EQ(second.size(), 61u);
    const std::time_t today = StartOfLocalDay(LocalDateOf(m_now));
    EXPECT_EQ(main.front(), QPointF(Msecs(today - 60 * 86400 + 16 * 3600), 1060));
    EXPECT_EQ(second.front(), QPointF(Msecs(today - 60 * 86400 + 16 * 3600), 40));
    EXPECT_EQ(main.back(), QPointF(Msecs(today + 12 * 3600), 2012));
    EXPECT_EQ(chart.MainSeries()->name(), "Total Value");
    EXPECT_EQ(chart.SecondSeries()->name(), "Position P/L");
    EXPECT_TRUE(chart.SecondSeries()->isVisible());

    // A month (Feb 5 onwards): every refresh.
    dlg.CheckRadioButton(HistoryIds::kRangeMonth, HistoryIds::kRangeAll, HistoryIds::kRangeMonth);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(HistoryIds::kRangeMonth, BN_CLICKED), 0);
    main = Points(chart.MainSeries());
    ASSERT_EQ(main.size(), 28u + 3u);
    EXPECT_EQ(main.front().x(), Msecs(StartOfLocalDay({2026, 2, 5}) + 16 * 3600));
    EXPECT_EQ(main[main.size() - 3].y(), 2010);

    // The value under the pointer: the nearest point's date, time and values.
    EXPECT_EQ(chart.TooltipAt(Msecs(today + 11 * 3600 + 1200)),
              "Mar 05, 2026 11:00\nTotal Value: 2,011.00\nPosition P/L: 11.00");
    EXPECT_EQ(chart.TooltipAt(0), "Feb 05, 2026 16:00\nTotal Value: 1,028.00\nPosition P/L: 72.00");
    // The pointer over a point: the same text in a tooltip.
    dlg.show();
    QApplication::processEvents();
    const QPointF onChart = chart.chart()->mapToPosition(main[main.size() - 2], chart.MainSeries());
    const QPoint inView = chart.mapFromScene(chart.chart()->mapToScene(onChart));
    QTest::mouseMove(chart.viewport(), inView);
    EXPECT_TRUE(PumpUntil([] { return QToolTip::isVisible(); }, 2000));
    EXPECT_EQ(QToolTip::text().toStdString(),
              "Mar 05, 2026 11:00\nTotal Value: 2,011.00\nPosition P/L: 11.00");
    dlg.hide();

    // One symbol: its prices, and no second series.
    CComboBox show = dlg.ComboBox(HistoryIds::kShowBox);
    ASSERT_EQ(show.GetCount(), 2);
    EXPECT_EQ(show.GetLBText(0), "Portfolio");
    EXPECT_EQ(show.GetLBText(1), "S0");
    show.SetCurSel(1);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(HistoryIds::kShowBox, CBN_SELCHANGE), 0);
    main = Points(chart.MainSeries());
    ASSERT_EQ(main.size(), 31u);
    EXPECT_EQ(main.back(), QPointF(Msecs(today + 12 * 3600 - 1), 100.0));
    EXPECT_EQ(chart.MainSeries()->name(), "S0");
    EXPECT_TRUE(Points(chart.SecondSeries()).empty());
    EXPECT_FALSE(chart.SecondSeries()->isVisible());
    EXPECT_EQ(chart.TooltipAt(Msecs(today + 12 * 3600)), "Mar 05, 2026 11:59\nS0: 100.0000");

    dlg.CheckRadioButton(HistoryIds::kRangeMonth, HistoryIds::kRangeAll, HistoryIds::kRangeAll);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(HistoryIds::kRangeAll, BN_CLICKED), 0);
    EXPECT_EQ(Points(chart.MainSeries()).size(), 61u);
}

TEST_F(CHistoryWindowTest, SaveImageWritesAPngAndTellsWhenItCannot)
{
    WriteDailyHistory(10);
    tf::test::CTempDir out("tf-history-image");
    CHistoryDlg dlg(MakePortfolio({}), HistoryFile(), [this] { return m_now; });
    ASSERT_TRUE(dlg.Create());
    dlg.show();
    QApplication::processEvents();
    dlg.m_askImagePath = [&out] { return QString::fromStdString(out.File("chart")); };
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(HistoryIds::kSaveImage, BN_CLICKED), 0);
    const QImage image(QString::fromStdString(out.File("chart.png")));
    ASSERT_FALSE(image.isNull()) << "\".png\" is added to a name without it";
    EXPECT_EQ(image.size(), dlg.Chart().size());
    EXPECT_TRUE(m_boxes.Boxes().empty());

    // Cancelled: nothing. A folder that does not exist: told in a box.
    dlg.m_askImagePath = [] { return QString(); };
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(HistoryIds::kSaveImage, BN_CLICKED), 0);
    EXPECT_TRUE(m_boxes.Boxes().empty());
    const std::string strBad = out.File("no-such-folder/chart.PNG");
    EXPECT_FALSE(dlg.SaveImage(QString::fromStdString(strBad)));
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].strText, "The chart could not be saved as " + strBad + ".");
    dlg.hide();
}

TEST_F(CHistoryWindowTest, AShortTextStandsInForAnEmptyChart)
{
    const std::string kNoHistory = "No price history yet. Every refresh adds to it, and \"tfport "
                                   "history import FILE\" brings in past closing prices.";
    {
        CHistoryDlg dlg(MakePortfolio({}), HistoryFile(), [this] { return m_now; });
        ASSERT_TRUE(dlg.Create());
        EXPECT_FALSE(dlg.IsChartShown());
        EXPECT_EQ(dlg.EmptyText(), kNoHistory);
        EXPECT_FALSE(dlg.IsDlgItemEnabled(HistoryIds::kSaveImage));
        EXPECT_FALSE(std::filesystem::exists(HistoryFile())) << "looking creates nothing";
    }
    {
        // A history two years old: nothing in the last year, all of it under All.
        CHistoryDb db;
        ASSERT_TRUE(db.Open(HistoryFile(), EHistoryOpen::Create));
        ASSERT_TRUE(WriteRefresh(db, history_test::SampleRefresh(m_now - 730 * 86400)));
    }
    CHistoryDlg dlg(MakePortfolio({}), HistoryFile(), [this] { return m_now; });
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(dlg.EmptyText(), "Nothing in the price history for this range.");
    dlg.CheckRadioButton(HistoryIds::kRangeMonth, HistoryIds::kRangeAll, HistoryIds::kRangeAll);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(HistoryIds::kRangeAll, BN_CLICKED), 0);
    EXPECT_TRUE(dlg.IsChartShown());
    EXPECT_EQ(dlg.EmptyText(), "");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(HistoryIds::kSaveImage));
    EXPECT_EQ(Points(dlg.Chart().MainSeries()).size(), 1u);

    // A damaged history: kept aside, and said in place of the chart.
    tf::test::WriteFileBytes(HistoryFile(), std::string(4096, '\x01'));
    CHistoryDlg damaged(MakePortfolio({}), HistoryFile(), [this] { return m_now; });
    ASSERT_TRUE(damaged.Create());
    EXPECT_EQ(damaged.EmptyText().rfind(
                  "The price history was damaged; it is kept as " + HistoryFile() + ".damaged-", 0),
              0u)
        << damaged.EmptyText();
}
