// The refresh cycle as the window shows it: rows, totals and their colours, tray, caption,
// failed fetches named in the status line, the category filter, alerts and their mail, the
// user's sort, a file that another program replaced between two refreshes, and a refresh that
// never holds up the window: progress, Stop, a tick or a close while it runs.
#include <csignal>
#include <cstring>
#include <set>

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>

#include "engine/TrayTexts.h"
#include "quotes/FetchQuote.h"
#include "quotes/QuoteServers.h"
#include "tests/app/WindowFixture.h"
#include "tests/support/httpserver/ScriptedHttpServer.h"
#include "tests/support/smtpserver/ScriptedSmtpServer.h"

using namespace BlotterIds;

namespace {

// A mailer that records the steps of every alert and can fail its connect.
class CRecordingMailer : public CAlertMailer
{
  public:
    CRecordingMailer(std::vector<std::string>& log, bool bConnects)
        : m_log(log), m_bConnects(bConnects)
    {
    }
    bool Connect() override
    {
        m_log.push_back("connect");
        return m_bConnects;
    }
    bool SendMail(CMailMessage&) override
    {
        m_log.push_back("send");
        return m_bConnects;
    }
    bool Disconnect() override { return true; }
    std::string GetLastErrorText() const override
    {
        return m_bConnects ? "" : "Unable to connect to server";
    }

  private:
    std::vector<std::string>& m_log;
    bool m_bConnects;
};

QColor TextColour(CBlotterDlg& dlg, int nId)
{
    return dlg.GetDlgItemAs<QLineEdit>(nId)->palette().color(QPalette::Text);
}

void ClickRefreshButton(CBlotterDlg& dlg)
{
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(kRefreshNow, BN_CLICKED), 0);
}

// Lets a click on Stop count: one that comes at once after the start is dropped.
void WaitPastTheDoubleClick()
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() <= QApplication::doubleClickInterval() + 20)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

TEST_F(CWindowTest, RefreshAgainstAScriptedServerFillsRowsTotalsCaptionAndTray)
{
    CScriptedHttpServer server;
    ASSERT_TRUE(server.Start());
    ScriptedReply ibm;
    ibm.strBody = "\"IBM\",123.5,\"3/5/2026\",\"4:00pm\",-0.25,1,2,3,4\r\n";
    ScriptedReply xyz;
    xyz.strBody = "\"XYZ\",1500,\"3/5/2026\",\"4:00pm\",-1.5,1,2,3,4\r\n";
    server.Script("/d/quotes.csv", [ibm, xyz](const ReceivedRequest& request) {
        return request.Param("s") == "IBM" ? ibm : xyz;
    });
    setenv(QuoteServerVariable(QuoteServerRole::UsQuotes), server.Address().c_str(), 1);

    CBlotterSpace doc = MakePortfolio({MakeBuy(1, "IBM", 100, 100), MakeBuy(2, "XYZ", 10, 1000)});
    doc.m_trades.AddTail(MakeBuy(3, "OLD", 5, 10));
    (doc.m_trades.begin() + 2)->closed = 1;
    WritePortfolio(doc);
    SBlotterServices services = Services();
    services.fetchQuotes = FetchQuotes;
    CBlotterDlg& dlg = Open(services);
    unsetenv(QuoteServerVariable(QuoteServerRole::UsQuotes));

    // One request per open position, asked at once; the closed one is not asked for.
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    std::set<std::string> queries = {requests[0].strQuery, requests[1].strQuery};
    EXPECT_EQ(queries, (std::set<std::string>{"s=IBM&f=sl1d1t1c1ohgv&e=.csv",
                                              "s=XYZ&f=sl1d1t1c1ohgv&e=.csv"}));

    EXPECT_EQ(RowTexts(-1), (std::vector<std::string>{"IBM", "XYZ"}));
    EXPECT_EQ(RowTexts(0), (std::vector<std::string>{"123.5000", "1,500.0000"}));
    EXPECT_EQ(RowTexts(1), (std::vector<std::string>{"-0.2500", "-1.5000"}));
    EXPECT_EQ(RowTexts(2), (std::vector<std::string>{"100.00", "10.00"}));
    EXPECT_EQ(RowTexts(3), (std::vector<std::string>{"12,350.00", "15,000.00"}));
    EXPECT_EQ(RowTexts(4), (std::vector<std::string>{"-25.00", "-15.00"}));
    EXPECT_EQ(RowTexts(5), (std::vector<std::string>{"2,350.00", "5,000.00"}));

    EXPECT_EQ(dlg.GetDlgItemText(kIdTotalValue), "27,350.00");
    EXPECT_EQ(dlg.GetDlgItemText(kIdPositionPL), "7,350.00");
    EXPECT_EQ(dlg.GetDlgItemText(kIdTotalToday), "-40.00");
    EXPECT_EQ(dlg.GetDlgItemText(kIdRealizedMTD), "0.00");
    EXPECT_EQ(dlg.GetDlgItemText(kIdRealizedYTD), "0.00");
    EXPECT_EQ(TextColour(dlg, kIdTotalToday), QColor(225, 0, 0));
    EXPECT_EQ(TextColour(dlg, kIdTotalValue), QColor(0, 0, 255));

    EXPECT_EQ(dlg.GetWindowText(), "Tallyfern Desktop:  Last refresh on 03/05/26 at 14:07:45");
    EXPECT_EQ(m_shell.Tooltip(&dlg, kTrayIconId), "Tallyfern Desktop: Lost -40.00 today!");
    EXPECT_EQ(m_shell.Icon(&dlg, kTrayIconId)->hIcon, LoadIconResource(kTrayLossIcon));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(kRefreshNow));

    // The refresh saved the prices it fetched.
    CBlotterSpace saved = ReadBack();
    EXPECT_EQ(saved.m_trades.begin()->currentPrice, 123.5);
    EXPECT_EQ(saved.m_trades.begin()->status, kStatusChanged);
    EXPECT_EQ((saved.m_trades.begin() + 2)->status, kStatusInStep);
}

