// The window as one of several writers of info.kgw: it merges what others wrote since it
// read the file, holds the lock only while it saves, reports a failed save in the status
// line and once per kind in a box, never saves over a damaged file it could not copy, and
// lets its editing dialogs lose nothing to a HotSync that lands while they are open.
#include <chrono>
#include <filesystem>

#include "app/dialogs/EditCategoriesDlg.h"
#include "app/dialogs/EditTradesDlg.h"
#include "model/Ledger.h"
#include "platform/fs/Backups.h"
#include "platform/fs/FileLock.h"
#include "tests/app/WindowFixture.h"
#include "tests/model/TradeValuesForTests.h"
#include "tests/support/tempdir/TempDir.h"

using namespace BlotterIds;
using namespace std::chrono_literals;

namespace {
TradeRecord* Find(CBlotterSpace& doc, std::int32_t id)
{
    for (TradeRecord& trade : doc.m_trades)
        if (trade.id == id)
            return &trade;
    return nullptr;
}

TradeValues Buy(const char* symbol, double quantity, double price)
{
    return MakeTradeValues(symbol, quantity, price, 0, false, "Personal");
}

std::string Holder()
{
    return std::string(program_invocation_short_name) + " (process " + std::to_string(::getpid()) +
           ")";
}

class CSharedFileTest : public CWindowTest
{
  protected:
    // Another program's read-change-write of the file.
    template <class F> void Elsewhere(F change)
    {
        CBlotterSpace doc = ReadBack();
        change(doc);
        WritePortfolio(doc);
    }
};
} // namespace

TEST_F(CSharedFileTest, ASaveMergesTradesAndSettingsAnotherProgramWrote)
{
    WritePortfolio(MakePortfolio({MakeBuy(1, "AAA", 100, 10), MakeBuy(2, "BBB", 10, 5)}));
    m_quotes.answers["AAA"] = {0, 11, 0.5};
    m_quotes.answers["BBB"] = {0, 6, 0.1};
    m_quotes.answers["NEW"] = {0, 3, 0};
    CBlotterDlg& dlg = Open();
    dlg.Document().m_strPagerAddress = "me@example.test";

    // tfport meanwhile: a setting, a sale from trade 1, a new buy.
    Elsewhere([](CBlotterSpace& doc) {
        doc.m_nAlertPercent = 3;
        doc.m_bAutoRefresh = 1;
        doc.m_nRefreshMinutes = 2;
        TradeRecord buy{};
        ASSERT_TRUE(doc.FindTrade(1, buy));
        TradeValues sale = Buy("AAA", 40, 12);
        sale.bSell = true;
        ASSERT_FALSE(AddSell(doc, &buy, sale, 1772737000).Refused());
        ASSERT_FALSE(AddBuy(doc, Buy("NEW", 1, 2), 1772737001).Refused());
    });
    ASSERT_TRUE(dlg.SavePortfolio());

    CBlotterSpace saved = ReadBack();
    EXPECT_EQ(saved.m_nAlertPercent, 3);
    EXPECT_EQ(saved.m_strPagerAddress, "me@example.test");
    ASSERT_EQ(saved.m_trades.GetCount(), 4u);
    EXPECT_EQ(Find(saved, 1)->quantity, 60);
    EXPECT_EQ(Find(saved, 1)->currentPrice, 11); // this window's refresh
    EXPECT_EQ(Find(saved, 3)->refId, 1);
    // The window shows the merged portfolio and runs on its settings.
    EXPECT_EQ(RowTexts(-1), (std::vector<std::string>{"AAA", "BBB", "NEW"}));
    EXPECT_EQ(dlg.Document().m_nAlertPercent, 3);
    EXPECT_TRUE(dlg.IsTimerRunning());
    EXPECT_EQ(dlg.GetTimerInterval(kRefreshTimer), 120000u);
    EXPECT_EQ(dlg.StatusText(), "");

    // A later refresh saves without undoing any of it.
    dlg.Refresh(false);
    EXPECT_EQ(ReadBack().m_nAlertPercent, 3);
    EXPECT_EQ(ReadBack().m_trades.GetCount(), 4u);
}

