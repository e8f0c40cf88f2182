// The category dialog driven by control id, with every message box recorded.
#include "app/dialogs/EditCategoriesDlg.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <QLineEdit>

#include "model/BlotterSpace.h"
#include "model/Ledger.h"
#include "tests/app/dialogs/DialogTestSupport.h"
#include "tests/support/msgboxsink/RecordingMessageBoxSink.h"

namespace {

using D = CEditCategoriesDlg;

std::vector<std::string> Rows(const CEditCategoriesDlg& dlg)
{
    std::vector<std::string> rows;
    const CListBox list = dlg.ListBox(D::kIdCategoryList);
    for (int i = 0; i < list.GetCount(); ++i)
        rows.push_back(list.GetText(i));
    return rows;
}

void AddNamed(CEditCategoriesDlg& dlg, const std::string& strName)
{
    dlg.SetDlgItemText(D::kIdCategory, strName);
    Click(dlg, D::kIdAdd);
}

TradeValues Filed(const std::string& strSymbol, const std::string& strCategory)
{
    TradeValues values;
    values.symbol = strSymbol;
    values.quantity = 10;
    values.price = 5;
    values.category = strCategory;
    values.country = "United States";
    return values;
}

} // namespace

TEST(EditCategoriesDlg, ShowsTheCategoriesButAllAndUnfiledAndFillsTheField)
{
    DialogsTestApp();
    CEditCategoriesDlg dlg;
    dlg.m_doc.AddDefaultCategories();
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(Rows(dlg),
              (std::vector<std::string>{"401(k)", "Business", "Personal", "Stock Plan"}));
    EXPECT_EQ(dlg.ListBox(D::kIdCategoryList).GetCurSel(), 0);
    EXPECT_EQ(dlg.GetDlgItemText(D::kIdCategory), "401(k)");
    EXPECT_EQ(dlg.GetDlgItemAs<QLineEdit>(D::kIdCategory)->maxLength(), 15);

    ChooseRow(dlg, D::kIdCategoryList, 2);
    EXPECT_EQ(dlg.GetDlgItemText(D::kIdCategory), "Personal");
}

TEST(EditCategoriesDlg, FifteenEntriesAtMostAndNamesOfFifteenCharacters)
{
    DialogsTestApp();
    CRecordingMessageBoxSink sink;
    CEditCategoriesDlg dlg;
    dlg.m_doc.AddDefaultCategories();
    ASSERT_TRUE(dlg.Create());
    dlg.show();

    // A name of 16 characters is refused by the field's own check.
    dlg.GetDlgItemAs<QLineEdit>(D::kIdCategory)->setMaxLength(32767);
    AddNamed(dlg, "Sixteen chars ok");
    ASSERT_EQ(sink.Boxes().size(), 1u);
    EXPECT_EQ(sink.Boxes()[0].strText, "Please enter no more than 15 characters.");
    EXPECT_EQ(dlg.m_doc.m_categories.size(), 6u);

    // Nine more fill the list to 15 (a duplicate and an empty name among them).
    AddNamed(dlg, "Fifteen chars!!");
    AddNamed(dlg, "Business");
    AddNamed(dlg, "");
    for (int i = 0; i < 6; ++i)
        AddNamed(dlg, "Extra " + std::to_string(i));
    EXPECT_EQ(dlg.m_doc.m_categories.size(), 15u);
    EXPECT_EQ(dlg.m_doc.m_categories[6], "Fifteen chars!!");
    EXPECT_EQ(dlg.ListBox(D::kIdCategoryList).GetCount(), 13);
    // The field keeps the text it was added with.
    EXPECT_EQ(dlg.GetDlgItemText(D::kIdCategory), "Extra 5");
    ASSERT_EQ(sink.Boxes().size(), 1u);

    AddNamed(dlg, "One too many");
    ASSERT_EQ(sink.Boxes().size(), 2u);
    EXPECT_EQ(sink.Boxes()[1].strText, "Cannot add more than 15 categories.");
    EXPECT_EQ(sink.Boxes()[1].strCaption, "PalmPilot Limit");
    EXPECT_EQ(sink.Boxes()[1].nIcon, MB_ICONSTOP);
    EXPECT_EQ(sink.Boxes()[1].nButtons, MB_OK);
    EXPECT_EQ(dlg.m_doc.m_categories.size(), 15u);
    EXPECT_EQ(dlg.ListBox(D::kIdCategoryList).GetCount(), 13);
}

