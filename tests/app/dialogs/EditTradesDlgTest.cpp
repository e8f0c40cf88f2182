// The trade dialog driven by control id on a private copy of a portfolio, with every message
// box recorded.
#include "app/dialogs/EditTradesDlg.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <QLineEdit>

#include "model/BlotterSpace.h"
#include "model/Ledger.h"
#include "tests/app/dialogs/DialogTestSupport.h"
#include "tests/model/TradeValuesForTests.h"
#include "tests/support/msgboxsink/RecordingMessageBoxSink.h"

namespace {

using D = CEditTradesDlg;

// 1998-03-05 15:00 UTC and a week later.
constexpr std::int32_t kBought = 889110000;
constexpr std::int32_t kSold = kBought + 7 * 86400;

TradeValues Buy(const std::string& strSymbol, double dQuantity, double dPrice,
                const std::string& strCategory = "Personal",
                const std::string& strCountry = "United States")
{
    return MakeTradeValues(strSymbol, dQuantity, dPrice, 9.95, false, strCategory, strCountry);
}

CBlotterSpace NewPortfolio()
{
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    return doc;
}

TradeRecord Trade(const CBlotterSpace& doc, std::int32_t id)
{
    TradeRecord trade = MakeEmptyTrade();
    EXPECT_TRUE(doc.FindTrade(id, trade)) << "trade " << id;
    return trade;
}

std::vector<std::string> Rows(const CEditTradesDlg& dlg)
{
    std::vector<std::string> rows;
    const CListBox list = dlg.ListBox(D::kIdTradeList);
    for (int i = 0; i < list.GetCount(); ++i)
        rows.push_back(list.GetText(i).substr(0, list.GetText(i).find(' ')));
    return rows;
}

void OpenOn(CEditTradesDlg& dlg, const CBlotterSpace& doc, std::int32_t bShowClosed = 0)
{
    dlg.m_doc.CopyFrom(doc);
    dlg.m_bShowClosed = bShowClosed;
    dlg.SetClock([] { return kSold; });
    ASSERT_TRUE(dlg.Create());
}

std::string Text(const CEditTradesDlg& dlg, int nId)
{
    return dlg.GetDlgItemText(nId);
}

} // namespace

TEST(EditTradesDlg, OpensOnTheFirstRowWithItsFieldsAndBoxes)
{
    DialogsTestApp();
    CBlotterSpace doc = NewPortfolio();
    AddBuy(doc, Buy("MSFT", 50, 101.25, "Business", "Canada"), kBought);
    AddBuy(doc, Buy("aapl", 100, 20.5, "Personal", "Switzerland"), kBought);
    CEditTradesDlg dlg;
    OpenOn(dlg, doc);

    EXPECT_EQ(Rows(dlg), (std::vector<std::string>{"aapl", "MSFT"}));
    EXPECT_EQ(dlg.ListBox(D::kIdTradeList).GetText(0), "aapl                           , 2");
    EXPECT_EQ(dlg.ListBox(D::kIdTradeList).GetCurSel(), 0);
    EXPECT_EQ(Text(dlg, D::kIdSymbol), "aapl");
    EXPECT_EQ(Text(dlg, D::kIdQuantity), "100");
    EXPECT_EQ(Text(dlg, D::kIdPrice), "20.5");
    EXPECT_EQ(Text(dlg, D::kIdBrokerFee), "9.95");
    EXPECT_EQ(Text(dlg, D::kIdPurchased), "Mar 05, 1998");
    EXPECT_EQ(Text(dlg, D::kIdSold), "");
    EXPECT_EQ(Text(dlg, D::kIdRealizedPL), "0");
    EXPECT_EQ(Text(dlg, D::kIdStatusGroup), " Status (trade 2) ");
    EXPECT_EQ(dlg.IsDlgButtonChecked(D::kIdBuy), BST_CHECKED);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(D::kIdSymbol));
    EXPECT_EQ(dlg.ComboBox(D::kIdCategory).GetWindowText(), "Personal");
    EXPECT_EQ(dlg.ComboBox(D::kIdCountry).GetWindowText(), "Switzerland");
    EXPECT_EQ(dlg.m_current.id, 2);
    // The typing limit of the Security field.
    EXPECT_EQ(dlg.GetDlgItemAs<QLineEdit>(D::kIdSymbol)->maxLength(), 10);

    // Every category but "All", sorted; the ten countries, sorted.
    const CComboBox categories = dlg.ComboBox(D::kIdCategory);
    std::vector<std::string> names;
    for (int i = 0; i < categories.GetCount(); ++i)
        names.push_back(categories.GetLBText(i));
    EXPECT_EQ(names, (std::vector<std::string>{"401(k)", "Business", "Personal", "Stock Plan",
                                               "Unfiled"}));
    const CComboBox countries = dlg.ComboBox(D::kIdCountry);
    ASSERT_EQ(countries.GetCount(), 10);
    EXPECT_EQ(countries.GetLBText(0), "Australia");
    EXPECT_EQ(countries.GetLBText(9), "United States");

    // Choosing the other row shows that trade; Sell and Buy toggle the Security field.
    ChooseRow(dlg, D::kIdTradeList, 1);
    EXPECT_EQ(Text(dlg, D::kIdSymbol), "MSFT");
    EXPECT_EQ(dlg.ComboBox(D::kIdCategory).GetWindowText(), "Business");
    EXPECT_EQ(dlg.ComboBox(D::kIdCountry).GetWindowText(), "Canada");
    Click(dlg, D::kIdSell);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(D::kIdSymbol));
    Click(dlg, D::kIdBuy);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(D::kIdSymbol));
}

