// The main window's start, hide, restore and close, with the tray icon and the saved file.
#include <csignal>
#include <unistd.h>

#include <QComboBox>
#include <QTest>

#include "engine/TrayTexts.h"
#include "platform/framework/WinApp.h"
#include "quotes/QuoteServers.h"
#include "tests/app/WindowFixture.h"
#include "tests/support/httpserver/ScriptedHttpServer.h"

using namespace BlotterIds;

namespace {

// Points every quote role at the scripted server for one test.
class CServerRoles
{
  public:
    explicit CServerRoles(const std::string& strAddress)
    {
        for (int n = 0; n <= static_cast<int>(QuoteServerRole::MakerSite); ++n)
            setenv(QuoteServerVariable(static_cast<QuoteServerRole>(n)), strAddress.c_str(), 1);
    }
    ~CServerRoles()
    {
        for (int n = 0; n <= static_cast<int>(QuoteServerRole::MakerSite); ++n)
            unsetenv(QuoteServerVariable(static_cast<QuoteServerRole>(n)));
    }
};

std::vector<std::string> ComboRows(CBlotterDlg& dlg)
{
    std::vector<std::string> rows;
    CComboBox box = dlg.ComboBox(kCategoryBox);
    for (int i = 0; i < box.GetCount(); ++i)
        rows.push_back(box.GetLBText(i));
    return rows;
}

} // namespace

TEST_F(CWindowTest, FirstStartInAnEmptyFolderAsksOnlyForTheVersion)
{
    CScriptedHttpServer server;
    ASSERT_TRUE(server.Start());
    ScriptedReply version;
    version.strBody = "\"none\",1.85,\"12/8/2026\",\"4:00pm\",0,0,0,0,0\r\n";
    server.Script("/version.htm", version);
    CServerRoles roles(server.Address());

    // The real quote and version functions, and the file name without a folder.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(m_folder);
    SBlotterServices services;
    services.clock = [this] { return m_now; };
    CBlotterDlg& dlg = Open(services);
    std::filesystem::current_path(previous);

    EXPECT_EQ(ComboRows(dlg), (std::vector<std::string>{"401(k)", "All", "Business", "Personal",
                                                        "Stock Plan", "Unfiled"}));
    EXPECT_EQ(dlg.ComboBox(kCategoryBox).GetWindowText(), "All");
    EXPECT_EQ(dlg.Document().m_strCategoryFilter, "All");
    for (int i = 0; i < kTotalTextCount; ++i)
        EXPECT_EQ(dlg.TotalText(i), "");
    EXPECT_EQ(dlg.Grid().GetRowCount(), 0);
    EXPECT_EQ(dlg.GetWindowText(), "Tallyfern Desktop");
    // The status line sits under the totals, inside the window, and starts empty.
    QWidget* status = dlg.GetDlgItem(kStatusLine);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(dlg.GetDlgItemText(kStatusLine), "");
    QWidget* yearTotal = dlg.GetDlgItem(kIdRealizedYTD);
    EXPECT_GE(status->geometry().top(), yearTotal->geometry().bottom());
    EXPECT_LE(status->geometry().bottom(), status->parentWidget()->height());
    dlg.ShowStatus("3 quotes failed");
    EXPECT_EQ(dlg.GetDlgItemText(kStatusLine), "3 quotes failed");
    EXPECT_EQ(dlg.StatusText(), "3 quotes failed");
    dlg.ShowStatus("");
    EXPECT_FALSE(dlg.IsTimerRunning());
    EXPECT_EQ(dlg.GetTimerInterval(kRefreshTimer), 0u);

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].strPath, "/version.htm");
    EXPECT_TRUE(m_boxes.Boxes().empty());

    // The tray shows the gain icon and the program's name until the first refresh.
    ASSERT_EQ(m_shell.IconCount(), 1u);
    EXPECT_EQ(m_shell.Tooltip(&dlg, kTrayIconId), "Tallyfern Desktop");
    EXPECT_EQ(m_shell.Icon(&dlg, kTrayIconId)->hIcon, LoadIconResource(kTrayGainIcon));
    EXPECT_EQ(m_shell.Icon(&dlg, kTrayIconId)->uCallbackMessage, 1124u);
}

TEST_F(CWindowTest, EmptyCategoriesAreSeededAgainAndTheAutoRefreshTimerArms)
{
    CBlotterSpace doc = MakePortfolio({});
    doc.m_categories.clear();
    doc.m_bAutoRefresh = 1;
    doc.m_nRefreshMinutes = 0;
    WritePortfolio(doc);

    CBlotterDlg& dlg = Open();
    EXPECT_EQ(ComboRows(dlg).size(), 6u);
    EXPECT_TRUE(dlg.IsTimerRunning());
    EXPECT_EQ(dlg.GetTimerInterval(kRefreshTimer), 600000u);
    // A portfolio with no open records still refreshes: zero totals and the no-money text.
    EXPECT_EQ(dlg.TotalText(kTotalValue), "0.00");
    EXPECT_EQ(m_shell.Tooltip(&dlg, kTrayIconId), "Tallyfern Desktop: Made no money today!");
    EXPECT_EQ(dlg.GetWindowText(), "Tallyfern Desktop:  Last refresh on 03/05/26 at 14:07:45");
}

