// The refresh cycle as the window shows it: rows, totals and their colours, tray, caption,
// failed fetches, the category filter, alerts, the user's sort, and a file that another
// program replaced between two refreshes.
#include <QLineEdit>

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

} // namespace

TEST_F(CWindowTest, RefreshAgainstAScriptedServerFillsRowsTotalsCaptionAndTray)
{
    CScriptedHttpServer server;
    ASSERT_TRUE(server.Start());
    ScriptedReply ibm;
    ibm.strBody = "\"IBM\",123.5,\"3/5/2026\",\"4:00pm\",-0.25,1,2,3,4\r\n";
    ScriptedReply xyz;
    xyz.strBody = "\"XYZ\",1500,\"3/5/2026\",\"4:00pm\",-1.5,1,2,3,4\r\n";
    server.Script("/d/quotes.csv", {ibm, xyz});
    setenv(QuoteServerVariable(QuoteServerRole::UsQuotes), server.Address().c_str(), 1);

    CBlotterSpace doc = MakePortfolio({MakeBuy(1, "IBM", 100, 100), MakeBuy(2, "XYZ", 10, 1000)});
    doc.m_trades.AddTail(MakeBuy(3, "OLD", 5, 10));
    (doc.m_trades.begin() + 2)->closed = 1;
    WritePortfolio(doc);
    SBlotterServices services = Services();
    services.quote = FetchQuote;
    CBlotterDlg& dlg = Open(services);
    unsetenv(QuoteServerVariable(QuoteServerRole::UsQuotes));

    // One request per open position, in list order; the closed one is not asked for.
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[0].strQuery.find("IBM"), std::string::npos);
    EXPECT_NE(requests[1].strQuery.find("XYZ"), std::string::npos);

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

TEST_F(CWindowTest, AFailedFetchKeepsTheStoredPriceAndEveryRowIsWritten)
{
    WritePortfolio(MakePortfolio({MakeBuy(1, "AAA", 10, 10, "Personal", 11, 0),
                                  MakeBuy(2, "BBB", 10, 10, "Personal", 50, 1),
                                  MakeBuy(3, "CCC", 10, 10, "Personal", 12, 0)}));
    m_quotes.answers["AAA"] = {0, 20, 2};
    m_quotes.answers["BBB"] = {2, 0, 0};
    m_quotes.answers["CCC"] = {0, 30, -3};
    CBlotterDlg& dlg = Open();
    EXPECT_EQ(m_quotes.requests, (std::vector<std::string>{"AAA", "BBB", "CCC"}));
    EXPECT_EQ(RowTexts(0), (std::vector<std::string>{"20.0000", "50.0000", "30.0000"}));
    EXPECT_EQ(RowTexts(1), (std::vector<std::string>{"2.0000", "1.0000", "-3.0000"}));
    EXPECT_EQ(dlg.TotalText(kTotalPLToday), "0.00");
    // No message for a failed quote; exactly zero picks the loss icon.
    EXPECT_TRUE(m_boxes.Boxes().empty());
    EXPECT_EQ(m_shell.Icon(&dlg, kTrayIconId)->hIcon, LoadIconResource(kTrayLossIcon));
    EXPECT_EQ(m_shell.Tooltip(&dlg, kTrayIconId), "Tallyfern Desktop: Made no money today!");
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

    // The user picks "Business" in the box.
    CComboBox box = dlg.ComboBox(kCategoryBox);
    box.SetCurSel(box.FindStringExact(-1, "Business"));
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(kCategoryBox, CBN_SELCHANGE), 0);

    EXPECT_TRUE(m_quotes.requests.empty());
    EXPECT_EQ(dlg.Document().m_strCategoryFilter, "Business");
    EXPECT_EQ(box.GetWindowText(), "Business");
    EXPECT_EQ(RowTexts(-1), (std::vector<std::string>{"BIZ", "BIZ2"}));
    EXPECT_EQ(dlg.TotalText(kTotalValue), "1,350.00");
    EXPECT_EQ(dlg.TotalText(kTotalPLToday), "75.00");
    // The hidden Personal position is tested too, and mails again.
    EXPECT_EQ(mail, (std::vector<std::string>{"connect", "send", "connect", "send"}));
    EXPECT_EQ(ReadBack().m_strCategoryFilter, "Business");
    EXPECT_EQ(m_shell.Tooltip(&dlg, kTrayIconId), "Tallyfern Desktop: Gained 75.00 today!");
}

