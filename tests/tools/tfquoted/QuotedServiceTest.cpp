// FetchQuote against tfquoted's service for every country, and the service's quote book.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

#include "quotes/FetchQuote.h"
#include "quotes/QuoteServers.h"
#include "tests/support/tempdir/TempDir.h"
#include "tools/tfquoted/QuoteBook.h"
#include "tools/tfquoted/QuotePages.h"
#include "tools/tfquoted/QuoteService.h"

namespace {

constexpr QuoteServerRole kRoles[] = {
    QuoteServerRole::UsQuotes,    QuoteServerRole::RegionalQuotes, QuoteServerRole::AuNzQuotes,
    QuoteServerRole::SwissQuotes, QuoteServerRole::OptionQuotes,   QuoteServerRole::MakerSite};

ServedQuote Served(double dPrice, double dChange, double dBid = 0.0)
{
    ServedQuote quote;
    quote.dPrice = dPrice;
    quote.dChange = dChange;
    quote.dPreviousClose = dPrice - dChange;
    quote.dBid = dBid == 0.0 ? dPrice : dBid;
    return quote;
}

class QuotedServiceTest : public ::testing::Test
{
  protected:
    void Serve(const std::string& strVersion = kServedVersion)
    {
        for (const char* pVariable : {"http_proxy", "all_proxy", "ALL_PROXY"}) {
            unsetenv(pVariable);
        }
        QuoteServiceOptions options;
        options.strVersion = strVersion;
        options.log = [this](const std::string& strLine) {
            std::lock_guard<std::mutex> lock(m_logMutex);
            m_log.push_back(strLine);
        };
        m_pService = std::make_unique<CQuoteService>(m_book, options);
        const int nPort = m_pService->Bind("127.0.0.1", 0);
        ASSERT_GT(nPort, 0);
        m_pService->Start();
        const std::string strAddress = "127.0.0.1:" + std::to_string(nPort);
        for (const auto role : kRoles) {
            setenv(QuoteServerVariable(role), strAddress.c_str(), 1);
        }
    }

    void TearDown() override
    {
        if (m_pService) {
            m_pService->Stop();
        }
        for (const auto role : kRoles) {
            unsetenv(QuoteServerVariable(role));
        }
    }

    CQuoteBook m_book;
    std::unique_ptr<CQuoteService> m_pService;
    // Written by the server's threads; read only after StopAndLog, which joins them.
    std::vector<std::string> StopAndLog()
    {
        m_pService->Stop();
        std::lock_guard<std::mutex> lock(m_logMutex);
        return m_log;
    }

    std::mutex m_logMutex;
    std::vector<std::string> m_log;
};

struct CountryCase
{
    const char* pSymbol;
    const char* pCountry;
    double dPrice;
    double dChange;
};

} // namespace

