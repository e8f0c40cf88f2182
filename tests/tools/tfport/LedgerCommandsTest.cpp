// The ledger from the terminal, as a new user meets it: realized P/L that stays put, fees
// counted once, removals that keep the units, trade numbers never reused, fractions that
// close, only real numbers, deleted records left alone, dates, selling by symbol, categories.
#include <cmath>
#include <limits>

#include "tests/tools/tfport/TfportFixture.h"

namespace {
class LedgerCommands : public CTfportFixture
{
  protected:
    void SetUp() override { Ok({"init"}); }

    // The value printed after a total's label.
    std::string Total(const std::string& label)
    {
        const std::string out = Ok({"totals"});
        const std::size_t at = out.find(label);
        EXPECT_NE(at, std::string::npos) << out;
        std::size_t from = out.find_first_not_of(' ', at + label.size());
        return out.substr(from, out.find('\n', from) - from);
    }
};
} // namespace

TEST_F(LedgerCommands, RealizedPLStaysAndABuysFeeIsCountedOnce)
{
    Ok({"settings", "--deduct-fees", "on"});
    Ok({"buy", "AAPL", "100", "150.25", "--fee", "5", "--date", "2026-01-05"});
    Ok({"sell", "1", "30", "155.10", "--fee", "2"});
    Ok({"sell", "1", "40", "153", "--fee", "2"});
    // 30 x 4.85 + 40 x 2.75, less 70% of the buy's fee and both sales' own fees.
    EXPECT_EQ(Total("Realized YTD P/L:"), "248.00");
    // The 30 held carry the other 30% of the fee (no price fetched yet: 0).
    EXPECT_EQ(Total("Position P/L:"), "-4,509.00");

    // A later correction of the buy's price does not recost the sales.
    Ok({"update", "1", "--price", "150"});
    EXPECT_EQ(Total("Realized YTD P/L:"), "248.00");
    EXPECT_EQ(Total("Position P/L:"), "-4,501.50");
}

TEST_F(LedgerCommands, RemovingASaleGivesItsUnitsBackAndABuyWithSalesStays)
{
    Ok({"buy", "IBM", "100", "120"});
    Ok({"sell", "1", "40", "130"});
    Ok({"sell", "1", "60", "125"});
    ASSERT_EQ(Trade(1).closed, 1);
    Refused({"remove", "1"},
            "Remove error: Cannot remove trade 1: sales 2, 3 refer to it. Remove the sales first.");

    EXPECT_EQ(Ok({"remove", "3"}), "Trade 3 removed; trade 1 holds 60.00 again\n");
    EXPECT_EQ(Trade(1).quantity, 60);
    EXPECT_EQ(Trade(1).closed, 0);
    Ok({"remove", "2"});
    EXPECT_EQ(Trade(1).quantity, 100);
    Ok({"remove", "1"});
    EXPECT_TRUE(Portfolio().m_trades.IsEmpty());
}

TEST_F(LedgerCommands, ANumberThatAStaleSaleNamesIsNotHandedOutAgain)
{
    // Written by an older version: buy 2, the highest number, went while sale 3 still names it.
    CBlotterSpace doc = Portfolio();
    TradeRecord buy = MakeEmptyTrade();
    buy.id = 1;
    SetTradeSymbol(buy, "A");
    buy.quantity = 1;
    doc.m_trades.AddTail(buy);
    TradeRecord sale = buy;
    sale.id = 1;
    sale.refId = 4;
    sale.isSell = 1;
    sale.closed = 1;
    doc.m_trades.AddTail(sale);
    WritePortfolio(doc);
    EXPECT_EQ(Ok({"buy", "NEW", "1", "1"}), "Trade 5: bought 1.00 NEW at 1.0000\n");
}

TEST_F(LedgerCommands, FractionalHoldingsClose)
{
    Ok({"buy", "F", "0.3", "10"});
    Ok({"sell", "1", "0.1", "11"});
    Ok({"sell", "1", "0.2", "11"});
    EXPECT_EQ(Trade(1).quantity, 0);
    EXPECT_EQ(Trade(1).closed, 1);
    Refused({"sell", "1", "0.0001", "11"}, "Position not open!");
}