TEST(EditTradesDlg, ClosedTradesOnlyWithTheBoxAndDeletedRecordsNever)
{
    DialogsTestApp();
    CRecordingMessageBoxSink sink;
    CBlotterSpace doc = NewPortfolio();
    AddBuy(doc, Buy("IBM", 100, 80), kBought); // 1: sold out below
    TradeRecord ibm = Trade(doc, 1);
    AddSell(doc, &ibm, Buy("IBM", 100, 92.5), kSold); // 2: the sale
    AddBuy(doc, Buy("DELL", 10, 30), kBought);        // 3: deleted on the handheld
    for (TradeRecord& trade : doc.m_trades)
        if (trade.id == 3)
            trade.status = kStatusDeleted;
    AddBuy(doc, Buy("HPQ", 5, 40), kBought); // 4: open

    CEditTradesDlg dlg;
    OpenOn(dlg, doc);
    EXPECT_EQ(Rows(dlg), (std::vector<std::string>{"HPQ"}));
    EXPECT_EQ(dlg.IsDlgButtonChecked(D::kIdShowClosed), BST_UNCHECKED);

    Click(dlg, D::kIdShowClosed);
    EXPECT_EQ(dlg.m_bShowClosed, 1);
    EXPECT_EQ(Rows(dlg), (std::vector<std::string>{"HPQ", "IBM", "IBM"}));

    // The sale: Sell chosen, the Security field disabled, its dates and stored result.
    const CListBox list = dlg.ListBox(D::kIdTradeList);
    const int nSale = list.FindString(-1, "IBM                           , 2");
    ASSERT_GE(nSale, 0);
    ChooseRow(dlg, D::kIdTradeList, nSale);
    EXPECT_EQ(dlg.IsDlgButtonChecked(D::kIdSell), BST_CHECKED);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(D::kIdSymbol));
    EXPECT_EQ(Text(dlg, D::kIdSold), "Mar 12, 1998");
    EXPECT_EQ(Text(dlg, D::kIdRealizedPL), "1250");
    EXPECT_EQ(Text(dlg, D::kIdStatusGroup), " Status (trade 2, refers trade 1) ");

    // A sale cannot be updated with either choice, nor a closed buy.
    Click(dlg, D::kIdUpdateTrade);
    Click(dlg, D::kIdBuy);
    Click(dlg, D::kIdUpdateTrade);
    ChooseRow(dlg, D::kIdTradeList, list.FindString(-1, "IBM                           , 1"));
    Click(dlg, D::kIdUpdateTrade);
    ASSERT_EQ(sink.Boxes().size(), 3u);
    EXPECT_EQ(sink.Boxes()[0].strText, "Update not supported for closed positions.");
    EXPECT_EQ(sink.Boxes()[1].strText, "Cannot update buy/sell change.");
    EXPECT_EQ(sink.Boxes()[2].strText, "Update not supported for closed positions.");
    for (const SMessageBoxRequest& box : sink.Boxes()) {
        EXPECT_EQ(box.strCaption, "Update error");
        EXPECT_EQ(box.nIcon, MB_ICONSTOP);
        EXPECT_EQ(box.nButtons, MB_OK);
    }

    Click(dlg, D::kIdShowClosed);
    EXPECT_EQ(Rows(dlg), (std::vector<std::string>{"HPQ"}));
    EXPECT_EQ(dlg.m_bShowClosed, 0);
}

