// The File menu's editing commands as the window runs them.
#include "app/PagerPrefsDlg.h"
#include "app/PreferencesDlg.h"
#include "app/dialogs/EditCategoriesDlg.h"
#include "tests/app/WindowFixture.h"

using namespace BlotterIds;

TEST_F(CWindowTest, PreferencesArmAndStopTheTimerAndSaveNothing)
{
    WritePortfolio(MakePortfolio({}));
    CBlotterDlg& dlg = Open();
    const auto stamp = tf::fs::StampFile(m_strPath);

    WhenOpen<CPreferencesDlg>([](CPreferencesDlg& prefs) {
        prefs.SetDlgItemText(CPreferencesDlg::kIdInterval, "0");
        prefs.CheckDlgButton(CPreferencesDlg::kIdAutoRefresh, BST_CHECKED);
        prefs.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    Command(dlg, kCmdPreferences);
    EXPECT_TRUE(dlg.IsTimerRunning());
    EXPECT_EQ(dlg.GetTimerInterval(kRefreshTimer), 600000u);
    EXPECT_EQ(dlg.Document().m_bAutoRefresh, 1);
    EXPECT_EQ(dlg.Document().m_nRefreshMinutes, 0);
    EXPECT_EQ(tf::fs::StampFile(m_strPath), stamp);

    WhenOpen<CPreferencesDlg>([](CPreferencesDlg& prefs) {
        prefs.CheckDlgButton(CPreferencesDlg::kIdAutoRefresh, BST_UNCHECKED);
        prefs.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    Command(dlg, kCmdPreferences);
    EXPECT_FALSE(dlg.IsTimerRunning());
    EXPECT_EQ(dlg.GetTimerInterval(kRefreshTimer), 0u);

    // The pager settings: a refused field keeps the dialog open; Cancel changes nothing.
    WhenOpen<CPagerPrefsDlg>([](CPagerPrefsDlg& pager) {
        pager.SetDlgItemText(CPagerPrefsDlg::kIdAlertPercent, "150");
        pager.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_FALSE(pager.IsEnded());
        pager.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    Command(dlg, kCmdEditPagerAlerts);
    EXPECT_EQ(dlg.Document().m_nAlertPercent, 5);
    ASSERT_FALSE(m_boxes.Boxes().empty());
    EXPECT_EQ(m_boxes.Boxes().back().strText, "Please enter an integer between 0 and 100.");

    WhenOpen<CPagerPrefsDlg>([](CPagerPrefsDlg& pager) {
        pager.SetDlgItemText(CPagerPrefsDlg::kIdAlertPercent, "12");
        pager.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    Command(dlg, kCmdEditPagerAlerts);
    EXPECT_EQ(dlg.Document().m_nAlertPercent, 12);
    EXPECT_EQ(tf::fs::StampFile(m_strPath), stamp);
}

TEST_F(CWindowTest, EditCategoriesOkSavesAndReadsTheFileAgain)
{
    WritePortfolio(MakePortfolio({MakeBuy(1, "AAA", 1, 1)}));
    m_quotes.answers["AAA"] = {0, 2, 0};
    CBlotterDlg& dlg = Open();
    m_quotes.requests.clear();

    WhenOpen<CEditCategoriesDlg>([](CEditCategoriesDlg& cats) {
        cats.m_doc.m_categories.push_back("Retirement");
        cats.EndDialog(IDOK);
    });
    Command(dlg, kCmdEditCategories);
    Settle();
    EXPECT_EQ(ReadBack().m_categories.back(), "Retirement");
    EXPECT_GE(dlg.ComboBox(kCategoryBox).FindStringExact(-1, "Retirement"), 0);
    // Reading the file again runs a fetching refresh.
    EXPECT_EQ(m_quotes.requests, (std::vector<std::string>{"AAA"}));

    // A HotSync wrote the file meanwhile: the dialog gets its lists. Cancel then leaves the
    // window's document as it was before the dialog.
    CBlotterSpace conduit = ReadBack();
    conduit.m_categories.push_back("FromPalm");
    ASSERT_TRUE(WritePortfolioFile(m_strPath, conduit).bOk);
    bool bSawPalm = false;
    WhenOpen<CEditCategoriesDlg>([&bSawPalm](CEditCategoriesDlg& cats) {
        bSawPalm = cats.m_doc.m_categories.back() == "FromPalm";
        cats.m_doc.m_categories.clear();
        cats.EndDialog(IDCANCEL);
    });
    Command(dlg, kCmdEditCategories);
    EXPECT_TRUE(bSawPalm);
    EXPECT_EQ(dlg.Document().m_categories.back(), "FromPalm");
    EXPECT_GE(dlg.ComboBox(kCategoryBox).FindStringExact(-1, "FromPalm"), 0);
}