TEST_F(CWindowTest, EnterAndEscapeHideTheWindowAndTheTrayRestoresIt)
{
    WritePortfolio(MakePortfolio({MakeBuy(1, "IBM", 10, 100, "Personal", 101, 1)}));
    m_quotes.answers["IBM"] = {0, 105, 2};
    CBlotterDlg& dlg = Open();
    dlg.ShowWindow(SW_SHOWNORMAL);
    ASSERT_TRUE(PumpUntil([&] { return dlg.isVisible(); }));

    QTest::keyClick(&dlg, Qt::Key_Return);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(dlg.IsClosed());
    // Hidden, the program goes on: the tray still has its icon.
    EXPECT_EQ(m_shell.IconCount(), 1u);

    ASSERT_TRUE(m_shell.Click(&dlg, kTrayIconId, WM_LBUTTONDBLCLK));
    EXPECT_TRUE(PumpUntil([&] { return dlg.isVisible(); }));
    EXPECT_EQ(dlg.Grid().QuickGetText(-1, 0), "IBM");
    EXPECT_EQ(dlg.Grid().QuickGetText(0, 0), "105.0000");

    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(dlg.IsClosed());

    // The tray menu's Restore, chosen from the popup.
    m_shell.SetMenuAnswer(kCmdRestore);
    ASSERT_TRUE(m_shell.Click(&dlg, kTrayIconId, WM_RBUTTONUP));
    EXPECT_TRUE(PumpUntil([&] { return dlg.isVisible(); }));
    ASSERT_FALSE(m_shell.Popups().empty());
    EXPECT_EQ(m_shell.Popups().back().items, (std::vector<std::string>{"&Restore", "E&xit"}));
    EXPECT_EQ(m_shell.Popups().back().nDefaultItem, 0);

    // The Exit button of the lower panel hides as well.
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(kExitButton, BN_CLICKED), 0);
    EXPECT_FALSE(dlg.isVisible());
    dlg.hide();
}

TEST_F(CWindowTest, WithoutANotificationAreaHidingMinimises)
{
    m_shell.SetAreaAvailable(false);
    WritePortfolio(MakePortfolio({}));
    CBlotterDlg& dlg = Open();
    dlg.ShowWindow(SW_SHOWNORMAL);
    ASSERT_TRUE(PumpUntil([&] { return dlg.isVisible(); }));
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(PumpUntil([&] { return dlg.isMinimized(); }));
    EXPECT_FALSE(dlg.IsClosed());
    dlg.hide();
}

TEST_F(CWindowTest, RefusedTrayIconFailsCreationWithAStopBox)
{
    m_shell.SetRefuseIcons(true);
    m_pDlg = std::make_unique<CBlotterDlg>(Services());
    EXPECT_FALSE(m_pDlg->Create());
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].strText, "Failed to create tray icon");
    EXPECT_EQ(m_boxes.Boxes()[0].nIcon, MB_ICONSTOP);
    EXPECT_EQ(m_boxes.Boxes()[0].nButtons, MB_OK);
    // Nothing was read or saved.
    EXPECT_FALSE(std::filesystem::exists(m_strPath));
}

