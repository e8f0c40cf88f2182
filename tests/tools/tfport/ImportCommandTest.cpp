// tfport import: exported trades read back into a new portfolio unchanged, hand-written files
// by symbol, the whole file checked before one save, duplicates skipped, a dry run.
#include <algorithm>
#include <tuple>

#include "model/PortfolioFile.h"
#include "tests/tools/tfport/TfportFixture.h"

namespace {
const char* const kHeader = "symbol,quantity,price,fee,side,date,category,country\n";

// What makes two portfolios hold the same trades, whatever their numbers.
using TradeKey = std::tuple<int, std::string, double, double, double, std::string, std::string,
                            std::int32_t, std::int32_t, double, double, double, int>;

std::vector<TradeKey> Trades(const CBlotterSpace& doc)
{
    std::vector<TradeKey> keys;
    for (const TradeRecord& t : doc.m_trades)
        keys.emplace_back(t.isSell, TradeSymbol(t), t.quantity, t.price, t.brokerFee,
                          TradeCategory(t), TradeCountry(t), t.buyDate, t.sellDate, t.costPrice,
                          t.realizedPL, t.currentPrice, t.closed);
    std::sort(keys.begin(), keys.end());
    return keys;
}

class ImportCommand : public CTfportFixture
{
  protected:
    void SetUp() override { Ok({"init"}); }

    void WriteCsv(const std::string& name, const std::string& text)
    {
        tf::test::WriteFileBytes(m_dir / name, text);
    }
};
} // namespace

