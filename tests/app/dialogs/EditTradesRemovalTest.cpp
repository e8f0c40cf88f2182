// Removing trades in the trade dialog: a buy that sales name stays, with a stop box captioned
// "Remove error"; a removed sale gives its units back to its buy.
#include <gtest/gtest.h>
#include <string>

#include <QApplication>
#include <QLineEdit>

#include "app/dialogs/EditTradesDlg.h"
#include "model/Ledger.h"
#include "model/PortfolioFile.h"
#include "tests/app/dialogs/DialogTestSupport.h"
#include "tests/model/TradeValuesForTests.h"
#include "tests/support/msgboxsink/RecordingMessageBoxSink.h"

namespace {
using D = CEditTradesDlg;
constexpr std::int32_t kBought = 889110000; // 1998-03-05
constexpr std::int32_t kSold = kBought + 7 * 86400;

TradeValues Values(const char* symbol, double quantity, double price, bool sell = false)
{
    return MakeTradeValues(symbol, quantity, price, 0, sell, "Personal");
}

TradeRecord Trade(const CBlotterSpace& doc, std::int32_t id)
{
    TradeRecord trade = MakeEmptyTrade();
    EXPECT_TRUE(doc.FindTrade(id, trade)) << "trade " << id;
    return trade;
}

// IBM bought (trade 1) and sold out (trade 2); HPQ open (trade 3).
CBlotterSpace SoldOut()
{
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    AddBuy(doc, Values("IBM", 100, 80), kBought);
    TradeRecord ibm = Trade(doc, 1);
    AddSell(doc, &ibm, Values("IBM", 100, 92.5, true), kSold);
    AddBuy(doc, Values("HPQ", 5, 40), kBought);
    return doc;
}

// The row whose text starts with the symbol and ends with the trade number.
int RowOf(const CEditTradesDlg& dlg, const std::string& symbol, std::int32_t id)
{
    const CListBox list = dlg.ListBox(D::kIdTradeList);
    for (int i = 0; i < list.GetCount(); ++i) {
        const std::string text = list.GetText(i);
        if (text.rfind(symbol + " ", 0) == 0 && text.ends_with(", " + std::to_string(id)))
            return i;
    }
    return -1;
}
} // namespace

TEST(EditTradesRemoval, ABuyWithSalesIsRefusedAndARemovedSaleReopensItsBuy)
{
    DialogsTestApp();
    CRecordingMessageBoxSink sink;
    CEditTradesDlg dlg;
    dlg.m_doc.CopyFrom(SoldOut());
    dlg.m_bShowClosed = 1;
    ASSERT_TRUE(dlg.Create());
    const std::string before = SerializeToBytes(dlg.m_doc);

    ChooseRow(dlg, D::kIdTradeList, RowOf(dlg, "IBM", 1));
    Click(dlg, D::kIdRemoveTrade);
    ASSERT_EQ(sink.Boxes().size(), 1u);
    EXPECT_EQ(sink.Boxes()[0].strText,
              "Cannot remove trade 1: sale 2 refers to it. Remove the sale first.");
    EXPECT_EQ(sink.Boxes()[0].strCaption, "Remove error");
    EXPECT_EQ(sink.Boxes()[0].nIcon, MB_ICONSTOP);
    EXPECT_EQ(SerializeToBytes(dlg.m_doc), before);
    EXPECT_NE(RowOf(dlg, "IBM", 1), -1);

    // The sale's units go back and the buy is open again.
    ChooseRow(dlg, D::kIdTradeList, RowOf(dlg, "IBM", 2));
    Click(dlg, D::kIdRemoveTrade);
    EXPECT_EQ(sink.Boxes().size(), 1u);
    const TradeRecord reopened = Trade(dlg.m_doc, 1);
    EXPECT_EQ(reopened.quantity, 100);
    EXPECT_EQ(reopened.closed, 0);
    EXPECT_EQ(dlg.m_doc.m_trades.GetCount(), 2u);
    EXPECT_NE(RowOf(dlg, "IBM", 1), -1);
    EXPECT_EQ(RowOf(dlg, "IBM", 2), -1);

    // Now the buy has no sale and goes.
    ChooseRow(dlg, D::kIdTradeList, RowOf(dlg, "IBM", 1));
    Click(dlg, D::kIdRemoveTrade);
    EXPECT_EQ(sink.Boxes().size(), 1u);
    EXPECT_EQ(dlg.m_doc.m_trades.GetCount(), 1u);
}

TEST(EditTradesRemoval, NumbersOutOfRangeAreRefusedNamingTheField)
{
    DialogsTestApp();
    CRecordingMessageBoxSink sink;
    CEditTradesDlg dlg;
    dlg.m_doc.CopyFrom(SoldOut());
    ASSERT_TRUE(dlg.Create());
    dlg.show();

    // Offscreen, the application may have no focus widget; the dialog's own then counts.
    const auto focused = [&dlg] {
        return QApplication::focusWidget() ? QApplication::focusWidget() : dlg.focusWidget();
    };
    dlg.SetDlgItemText(D::kIdSymbol, "NEG");
    dlg.SetDlgItemText(D::kIdQuantity, "-5");
    Click(dlg, D::kIdAddTrade);
    EXPECT_EQ(focused(), dlg.GetDlgItem(D::kIdQuantity));
    dlg.SetDlgItemText(D::kIdQuantity, "5");
    dlg.SetDlgItemText(D::kIdBrokerFee, "-1");
    Click(dlg, D::kIdAddTrade);
    EXPECT_EQ(focused(), dlg.GetDlgItem(D::kIdBrokerFee));
    // The framework takes no text that is not a plain finite number.
    dlg.SetDlgItemText(D::kIdBrokerFee, "inf");
    Click(dlg, D::kIdAddTrade);
    ASSERT_EQ(sink.Boxes().size(), 3u);
    EXPECT_EQ(sink.Boxes()[0].strText, kMsgBadQuantity);
    EXPECT_EQ(sink.Boxes()[0].strCaption, "Invalid number");
    EXPECT_EQ(sink.Boxes()[1].strText, kMsgBadFee);
    EXPECT_EQ(sink.Boxes()[2].strText, "Please enter a number.");
    EXPECT_EQ(dlg.m_doc.m_trades.GetCount(), 3u);
}