TEST_F(QuotedServiceTest, EveryCountryGetsItsQuote)
{
    const CountryCase cases[] = {
        {"IBM", "United States", 123.5, 0.75},  {"BCE", "Canada", 45.25, -0.5},
        {"VOD", "United Kingdom", 210.5, 1.25}, {"CRH", "Ireland", 18.2, -0.15},
        {"ABC", "France", 61.35, 0.45},         {"SAP", "Germany", 1234.5, -12.25},
        {"ENI", "Italy", 14.875, 0.125},        {"ERIC", "Sweden", 95.0, 2.0},
        {"NHY", "Norway", 310.0, -4.5},         {"BHP", "Australia", 20.5, 0.25},
        {"BHN", "Australia", 20.5, -0.25},      {"TEL", "New Zealand", 4.1, -0.05},
        {"ABBN", "Switzerland", 1234.5, 4.5},   {"NES", "Switzerland", 97.25, -0.75},
        {"LOCAL", "Atlantis", 9.99, 0.01},
    };
    for (const auto& c : cases) {
        m_book.Set(c.pSymbol, Served(c.dPrice, c.dChange));
    }
    Serve();
    for (const auto& c : cases) {
        double dPrice = -1.0;
        double dChange = -1.0;
        ASSERT_EQ(FetchQuote(c.pSymbol, c.pCountry, 0, dPrice, dChange), kFetchOk) << c.pCountry;
        EXPECT_NEAR(dPrice, c.dPrice, 1e-9) << c.pSymbol << " " << c.pCountry;
        EXPECT_NEAR(dChange, c.dChange, 1e-9) << c.pSymbol << " " << c.pCountry;
    }

    // Unknown symbols: every layout's answer holds no price, so the fetch fails and the
    // caller's values stay.
    for (const char* pCountry : {"United States", "France", "Australia", "Switzerland"}) {
        double dPrice = -1.0;
        double dChange = -1.0;
        EXPECT_EQ(FetchQuote("NOPE", pCountry, 0, dPrice, dChange), kFetchFailed) << pCountry;
        EXPECT_EQ(dPrice, -1.0) << pCountry;
        EXPECT_EQ(dChange, -1.0) << pCountry;
    }

    // One log line per request (in the order the server's threads finished them).
    const auto log = StopAndLog();
    ASSERT_EQ(log.size(), std::size(cases) + 4);
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& strLine) {
        return strLine.find("GET /d/quotes.csv?s=IBM&f=sl1d1t1c1ohgv&e=.csv 200") !=
               std::string::npos;
    }));
}

TEST_F(QuotedServiceTest, OptionsAtLastSaleAndAtBid)
{
    m_book.Set(".XYZ", Served(3.125, 0.25, 3.0));
    m_book.Set("QQQ", Served(1.37, -0.11, 1.33));
    Serve();
    QuoteFetchResult r = FetchQuoteResult("XYZ.O", "United States", 0);
    ASSERT_EQ(r.nResult, kFetchOk);
    EXPECT_DOUBLE_EQ(r.dPrice, 3.125);
    EXPECT_DOUBLE_EQ(r.dChange, 0.25);

    // At bid the change is measured against the previous close too.
    r = FetchQuoteResult("XYZ.O", "United States", 1);
    ASSERT_EQ(r.nResult, kFetchOk);
    EXPECT_DOUBLE_EQ(r.dPrice, 3.0);
    EXPECT_DOUBLE_EQ(r.dChange, 3.0 - 2.875);

    r = FetchQuoteResult("QQQ.OA", "United States", 0);
    EXPECT_NEAR(r.dPrice, 1.37, 1e-9);
    EXPECT_NEAR(r.dChange, -0.11, 1e-9);

    // An option the service does not know has no price.
    EXPECT_EQ(FetchQuoteResult("NONE.O", "United States", 0).nResult, kFetchFailed);
    // Canada's option symbols go to the options server but are not read: no price either.
    r = FetchQuoteResult("XYZ.O", "Canada", 0);
    EXPECT_EQ(r.nResult, kFetchFailed);
    EXPECT_EQ(r.dPrice, 0.0);
    EXPECT_NE(StopAndLog().back().find("/cgi-bin/cboeget.exe?ticker=.XYZ"), std::string::npos);
}

TEST_F(QuotedServiceTest, VersionPage)
{
    Serve();
    double dVersion = -1.0;
    EXPECT_EQ(FetchCurrentVersion(dVersion), kFetchOk);
    EXPECT_DOUBLE_EQ(dVersion, 1.85);
    m_pService->Stop();
    m_pService.reset();
    Serve("2");
    EXPECT_EQ(FetchCurrentVersion(dVersion), kFetchOk);
    EXPECT_DOUBLE_EQ(dVersion, 2.0);
    EXPECT_NE(StopAndLog().back().find("GET /version.htm 200"), std::string::npos);
}