TEST_F(CSharedFileTest, AConflictKeepsTheWindowsChangeAndSaysSoAndNewTradesAreRenumbered)
{
    WritePortfolio(MakePortfolio({MakeBuy(1, "AAA", 100, 10)}));
    m_quotes.answers["AAA"] = {0, 11, 0.5};
    CBlotterDlg& dlg = Open();
    Find(dlg.Document(), 1)->brokerFee = 4.95;
    ASSERT_EQ(AddBuy(dlg.Document(), Buy("MINE", 5, 5), 1772737100).newId, 2);
    Elsewhere([](CBlotterSpace& doc) {
        Find(doc, 1)->brokerFee = 9.95;
        ASSERT_EQ(AddBuy(doc, Buy("THEIRS", 7, 7), 1772737200).newId, 2);
    });
    ASSERT_TRUE(dlg.SavePortfolio());

    EXPECT_EQ(dlg.StatusText(),
              "Trade 1 was changed both here and in another program; the change made here was "
              "kept.");
    CBlotterSpace saved = ReadBack();
    EXPECT_EQ(Find(saved, 1)->brokerFee, 4.95);
    ASSERT_NE(Find(saved, 2), nullptr);
    EXPECT_EQ(TradeSymbol(*Find(saved, 2)), "THEIRS");
    ASSERT_NE(Find(saved, 3), nullptr);
    EXPECT_EQ(TradeSymbol(*Find(saved, 3)), "MINE");
}

TEST_F(CSharedFileTest, AHotSyncWhileATradeDialogIsOpenLosesNothing)
{
    WritePortfolio(MakePortfolio({MakeBuy(1, "AAA", 100, 10)}));
    m_quotes.answers["AAA"] = {0, 11, 0.5};
    m_quotes.answers["PALM"] = {0, 4, 0};
    m_quotes.answers["DLG"] = {0, 8, 0};
    m_quotes.answers["LATE"] = {0, 1, 0};
    CBlotterDlg& dlg = Open();

    WhenOpen<CEditTradesDlg>([this, &dlg](CEditTradesDlg& trades) {
        // A HotSync lands, and a timer tick inside the dialog's loop refreshes and saves.
        Elsewhere([](CBlotterSpace& doc) {
            TradeRecord palm = MakeBuy(2, "PALM", 3, 3, "Palm");
            doc.m_trades.AddTail(palm);
            doc.m_categories.push_back("Palm");
            SetTradeCategory(*Find(doc, 1), "Business");
        });
        dlg.Refresh(true);
        // A second HotSync after that refresh, still before OK.
        Elsewhere([](CBlotterSpace& doc) { doc.m_trades.AddTail(MakeBuy(3, "LATE", 1, 1)); });
        // The dialog's own edits: a buy (number 2 in its copy) and a fee on trade 1.
        ASSERT_EQ(AddBuy(trades.m_doc, Buy("DLG", 2, 8), 1772737300).newId, 2);
        Find(trades.m_doc, 1)->brokerFee = 1.5;
        trades.EndDialog(IDOK);
    });
    Command(dlg, kCmdEditTrades);

    CBlotterSpace saved = ReadBack();
    std::vector<std::string> symbols;
    for (const TradeRecord& trade : saved.m_trades)
        symbols.push_back(TradeSymbol(trade));
    // The window's trades in its order, then those the other program added.
    EXPECT_EQ(symbols, (std::vector<std::string>{"AAA", "DLG", "PALM", "LATE"}));
    EXPECT_EQ(TradeCategory(*Find(saved, 1)), "Business");
    EXPECT_EQ(Find(saved, 1)->brokerFee, 1.5);
    EXPECT_EQ(TradeSymbol(*Find(saved, 4)), "DLG");
    EXPECT_EQ(saved.m_categories.back(), "Palm");
    EXPECT_EQ(RowTexts(-1), symbols);

    // The categories dialog the same way.
    WhenOpen<CEditCategoriesDlg>([this](CEditCategoriesDlg& cats) {
        Elsewhere([](CBlotterSpace& doc) { doc.m_trades.AddTail(MakeBuy(9, "SYNC", 1, 1)); });
        cats.m_doc.m_categories.push_back("Retirement");
        cats.EndDialog(IDOK);
    });
    Command(dlg, kCmdEditCategories);
    saved = ReadBack();
    EXPECT_EQ(saved.m_categories.back(), "Retirement");
    EXPECT_NE(Find(saved, 9), nullptr);
}