TEST_F(CWindowTest, AFailedFetchKeepsTheStoredPriceAndIsNamedInTheStatusLine)
{
    WritePortfolio(MakePortfolio(
        {MakeBuy(1, "AAA", 10, 10, "Personal", 11, 0), MakeBuy(2, "BBB", 10, 10, "Personal", 50, 1),
         MakeBuy(3, "CCC", 10, 10, "Personal", 12, 0), MakeBuy(4, "AAA", 5, 10, "Personal", 11, 0),
         MakeBuy(5, "DDD", 1, 10, "Personal", 7, 0.5)}));
    m_quotes.answers["AAA"] = {0, 20, 2};
    m_quotes.answers["BBB"] = {2, 0, 0};
    m_quotes.answers["CCC"] = {0, 30, -3};
    CBlotterDlg& dlg = Open();
    // One request per distinct quote: the second AAA lot takes the first one's price.
    EXPECT_EQ(m_quotes.requests, (std::vector<std::string>{"AAA", "BBB", "CCC", "DDD"}));
    EXPECT_EQ(RowTexts(0),
              (std::vector<std::string>{"20.0000", "50.0000", "30.0000", "20.0000", "7.0000"}));
    EXPECT_EQ(RowTexts(1),
              (std::vector<std::string>{"2.0000", "1.0000", "-3.0000", "2.0000", "0.5000"}));
    // 20 + 10 (stored) - 30 + 10 + 0.5 (stored)
    EXPECT_EQ(dlg.TotalText(kTotalPLToday), "10.50");
    EXPECT_EQ(dlg.StatusText(),
              "2 quotes failed: BBB (connection failed), DDD (no price in the reply)");
    EXPECT_EQ(dlg.LastRefresh().nQuotesAsked, 4);
    EXPECT_EQ(dlg.LastRefresh().nQuotesFailed, 2);
    // No box for a failed quote; the saved file keeps the failed lots as they were.
    EXPECT_TRUE(m_boxes.Boxes().empty());
    CBlotterSpace saved = ReadBack();
    EXPECT_EQ((saved.m_trades.begin() + 1)->currentPrice, 50);
    EXPECT_EQ((saved.m_trades.begin() + 1)->status, kStatusInStep);
    EXPECT_EQ((saved.m_trades.begin() + 3)->status, kStatusChanged);

    // The next refresh that brings everything clears the line.
    m_quotes.answers["BBB"] = {0, 51, 1};
    m_quotes.answers["DDD"] = {0, 8, 1};
    dlg.Refresh(true);
    Settle();
    EXPECT_EQ(dlg.StatusText(), "");
    EXPECT_EQ(dlg.LastRefresh().nQuotesFailed, 0);
}

