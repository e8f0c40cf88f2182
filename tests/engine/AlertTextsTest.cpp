// The alert's figures, its threshold and its texts.
#include "engine/AlertTexts.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

#include "platform/text/FormatAmount.h"
#include "platform/text/Numbers.h"

namespace {

// 03/05/98 09:07:45 EST
constexpr std::time_t kMarch1998 = 889106865;

TradeRecord Position(const char* symbol, double quantity, double purchasePrice)
{
    TradeRecord trade = MakeEmptyTrade();
    SetTradeSymbol(trade, symbol);
    trade.quantity = quantity;
    trade.price = purchasePrice;
    return trade;
}

} // namespace

TEST(AlertTexts, ExampleAlert)
{
    TradeRecord trade = Position("XYZ", 100, 10);
    CAlertFigures figures = ComputeAlertFigures(trade, 12.5, 0.75);
    EXPECT_DOUBLE_EQ(figures.m_dClosingValue, 1175);
    EXPECT_DOUBLE_EQ(figures.m_dValueNow, 1250);
    EXPECT_DOUBLE_EQ(figures.m_dDayPL, 75);
    EXPECT_DOUBLE_EQ(figures.m_dPurchaseAmount, 1000);
    EXPECT_NEAR(figures.m_dMovePercent, 6.3830, 1e-4);
    EXPECT_TRUE(AlertThresholdReached(figures.m_dMovePercent, 5));

    CAlertTexts texts = ComposeAlertTexts(trade, 12.5, 0.75, figures, kMarch1998);
    EXPECT_EQ(texts.m_strLine, "XYZ position changed by 75.00 (6.3830%).");
    EXPECT_EQ(texts.m_strSubject, "Tallyfern Alert! XYZ position changed by 75.00 (6.3830%).");
    EXPECT_EQ(texts.m_strBody,
              "Tallyfern Alert! XYZ position changed by 75.00 (6.3830%). Closing value was "
              "1,175.00, now is 1,250.00. Purchased for 1,000.00 at 10.0000. Current price is "
              "12.5000, changed by 0.7500 (on 03/05/98 at 09:07:45).");
    EXPECT_EQ(AlertDateText(kMarch1998), "03/05/98");
    EXPECT_EQ(AlertTimeText(kMarch1998), "09:07:45");
    EXPECT_EQ(AlertDateText(946702800), "01/01/00"); // midnight, year 2000
    EXPECT_EQ(AlertTimeText(946702800), "00:00:00");
}

TEST(AlertTexts, Threshold)
{
    TradeRecord one = Position("T", 1, 1);
    // A drop of exactly 5 percent alerts; a rise of 4.9999 does not.
    EXPECT_TRUE(AlertThresholdReached(ComputeAlertFigures(one, 95, -5).m_dMovePercent, 5));
    double under = ComputeAlertFigures(one, 1049999, 49999).m_dMovePercent;
    EXPECT_NEAR(under, 4.9999, 1e-9);
    EXPECT_FALSE(AlertThresholdReached(under, 5));
    EXPECT_TRUE(AlertThresholdReached(5.0, 5));
    EXPECT_FALSE(AlertThresholdReached(std::nextafter(5.0, 0.0), 5));

    // No change, or a closing value of 0: a move of 0.
    EXPECT_EQ(ComputeAlertFigures(one, 12.5, 0).m_dMovePercent, 0);
    EXPECT_EQ(ComputeAlertFigures(one, 12.5, 12.5).m_dMovePercent, 0);
    EXPECT_FALSE(AlertThresholdReached(0, 1));
    // A threshold of 0 or below never alerts; neither does a move that is no number.
    EXPECT_FALSE(AlertThresholdReached(1e9, 0));
    EXPECT_FALSE(AlertThresholdReached(1e9, -3));
    EXPECT_FALSE(AlertThresholdReached(std::numeric_limits<double>::quiet_NaN(), 5));
    EXPECT_TRUE(AlertThresholdReached(-std::numeric_limits<double>::infinity(), 100));
}

TEST(AlertTexts, LongestNumbersAreNeverCut)
{
    TradeRecord trade = Position("ABCDEFGHIJ", 1, -1.7e308);
    double price = 1.7e308, change = 1e308;
    CAlertFigures figures = ComputeAlertFigures(trade, price, change);
    CAlertTexts texts = ComposeAlertTexts(trade, price, change, figures, kMarch1998);
    std::string valueNow = FormatAmount(price, 2);
    EXPECT_GT(valueNow.size(), 400U);
    EXPECT_EQ(texts.m_strLine.rfind("ABCDEFGHIJ position changed by " + FormatAmount(1e308, 2), 0),
              0U);
    EXPECT_NE(
        texts.m_strBody.find(", now is " + valueNow + ". Purchased for -" + valueNow.substr(0, 20)),
        std::string::npos);
    EXPECT_NE(texts.m_strBody.find(" at " + FormatFixed(-1.7e308, 4) + ". Current price is "),
              std::string::npos);
    const std::string tail = "0000 (on 03/05/98 at 09:07:45).";
    ASSERT_GT(texts.m_strBody.size(), tail.size());
    EXPECT_EQ(texts.m_strBody.substr(texts.m_strBody.size() - tail.size()), tail);
}
