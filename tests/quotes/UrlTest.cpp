// Server, path and reader for every country; the server settings; URL parsing and the
// request-line encoding.
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

#include "platform/net/HttpUrl.h"
#include "quotes/QuoteServers.h"
#include "quotes/QuoteUrl.h"

namespace {

class QuoteUrlTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        setenv("TALLYFERN_US_QUOTE_SERVER", "us.test", 1);
        setenv("TALLYFERN_REGIONAL_QUOTE_SERVER", "regional.test:81", 1);
        setenv("TALLYFERN_AUNZ_QUOTE_SERVER", "aunz.test", 1);
        setenv("TALLYFERN_SWISS_QUOTE_SERVER", "swiss.test", 1);
        setenv("TALLYFERN_OPTIONS_QUOTE_SERVER", "options.test", 1);
        setenv("TALLYFERN_MAKER_SERVER", "maker.test", 1);
    }
    void TearDown() override
    {
        for (const auto role : kRoles) {
            unsetenv(QuoteServerVariable(role));
        }
    }

    static std::string Url(const std::string& strSymbol, const std::string& strCountry)
    {
        std::string strUrl = "unset";
        EXPECT_TRUE(BuildQuoteUrl(strSymbol, strCountry, strUrl));
        return strUrl;
    }

    static constexpr QuoteServerRole kRoles[] = {
        QuoteServerRole::UsQuotes,    QuoteServerRole::RegionalQuotes, QuoteServerRole::AuNzQuotes,
        QuoteServerRole::SwissQuotes, QuoteServerRole::OptionQuotes,   QuoteServerRole::MakerSite};
};

} // namespace

TEST_F(QuoteUrlTest, EveryCountryRow)
{
    EXPECT_EQ(Url("none", "brackwel"), "http://maker.test/version.htm");
    EXPECT_EQ(Url("IBM", "United States"),
              "http://us.test/d/quotes.csv?s=IBM&f=sl1d1t1c1ohgv&e=.csv");
    EXPECT_EQ(Url("BCE", "Canada"), "http://us.test/d/quotes.csv?s=BCE&f=sl1d1t1c1ohgv&e=.csv");
    EXPECT_EQ(Url("ABC", "France"),
              "http://regional.test:81/quotes/ukie/quote.csv?symbols=ABC*P&detailed=s");
    EXPECT_EQ(Url("VOD", "United Kingdom"),
              "http://regional.test:81/quotes/ukie/quote.csv?symbols=VOD*L&detailed=s");
    EXPECT_EQ(Url("VOD", "Ireland"), Url("VOD", "United Kingdom"));
    EXPECT_EQ(Url("SAP", "Germany"),
              "http://regional.test:81/quotes/ukie/quote.csv?symbols=SAP*F&detailed=s");
    EXPECT_EQ(Url("ENI", "Italy"),
              "http://regional.test:81/quotes/ukie/quote.csv?symbols=ENI*M&detailed=s");
    EXPECT_EQ(Url("ERIC", "Sweden"),
              "http://regional.test:81/quotes/ukie/quote.csv?symbols=ERIC*S&detailed=s");
    EXPECT_EQ(Url("NHY", "Norway"),
              "http://regional.test:81/quotes/ukie/quote.csv?symbols=NHY*O&detailed=s");
    EXPECT_EQ(Url("BHP", "Australia"), "http://aunz.test/quotes/aunz/quote?symbols=BHP&detailed=s");
    EXPECT_EQ(Url("TEL", "New Zealand"),
              "http://aunz.test/quotes/aunz/quote?symbols=TEL&detailed=s");
    EXPECT_EQ(Url("ABBN", "Switzerland"), "http://swiss.test/quotes/Detail.cfm?Valor=ABBN");
    // Unknown, empty and differently written countries go to the regional server plainly.
    EXPECT_EQ(Url("x", "Atlantis"), "http://regional.test:81/quotes/ukie/quote.csv?symbols=x");
    EXPECT_EQ(Url("x", ""), "http://regional.test:81/quotes/ukie/quote.csv?symbols=x");
    EXPECT_EQ(Url("IBM", "united states"),
              "http://regional.test:81/quotes/ukie/quote.csv?symbols=IBM");
    // The symbol goes in as typed.
    EXPECT_EQ(Url("brk b", "United States"),
              "http://us.test/d/quotes.csv?s=brk b&f=sl1d1t1c1ohgv&e=.csv");
}

TEST_F(QuoteUrlTest, OptionSymbols)
{
    EXPECT_TRUE(IsOptionSymbol("XYZ.O"));
    EXPECT_TRUE(IsOptionSymbol("xyz.o"));
    EXPECT_TRUE(IsOptionSymbol("ABC.OB"));
    EXPECT_FALSE(IsOptionSymbol("ABC.L"));
    EXPECT_FALSE(IsOptionSymbol("O.X"));
    EXPECT_EQ(Url("XYZ.O", "United States"), "http://options.test/cgi-bin/cboeget.exe?ticker=.XYZ");
    EXPECT_EQ(Url("xyz.o", "Canada"), "http://options.test/cgi-bin/cboeget.exe?ticker=.xyz");
    EXPECT_EQ(Url("ABC.OB", "United States"),
              "http://options.test/cgi-bin/cboeget.exe?ticker=.ABC");
    // The base ends at the first ".", wherever ".o" stands.
    EXPECT_EQ(Url("A.B.o", "United States"), "http://options.test/cgi-bin/cboeget.exe?ticker=.A");
    // Other countries keep their own server for option symbols.
    EXPECT_EQ(Url("ABC.O", "Germany"),
              "http://regional.test:81/quotes/ukie/quote.csv?symbols=ABC.O*F&detailed=s");
}