TEST(EditTradesDlg, RemovedCategoryAndForeignCountryShowTheFallbacksAndAreStored)
{
    DialogsTestApp();
    CBlotterSpace doc = NewPortfolio();
    doc.m_strBaseCountry = "Canada";
    AddBuy(doc, Buy("NESN", 10, 500, "Gone", "Japan"), kBought);
    AddBuy(doc, Buy("ZZZ", 1, 1, "", ""), kBought);
    CEditTradesDlg dlg;
    OpenOn(dlg, doc);

    EXPECT_EQ(dlg.ComboBox(D::kIdCategory).GetWindowText(), "Unfiled");
    EXPECT_EQ(dlg.ComboBox(D::kIdCountry).GetWindowText(), "Canada");
    Click(dlg, D::kIdUpdateTrade);
    const TradeRecord updated = Trade(dlg.m_doc, 1);
    EXPECT_EQ(TradeCategory(updated), "Unfiled");
    EXPECT_EQ(TradeCountry(updated), "Canada");
    EXPECT_EQ(updated.status, kStatusChanged);

    // Empty texts match no entry (as prefixes they would pick the first one, "401(k)" and
    // "Australia").
    ChooseRow(dlg, D::kIdTradeList, 1);
    ASSERT_EQ(Text(dlg, D::kIdSymbol), "ZZZ");
    EXPECT_EQ(dlg.ComboBox(D::kIdCategory).GetWindowText(), "Unfiled");
    EXPECT_EQ(dlg.ComboBox(D::kIdCountry).GetWindowText(), "Canada");

    // A prefix selects the first entry it begins, ignoring case.
    for (TradeRecord& trade : dlg.m_doc.m_trades)
        if (trade.id == 2) {
            SetTradeCategory(trade, "stock");
            SetTradeCountry(trade, "swe");
        }
    dlg.ShowSelectedTrade();
    EXPECT_EQ(dlg.ComboBox(D::kIdCategory).GetWindowText(), "Stock Plan");
    EXPECT_EQ(dlg.ComboBox(D::kIdCountry).GetWindowText(), "Sweden");
}

TEST(EditTradesDlg, SymbolsWithABlankOrACommaAreNotCorruptedOrMistaken)
{
    DialogsTestApp();
    CRecordingMessageBoxSink sink;
    CBlotterSpace doc = NewPortfolio();
    AddBuy(doc, Buy("BRK B", 3, 3000), kBought); // 1
    AddBuy(doc, Buy("A,B", 7, 70), kBought);     // 2
    CEditTradesDlg dlg;
    OpenOn(dlg, doc);
    ASSERT_EQ(Rows(dlg), (std::vector<std::string>{"A,B", "BRK"}));

    // The row of the symbol with a comma reads as no trade: cleared fields, and the rules
    // act on nothing rather than on the trade shown before.
    ChooseRow(dlg, D::kIdTradeList, 1);
    ASSERT_EQ(dlg.m_current.id, 1);
    ChooseRow(dlg, D::kIdTradeList, 0);
    EXPECT_EQ(Text(dlg, D::kIdSymbol), "");
    EXPECT_EQ(Text(dlg, D::kIdQuantity), "0");
    EXPECT_EQ(Text(dlg, D::kIdStatusGroup), " Trade Status ");
    dlg.SetDlgItemText(D::kIdSymbol, "X");
    Click(dlg, D::kIdUpdateTrade);
    Click(dlg, D::kIdRemoveTrade);
    Click(dlg, D::kIdSell);
    dlg.SetDlgItemText(D::kIdQuantity, "1");
    Click(dlg, D::kIdAddTrade);
    ASSERT_EQ(dlg.m_doc.m_trades.GetCount(), 2u);
    EXPECT_EQ(TradeSymbol(Trade(dlg.m_doc, 1)), "BRK B");
    EXPECT_EQ(Trade(dlg.m_doc, 1).quantity, 3);
    ASSERT_EQ(sink.Boxes().size(), 1u);
    EXPECT_EQ(sink.Boxes()[0].strText, "Position not open! Please select open position to sell.");

    // The symbol with a blank shows whole, and an update keeps it whole.
    ChooseRow(dlg, D::kIdTradeList, 1);
    EXPECT_EQ(Text(dlg, D::kIdSymbol), "BRK B");
    dlg.SetDlgItemText(D::kIdQuantity, "4");
    Click(dlg, D::kIdUpdateTrade);
    EXPECT_EQ(TradeSymbol(Trade(dlg.m_doc, 1)), "BRK B");
    EXPECT_EQ(Trade(dlg.m_doc, 1).quantity, 4);
}

