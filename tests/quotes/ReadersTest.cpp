// The four quote readers on hand-written replies.
#include <gtest/gtest.h>
#include <string>

#include "platform/net/HttpLineReader.h"
#include "quotes/HtmlTags.h"
#include "quotes/QuoteReaders.h"

namespace {

struct Quote
{
    double dPrice = 0.0;
    double dChange = 0.0;
    bool bFound = false;
};

Quote ReadReply(QuoteReader reader, const std::string& strBody, const std::string& strCountry = "",
                int bUseBid = 0)
{
    ResetHtmlTagState();
    CHttpLineReader lines(strBody);
    Quote quote;
    quote.bFound = reader(lines, strCountry, bUseBid, quote.dPrice, quote.dChange);
    return quote;
}

// The options page with each value five non-empty lines below its label.
const std::string kOptionsPage = "<html><body>\n"
                                 "<tr><th>Last Sale</th>\n<th>Net</th>\n<th>Bid</th>\n"
                                 "<th>Ask</th>\n<th>Vol</th></tr>\n"
                                 "<tr><td>3 1/8</td>\n<td>+1/4</td>\n<td>3</td>\n"
                                 "<td>3 1/4</td>\n<td>120</td></tr>\n"
                                 "<tr><th>Previous Close</th>\n<th>Open</th>\n<th>High</th>\n"
                                 "<th>Low</th>\n<th>Open Int</th></tr>\n"
                                 "<tr><td>2 7/8</td>\n<td>2 7/8</td>\n<td>3 1/8</td>\n"
                                 "<td>2 7/8</td>\n<td>55</td></tr>\n</body></html>\n";

} // namespace

TEST(CsvField, SplitsAtPlainCommasAndNeverPastTheLine)
{
    const std::string strLine = "\"A,B\",1.5,,x\n";
    EXPECT_EQ(CsvField(strLine, 1).value(), "\"A");
    EXPECT_EQ(CsvField(strLine, 2).value(), "B\"");
    EXPECT_EQ(CsvField(strLine, 3).value(), "1.5");
    EXPECT_EQ(CsvField(strLine, 4).value(), "");
    EXPECT_EQ(CsvField(strLine, 5).value(), "x\n");
    EXPECT_FALSE(CsvField(strLine, 6).has_value());
    EXPECT_FALSE(CsvField(strLine, 0).has_value());
    EXPECT_EQ(CsvField("", 1).value(), "");
}

TEST(UsCsvReader, ReadsPriceAndSignedChangeFromTheFirstLineOnly)
{
    Quote q = ReadReply(&ReadUsCsvQuote,
                        "\"IBM\",123.5,\"12/8/1999\",\"4:00pm\",-0.25,124,125,122,100\r\n"
                        "\"XYZ\",9,\"\",\"\",+9\r\n");
    EXPECT_DOUBLE_EQ(q.dPrice, 123.5);
    EXPECT_DOUBLE_EQ(q.dChange, -0.25);

    q = ReadReply(&ReadUsCsvQuote, "\"IBM\", 99.75,\"12/8/1999\",\"4:00pm\", +1.125,1,2,3,4");
    EXPECT_DOUBLE_EQ(q.dPrice, 99.75);
    EXPECT_DOUBLE_EQ(q.dChange, 1.125);

    // A change without "+" loses its first digit, as the layout has it.
    q = ReadReply(&ReadUsCsvQuote, "\"IBM\",5,a,b,12.5\n");
    EXPECT_DOUBLE_EQ(q.dChange, 2.5);

    q = ReadReply(&ReadUsCsvQuote, "\"IBM\",N/A,\"N/A\",\"N/A\",N/A,N/A\n");
    EXPECT_EQ(q.dPrice, 0.0);
    EXPECT_EQ(q.dChange, 0.0);

    // The version page: field 2 is the version.
    EXPECT_DOUBLE_EQ(ReadReply(&ReadUsCsvQuote, "\"Tallyfern\",1.85\r\n").dPrice, 1.85);
}

TEST(UsCsvReader, ShortAndEmptyLinesYieldZero)
{
    for (const char* pBody :
         {"", "<html>", "\r\n\"IBM\",5,a,b,+1\n", "Invalid symbol\n", "\"IBM\"\n"}) {
        const Quote q = ReadReply(&ReadUsCsvQuote, pBody);
        EXPECT_EQ(q.dPrice, 0.0) << pBody;
        EXPECT_EQ(q.dChange, 0.0) << pBody;
    }
    const Quote q = ReadReply(&ReadUsCsvQuote, "\"IBM\",5.5,x\n");
    EXPECT_DOUBLE_EQ(q.dPrice, 5.5);
    EXPECT_EQ(q.dChange, 0.0);
}