TEST_F(QuoteUrlTest, ReaderChoice)
{
    EXPECT_EQ(ChooseQuoteReader("none", "brackwel"), &ReadUsCsvQuote);
    EXPECT_EQ(ChooseQuoteReader("IBM", "United States"), &ReadUsCsvQuote);
    EXPECT_EQ(ChooseQuoteReader("BCE", "Canada"), &ReadUsCsvQuote);
    EXPECT_EQ(ChooseQuoteReader("XYZ.O", "United States"), &ReadOptionsQuotePage);
    EXPECT_EQ(ChooseQuoteReader("xyz.o", "Canada"), nullptr);
    EXPECT_EQ(ChooseQuoteReader("ABC.O", "Germany"), nullptr);
    EXPECT_EQ(ChooseQuoteReader("ABBN.O", "Switzerland"), &ReadSwissQuotePage);
    EXPECT_EQ(ChooseQuoteReader("ABBN", "Switzerland"), &ReadSwissQuotePage);
    for (const char* pCountry : {"France", "United Kingdom", "Ireland", "Germany", "Italy",
                                 "Sweden", "Norway", "Australia", "New Zealand", "Atlantis", ""}) {
        EXPECT_EQ(ChooseQuoteReader("ABC", pCountry), &ReadRegionalCsvQuote) << pCountry;
    }
}

TEST_F(QuoteUrlTest, UrlMustFitItsBuffer)
{
    const std::string strPrefix = "http://us.test/d/quotes.csv?s=";
    const std::string strSuffix = "&f=sl1d1t1c1ohgv&e=.csv";
    const std::size_t nRoom = kMaxQuoteUrl - 1 - strPrefix.size() - strSuffix.size();
    std::string strUrl;
    EXPECT_TRUE(BuildQuoteUrl(std::string(nRoom, 'A'), "United States", strUrl));
    EXPECT_EQ(strUrl.size(), kMaxQuoteUrl - 1);
    strUrl = "kept";
    EXPECT_FALSE(BuildQuoteUrl(std::string(nRoom + 1, 'A'), "United States", strUrl));
    EXPECT_EQ(strUrl, "kept");
}

TEST_F(QuoteUrlTest, ServerRolesDefaultToTheLocalService)
{
    TearDown();
    for (const auto role : kRoles) {
        EXPECT_EQ(GetQuoteServer(role), "127.0.0.1:8470");
    }
    EXPECT_EQ(GetMakerHost(), "127.0.0.1:8470");
    setenv("TALLYFERN_MAKER_SERVER", "www.maker.test", 1);
    EXPECT_EQ(GetMakerHost(), "www.maker.test");
    setenv("TALLYFERN_MAKER_SERVER", "", 1);
    EXPECT_EQ(GetMakerHost(), "127.0.0.1:8470");
}

TEST(HttpUrl, ParsesOnlyAbsoluteHttpUrls)
{
    HttpUrl url;
    ASSERT_TRUE(ParseHttpUrl("http://host.test/a/b?c=d", url));
    EXPECT_EQ(url.strHost, "host.test");
    EXPECT_EQ(url.nPort, 80);
    EXPECT_EQ(url.strObject, "/a/b?c=d");
    ASSERT_TRUE(ParseHttpUrl("HTTP://127.0.0.1:8470", url));
    EXPECT_EQ(url.strHost, "127.0.0.1");
    EXPECT_EQ(url.nPort, 8470);
    EXPECT_EQ(url.strObject, "/");
    ASSERT_TRUE(ParseHttpUrl("http://[::1]:99?q", url));
    EXPECT_EQ(url.strHost, "[::1]");
    EXPECT_EQ(url.nPort, 99);
    EXPECT_EQ(url.strObject, "/?q");

    for (const char* pUrl :
         {"https://host/", "ftp://host/", "/relative", "host/x", "", "http://", "http://:80/",
          "http://host:0/", "http://host:65536/", "http://host:8x/", "http://user@host/",
          "http://ho st/", "http://host\r\nX: y/", "http://[::1/", "mailto:x@y"}) {
        EXPECT_FALSE(ParseHttpUrl(pUrl, url)) << pUrl;
    }
}

TEST(HttpUrl, RequestObjectCannotSplitTheRequestLine)
{
    EXPECT_EQ(EncodeRequestObject("/q?s=A B\r\nX-Evil: 1#f"), "/q?s=A%20B%0D%0AX-Evil:%201%23f");
    EXPECT_EQ(EncodeRequestObject(std::string("/\x7F\x01\xE9", 4)), "/%7F%01%E9");
    EXPECT_EQ(EncodeRequestObject("/d/quotes.csv?s=IBM&f=x*P%41"), "/d/quotes.csv?s=IBM&f=x*P%41");
}