TEST(EditTradesDlg, AddingABuyKeepsTheSelectedPosition)
{
    DialogsTestApp();
    CBlotterSpace doc = NewPortfolio();
    doc.m_bDeductBrokerage = 1;
    AddBuy(doc, Buy("BBB", 1, 10), kBought);
    AddBuy(doc, Buy("DDD", 2, 20), kBought);
    CEditTradesDlg dlg;
    OpenOn(dlg, doc);
    ChooseRow(dlg, D::kIdTradeList, 1);
    ASSERT_EQ(Text(dlg, D::kIdSymbol), "DDD");

    dlg.SetDlgItemText(D::kIdSymbol, "AAA");
    dlg.SetDlgItemText(D::kIdQuantity, "12.5");
    dlg.SetDlgItemText(D::kIdPrice, "3");
    dlg.SetDlgItemText(D::kIdBrokerFee, "1");
    dlg.ComboBox(D::kIdCategory).SelectString(-1, "Business");
    dlg.ComboBox(D::kIdCountry).SelectString(-1, "Norway");
    Click(dlg, D::kIdAddTrade);

    // Position 1 now holds another trade, which the fields show.
    EXPECT_EQ(Rows(dlg), (std::vector<std::string>{"AAA", "BBB", "DDD"}));
    EXPECT_EQ(dlg.ListBox(D::kIdTradeList).GetCurSel(), 1);
    EXPECT_EQ(Text(dlg, D::kIdSymbol), "BBB");
    EXPECT_EQ(dlg.m_current.id, 1);
    const TradeRecord added = Trade(dlg.m_doc, 3);
    EXPECT_EQ(TradeSymbol(added), "AAA");
    EXPECT_EQ(added.quantity, 12.5);
    EXPECT_EQ(TradeCategory(added), "Business");
    EXPECT_EQ(TradeCountry(added), "Norway");
    EXPECT_EQ(added.buyDate, kSold);
    EXPECT_EQ(added.deductFee, 1);
    EXPECT_EQ(added.status, kStatusAdded);
}

