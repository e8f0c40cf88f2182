// What the gateway reads out of a reply, how often it may ask, and which market and symbol a
// quote path asks for.
#include "tools/tfquoted/upstream/UpstreamReply.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>

#include "tools/tfquoted/QuoteAsk.h"
#include "tools/tfquoted/upstream/RateLimiter.h"
#include "tools/tfquoted/upstream/UpstreamTemplate.h"

namespace {

const SReplyFields kFinnhub{"/c", "/d", "/pc"};
const SReplyFields kTwelveData{"/close", "/change", "/previous_close"};
const SReplyFields kAlphaVantage{"/Global Quote/05. price", "/Global Quote/09. change",
                                 "/Global Quote/08. previous close"};

} // namespace

TEST(UpstreamReply, ReadsEachPresetsDocumentedReply)
{
    SReplyReading finnhub = ReadUpstreamReply(
        R"({"c":261.74,"d":0.76,"dp":0.2912,"h":263.31,"l":260.68,"o":261.07,"pc":260.98,
            "t":1582641000})",
        kFinnhub);
    ASSERT_EQ(finnhub.fault, EReplyFault::None) << finnhub.strProblem;
    EXPECT_DOUBLE_EQ(finnhub.dPrice, 261.74);
    EXPECT_DOUBLE_EQ(finnhub.dChange, 0.76);
    EXPECT_DOUBLE_EQ(finnhub.dPreviousClose, 260.98);

    // Numbers sent as texts.
    SReplyReading twelve = ReadUpstreamReply(
        R"({"symbol":"AAPL","close":"148.85001","previous_close":"149.09000","change":"-0.23999",
            "percent_change":"-0.16097","is_market_open":false})",
        kTwelveData);
    ASSERT_EQ(twelve.fault, EReplyFault::None);
    EXPECT_DOUBLE_EQ(twelve.dPrice, 148.85001);
    EXPECT_DOUBLE_EQ(twelve.dChange, -0.23999);

    SReplyReading alpha = ReadUpstreamReply(
        R"({"Global Quote":{"01. symbol":"IBM","05. price":"130.1400","08. previous close":
            "129.8000","09. change":"+0.3400","10. change percent":"0.2619%"}})",
        kAlphaVantage);
    ASSERT_EQ(alpha.fault, EReplyFault::None);
    EXPECT_DOUBLE_EQ(alpha.dPrice, 130.14);
    EXPECT_DOUBLE_EQ(alpha.dChange, 0.34);
    EXPECT_DOUBLE_EQ(alpha.dPreviousClose, 129.8);
}

TEST(UpstreamReply, ComputesTheChangeAndTellsWhyThereIsNoQuote)
{
    // No change field, or one that holds no number: the change follows from the previous
    // close; with neither, the quote still has its price and no change.
    SReplyReading computed = ReadUpstreamReply(R"({"c": 10.5, "d": null, "pc": 10})", kFinnhub);
    ASSERT_EQ(computed.fault, EReplyFault::None);
    EXPECT_DOUBLE_EQ(computed.dChange, 0.5);
    SReplyReading noChangeField =
        ReadUpstreamReply(R"({"close": "20", "previous_close": "21.5"})",
                          SReplyFields{"/close", std::nullopt, "/previous_close"});
    EXPECT_DOUBLE_EQ(noChangeField.dChange, -1.5);
    SReplyReading priceOnly = ReadUpstreamReply(R"({"c": 7})", kFinnhub);
    ASSERT_EQ(priceOnly.fault, EReplyFault::None);
    EXPECT_DOUBLE_EQ(priceOnly.dChange, 0.0);
    EXPECT_DOUBLE_EQ(priceOnly.dPreviousClose, 7.0);
    SReplyReading noPrevious = ReadUpstreamReply(R"({"c": 7, "d": 0.5, "pc": 0})", kFinnhub);
    EXPECT_DOUBLE_EQ(noPrevious.dPreviousClose, 6.5);
    // A change so large that the previous close would be no number: the price alone.
    SReplyReading huge = ReadUpstreamReply(R"({"c": 1e308, "d": -1.7e308})", kFinnhub);
    ASSERT_EQ(huge.fault, EReplyFault::None);
    EXPECT_DOUBLE_EQ(huge.dChange, 0.0);
    EXPECT_DOUBLE_EQ(huge.dPreviousClose, 1e308);

    const std::pair<std::string, EReplyFault> faults[] = {
        {R"({"c":0,"d":null,"dp":null,"h":0,"l":0,"o":0,"pc":0,"t":0})", EReplyFault::NoPrice},
        {R"({"error":"Invalid API key"})", EReplyFault::NoPrice},
        {R"({"c": "N/A"})", EReplyFault::NoPrice},
        {R"({"c": "12.5abc"})", EReplyFault::NoPrice},
        {R"({"c": "inf"})", EReplyFault::NoPrice},
        {R"({"c": -3})", EReplyFault::NoPrice},
        {R"({"c": [1]})", EReplyFault::NoPrice},
        {R"({"c": true})", EReplyFault::NoPrice},
        {R"([1, 2, 3])", EReplyFault::NoPrice},
        {R"("just text")", EReplyFault::NoPrice},
        {"<html><body><h1>502 Bad Gateway</h1></body></html>", EReplyFault::NotJson},
        {R"({"c": 12.5)", EReplyFault::NotJson},
        {"", EReplyFault::NotJson},
        {std::string(kMaxUpstreamReplyBytes + 1, ' '), EReplyFault::NotJson},
    };
    for (const auto& [strBody, fault] : faults) {
        const SReplyReading reading = ReadUpstreamReply(strBody, kFinnhub);
        EXPECT_EQ(reading.fault, fault) << strBody.substr(0, 80);
        EXPECT_FALSE(reading.strProblem.empty());
    }
    EXPECT_NE(ReadUpstreamReply(R"({"c": 0})", kFinnhub).strProblem.find("does not know"),
              std::string::npos);
    EXPECT_NE(ReadUpstreamReply("{}", kFinnhub).strProblem.find("no price at \"/c\""),
              std::string::npos);
    // A pointer that meets an array with a name, or runs through a number, finds nothing.
    EXPECT_EQ(ReadUpstreamReply(R"({"a": [1]})", SReplyFields{"/a/x", {}, {}}).fault,
              EReplyFault::NoPrice);
    EXPECT_EQ(ReadUpstreamReply(R"({"a": 5})", SReplyFields{"/a/b", {}, {}}).fault,
              EReplyFault::NoPrice);
    const SReplyReading indexed =
        ReadUpstreamReply(R"({"data": [{"last": "3.5"}]})", SReplyFields{"/data/0/last", {}, {}});
    EXPECT_DOUBLE_EQ(indexed.dPrice, 3.5);
}

