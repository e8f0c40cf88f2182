// The window as a person lives with it: the category shown removed, the columns on a first
// start, and the About box's paragraph.
#include <QLabel>
#include <QScrollBar>
#include <QTimer>

#include "app/AboutDlg.h"
#include "app/dialogs/EditCategoriesDlg.h"
#include "tests/app/WindowFixture.h"

using namespace BlotterIds;

namespace {

int ColumnSum(CGridCtrl& grid)
{
    int nSum = 0;
    for (int nCol = 0; nCol < kBlotterColumns; ++nCol) {
        int nWidth = 0;
        grid.GetColWidth(nCol, nWidth);
        nSum += nWidth;
    }
    return nSum;
}

} // namespace

TEST_F(CWindowTest, RemovingTheCategoryShownFallsBackToAll)
{
    CBlotterSpace doc = MakePortfolio({MakeBuy(1, "AAA", 10, 10, "Business", 11, 0),
                                       MakeBuy(2, "BBB", 5, 20, "Personal", 21, 0)});
    doc.m_strCategoryFilter = "Business";
    WritePortfolio(doc);
    m_quotes.answers["AAA"] = {0, 11, 0};
    m_quotes.answers["BBB"] = {0, 21, 0};
    CBlotterDlg& dlg = Open();
    ASSERT_EQ(dlg.Grid().GetRowCount(), 1);
    ASSERT_EQ(dlg.ComboBox(kCategoryBox).GetWindowText(), "Business");

    bool bRemoved = false;
    WhenOpen<CEditCategoriesDlg>([&bRemoved](CEditCategoriesDlg& cats) {
        CListBox list = cats.ListBox(CEditCategoriesDlg::kIdCategoryList);
        list.SetCurSel(list.FindStringExact(-1, "Business"));
        cats.SendMessage(WM_COMMAND, MAKEWPARAM(CEditCategoriesDlg::kIdCategoryList, LBN_SELCHANGE),
                         0);
        cats.SendMessage(WM_COMMAND, MAKEWPARAM(CEditCategoriesDlg::kIdRemove, BN_CLICKED), 0);
        bRemoved = list.FindStringExact(-1, "Business") < 0;
        cats.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    Command(dlg, kCmdEditCategories);
    ASSERT_TRUE(bRemoved);
    // Reading the file again refreshes in the background.
    Settle();

    // The box shows "All" and the grid every open position, the trade once filed under the
    // removed category among them; the file says so too.
    EXPECT_EQ(dlg.ComboBox(kCategoryBox).GetWindowText(), "All");
    EXPECT_EQ(dlg.Document().m_strCategoryFilter, "All");
    EXPECT_EQ(RowTexts(-1), (std::vector<std::string>{"AAA", "BBB"}));
    const CBlotterSpace saved = ReadBack();
    EXPECT_EQ(saved.m_strCategoryFilter, "All");
    EXPECT_EQ(TradeCategory(*saved.m_trades.begin()), "Unfiled");

    // A file whose category shown is missing from its list (written by another program)
    // opens on "All" as well.
    m_pDlg.reset();
    CBlotterSpace stray = ReadBack();
    stray.m_strCategoryFilter = "Gone";
    WritePortfolio(stray);
    CBlotterDlg& again = Open();
    EXPECT_EQ(again.ComboBox(kCategoryBox).GetWindowText(), "All");
    EXPECT_EQ(again.Grid().GetRowCount(), 2);
}

TEST_F(CWindowTest, AFirstStartFitsTheColumnsToTheGrid)
{
    // No info.kgw yet: the default widths are applied and the columns still fill the cell
    // area exactly, with no sideways scroll bar before the first trade.
    CBlotterDlg& dlg = Open();
    ASSERT_FALSE(std::filesystem::exists(m_strPath));
    ASSERT_GT(dlg.Grid().GetCellAreaWidth(), 0);
    EXPECT_EQ(ColumnSum(dlg.Grid()), dlg.Grid().GetCellAreaWidth());
    EXPECT_FALSE(dlg.Grid().GetHScrollBar()->isEnabled());
    int nSide = 0;
    dlg.Grid().GetColWidth(-1, nSide);
    EXPECT_EQ(nSide, 75);
}

TEST_F(CWindowTest, TheAboutBoxWrapsItsParagraphWithinItsTemplate)
{
    CBlotterDlg& dlg = Open();
    bool bSeen = false;
    WhenOpen<CAboutDlg>([&bSeen](CAboutDlg& about) {
        for (QLabel* pLabel : about.findChildren<QLabel*>()) {
            if (!pLabel->text().startsWith("Visit the Brackwel"))
                continue;
            bSeen = true;
            const QRect inTemplate = about.BaseUnits().MapDialogRect(44, 60, 190, 20);
            // The template's width, wrapped onto lines that all fit inside the label and the
            // box: the last words are not cut at the box's edge.
            EXPECT_TRUE(pLabel->wordWrap());
            EXPECT_EQ(pLabel->geometry().left(), inTemplate.left());
            EXPECT_EQ(pLabel->width(), inTemplate.width());
            EXPECT_GE(pLabel->height(), pLabel->heightForWidth(pLabel->width()));
            EXPECT_LE(pLabel->geometry().right(), pLabel->parentWidget()->width());
        }
        about.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    Command(dlg, kCmdAbout);
    EXPECT_TRUE(bSeen);
}