TEST_F(CWindowTest, ACategoryShowsItsRowsButEveryPositionIsPricedAndTested)
{
    CBlotterSpace doc = MakePortfolio({MakeBuy(1, "BIZ", 100, 10, "Business", 12.5, 0.75),
                                       MakeBuy(2, "HOME", 100, 10, "Personal", 12.5, 0.75),
                                       MakeBuy(3, "BIZ2", 10, 10, "Business", 10, 0)});
    doc.m_bPagerAlerts = 1;
    doc.m_nAlertPercent = 5;
    doc.m_strSmtpServer = "mail.test.invalid";
    WritePortfolio(doc);
    std::vector<std::string> mail;
    SBlotterServices services = Services();
    services.mailers = [&mail](const std::string&) {
        return std::make_unique<CRecordingMailer>(mail, true);
    };
    m_quotes.answers["BIZ"] = {0, 12.5, 0.75};
    m_quotes.answers["HOME"] = {0, 12.5, 0.75};
    m_quotes.answers["BIZ2"] = {0, 10, 0};
    CBlotterDlg& dlg = Open(services);
    // Two positions moved 6.38 %: two alerts at the first refresh.
    EXPECT_EQ(mail, (std::vector<std::string>{"connect", "send", "connect", "send"}));
    mail.clear();
    m_quotes.requests.clear();

    // The user picks "Business" in the box: the rows change at once, without a request.
    CComboBox box = dlg.ComboBox(kCategoryBox);
    box.SetCurSel(box.FindStringExact(-1, "Business"));
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(kCategoryBox, CBN_SELCHANGE), 0);
    EXPECT_FALSE(dlg.IsRefreshing());
    EXPECT_EQ(dlg.Document().m_strCategoryFilter, "Business");
    EXPECT_EQ(box.GetWindowText(), "Business");
    EXPECT_EQ(RowTexts(-1), (std::vector<std::string>{"BIZ", "BIZ2"}));
    EXPECT_EQ(dlg.TotalText(kTotalValue), "1,350.00");
    EXPECT_EQ(dlg.TotalText(kTotalPLToday), "75.00");
    EXPECT_EQ(ReadBack().m_strCategoryFilter, "Business");
    EXPECT_EQ(m_shell.Tooltip(&dlg, kTrayIconId), "Tallyfern Desktop: Gained 75.00 today!");
    // The hidden Personal position is tested too, and mails again.
    Settle();
    EXPECT_TRUE(m_quotes.requests.empty());
    EXPECT_EQ(mail, (std::vector<std::string>{"connect", "send", "connect", "send"}));
}