TEST(UpstreamBudget, TheBucketRefillsAtTheRateAndA429HoldsEverything)
{
    const auto start = GatewayClock::time_point() + std::chrono::hours(1);
    CRateLimiter limiter(3, start);
    EXPECT_TRUE(limiter.TryTake(start));
    EXPECT_TRUE(limiter.TryTake(start));
    EXPECT_TRUE(limiter.TryTake(start));
    EXPECT_FALSE(limiter.TryTake(start));
    EXPECT_FALSE(limiter.HasToken(start));
    // Three a minute: one more every 20 s, never more than three saved up.
    EXPECT_FALSE(limiter.TryTake(start + std::chrono::seconds(19)));
    EXPECT_TRUE(limiter.TryTake(start + std::chrono::seconds(20)));
    EXPECT_FALSE(limiter.TryTake(start + std::chrono::seconds(21)));
    const auto later = start + std::chrono::hours(1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(limiter.TryTake(later));
    }
    EXPECT_FALSE(limiter.TryTake(later));

    const auto rested = later + std::chrono::minutes(5);
    limiter.HoldUntil(rested + std::chrono::milliseconds(1500));
    EXPECT_EQ(limiter.HeldFor(rested).count(), 2);
    EXPECT_FALSE(limiter.TryTake(rested));
    EXPECT_TRUE(limiter.TryTake(rested + std::chrono::seconds(2)));
    EXPECT_EQ(limiter.HeldFor(rested + std::chrono::seconds(2)).count(), 0);
    // A shorter hold never cuts a longer one.
    limiter.HoldUntil(rested + std::chrono::seconds(100));
    limiter.HoldUntil(rested + std::chrono::seconds(10));
    EXPECT_EQ(limiter.HeldFor(rested).count(), 100);
}

TEST(UpstreamBudget, RetryAfterIsReadAsSecondsOrADateWithinBounds)
{
    const std::time_t now = 1700000000; // Tue, 14 Nov 2023 22:13:20 GMT
    EXPECT_EQ(ParseRetryAfter("30", now).count(), 30);
    EXPECT_EQ(ParseRetryAfter(" 7 \r\n", now).count(), 7);
    EXPECT_EQ(ParseRetryAfter("0", now).count(), 0);
    EXPECT_EQ(ParseRetryAfter("Tue, 14 Nov 2023 22:15:20 GMT", now).count(), 120);
    EXPECT_EQ(ParseRetryAfter("Tue, 14 Nov 2023 22:00:00 GMT", now).count(), 0);
    EXPECT_EQ(ParseRetryAfter("", now), kDefaultRetryAfter);
    EXPECT_EQ(ParseRetryAfter("soon", now), kDefaultRetryAfter);
    EXPECT_EQ(ParseRetryAfter("-5", now), kDefaultRetryAfter);
    EXPECT_EQ(ParseRetryAfter("99999999999999999999999999", now), kMaxRetryAfter);
    EXPECT_EQ(ParseRetryAfter("Fri, 01 Jan 2100 00:00:00 GMT", now), kMaxRetryAfter);
}