TEST_F(CSharedFileTest, HotSyncsBeforeAndDuringARefreshKeepTheirTradesAndTheRefreshsPrices)
{
    WritePortfolio(MakePortfolio({MakeBuy(1, "AAA", 100, 10)}));
    m_quotes.answers["AAA"] = {0, 11, 0.5};
    m_quotes.answers["PALM"] = {0, 4, 0.25};
    CBlotterDlg& dlg = Open();

    // A HotSync lands between two refreshes; the next refresh prices its trade too.
    Elsewhere([](CBlotterSpace& doc) { doc.m_trades.AddTail(MakeBuy(2, "PALM", 3, 3, "Palm")); });
    m_quotes.answers["AAA"] = {0, 12, 1.5};
    m_quotes.nDelayMs = 60;
    dlg.Refresh(true);
    ASSERT_TRUE(dlg.IsRefreshing());
    // Another lands while the quotes are on their way, and the window saves meanwhile (an
    // accepted edit, the end of the session).
    Elsewhere([](CBlotterSpace& doc) { doc.m_trades.AddTail(MakeBuy(3, "LATE", 1, 1)); });
    Find(dlg.Document(), 1)->brokerFee = 2.5;
    ASSERT_TRUE(dlg.SavePortfolio());
    ASSERT_TRUE(PumpUntil([&] { return !dlg.IsRefreshing(); }, 10000));

    const auto check = [](CBlotterSpace saved) {
        ASSERT_EQ(saved.m_trades.GetCount(), 3u);
        ASSERT_NE(Find(saved, 1), nullptr);
        EXPECT_EQ(Find(saved, 1)->currentPrice, 12);
        EXPECT_EQ(Find(saved, 1)->brokerFee, 2.5);
        ASSERT_NE(Find(saved, 2), nullptr);
        EXPECT_EQ(TradeSymbol(*Find(saved, 2)), "PALM");
        EXPECT_EQ(Find(saved, 2)->currentPrice, 4);
        ASSERT_NE(Find(saved, 3), nullptr);
        EXPECT_EQ(TradeSymbol(*Find(saved, 3)), "LATE");
    };
    check(ReadBack());
    // Nothing of that was a conflict, and later saves take nothing from the disk again.
    EXPECT_EQ(dlg.StatusText(), "");
    dlg.Refresh(false);
    ASSERT_TRUE(dlg.SavePortfolio());
    check(ReadBack());
    check(dlg.Document());
    EXPECT_EQ(RowTexts(-1), (std::vector<std::string>{"AAA", "PALM", "LATE"}));
}

TEST_F(CSharedFileTest, ALockHeldElsewhereIsReportedOnceAndTheNextSaveTriesAgain)
{
    WritePortfolio(MakePortfolio({MakeBuy(1, "AAA", 100, 10)}));
    m_quotes.answers["AAA"] = {0, 11, 0.5};
    SBlotterServices services = Services();
    services.lockWait = 50ms;
    CBlotterDlg& dlg = Open(services);
    m_boxes.Clear();
    dlg.Document().m_nAlertPercent = 9;
    const std::string before = tf::test::ReadFileBytes(m_strPath);

    tf::fs::CFileLock held;
    ASSERT_TRUE(held.Acquire(m_strPath, 0ms));
    EXPECT_FALSE(dlg.SavePortfolio());
    const std::string status = "Not saved: info.kgw is in use by " + Holder() +
                               "; Tallyfern tries again at the next save.";
    EXPECT_EQ(dlg.StatusText(), status);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_NE(m_boxes.Boxes()[0].strText.find("Nothing in this window is lost"), std::string::npos);
    // Refreshes go on; their saves fail the same way without another box.
    dlg.Refresh(true);
    dlg.Refresh(false);
    EXPECT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(dlg.StatusText(), status);
    EXPECT_EQ(tf::test::ReadFileBytes(m_strPath), before);

    held.Release();
    dlg.Refresh(false);
    EXPECT_EQ(dlg.StatusText(), "");
    // A note of the merge replaces a failure's status and is not wiped by the save after it.
    ASSERT_TRUE(held.Acquire(m_strPath, 0ms));
    EXPECT_FALSE(dlg.SavePortfolio());
    held.Release();
    Find(dlg.Document(), 1)->brokerFee = 1;
    Elsewhere([](CBlotterSpace& doc) { Find(doc, 1)->brokerFee = 2; });
    dlg.Refresh(false);
    EXPECT_EQ(dlg.StatusText(),
              "Trade 1 was changed both here and in another program; the change made here was "
              "kept.");
    EXPECT_EQ(ReadBack().m_trades.begin()->brokerFee, 1);
    EXPECT_EQ(ReadBack().m_nAlertPercent, 9);
    EXPECT_EQ(ReadBack().m_trades.begin()->currentPrice, 11);
    // Once a save has worked, a new failure of the same kind is told again.
    EXPECT_EQ(m_boxes.Boxes().size(), 2u);
}