TEST_F(LedgerCommands, OnlyFiniteNumbersInRangeAreTaken)
{
    Ok({"buy", "X", "10", "5"});
    for (const char* bad : {"nan", "NaN", "inf", "-infinity", "1e999"}) {
        Refused({"buy", "Y", bad, "1"}, std::string("quantity is not a finite number: \"") + bad);
        Refused({"buy", "Y", "1", bad}, "price is not a finite number");
        Refused({"buy", "Y", "1", "1", "--fee", bad}, "fee is not a finite number");
        Refused({"update", "1", "--price", bad}, "price is not a finite number");
        Refused({"settings", "--external-ytd", bad}, "not a finite number");
    }
    Refused({"buy", "Y", "-5", "1"},
            "Invalid number: The quantity must be a finite number above 0.");
    Refused({"buy", "Y", "5", "-1"}, "The price per unit must be a finite number, 0 or more.");
    Refused({"buy", "Y", "5", "1", "--fee", "-1"}, "The broker fee must be a finite number");
    Refused({"sell", "1", "0", "1"}, "The quantity must be a finite number above 0.");
    Refused({"sell", "1", "-2", "1"}, "The quantity must be a finite number above 0.");
    Refused({"update", "1", "--quantity", "0"}, "The quantity must be a finite number above 0.");
    Ok({"buy", "FREE", "5", "0"}); // a price and a fee of 0 are fine

    // A value an older file already holds is written as JSON's null, and left empty in CSV.
    CBlotterSpace doc = Portfolio();
    doc.m_trades.begin()->currentPrice = std::numeric_limits<double>::quiet_NaN();
    doc.m_trades.begin()->dayChange = -std::numeric_limits<double>::infinity();
    WritePortfolio(doc);
    const std::string json = Ok({"export", "--format", "json"});
    EXPECT_NE(json.find("\"currentPrice\": null, \"dayChange\": null"), std::string::npos) << json;
    EXPECT_EQ(json.find("nan"), std::string::npos);
    EXPECT_EQ(json.find("inf"), std::string::npos);
    EXPECT_NE(Ok({"export", "--format", "csv"}).find(",X,10,5,,,"), std::string::npos);
}

TEST_F(LedgerCommands, DeletedRecordsAndTheAllCategoryAreRefused)
{
    Ok({"buy", "DEL", "10", "5"});
    CBlotterSpace doc = Portfolio();
    doc.m_trades.begin()->status = kStatusDeleted;
    WritePortfolio(doc);
    for (std::vector<std::string> args : {std::vector<std::string>{"sell", "1", "1", "6"},
                                          {"update", "1", "--price", "6"},
                                          {"remove", "1"}})
        Refused(args, "trade 1 is marked deleted; the next HotSync removes it");
    Refused({"sell", "DEL", "1", "6"}, "no open buy of DEL");
    Refused({"buy", "X", "1", "1", "--category", "All"},
            "\"All\" selects every trade and cannot be a trade's category.");
    Ok({"buy", "X", "1", "1"});
    Refused({"update", "2", "--category", "All"}, "cannot be a trade's category");
}

TEST_F(LedgerCommands, DatesOfPurchasesAndSales)
{
    Ok({"buy", "IBM", "10", "100", "--date", "2026-03-02"});
    EXPECT_EQ(Trade(1).buyDate, 1772427600); // midnight in New York
    Refused({"sell", "1", "1", "110", "--date", "2026-03-01T23:59"},
            "Date error: A sale cannot be dated before the purchase it sells from.");
    Ok({"sell", "1", "4", "110", "--date", "2026-03-03T10:30"});
    EXPECT_EQ(Trade(2).sellDate, 1772551800);
    EXPECT_EQ(Trade(2).buyDate, 1772427600);

    Refused({"update", "1", "--date", "2026-03-04"},
            "A purchase cannot be dated after a sale from it.");
    Ok({"update", "1", "--date", "2026-02-27T09:15"});
    EXPECT_EQ(Trade(1).buyDate, 1772201700);
    EXPECT_EQ(Trade(2).buyDate, 1772201700); // the sale carries its buy's date

    Refused({"buy", "X", "1", "1", "--date", "2026-02-30"}, "is not a date of the calendar");
    Refused({"buy", "X", "1", "1", "--date", "03/02/2026"}, "YYYY-MM-DD or YYYY-MM-DDTHH:MM");
    Refused({"buy", "X", "1", "1", "--date", "2037-12-31"}, "is in the future");
    const std::string show = Ok({"show"});
    EXPECT_NE(show.find("Feb 27, 2026  Mar 03, 2026"), std::string::npos) << show;
}