TEST(RegionalCsvReader, SkipsTheHeaderAndComputesChangeFromPreviousClose)
{
    const std::string strBody =
        "Symbol,Last,Date,Change,High,Low,Prev Close\r\n"
        "\"ABC*P\",\"12.50\",\"12/8\",\"-0.25\",\"13\",\"12\",\"12.75\",100\r\n";
    Quote q = ReadReply(&ReadRegionalCsvQuote, strBody, "France");
    EXPECT_DOUBLE_EQ(q.dPrice, 12.5);
    EXPECT_DOUBLE_EQ(q.dChange, -0.25);
    q = ReadReply(&ReadRegionalCsvQuote, strBody, "New Zealand");
    EXPECT_DOUBLE_EQ(q.dChange, -0.25);

    // Australia reads the change field with the sign rule; quoted or bare.
    q = ReadReply(&ReadRegionalCsvQuote, "h\n\"BHP\",\"20.00\",d,\"+0.75\",x,y,\"1.00\"\n",
                  "Australia");
    EXPECT_DOUBLE_EQ(q.dPrice, 20.0);
    EXPECT_DOUBLE_EQ(q.dChange, 0.75);
    q = ReadReply(&ReadRegionalCsvQuote, "h\n\"BHP\",$20.00,d, -0.75,x,y,\"1.00\"\n", "Australia");
    EXPECT_DOUBLE_EQ(q.dPrice, 20.0);
    EXPECT_DOUBLE_EQ(q.dChange, -0.75);
}

TEST(RegionalCsvReader, MissingLinesAndFieldsLeaveZero)
{
    for (const char* pBody : {"", "\"ABC\",\"12.5\",d,e,f,g,\"12\"\n", "<b\n>\n\"ABC\",\"12.5\"\n",
                              "h\n<i>\n", "h\nNo such symbol\n"}) {
        const Quote q = ReadReply(&ReadRegionalCsvQuote, pBody, "Germany");
        EXPECT_EQ(q.dPrice, 0.0) << pBody;
        EXPECT_EQ(q.dChange, 0.0) << pBody;
    }
    // A price without a previous close is no change at all, not a change of the whole price.
    Quote q = ReadReply(&ReadRegionalCsvQuote, "h\n\"ABC\",\"12.5\",d\n", "Italy");
    EXPECT_DOUBLE_EQ(q.dPrice, 12.5);
    EXPECT_EQ(q.dChange, 0.0);
    q = ReadReply(&ReadRegionalCsvQuote, "h\n\"BHP\",\"20\"\n", "Australia");
    EXPECT_DOUBLE_EQ(q.dPrice, 20.0);
    EXPECT_EQ(q.dChange, 0.0);
}

TEST(SwissPageReader, TakesTheLinesAfterTheLabels)
{
    const std::string strPage = "<html><title>Close: in title</title>\n"
                                "<td>Close:</td>\n"
                                "<td>1,234.50</td>\n"
                                "<td>Volume</td>\n<td>Close:</td>\n<td>9</td>\n"
                                "<td>Close prev. day:</td>\n"
                                "<td>1,230.00</td>\n";
    // The title line holds the first "Close:", so the price is the next line.
    Quote q = ReadReply(&ReadSwissQuotePage, strPage);
    EXPECT_DOUBLE_EQ(q.dPrice, 0.0);
    EXPECT_DOUBLE_EQ(q.dChange, 0.0 - 1230.0);

    q = ReadReply(&ReadSwissQuotePage, "<p>\n<td>Close:</td>\n<td>1,234.50 </td>\n"
                                       "<td>Close prev. day:</td>\n<td>1,230.00</td>\nrest\n");
    EXPECT_DOUBLE_EQ(q.dPrice, 1234.5);
    EXPECT_DOUBLE_EQ(q.dChange, 4.5);

    // No previous close: the change stays 0.
    q = ReadReply(&ReadSwissQuotePage, "Close:\n17 1/4\n");
    EXPECT_DOUBLE_EQ(q.dPrice, 17.25);
    EXPECT_EQ(q.dChange, 0.0);
}

TEST(SwissPageReader, EmptyLinesAreSkippedAndATagMaySpanLines)
{
    // A tag that opens at the end of one line and closes on the next removes the end of the
    // first line with its line feed and the start of the second; a line left with nothing is
    // empty and skipped.
    const Quote q =
        ReadReply(&ReadSwissQuotePage, "Close:<br\nclear=all><td\nclass=\"v\">12.50</td>\n"
                                       "Close prev. day:\n<i\n></i>12.00\n");
    EXPECT_DOUBLE_EQ(q.dPrice, 12.5);
    EXPECT_DOUBLE_EQ(q.dChange, 0.5);
}

TEST(OptionsPageReader, ValuesAtLastSaleOrAtBid)
{
    Quote q = ReadReply(&ReadOptionsQuotePage, kOptionsPage, "United States", 0);
    EXPECT_DOUBLE_EQ(q.dPrice, 3.125);
    EXPECT_DOUBLE_EQ(q.dChange, 3.125 - 2.875);

    // Valued at bid, the change is still measured from the previous close, which stands
    // below the bid on the page.
    q = ReadReply(&ReadOptionsQuotePage, kOptionsPage, "United States", 1);
    EXPECT_DOUBLE_EQ(q.dPrice, 3.0);
    EXPECT_DOUBLE_EQ(q.dChange, 3.0 - 2.875);

    // Without a previous close on the page there is no change, not a change of the whole price.
    q = ReadReply(&ReadOptionsQuotePage, "Bid\n1\n2\n3\n4\n2 1/4\n", "United States", 1);
    EXPECT_DOUBLE_EQ(q.dPrice, 2.25);
    EXPECT_EQ(q.dChange, 0.0);
}