TEST_F(CSharedFileTest, AFullDiskIsReportedAndTheDocumentIsKept)
{
    WritePortfolio(MakePortfolio({MakeBuy(1, "AAA", 100, 10)}));
    m_quotes.answers["AAA"] = {0, 11, 0.5};
    CBlotterDlg& dlg = Open();
    m_boxes.Clear();
    dlg.Document().m_nAlertPercent = 9;
    tf::fs::SetFaultHook([](tf::fs::FileOp op) { return op == tf::fs::FileOp::Write; });
    EXPECT_FALSE(dlg.SavePortfolio());
    EXPECT_FALSE(dlg.SavePortfolio());
    tf::fs::SetFaultHook(nullptr);
    EXPECT_EQ(dlg.StatusText().rfind("Not saved: Cannot write ", 0), 0u) << dlg.StatusText();
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_NE(m_boxes.Boxes()[0].strText.find("The file was left as it was"), std::string::npos);
    EXPECT_EQ(ReadBack().m_nAlertPercent, 5);

    EXPECT_TRUE(dlg.SavePortfolio());
    EXPECT_EQ(ReadBack().m_nAlertPercent, 9);
    EXPECT_EQ(dlg.StatusText(), "");
}

TEST_F(CSharedFileTest, ADamagedFileThatCouldNotBeCopiedIsNeverSavedOver)
{
    CBlotterSpace big = MakePortfolio({});
    for (int i = 1; i <= 500; ++i)
        big.m_trades.AddTail(MakeBuy(i, "T" + std::to_string(i), 1, 1));
    WritePortfolio(big);
    const std::string whole = tf::test::ReadFileBytes(m_strPath);
    const std::string damaged = whole.substr(0, whole.size() - 1000);
    tf::test::WriteFileBytes(m_strPath, damaged);

    // A full disk: the copy aside fails at start-up, and so would every save.
    tf::fs::SetFaultHook([](tf::fs::FileOp op) { return op == tf::fs::FileOp::Write; });
    CBlotterDlg& dlg = Open();
    ASSERT_GE(m_boxes.Boxes().size(), 1u);
    EXPECT_NE(m_boxes.Boxes()[0].strText.find("saves nothing over it"), std::string::npos)
        << m_boxes.Boxes()[0].strText;
    // The start-up refresh's save refused before it wrote anything: the damage is the reason.
    EXPECT_EQ(dlg.StatusText(), "Not saved: the portfolio file is damaged and no copy of it "
                                "could be kept; nothing is saved over it until one can be.");
    dlg.CloseWindow();
    EXPECT_EQ(tf::test::ReadFileBytes(m_strPath), damaged);
    tf::fs::SetFaultHook(nullptr);
    m_pDlg.reset();

    // Room again: the next start copies it aside, and only then may a save replace it.
    m_boxes.Clear();
    CBlotterDlg& again = Open();
    again.CloseWindow();
    std::size_t copies = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder)) {
        if (entry.path().filename().string().rfind("info.kgw.damaged-", 0) == 0) {
            ++copies;
            EXPECT_EQ(tf::test::ReadFileBytes(entry.path()), damaged);
        }
    }
    EXPECT_EQ(copies, 1u);
    EXPECT_NE(tf::test::ReadFileBytes(m_strPath), damaged);
}

TEST_F(CSharedFileTest, ALinkedPortfolioStaysALinkAndBackupsLieBesideTheFile)
{
    WritePortfolio(MakePortfolio({MakeBuy(1, "AAA", 100, 10)}));
    const std::string link = (m_folder / "Tallyfern.kgw").string();
    std::filesystem::create_symlink("info.kgw", link);
    m_quotes.answers["AAA"] = {0, 11, 0.5};
    SBlotterServices services = Services();
    services.strPortfolioPath = link;
    CBlotterDlg& dlg = Open(services);
    dlg.Refresh(false);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBack().m_trades.begin()->currentPrice, 11);
    EXPECT_TRUE(std::filesystem::exists(tf::fs::BackupPath(m_strPath, 1)));
    EXPECT_TRUE(std::filesystem::exists(tf::fs::BackupPath(m_strPath, 2)));
    EXPECT_FALSE(std::filesystem::exists(tf::fs::BackupPath(link, 1)));
    // Another program's save through the file's own name is merged as well.
    Elsewhere([](CBlotterSpace& doc) { doc.m_nAlertPercent = 4; });
    dlg.Refresh(false);
    EXPECT_EQ(ReadBack().m_nAlertPercent, 4);
}