TEST_F(LedgerCommands, SellingBySymbolTakesTheOldestBuysFirst)
{
    Ok({"buy", "IBM", "30", "100", "--date", "2026-01-02"});
    Ok({"buy", "IBM", "20", "110", "--date", "2026-01-01"});
    Ok({"buy", "MSFT", "5", "400", "--date", "2026-01-01"});
    EXPECT_EQ(Ok({"sell", "IBM", "40", "120", "--fee", "4"}),
              "Trade 4: sold 20.00 IBM at 120.0000 from trade 2, realized 200.00\n"
              "Trade 5: sold 20.00 IBM at 120.0000 from trade 1, realized 400.00\n");
    EXPECT_DOUBLE_EQ(Trade(4).brokerFee + Trade(5).brokerFee, 4);
    Refused({"sell", "IBM", "10.5", "120"}, "(the open buys of IBM hold 10.00)");
    Refused({"sell", "GOOG", "1", "1"}, "no open buy of GOOG");

    // A symbol made only of digits is sold with --symbol; the bare digits are a trade number.
    Ok({"buy", "7203", "100", "25"});
    Refused({"sell", "7203", "10", "26"},
            "there is no trade number 7203 (to sell the symbol 7203, write --symbol 7203)");
    EXPECT_EQ(Ok({"sell", "--symbol", "7203", "10", "26"}),
              "Trade 7: sold 10.00 7203 at 26.0000 from trade 6, realized 10.00\n");
    Ok({"sell", "6", "10", "26"});
    EXPECT_EQ(Trade(6).quantity, 80);
}

TEST_F(LedgerCommands, CategoriesFollowTheDialogsRules)
{
    EXPECT_EQ(Ok({"category", "list"}),
              "All (every trade)\nUnfiled (0 trades)\n401(k) (0 trades)\nStock Plan (0 trades)\n"
              "Business (0 trades)\nPersonal (0 trades)\n");
    Ok({"buy", "B", "1", "1", "--category", "Business"});
    Ok({"buy", "K", "1", "1", "--category", "401(k)"});
    Ok({"sell", "2", "1", "2"});

    EXPECT_EQ(Ok({"category", "rename", "401(k)", "Retirement"}),
              "Renamed category 401(k) to Retirement\n");
    EXPECT_EQ(TradeCategory(Trade(2)), "Retirement");
    EXPECT_EQ(TradeCategory(Trade(3)), "Retirement");
    EXPECT_EQ(Ok({"category", "remove", "Business"}),
              "Removed category Business; 1 trade(s) moved to Unfiled\n");
    EXPECT_EQ(TradeCategory(Trade(1)), "Unfiled");

    Refused({"category", "add", "Personal"}, "there is already a category \"Personal\"");
    Refused({"category", "add", "All"}, "\"All\" is reserved");
    Refused({"category", "add", "ABCDEFGHIJKLMNOP"}, "Please enter no more than 15 characters.");
    Refused({"category", "add", ""}, "a category needs a name");
    Refused({"category", "remove", "Unfiled"}, "\"Unfiled\" is reserved and cannot be changed");
    Refused({"category", "rename", "All", "Every"}, "reserved");
    Refused({"category", "rename", "Personal", "Retirement"}, "already a category");
    Refused({"category", "remove", "Nope"}, "no category \"Nope\"");
    Refused({"category", "frobnicate"}, "usage: tfport category");

    // Five defaults remain: ten more reach the handheld's 15, the eleventh is refused.
    for (int i = 1; i <= 10; ++i)
        Ok({"category", "add", "Extra " + std::to_string(i)});
    Refused({"category", "add", "One too many"},
            "PalmPilot Limit: Cannot add more than 15 categories.");
    EXPECT_EQ(Portfolio().m_categories.size(), 15u);
}