TEST_F(CWindowTest, MailFailuresAreShownOneBoxAtATimeInTheirOrder)
{
    CBlotterSpace doc = MakePortfolio({MakeBuy(1, "MOVE", 100, 10, "Personal", 12.5, 0.75),
                                       MakeBuy(2, "JUMP", 100, 10, "Personal", 12.5, 0.75)});
    doc.m_bPagerAlerts = 1;
    doc.m_nAlertPercent = 5;
    doc.m_strSmtpServer = "127.0.0.1";
    WritePortfolio(doc);
    m_quotes.answers["MOVE"] = {0, 12.5, 0.75};
    m_quotes.answers["JUMP"] = {0, 12.5, 0.75};

    // The real client against a loopback port where nothing listens.
    CSmtpAlertSettings settings;
    settings.m_nPort = UnusedLoopbackPort();
    settings.m_connectTimeout = std::chrono::milliseconds(500);
    settings.m_replyTimeout = std::chrono::milliseconds(500);
    SBlotterServices services = Services();
    services.mailers = MakeSmtpAlertMailerFactory(settings);

    // Each box waits a moment, as a user would: the next texts arrive meanwhile and wait.
    int nDepth = 0;
    int nDeepest = 0;
    m_boxes.SetWhileShown([&](const SMessageBoxRequest&) {
        nDeepest = std::max(nDeepest, ++nDepth);
        PumpUntil([] { return false; }, 100);
        --nDepth;
    });
    Open(services);

    // Connect and then the send's failure, alert by alert in list order, each with OK and
    // the exclamation icon, and never one box inside another.
    ASSERT_EQ(m_boxes.Boxes().size(), 4u);
    EXPECT_EQ(m_boxes.Boxes()[0].strText, "Unable to connect to server");
    EXPECT_EQ(m_boxes.Boxes()[1].strText, "Must be connected");
    EXPECT_EQ(m_boxes.Boxes()[2].strText, "Unable to connect to server");
    EXPECT_EQ(m_boxes.Boxes()[3].strText, "Must be connected");
    for (const SMessageBoxRequest& box : m_boxes.Boxes()) {
        EXPECT_EQ(box.nButtons, MB_OK);
        EXPECT_EQ(box.nIcon, MB_ICONEXCLAMATION);
        EXPECT_EQ(box.strCaption, "Tallyfern");
    }
    EXPECT_EQ(nDeepest, 1);
    // The refresh did not wait for the boxes.
    EXPECT_EQ(m_pDlg->Grid().GetRowCount(), 2);
}

TEST_F(CWindowTest, TheWindowAnswersDuringASlowRefreshThatShowsItsProgress)
{
    WriteManyPositions(20, {0, 11, 1});
    m_quotes.nDelayMs = 40;

    // The window is made, and could be shown, before any quote has arrived.
    QElapsedTimer created;
    created.start();
    m_pDlg = std::make_unique<CBlotterDlg>(Services());
    ASSERT_TRUE(m_pDlg->Create());
    EXPECT_LT(created.elapsed(), 500);
    CBlotterDlg& dlg = *m_pDlg;
    EXPECT_TRUE(dlg.IsRefreshing());
    EXPECT_EQ(dlg.GetDlgItemText(kRefreshNow), "&Stop");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(kRefreshNow));

    // A 10 ms timer keeps firing while the quotes come in; the status line counts them.
    QElapsedTimer sinceTick;
    sinceTick.start();
    qint64 nLongestGap = 0;
    int nTicks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        nLongestGap = std::max(nLongestGap, sinceTick.restart());
        ++nTicks;
    });
    ticker.start(10);
    std::set<std::string> progress;
    ASSERT_TRUE(PumpUntil(
        [&] {
            if (dlg.IsRefreshing())
                progress.insert(dlg.StatusText());
            return !dlg.IsRefreshing();
        },
        10000));
    ticker.stop();
    EXPECT_GT(nTicks, 40);
    EXPECT_LT(nLongestGap, 250) << "the interface thread was held up";
    // The line counted the quotes in as they came, and said nothing else meanwhile.
    EXPECT_GT(progress.size(), 3u);
    for (const std::string& strText : progress) {
        const int nArrived = std::atoi(strText.c_str() + std::strlen("Refreshing "));
        EXPECT_EQ(strText, RefreshProgressText(static_cast<std::size_t>(nArrived), 20));
    }
    EXPECT_EQ(dlg.GetDlgItemText(kRefreshNow), "&Refresh Now");
    EXPECT_EQ(dlg.StatusText(), "");
    EXPECT_EQ(RowTexts(0).front(), "11.0000");
    EXPECT_EQ(dlg.GetWindowText(), "Tallyfern Desktop:  Last refresh on 03/05/26 at 14:07:45");
}