TEST(EditCategoriesDlg, AListWrittenElsewhereShowsItsFirstFifteenAndTakesNoMore)
{
    DialogsTestApp();
    CRecordingMessageBoxSink sink;
    CEditCategoriesDlg dlg;
    for (int i = 0; i < 17; ++i)
        dlg.m_doc.m_categories.push_back("C" + std::to_string(100 + i));
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(dlg.ListBox(D::kIdCategoryList).GetCount(), 15);
    EXPECT_LT(dlg.ListBox(D::kIdCategoryList).FindStringExact(-1, "C114"), 15);
    EXPECT_EQ(dlg.ListBox(D::kIdCategoryList).FindStringExact(-1, "C115"), LB_ERR);
    AddNamed(dlg, "New");
    ASSERT_EQ(sink.Boxes().size(), 1u);
    EXPECT_EQ(sink.Boxes()[0].strText, "Cannot add more than 15 categories.");
    EXPECT_EQ(dlg.m_doc.m_categories.size(), 17u);
}

TEST(EditCategoriesDlg, RemovingMovesTradesOfThatExactNameToUnfiled)
{
    DialogsTestApp();
    CRecordingMessageBoxSink sink;
    CEditCategoriesDlg dlg;
    CBlotterSpace& doc = dlg.m_doc;
    doc.AddDefaultCategories();
    doc.m_categories.push_back("Business"); // a second entry of the same name
    AddBuy(doc, Filed("OPEN", "Business"), 1);
    AddBuy(doc, Filed("GONE", "Business"), 1);
    AddBuy(doc, Filed("CASE", "business"), 1);
    AddBuy(doc, Filed("OTHER", "Personal"), 1);
    TradeRecord open = MakeEmptyTrade();
    ASSERT_TRUE(doc.FindTrade(1, open));
    AddSell(doc, &open, Filed("OPEN", "Business"), 2); // a closed sale, trade 5
    for (TradeRecord& trade : doc.m_trades) {
        if (trade.id == 2)
            trade.status = kStatusDeleted;
        if (trade.id == 4)
            trade.status = kStatusInStep;
    }
    ASSERT_TRUE(dlg.Create());

    // With no row chosen, Remove does nothing.
    dlg.ListBox(D::kIdCategoryList).SetCurSel(-1);
    Click(dlg, D::kIdRemove);
    EXPECT_EQ(doc.m_categories.size(), 7u);

    const int nRow = dlg.ListBox(D::kIdCategoryList).FindStringExact(-1, "Business");
    ChooseRow(dlg, D::kIdCategoryList, nRow);
    Click(dlg, D::kIdRemove);

    EXPECT_EQ(doc.m_categories, (std::vector<std::string>{"All", "Unfiled", "401(k)", "Stock Plan",
                                                          "Personal", "Business"}));
    EXPECT_EQ(dlg.GetDlgItemText(D::kIdCategory), "");
    std::vector<std::string> categories;
    std::vector<int> statuses;
    for (const TradeRecord& trade : doc.m_trades) {
        categories.push_back(TradeCategory(trade));
        statuses.push_back(trade.status);
    }
    EXPECT_EQ(categories,
              (std::vector<std::string>{"Unfiled", "Unfiled", "business", "Personal", "Unfiled"}));
    // The status of a moved trade is left as it was.
    EXPECT_EQ(statuses, (std::vector<int>{kStatusAdded, kStatusDeleted, kStatusAdded, kStatusInStep,
                                          kStatusAdded}));
    EXPECT_TRUE(sink.Boxes().empty());
}

TEST(EditCategoriesDlg, OnlyOkHandsTheCopyBack)
{
    DialogsTestApp();
    CBlotterSpace window;
    window.AddDefaultCategories();
    AddBuy(window, Filed("B", "Business"), 1);

    const auto runDialog = [&window](int nEndWith) {
        CEditCategoriesDlg dlg;
        dlg.m_doc.CopyFrom(window);
        const int nResult = RunModal(dlg, [&dlg, nEndWith] {
            ChooseRow(dlg, D::kIdCategoryList,
                      dlg.ListBox(D::kIdCategoryList).FindStringExact(-1, "Business"));
            Click(dlg, D::kIdRemove);
            Click(dlg, nEndWith);
        });
        if (nResult == IDOK)
            window.CopyFrom(dlg.m_doc);
        return nResult;
    };
    EXPECT_EQ(runDialog(IDCANCEL), IDCANCEL);
    EXPECT_EQ(window.m_categories.size(), 6u);
    EXPECT_EQ(TradeCategory(*window.m_trades.begin()), "Business");

    EXPECT_EQ(runDialog(IDOK), IDOK);
    EXPECT_EQ(window.m_categories.size(), 5u);
    EXPECT_EQ(TradeCategory(*window.m_trades.begin()), "Unfiled");
}