TEST(QuoteAsk, EachPathNamesItsMarketAndSymbol)
{
    const auto Ask = [](const std::string& strUrl) {
        const auto ask = AskForUrl(strUrl);
        EXPECT_TRUE(ask) << strUrl;
        return ask.value_or(SQuoteAsk{});
    };
    SQuoteAsk us = Ask("http://127.0.0.1:8470/d/quotes.csv?s=IBM&f=sl1d1t1c1ohgv&e=.csv");
    EXPECT_EQ(us.market, EQuoteMarket::US);
    EXPECT_EQ(us.layout, EQuoteLayout::UsCsv);
    EXPECT_EQ(us.strSymbol, "IBM");

    const std::pair<const char*, EQuoteMarket> suffixes[] = {
        {"P", EQuoteMarket::P}, {"L", EQuoteMarket::L}, {"F", EQuoteMarket::F},
        {"M", EQuoteMarket::M}, {"S", EQuoteMarket::S}, {"O", EQuoteMarket::O}};
    for (const auto& [pSuffix, market] : suffixes) {
        SQuoteAsk regional = Ask(std::string("http://h/quotes/ukie/quote.csv?symbols=VOD*") +
                                 pSuffix + "&detailed=s");
        EXPECT_EQ(regional.market, market) << pSuffix;
        EXPECT_EQ(regional.strSymbol, "VOD");
        EXPECT_EQ(regional.strAsked, std::string("VOD*") + pSuffix);
        EXPECT_EQ(regional.layout, EQuoteLayout::RegionalCsv);
    }
    // No suffix, or one that is no exchange: the symbol stands for itself.
    SQuoteAsk other = Ask("http://h/quotes/ukie/quote.csv?symbols=ABC");
    EXPECT_EQ(other.market, EQuoteMarket::OTHER);
    EXPECT_EQ(other.strSymbol, "ABC");
    SQuoteAsk odd = Ask("http://h/quotes/ukie/quote.csv?symbols=ABC*Z&detailed=s");
    EXPECT_EQ(odd.market, EQuoteMarket::OTHER);
    EXPECT_EQ(odd.strSymbol, "ABC*Z");
    SQuoteAsk us2 = Ask("http://h/quotes/ukie/quote.csv?symbols=ABC*US");
    EXPECT_EQ(us2.market, EQuoteMarket::OTHER);

    SQuoteAsk aunz = Ask("http://h/quotes/aunz/quote?symbols=BHP&detailed=s");
    EXPECT_EQ(aunz.market, EQuoteMarket::AUNZ);
    EXPECT_EQ(aunz.layout, EQuoteLayout::RegionalCsv);
    SQuoteAsk swiss = Ask("http://h/quotes/Detail.cfm?Valor=1222171");
    EXPECT_EQ(swiss.market, EQuoteMarket::SWISS);
    EXPECT_EQ(swiss.strSymbol, "1222171");
    EXPECT_EQ(swiss.layout, EQuoteLayout::SwissPage);
    SQuoteAsk option = Ask("http://h/cgi-bin/cboeget.exe?ticker=.XYZ");
    EXPECT_EQ(option.market, EQuoteMarket::OPTIONS);
    EXPECT_EQ(option.strSymbol, ".XYZ");
    EXPECT_EQ(option.layout, EQuoteLayout::OptionsPage);
    // Decoded as the HTTP server decodes a query.
    EXPECT_EQ(Ask("http://h/d/quotes.csv?s=%5EGSPC").strSymbol, "^GSPC");

    EXPECT_FALSE(AskForUrl("http://h/version.htm"));
    EXPECT_FALSE(AskForUrl("http://h"));
}

TEST(UpstreamTemplate, ExpandsEncodesAndRedacts)
{
    EXPECT_EQ(PercentEncode("AZaz09-._~"), "AZaz09-._~");
    EXPECT_EQ(PercentEncode("a b/&=?\xC3\xA9"), "a%20b%2F%26%3D%3F%C3%A9");
    // A value that holds a placeholder is not expanded again.
    EXPECT_EQ(ExpandTemplate("{symbol}:{key}:{other}", {{"symbol", "{key}"}, {"key", "K"}}),
              "{key}:K:{other}");
    EXPECT_EQ(ExpandTemplate("tail {", {{"symbol", "x"}}), "tail {");
    EXPECT_EQ(CheckTemplate("a{symbol}b{key}", {"symbol", "key"}), "");
    EXPECT_NE(CheckTemplate("a{symbol", {"symbol"}), "");
    EXPECT_NE(CheckTemplate("a}symbol", {"symbol"}), "");
    EXPECT_EQ(RedactSecret("token=a/b and a%2Fb", "a/b"), "token={key} and {key}");
    EXPECT_EQ(RedactSecret("nothing", ""), "nothing");
    EXPECT_TRUE(StartsWithNoCase("HTTPS://Q.example/", "https://"));
    EXPECT_TRUE(StartsWithNoCase("Retry-After: 5", "retry-after:"));
    EXPECT_FALSE(StartsWithNoCase("http", "https://"));
}