TEST(QuoteBook, ParsesQuotesFilesAndReportsBadLines)
{
    std::vector<int> badLines;
    const auto quotes = CQuoteBook::ParseQuotes("# symbol price change prev bid\n"
                                                "IBM 123.5 +0.75\n"
                                                "\n"
                                                "VOD,210.5,-1.5,212,210.25   # comment\n"
                                                "ONLY 5\n"
                                                "BAD x\n"
                                                "LONELY\n"
                                                "TOO 1 2 3 4 5\n",
                                                badLines);
    ASSERT_EQ(quotes.size(), 3U);
    EXPECT_DOUBLE_EQ(quotes.at("IBM").dPrice, 123.5);
    EXPECT_DOUBLE_EQ(quotes.at("IBM").dChange, 0.75);
    EXPECT_DOUBLE_EQ(quotes.at("IBM").dPreviousClose, 122.75);
    EXPECT_DOUBLE_EQ(quotes.at("IBM").dBid, 123.5);
    EXPECT_DOUBLE_EQ(quotes.at("VOD").dPreviousClose, 212.0);
    EXPECT_DOUBLE_EQ(quotes.at("VOD").dBid, 210.25);
    EXPECT_DOUBLE_EQ(quotes.at("ONLY").dChange, 0.0);
    EXPECT_EQ(badLines, (std::vector<int>{6, 7, 8}));
}

TEST(QuoteBook, RereadsTheFileWhenItChanges)
{
    tf::test::CTempDir dir("tfquoted-test");
    const auto path = dir / "quotes.txt";
    {
        std::ofstream(path) << "IBM 100 1\n";
    }
    CQuoteBook book;
    book.UseFile(path);
    ASSERT_TRUE(book.Find("IBM").has_value());
    EXPECT_DOUBLE_EQ(book.Find("IBM")->dPrice, 100.0);
    {
        std::ofstream(path) << "IBM 101 2\nVOD 5\n";
    }
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) +
                                               std::chrono::seconds(2));
    EXPECT_DOUBLE_EQ(book.Find("IBM")->dPrice, 101.0);
    EXPECT_TRUE(book.Find("VOD").has_value());
    std::filesystem::remove(path);
    EXPECT_FALSE(book.Find("IBM").has_value());
}

TEST(QuoteBook, SimulationIsSeededAndStaysInItsBand)
{
    CQuoteBook first;
    CQuoteBook second;
    for (CQuoteBook* pBook : {&first, &second}) {
        pBook->SetSeed(42);
        pBook->Simulate("SIM", 50.0);
    }
    bool bMoved = false;
    for (int i = 0; i < 500; ++i) {
        const ServedQuote a = *first.Find("SIM");
        const ServedQuote b = *second.Find("SIM");
        EXPECT_EQ(a.dPrice, b.dPrice);
        EXPECT_GE(a.dPrice, 40.0);
        EXPECT_LE(a.dPrice, 60.0);
        EXPECT_DOUBLE_EQ(a.dPreviousClose, 50.0);
        EXPECT_NEAR(a.dChange, a.dPrice - 50.0, 1e-9);
        EXPECT_LT(a.dBid, a.dPrice);
        bMoved = bMoved || a.dPrice != 50.0;
    }
    EXPECT_TRUE(bMoved);
}

TEST(QuotePages, NumbersLookLikeTheServicesWroteThem)
{
    EXPECT_EQ(FormatServedPrice(123.5), "123.50");
    EXPECT_EQ(FormatServedPrice(3.125), "3.125");
    EXPECT_EQ(FormatServedChange(0.75), "+0.75");
    EXPECT_EQ(FormatServedChange(-0.25), "-0.25");
    EXPECT_EQ(FormatServedChange(0.0), "+0.00");
    EXPECT_EQ(FormatGroupedPrice(1234567.5), "1,234,567.50");
    EXPECT_EQ(FormatGroupedPrice(123.0), "123.00");
    EXPECT_EQ(FormatGroupedPrice(-1234.5), "-1,234.50");
    EXPECT_EQ(FormatFractionPrice(3.125), "3 1/8");
    EXPECT_EQ(FormatFractionPrice(0.75), "3/4");
    EXPECT_EQ(FormatFractionPrice(4.0), "4");
    EXPECT_EQ(FormatFractionPrice(1.37), "1.37");
}