TEST_F(CWindowTest, StopAppliesWhatArrivedAndCountsTheRestAsFailed)
{
    WriteManyPositions(10, {0, 12, 2});
    CBlotterDlg& dlg = Open();
    ASSERT_EQ(RowTexts(0).back(), "12.0000");
    for (auto& [strSymbol, answer] : m_quotes.answers)
        answer = {0, 15, 5};
    m_quotes.nDelayMs = 150;

    ClickRefreshButton(dlg);
    ASSERT_TRUE(dlg.IsRefreshing());
    // A second click at once (a double click) does not stop the refresh it started.
    ClickRefreshButton(dlg);
    EXPECT_TRUE(dlg.IsRefreshing());
    WaitPastTheDoubleClick();
    ASSERT_TRUE(PumpUntil([&] { return dlg.StatusText().rfind("Refreshing 3 of", 0) == 0; }));

    QElapsedTimer stopping;
    stopping.start();
    ClickRefreshButton(dlg);
    EXPECT_LT(stopping.elapsed(), 100);
    EXPECT_FALSE(dlg.IsRefreshing());
    EXPECT_EQ(dlg.GetDlgItemText(kRefreshNow), "&Refresh Now");
    const std::vector<std::string> prices = RowTexts(0);
    EXPECT_EQ(prices[0], "15.0000");
    EXPECT_EQ(prices[2], "15.0000");
    EXPECT_EQ(prices[9], "12.0000");
    EXPECT_EQ(dlg.LastRefresh().nQuotesFailed, 7);
    EXPECT_EQ(dlg.StatusText().rfind("7 quotes failed: S3 (stopped), S4 (stopped), ", 0), 0u)
        << dlg.StatusText();
    CBlotterSpace saved = ReadBack();
    EXPECT_EQ(saved.m_trades.begin()->currentPrice, 15);
    EXPECT_EQ((saved.m_trades.begin() + 9)->currentPrice, 12);

    // The stopped worker's late replies change nothing; the next click refreshes again.
    Settle();
    EXPECT_EQ(RowTexts(0)[9], "12.0000");
    m_quotes.nDelayMs = 0;
    ClickRefreshButton(dlg);
    Settle();
    EXPECT_EQ(RowTexts(0)[9], "15.0000");
}

TEST_F(CWindowTest, ATickDuringARefreshIsSkipped)
{
    CBlotterSpace doc = MakePortfolio({MakeBuy(1, "AAA", 10, 10, "Personal", 10, 0)});
    doc.m_bAutoRefresh = 1;
    WritePortfolio(doc);
    m_quotes.answers["AAA"] = {0, 11, 1};
    m_quotes.nDelayMs = 300;
    m_pDlg = std::make_unique<CBlotterDlg>(Services());
    ASSERT_TRUE(m_pDlg->Create());
    ASSERT_TRUE(m_pDlg->IsRefreshing());
    m_pDlg->SendMessage(WM_TIMER, kRefreshTimer, 0);
    m_pDlg->SendMessage(WM_TIMER, kRefreshTimer, 0);
    EXPECT_EQ(m_pDlg->SkippedRefreshes(), 2);
    Settle();
    EXPECT_EQ(m_quotes.nFetches, 1);

    // A tick when nothing runs refreshes as usual.
    m_quotes.nDelayMs = 0;
    m_pDlg->SendMessage(WM_TIMER, kRefreshTimer, 0);
    Settle();
    EXPECT_EQ(m_quotes.nFetches, 2);
    EXPECT_EQ(m_pDlg->SkippedRefreshes(), 2);
}