TEST_F(ImportCommand, AnExportReadsBackIntoANewPortfolioUnchanged)
{
    // Entered out of date order, with partial and whole sales, a later price correction, a
    // category of its own and a removed sale.
    Ok({"settings", "--deduct-fees", "on", "--external-ytd", "100"});
    Ok({"category", "add", "Trading"});
    Ok({"buy", "IBM", "100", "120.5", "--fee", "9.95", "--date", "2026-02-10"});
    Ok({"buy", "IBM", "50", "110", "--fee", "5", "--date", "2026-01-15", "--category", "Trading"});
    Ok({"buy", "MSFT", "0.3", "400", "--date", "2026-01-20", "--country", "Canada"});
    Ok({"sell", "1", "40", "130", "--fee", "4.95"});
    Ok({"sell", "IBM", "60", "128"}); // 50 of buy 2, then 10 of buy 1
    Ok({"sell", "3", "0.1", "410"});
    Ok({"sell", "3", "0.2", "405"});
    Ok({"update", "1", "--price", "121"});
    Ok({"sell", "1", "5", "131"});
    Ok({"remove", "9"});
    const std::string csv = Ok({"export", "--format", "csv"});
    const CBlotterSpace original = Portfolio();
    const std::string totals = Ok({"totals"});

    WriteCsv("trades.csv", csv);
    ASSERT_EQ(Tfport({"--file", "new.kgw", "init"}).exitCode, 0);
    ASSERT_EQ(
        Tfport({"--file", "new.kgw", "settings", "--deduct-fees", "on", "--external-ytd", "100"})
            .exitCode,
        0);
    tf::test::SProcessResult imported = Tfport({"--file", "new.kgw", "import", "trades.csv"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_NE(imported.out.find("Added category Trading\n"), std::string::npos) << imported.out;
    EXPECT_NE(imported.out.find("Added 8 trades from 8 rows (3 buys, 5 sales)"), std::string::npos)
        << imported.out;
    EXPECT_NE(imported.out.find("Added trade 1: buy 50.00 IBM at 110.0000 on 2026-01-15"),
              std::string::npos)
        << imported.out;

    CBlotterSpace copy;
    ASSERT_EQ(ReadPortfolioFile(m_dir.File("new.kgw"), copy).status, PortfolioReadStatus::Read);
    EXPECT_EQ(Trades(copy), Trades(original));
    EXPECT_EQ(Tfport({"--file", "new.kgw", "totals"}).out, totals);

    // Read again, every row is already there.
    tf::test::SProcessResult again = Tfport({"--file", "new.kgw", "import", "trades.csv"});
    EXPECT_NE(again.out.find("Added 0 trades from 0 rows (0 buys, 0 sales); skipped 8 rows "
                             "identical to trades already there"),
              std::string::npos)
        << again.out;
}

TEST_F(ImportCommand, HandWrittenRowsSellBySymbolInDateOrder)
{
    WriteCsv("mine.csv", std::string("Date,Symbol,Side,Quantity,Price,Fee,Category,Country\r\n") +
                             "2026-02-01,IBM,sell,30,130,1,Unfiled,United States\r\n"
                             "2026-01-05T10:00,IBM,buy,20,100,2,Business,United States\r\n"
                             "2026-01-07,IBM,buy,20,110,2,Business,United States\r\n"
                             "\r\n"
                             "2026-01-06,\"NESTL\xC3\x89\",0,5,90,0,Personal,Switzerland\r\n");
    tf::test::SProcessResult dry = Tfport({"import", "mine.csv", "--dry-run"});
    ASSERT_EQ(dry.exitCode, 0) << dry.err;
    EXPECT_EQ(dry.out, "Would add trade 1: buy 20.00 IBM at 100.0000 on 2026-01-05T10:00:00-05:00 "
                       "(Business, United States)\n"
                       "Would add trade 2: buy 5.00 NESTL\xC3\x89 at 90.0000 on "
                       "2026-01-06T00:00:00-05:00 (Personal, Switzerland)\n"
                       "Would add trade 3: buy 20.00 IBM at 110.0000 on 2026-01-07T00:00:00-05:00 "
                       "(Business, United States)\n"
                       "Would add trade 4: sell 20.00 IBM at 130.0000 on "
                       "2026-02-01T00:00:00-05:00 from trade 1\n"
                       "Would add trade 5: sell 10.00 IBM at 130.0000 on "
                       "2026-02-01T00:00:00-05:00 from trade 3\n"
                       "Would add 5 trades from 4 rows (3 buys, 1 sale); skipped 0 rows "
                       "identical to trades already there, 0 rows marked deleted\n");
    EXPECT_TRUE(Portfolio().m_trades.IsEmpty());

    ASSERT_EQ(Tfport({"import", "mine.csv"}).exitCode, 0);
    EXPECT_EQ(Trade(1).closed, 1);
    EXPECT_EQ(Trade(3).quantity, 10);
    EXPECT_EQ(Trade(5).costPrice, 110);
    EXPECT_DOUBLE_EQ(Trade(4).brokerFee + Trade(5).brokerFee, 1);
    EXPECT_EQ(TradeSymbol(Trade(2)), "NESTL\xC9");
}

TEST_F(ImportCommand, TheFirstBadRowIsNamedAndNothingIsImported)
{
    Ok({"buy", "KEEP", "1", "1"});
    struct Bad
    {
        std::string rows;
        const char* says;
    } bad[] = {
        {"X,1,1,0,buy,2026-01-05,Unfiled,Atlantis\n", "line 2, country: unknown country"},
        {"X,1,1,0,buy,2026-01-05,Unfiled,Canada\nY,one,1,0,0,2026-01-05,Unfiled,Canada\n",
         "line 3, quantity: \"one\" is not a finite number"},
        {"X,nan,1,0,buy,2026-01-05,Unfiled,Canada\n", "line 2, quantity: \"nan\""},
        {"X,-3,1,0,buy,2026-01-05,Unfiled,Canada\n", "line 2, quantity: The quantity must"},
        {"X,1,1,-1,buy,2026-01-05,Unfiled,Canada\n", "line 2, fee: The broker fee must"},
        {"X,1,1,0,hold,2026-01-05,Unfiled,Canada\n", "line 2, side: \"hold\" is neither"},
        {"X,1,1,0,buy,2026-02-30,Unfiled,Canada\n", "line 2, date: \"2026-02-30\" is not a date"},
        {"X,1,1,0,buy,,Unfiled,Canada\n", "line 2, date: the date is empty"},
        {"X,1,1,0,buy,2026-01-05,All,Canada\n", "line 2, category: \"All\" is reserved"},
        {"ABCDEFGHIJK,1,1,0,buy,2026-01-05,Unfiled,Canada\n", "line 2, symbol: the symbol"},
        {"X,1,1,0,buy,2026-01-05,Unfiled\n", "line 2: 7 fields where the header has 8"},
        {"X,1,1,0,buy,2026-01-05,Unfiled,Canada\nX,2,1,0,sell,2026-01-06,Unfiled,Canada\n",
         "line 3: Short sell not supported"},
        {"X,1,1,0,sell,2026-01-06,Unfiled,Canada\nX,1,1,0,buy,2026-01-07,Unfiled,Canada\n",
         "line 2: no open buy of X to sell from at that date"},
        {"X,1,1,0,buy,2026-01-05,Unfiled,Canada\n\"X,1\n", "line 3: a quoted field that is never"},
    };
    for (const Bad& b : bad) {
        WriteCsv("bad.csv", kHeader + b.rows);
        Refused({"import", "bad.csv"}, b.says);
    }
    WriteCsv("bad.csv", "symbol,quantity,price,side,date,category,country\n");
    Refused({"import", "bad.csv"}, "line 1: the header has no \"brokerFee\" column");
    WriteCsv("bad.csv", std::string(kHeader) + "X,1,1,0,buy,2026-01-05,\xE6\x97\xA5,Canada\n");
    Refused({"import", "bad.csv"},
            "bad.csv, line 2: \"\xE6\x97\xA5\" (U+65E5) has no Windows-1252");
    Refused({"import", "missing.csv"}, "cannot read missing.csv");

    // Past the handheld's 15 categories, the row that needs the sixteenth is refused.
    std::string many = kHeader;
    for (int i = 1; i <= 10; ++i)
        many += "X,1,1,0,buy,2026-01-05,Cat " + std::to_string(i) + ",Canada\n";
    WriteCsv("bad.csv", many);
    Refused({"import", "bad.csv"}, "line 11: cannot add the category \"Cat 10\": Cannot add more");
}

TEST_F(ImportCommand, DeletedRowsAreSkippedAndStandardInputWorks)
{
    Ok({"buy", "A", "10", "1", "--date", "2026-01-02"});
    Ok({"buy", "B", "10", "1", "--date", "2026-01-02"});
    CBlotterSpace doc = Portfolio();
    std::next(doc.m_trades.begin())->status = kStatusDeleted;
    WritePortfolio(doc);
    const std::string csv = Ok({"export", "--format", "csv"});

    ASSERT_EQ(Tfport({"--file", "new.kgw", "init"}).exitCode, 0);
    tf::test::SProcessOptions piped;
    piped.input = csv;
    tf::test::SProcessResult r = Tfport({"--file", "new.kgw", "import", "-"}, piped);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Added 1 trade from 1 row (1 buy, 0 sales); skipped 0 rows identical "
                         "to trades already there, 1 row marked deleted"),
              std::string::npos)
        << r.out;
}