TEST(EditTradesDlg, SellingFromTheSelectedBuy)
{
    DialogsTestApp();
    CRecordingMessageBoxSink sink;

    // With no rows there is nothing to sell from.
    {
        CEditTradesDlg empty;
        OpenOn(empty, NewPortfolio());
        EXPECT_EQ(empty.ListBox(D::kIdTradeList).GetCount(), 0);
        EXPECT_EQ(empty.ComboBox(D::kIdCategory).GetWindowText(), "Unfiled");
        EXPECT_EQ(empty.ComboBox(D::kIdCountry).GetWindowText(), "United States");
        Click(empty, D::kIdSell);
        empty.SetDlgItemText(D::kIdQuantity, "5");
        Click(empty, D::kIdAddTrade);
        ASSERT_EQ(sink.Boxes().size(), 1u);
        EXPECT_EQ(sink.Boxes()[0].strText,
                  "Position not open! Please select open position to sell.");
        EXPECT_EQ(sink.Boxes()[0].strCaption, "Cannot sell closed position");
        EXPECT_EQ(sink.Boxes()[0].nIcon, MB_ICONSTOP);
        EXPECT_TRUE(empty.m_doc.m_trades.IsEmpty());
    }
    sink.Clear();

    CBlotterSpace doc = NewPortfolio();
    AddBuy(doc, Buy("IBM", 100, 80), kBought);
    CEditTradesDlg dlg;
    OpenOn(dlg, doc);

    // More than is held: refused, the field shows the units held. Nothing: the quantity
    // itself is refused.
    Click(dlg, D::kIdSell);
    dlg.SetDlgItemText(D::kIdQuantity, "100.5");
    Click(dlg, D::kIdAddTrade);
    EXPECT_EQ(Text(dlg, D::kIdQuantity), "100");
    dlg.SetDlgItemText(D::kIdQuantity, "0");
    Click(dlg, D::kIdAddTrade);
    EXPECT_EQ(Text(dlg, D::kIdQuantity), "0");
    ASSERT_EQ(sink.Boxes().size(), 2u);
    EXPECT_EQ(sink.Boxes()[0].strText,
              "Sell amount greater than current holding. Please re-enter position.");
    EXPECT_EQ(sink.Boxes()[0].strCaption, "Short sell not supported");
    EXPECT_EQ(sink.Boxes()[1].strText, kMsgBadQuantity);
    EXPECT_EQ(sink.Boxes()[1].strCaption, "Invalid number");
    EXPECT_EQ(dlg.m_doc.m_trades.GetCount(), 1u);

    // 40 of 100: the buy keeps 60 and stays listed; the sale is hidden with the box off.
    dlg.SetDlgItemText(D::kIdQuantity, "40");
    dlg.SetDlgItemText(D::kIdPrice, "90");
    Click(dlg, D::kIdAddTrade);
    ASSERT_EQ(dlg.m_doc.m_trades.GetCount(), 2u);
    const TradeRecord sale = Trade(dlg.m_doc, 2);
    EXPECT_EQ(sale.refId, 1);
    EXPECT_EQ(sale.isSell, 1);
    EXPECT_DOUBLE_EQ(sale.realizedPL, 400);
    EXPECT_EQ(sale.sellDate, kSold);
    EXPECT_EQ(Trade(dlg.m_doc, 1).quantity, 60);
    EXPECT_EQ(Rows(dlg), (std::vector<std::string>{"IBM"}));
    EXPECT_EQ(Text(dlg, D::kIdQuantity), "60");
    EXPECT_EQ(dlg.IsDlgButtonChecked(D::kIdBuy), BST_CHECKED);

    // The rest: the buy closes and leaves the list.
    Click(dlg, D::kIdSell);
    Click(dlg, D::kIdAddTrade);
    EXPECT_EQ(Trade(dlg.m_doc, 1).closed, 1);
    EXPECT_EQ(dlg.ListBox(D::kIdTradeList).GetCount(), 0);
    EXPECT_EQ(sink.Boxes().size(), 2u);
}