TEST_F(CWindowTest, EveryRefreshKeepsTheUsersSortWithSymbolsAndValuesTogether)
{
    WritePortfolio(
        MakePortfolio({MakeBuy(1, "AAA", 1, 1), MakeBuy(2, "BBB", 1, 1), MakeBuy(3, "CCC", 1, 1)}));
    m_quotes.answers["AAA"] = {0, 987, 0};
    m_quotes.answers["BBB"] = {0, 1234.5, 0};
    m_quotes.answers["CCC"] = {0, 10, 0};
    CBlotterDlg& dlg = Open();

    // A press on the "Value" heading sorts its texts ascending.
    dlg.Grid().OnTopHeadingClick(3, -1, true, QRect(), QPoint(), false);
    dlg.Grid().OnTopHeadingClick(3, -1, false, QRect(), QPoint(), false);
    EXPECT_EQ(RowTexts(-1), (std::vector<std::string>{"BBB", "CCC", "AAA"}));

    m_quotes.answers["AAA"] = {0, 5, 0};
    m_quotes.answers["BBB"] = {0, 600, 0};
    m_quotes.answers["CCC"] = {0, 7000, 0};
    ClickRefreshButton(dlg);
    Settle();
    EXPECT_EQ(RowTexts(-1), (std::vector<std::string>{"AAA", "BBB", "CCC"}));
    EXPECT_EQ(RowTexts(3), (std::vector<std::string>{"5.00", "600.00", "7,000.00"}));

    m_quotes.answers["AAA"] = {0, 8000, 0};
    dlg.Refresh(true);
    Settle();
    EXPECT_EQ(RowTexts(-1), (std::vector<std::string>{"BBB", "CCC", "AAA"}));
    EXPECT_EQ(RowTexts(0), (std::vector<std::string>{"600.0000", "7,000.0000", "8,000.0000"}));
    EXPECT_EQ(RowTexts(3), (std::vector<std::string>{"600.00", "7,000.00", "8,000.00"}));

    // A category change rebuilds the rows and sorts them again.
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(kCategoryBox, CBN_SELCHANGE), 0);
    EXPECT_EQ(RowTexts(-1), (std::vector<std::string>{"BBB", "CCC", "AAA"}));
    EXPECT_EQ(RowTexts(3), (std::vector<std::string>{"600.00", "7,000.00", "8,000.00"}));
}

TEST_F(CWindowTest, AFileReplacedBetweenTwoRefreshesGivesItsTradesAndKeepsTheSettings)
{
    WritePortfolio(MakePortfolio({MakeBuy(1, "AAA", 10, 10)}));
    m_quotes.answers["AAA"] = {0, 11, 0.5};
    m_quotes.answers["NEW"] = {0, 3, 0.1};
    CBlotterDlg& dlg = Open();
    dlg.Document().m_nAlertPercent = 9;
    dlg.Document().m_strPagerAddress = "pager@example.test";

    // The conduit writes the file: a new trade, a new category, other settings.
    CBlotterSpace conduit = ReadBack();
    conduit.m_trades.AddTail(MakeBuy(2, "NEW", 4, 2, "Palm"));
    conduit.m_categories.push_back("Palm");
    conduit.m_nAlertPercent = 77;
    ASSERT_TRUE(WritePortfolioFile(m_strPath, conduit).bOk);

    m_quotes.requests.clear();
    dlg.Refresh(true);
    Settle();
    EXPECT_EQ(m_quotes.requests, (std::vector<std::string>{"AAA", "NEW"}));
    EXPECT_EQ(RowTexts(-1), (std::vector<std::string>{"AAA", "NEW"}));
    EXPECT_GE(dlg.ComboBox(kCategoryBox).FindStringExact(-1, "Palm"), 0);
    CBlotterSpace saved = ReadBack();
    EXPECT_EQ(saved.m_trades.GetCount(), 2u);
    EXPECT_EQ(saved.m_nAlertPercent, 9);
    EXPECT_EQ(saved.m_strPagerAddress, "pager@example.test");
    EXPECT_EQ(saved.m_categories.back(), "Palm");

    // Replaced again just before the close: the close merges before it saves.
    conduit = ReadBack();
    conduit.m_trades.AddTail(MakeBuy(3, "LAST", 1, 1));
    ASSERT_TRUE(WritePortfolioFile(m_strPath, conduit).bOk);
    dlg.CloseWindow();
    EXPECT_EQ(ReadBack().m_trades.GetCount(), 3u);
    EXPECT_EQ(ReadBack().m_nAlertPercent, 9);
}