TEST_F(CWindowTest, TrayExitSavesWithStampAndWidthsAndTheNextStartAppliesThem)
{
    CBlotterSpace doc = MakePortfolio({MakeBuy(1, "IBM", 10, 100)});
    doc.m_dFileVersion = 1.5;
    doc.m_bAutoRefresh = 1;
    doc.m_nRefreshMinutes = 5;
    WritePortfolio(doc);
    m_quotes.answers["IBM"] = {0, 120, 1};
    {
        CBlotterDlg& dlg = Open();
        EXPECT_EQ(dlg.GetTimerInterval(kRefreshTimer), 300000u);
        dlg.Grid().SetColWidth(-1, 90);
        dlg.Grid().SetColWidth(0, 110);
        dlg.Grid().SetColWidth(4, 70);
        m_shell.SetMenuAnswer(ID_APP_EXIT);
        ASSERT_TRUE(m_shell.Click(&dlg, kTrayIconId, WM_RBUTTONUP));
        ASSERT_TRUE(PumpUntil([&] { return dlg.IsClosed(); }));
        EXPECT_TRUE(dlg.IsEnded());
        EXPECT_EQ(m_shell.IconCount(), 0u);
        EXPECT_EQ(dlg.GetTimerInterval(kRefreshTimer), 0u);
        EXPECT_FALSE(dlg.IsTimerRunning());
    }
    CBlotterSpace saved = ReadBack();
    EXPECT_EQ(saved.m_dFileVersion, 1.85);
    EXPECT_EQ(saved.m_nColumnWidth[0], 90);
    EXPECT_EQ(saved.m_nColumnWidth[1], 110);
    EXPECT_EQ(saved.m_nColumnWidth[5], 70);
    EXPECT_EQ(saved.m_trades.begin()->currentPrice, 120);

    // The next start puts the side heading back at its width; the data columns keep their
    // proportions and fill the cell area.
    CBlotterDlg& again = Open();
    int nWidth = 0;
    again.Grid().GetColWidth(-1, nWidth);
    EXPECT_EQ(nWidth, 90);
    int nFirst = 0;
    again.Grid().GetColWidth(0, nFirst);
    ASSERT_GT(nFirst, 0);
    int nSum = 0;
    for (int nCol = 0; nCol < kBlotterColumns; ++nCol) {
        again.Grid().GetColWidth(nCol, nWidth);
        // Each saved data column keeps its width in proportion to the first one's (110).
        if (nCol + 1 < kColumnWidthCount) {
            EXPECT_NEAR(nWidth, nFirst * saved.m_nColumnWidth[nCol + 1] / 110.0, 2.0) << nCol;
        }
        nSum += nWidth;
    }
    EXPECT_EQ(nSum, again.Grid().GetCellAreaWidth());
}

TEST_F(CWindowTest, CloseBoxSavesOnceAndEndsTheModalRun)
{
    WritePortfolio(MakePortfolio({MakeBuy(1, "IBM", 10, 100)}));
    m_quotes.answers["IBM"] = {0, 130, 0};
    CBlotterDlg& dlg = Open();
    std::filesystem::remove(m_strPath);
    QTimer::singleShot(0, &dlg, [&dlg] { dlg.close(); });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(dlg.IsClosed());
    EXPECT_EQ(ReadBack().m_trades.begin()->currentPrice, 130);
    // A second close (the session's end after the window closed) writes nothing more.
    std::filesystem::remove(m_strPath);
    dlg.CloseWindow();
    EXPECT_FALSE(std::filesystem::exists(m_strPath));
}

TEST_F(CWindowTest, DamagedFileIsReportedOnceAndKeptAside)
{
    CBlotterSpace doc = MakePortfolio({MakeBuy(1, "IBM", 10, 100, "Personal", 99, 0),
                                       MakeBuy(2, "XYZ", 5, 20, "Personal", 21, 0)});
    std::string bytes = SerializeToBytes(doc);
    bytes.resize(bytes.size() - 40);
    {
        std::FILE* pFile = std::fopen(m_strPath.c_str(), "wb");
        ASSERT_NE(pFile, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), pFile);
        std::fclose(pFile);
    }
    m_quotes.answers["IBM"] = {0, 101, 1};
    CBlotterDlg& dlg = Open();

    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    const std::string& strText = m_boxes.Boxes()[0].strText;
    EXPECT_NE(strText.find(m_strPath), std::string::npos);
    EXPECT_NE(strText.find("copy"), std::string::npos);
    EXPECT_EQ(m_boxes.Boxes()[0].nIcon, MB_ICONEXCLAMATION);

    int nCopies = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder)) {
        if (entry.path().filename().string().rfind("info.kgw.damaged-", 0) == 0) {
            ++nCopies;
            EXPECT_EQ(std::filesystem::file_size(entry.path()), bytes.size());
            EXPECT_NE(strText.find(entry.path().filename().string()), std::string::npos);
        }
    }
    EXPECT_EQ(nCopies, 1);
    // The program goes on with the record that was read whole.
    EXPECT_GE(dlg.Grid().GetRowCount(), 1);
    EXPECT_EQ(dlg.Grid().QuickGetText(-1, 0), "IBM");
    EXPECT_EQ(ReadBack().m_trades.begin()->currentPrice, 101);
}

TEST_F(CWindowTest, SigtermClosesTheWindowWhichSavesFirst)
{
    WritePortfolio(MakePortfolio({MakeBuy(1, "AAA", 1, 1)}));
    m_quotes.answers["AAA"] = {0, 42, 0};
    CBlotterDlg& dlg = Open();
    std::filesystem::remove(m_strPath);
    // The application object routes the signal to the window as its close command.
    CSignalRoutingApp app;
    app.m_pMainWnd = &dlg;
    ASSERT_TRUE(app.InstallTerminationHandlers());
    std::raise(SIGTERM);
    EXPECT_TRUE(PumpUntil([&] { return dlg.IsClosed(); }));
    EXPECT_EQ(ReadBack().m_trades.begin()->currentPrice, 42);
    EXPECT_EQ(m_shell.IconCount(), 0u);
}