TEST(OptionsPageReader, CountsOnlyNonEmptyLines)
{
    // "Last Sale", four non-empty lines (empty ones between them do not count), then 3 1/8.
    const Quote q =
        ReadReply(&ReadOptionsQuotePage,
                  "Last Sale\na\n<x>b\n<y\n>c\n<z\n>d\n  3 1/8  \nPrevious Close\n1\n2\n3\n4\n"
                  "2 1/2\n",
                  "United States", 0);
    EXPECT_DOUBLE_EQ(q.dPrice, 3.125);
    EXPECT_DOUBLE_EQ(q.dChange, 0.625);

    // The data ends before the value: nothing found.
    const Quote none = ReadReply(&ReadOptionsQuotePage, "Last Sale\n1\n2\n3\n", "United States", 0);
    EXPECT_EQ(none.dPrice, 0.0);
    EXPECT_EQ(none.dChange, 0.0);
}

TEST(QuoteReaders, TellWhetherTheReplyHeldAPrice)
{
    // US layout: a number in field 2 is a price, 0 included; "N/A", an empty reply, a line
    // without the field, and the service's line for a symbol it does not know are none.
    EXPECT_TRUE(
        ReadReply(&ReadUsCsvQuote, "\"IBM\",123.5,\"12/8/1999\",\"4:00pm\",-0.25\n").bFound);
    EXPECT_TRUE(ReadReply(&ReadUsCsvQuote, "\"IBM\",0,\"12/8/1999\",\"4:00pm\",0\n").bFound);
    EXPECT_TRUE(ReadReply(&ReadUsCsvQuote, "\"Tallyfern\",1.85\r\n").bFound);
    for (const char* pBody : {"", "\n", "\"IBM\",N/A,N/A,N/A,N/A\n", "\"IBM\"\n",
                              "<html><body>Not found</body></html>\n",
                              "\"NOPE\",0.00,\"N/A\",\"N/A\",N/A,N/A,N/A,N/A,N/A\r\n"}) {
        EXPECT_FALSE(ReadReply(&ReadUsCsvQuote, pBody).bFound) << pBody;
    }

    // Regional layout: the second line's quoted price.
    const std::string strHeader = "Symbol,Last,Date,Change,High,Low,Prev Close\r\n";
    EXPECT_TRUE(ReadReply(&ReadRegionalCsvQuote, strHeader + "\"A*L\",\"0.00\",d,x,y,z,\"1\"\n",
                          "United Kingdom")
                    .bFound);
    for (const std::string& strBody :
         {std::string(), strHeader, strHeader + "\"A*L\",\"N/A\",\"N/A\",\"N/A\",\"N/A\"\n",
          strHeader + "No such symbol\n"}) {
        EXPECT_FALSE(ReadReply(&ReadRegionalCsvQuote, strBody, "Germany").bFound) << strBody;
    }
    // A previous close of "N/A" is no change, not a change of the whole price.
    const Quote noClose = ReadReply(&ReadRegionalCsvQuote,
                                    strHeader + "\"A*F\",\"12.50\",d,x,y,z,\"N/A\",0\n", "Germany");
    EXPECT_TRUE(noClose.bFound);
    EXPECT_DOUBLE_EQ(noClose.dPrice, 12.5);
    EXPECT_EQ(noClose.dChange, 0.0);

    // Swiss page: the value after "Close:".
    EXPECT_FALSE(ReadReply(&ReadSwissQuotePage, "<p>Valor 1 not found.</p>\n").bFound);
    EXPECT_FALSE(ReadReply(&ReadSwissQuotePage, "Close:\nN/A\n").bFound);
    const Quote swiss = ReadReply(&ReadSwissQuotePage, "Close:\n12.50\nClose prev. day:\nN/A\n");
    EXPECT_TRUE(swiss.bFound);
    EXPECT_EQ(swiss.dChange, 0.0);

    // Options page: a bid of 0 is a price; a page without the label is none.
    const Quote zeroBid =
        ReadReply(&ReadOptionsQuotePage, "Bid\n1\n2\n3\n4\n0\nPrevious Close\n1\n2\n3\n4\n1/8\n",
                  "United States", 1);
    EXPECT_TRUE(zeroBid.bFound);
    EXPECT_EQ(zeroBid.dPrice, 0.0);
    EXPECT_DOUBLE_EQ(zeroBid.dChange, -0.125);
    EXPECT_FALSE(
        ReadReply(&ReadOptionsQuotePage, "<p>No quotes for XYZ.</p>\n", "United States", 0).bFound);
    EXPECT_FALSE(
        ReadReply(&ReadOptionsQuotePage, "Last Sale\n1\n2\n3\n4\nN/A\n", "United States", 0)
            .bFound);
}