TEST_F(CWindowTest, TotalsAreColouredByTheSignTheirTextStartsWith)
{
    WritePortfolio(MakePortfolio({MakeBuy(1, "AAA", 1, 10), MakeBuy(2, "BBB", 1, 10)}));
    m_quotes.answers["AAA"] = {0, 10, -0.004};
    m_quotes.answers["BBB"] = {0, 9.5, 0};
    CBlotterDlg& dlg = Open();
    // -0.004 prints as -0.00, which parses as zero: blue. -0.50 is red.
    EXPECT_EQ(dlg.GetDlgItemText(kIdTotalToday), "-0.00");
    EXPECT_EQ(TextColour(dlg, kIdTotalToday), QColor(0, 0, 255));
    EXPECT_EQ(dlg.GetDlgItemText(kIdPositionPL), "-0.50");
    EXPECT_EQ(TextColour(dlg, kIdPositionPL), QColor(225, 0, 0));
    // Typed text is coloured as it stands and replaced at the next refresh.
    dlg.SetDlgItemText(kIdPositionPL, "1,000");
    EXPECT_EQ(TextColour(dlg, kIdPositionPL), QColor(0, 0, 255));
    dlg.Refresh(false);
    EXPECT_EQ(dlg.GetDlgItemText(kIdPositionPL), "-0.50");
}

TEST_F(CWindowTest, ACloseDuringARefreshSavesAtOnceWithWhatArrived)
{
    WritePortfolio(MakePortfolio({MakeBuy(1, "AAA", 10, 10, "Personal", 10, 0),
                                  MakeBuy(2, "BBB", 10, 10, "Personal", 20, 0),
                                  MakeBuy(3, "CCC", 10, 10, "Personal", 30, 0)}));
    m_quotes.answers["AAA"] = {0, 11, 1};
    m_quotes.answers["BBB"] = {0, 21, 1};
    m_quotes.answers["CCC"] = {0, 31, 1};
    m_quotes.nDelayMs = 300;
    m_pDlg = std::make_unique<CBlotterDlg>(Services());
    ASSERT_TRUE(m_pDlg->Create());
    CBlotterDlg& dlg = *m_pDlg;
    ASSERT_TRUE(PumpUntil([&] { return dlg.StatusText() == "Refreshing 1 of 3 quotes\x85"; }));

    QElapsedTimer closing;
    closing.start();
    dlg.CloseWindow();
    EXPECT_LT(closing.elapsed(), 100);
    EXPECT_TRUE(dlg.IsClosed());
    EXPECT_FALSE(dlg.IsRefreshing());

    CBlotterSpace saved = ReadBack();
    ASSERT_EQ(saved.m_trades.GetCount(), 3u);
    EXPECT_EQ(saved.m_trades.begin()->currentPrice, 11);
    EXPECT_EQ((saved.m_trades.begin() + 2)->currentPrice, 30);
    // Nothing the stopped worker still sends is saved after the close.
    const auto stamp = tf::fs::StampFile(m_strPath);
    Settle();
    PumpUntil([] { return false; }, 400);
    EXPECT_EQ(tf::fs::StampFile(m_strPath), stamp);
}

TEST_F(CWindowTest, SigtermDuringARefreshEndsItAndSavesPromptly)
{
    WritePortfolio(MakePortfolio({MakeBuy(1, "AAA", 1, 1, "Personal", 1, 0)}));
    m_quotes.answers["AAA"] = {0, 42, 0};
    m_quotes.nDelayMs = 20000;
    m_pDlg = std::make_unique<CBlotterDlg>(Services());
    ASSERT_TRUE(m_pDlg->Create());
    CBlotterDlg& dlg = *m_pDlg;
    ASSERT_TRUE(dlg.IsRefreshing());
    std::filesystem::remove(m_strPath);
    CSignalRoutingApp app;
    app.m_pMainWnd = &dlg;
    ASSERT_TRUE(app.InstallTerminationHandlers());
    QElapsedTimer ending;
    ending.start();
    std::raise(SIGTERM);
    EXPECT_TRUE(PumpUntil([&] { return dlg.IsClosed(); }, 2000));
    EXPECT_LT(ending.elapsed(), 1000);
    EXPECT_FALSE(dlg.IsRefreshing());
    EXPECT_EQ(ReadBack().m_trades.begin()->currentPrice, 1);
    // The worker, told to stop, ends at once: the window goes without waiting 20 s.
    ending.restart();
    m_pDlg.reset();
    EXPECT_LT(ending.elapsed(), 1000);
}