TEST(EditTradesDlg, BadFieldsStopEveryRuleAndRemoveShowsTheFirstRow)
{
    DialogsTestApp();
    CRecordingMessageBoxSink sink;
    CBlotterSpace doc = NewPortfolio();
    AddBuy(doc, Buy("AAA", 1, 10), kBought);
    AddBuy(doc, Buy("BBB", 2, 20), kBought);
    CEditTradesDlg dlg;
    OpenOn(dlg, doc);
    dlg.show();

    dlg.SetDlgItemText(D::kIdQuantity, "12x");
    for (int nId : {D::kIdAddTrade, D::kIdUpdateTrade, D::kIdRemoveTrade})
        Click(dlg, nId);
    dlg.SetDlgItemText(D::kIdQuantity, "1");
    dlg.GetDlgItemAs<QLineEdit>(D::kIdSymbol)->setMaxLength(32767);
    dlg.SetDlgItemText(D::kIdSymbol, "ELEVENCHARS");
    Click(dlg, D::kIdAddTrade);
    ASSERT_EQ(sink.Boxes().size(), 4u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(sink.Boxes()[static_cast<std::size_t>(i)].strText, "Please enter a number.");
    EXPECT_EQ(sink.Boxes()[3].strText, "Please enter no more than 10 characters.");
    EXPECT_EQ(dlg.m_doc.m_trades.GetCount(), 2u);
    EXPECT_EQ(Trade(dlg.m_doc, 1).quantity, 1);

    dlg.SetDlgItemText(D::kIdSymbol, "AAA");
    ChooseRow(dlg, D::kIdTradeList, 1);
    Click(dlg, D::kIdRemoveTrade);
    EXPECT_EQ(dlg.m_doc.m_trades.GetCount(), 1u);
    EXPECT_EQ(Rows(dlg), (std::vector<std::string>{"AAA"}));
    EXPECT_EQ(Text(dlg, D::kIdSymbol), "AAA");
    Click(dlg, D::kIdRemoveTrade);
    EXPECT_TRUE(dlg.m_doc.m_trades.IsEmpty());
    EXPECT_EQ(Text(dlg, D::kIdSymbol), "");
    EXPECT_EQ(Text(dlg, D::kIdStatusGroup), " Trade Status ");
    // Nothing left: removing again does nothing.
    Click(dlg, D::kIdRemoveTrade);
    EXPECT_EQ(sink.Boxes().size(), 4u);
}

TEST(EditTradesDlg, OnlyApplyHandsTheCopyAndTheShowClosedStateBack)
{
    DialogsTestApp();
    CRecordingMessageBoxSink sink;
    CBlotterSpace window = NewPortfolio();
    AddBuy(window, Buy("AAA", 1, 10), kBought);
    window.m_bShowClosedTrades = 0;

    // The window's side of the exchange: a copy in, and back only on Apply.
    const auto runDialog = [&window](int nEndWith) {
        CEditTradesDlg dlg;
        dlg.m_doc.CopyFrom(window);
        dlg.m_bShowClosed = window.m_bShowClosedTrades;
        const int nResult = RunModal(dlg, [&dlg, nEndWith] {
            dlg.SetDlgItemText(D::kIdSymbol, "NEW");
            Click(dlg, D::kIdAddTrade);
            Click(dlg, D::kIdShowClosed);
            Click(dlg, nEndWith);
        });
        if (nResult == IDOK) {
            window.CopyFrom(dlg.m_doc);
            window.m_bShowClosedTrades = dlg.m_bShowClosed;
        }
        return nResult;
    };

    EXPECT_EQ(runDialog(IDCANCEL), IDCANCEL);
    EXPECT_EQ(window.m_trades.GetCount(), 1u);
    EXPECT_EQ(window.m_bShowClosedTrades, 0);

    EXPECT_EQ(runDialog(IDOK), IDOK);
    EXPECT_EQ(window.m_trades.GetCount(), 2u);
    EXPECT_EQ(window.m_bShowClosedTrades, 1);
    EXPECT_TRUE(sink.Boxes().empty());
}

TEST(EditTradesDlg, AnUpdatedRowStaysWhereItWas)
{
    DialogsTestApp();
    CBlotterSpace doc = NewPortfolio();
    AddBuy(doc, Buy("AAA", 1, 10), kBought);
    AddBuy(doc, Buy("BBB", 2, 20), kBought);
    CEditTradesDlg dlg;
    OpenOn(dlg, doc);
    dlg.m_doc.m_bDeductBrokerage = 1;

    dlg.SetDlgItemText(D::kIdSymbol, "ZZZ");
    dlg.SetDlgItemText(D::kIdPrice, "11.5");
    dlg.ComboBox(D::kIdCategory).SelectString(-1, "401");
    Click(dlg, D::kIdUpdateTrade);

    // Not re-sorted: the new text takes the old row's place, still selected.
    EXPECT_EQ(Rows(dlg), (std::vector<std::string>{"ZZZ", "BBB"}));
    EXPECT_EQ(dlg.ListBox(D::kIdTradeList).GetCurSel(), 0);
    const TradeRecord updated = Trade(dlg.m_doc, 1);
    EXPECT_EQ(TradeSymbol(updated), "ZZZ");
    EXPECT_EQ(updated.price, 11.5);
    EXPECT_EQ(updated.costPrice, 10);
    EXPECT_EQ(updated.deductFee, 1);
    EXPECT_EQ(TradeCategory(updated), "401(k)");
    EXPECT_EQ(updated.status, kStatusChanged);
    EXPECT_EQ(updated.buyDate, kBought);

    // A sale is checked against, and costed at, the updated buy.
    Click(dlg, D::kIdSell);
    dlg.SetDlgItemText(D::kIdQuantity, "1");
    dlg.SetDlgItemText(D::kIdPrice, "12");
    Click(dlg, D::kIdAddTrade);
    ASSERT_EQ(dlg.m_doc.m_trades.GetCount(), 3u);
    EXPECT_DOUBLE_EQ(Trade(dlg.m_doc, 3).realizedPL, 0.5);
    EXPECT_EQ(Trade(dlg.m_doc, 1).closed, 1);
}