TEST_F(CWindowTest, ATickDuringARefreshWaitingInAMailBoxIsSkipped)
{
    CBlotterSpace doc = MakePortfolio({MakeBuy(1, "MOVE", 100, 10, "Personal", 12.5, 0.75)});
    doc.m_bPagerAlerts = 1;
    doc.m_nAlertPercent = 5;
    doc.m_strSmtpServer = "127.0.0.1";
    doc.m_bAutoRefresh = 1;
    WritePortfolio(doc);
    m_quotes.answers["MOVE"] = {0, 12.5, 0.75};

    // The real client against a loopback port where nothing listens.
    CSmtpAlertSettings settings;
    settings.m_nPort = UnusedLoopbackPort();
    settings.m_connectTimeout = std::chrono::milliseconds(500);
    settings.m_replyTimeout = std::chrono::milliseconds(500);
    SBlotterServices services = Services();
    services.mailers = MakeSmtpAlertMailerFactory(settings);

    CBlotterDlg* pDlg = nullptr;
    int nTicks = 0;
    m_boxes.SetWhileShown([&](const SMessageBoxRequest&) {
        if (pDlg != nullptr && nTicks++ == 0)
            pDlg->SendMessage(WM_TIMER, kRefreshTimer, 0);
    });
    m_pDlg = std::make_unique<CBlotterDlg>(services);
    pDlg = m_pDlg.get();
    ASSERT_TRUE(m_pDlg->Create());

    // The connect failure and then the send's, each with OK and the exclamation icon.
    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    EXPECT_EQ(m_boxes.Boxes()[0].strText, "Unable to connect to server");
    EXPECT_EQ(m_boxes.Boxes()[1].strText, "Must be connected");
    for (const SMessageBoxRequest& box : m_boxes.Boxes()) {
        EXPECT_EQ(box.nButtons, MB_OK);
        EXPECT_EQ(box.nIcon, MB_ICONEXCLAMATION);
        EXPECT_EQ(box.strCaption, "Tallyfern");
    }
    EXPECT_EQ(m_pDlg->SkippedRefreshes(), 1);
    EXPECT_EQ(m_quotes.requests.size(), 1u);
    EXPECT_FALSE(m_pDlg->IsRefreshing());
    EXPECT_EQ(m_pDlg->Grid().GetRowCount(), 1);

    // A tick when nothing runs refreshes as usual.
    m_boxes.Clear();
    m_pDlg->SendMessage(WM_TIMER, kRefreshTimer, 0);
    EXPECT_EQ(m_quotes.requests.size(), 2u);
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
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(kRefreshNow, BN_CLICKED), 0);
    EXPECT_EQ(RowTexts(-1), (std::vector<std::string>{"AAA", "BBB", "CCC"}));
    EXPECT_EQ(RowTexts(3), (std::vector<std::string>{"5.00", "600.00", "7,000.00"}));

    m_quotes.answers["AAA"] = {0, 8000, 0};
    dlg.Refresh(true);
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

TEST_F(CWindowTest, ACloseInsideARefreshWaitingInAMailBoxKeepsTheConduitsTrades)
{
    CBlotterSpace doc = MakePortfolio({MakeBuy(1, "MOVE", 100, 10, "Personal", 12.5, 0.75)});
    doc.m_bPagerAlerts = 1;
    doc.m_nAlertPercent = 5;
    WritePortfolio(doc);
    m_quotes.answers["MOVE"] = {0, 12.5, 0.75};
    std::vector<std::string> mail;
    SBlotterServices services = Services();
    services.mailers = [&mail](const std::string&) {
        return std::make_unique<CRecordingMailer>(mail, false);
    };
    CBlotterDlg& dlg = Open(services);
    m_boxes.Clear();

    // While the refresh waits in the first mail box, a HotSync replaces the file and then
    // the session ends.
    bool bDone = false;
    m_boxes.SetWhileShown([&](const SMessageBoxRequest&) {
        if (bDone)
            return;
        bDone = true;
        CBlotterSpace conduit = ReadBack();
        conduit.m_trades.AddTail(MakeBuy(2, "PALM", 3, 3));
        ASSERT_TRUE(WritePortfolioFile(m_strPath, conduit).bOk);
        dlg.CloseWindow();
        EXPECT_TRUE(dlg.IsClosed());
        EXPECT_EQ(ReadBack().m_trades.GetCount(), 2u);
    });
    dlg.Refresh(true);
    EXPECT_TRUE(bDone);
    EXPECT_FALSE(dlg.IsRefreshing());
    // The refresh's own save, after the close, still holds the conduit's trade.
    CBlotterSpace saved = ReadBack();
    ASSERT_EQ(saved.m_trades.GetCount(), 2u);
    EXPECT_EQ(TradeSymbol(*(saved.m_trades.begin() + 1)), "PALM");
}
