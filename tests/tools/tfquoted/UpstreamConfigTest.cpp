// The upstream configuration: presets and what overrides them, every rule a file can break
// (refused with the key named), where the key comes from, and how a symbol asked in a market
// becomes the service's symbol and the request URL.
#include "tools/tfquoted/upstream/UpstreamConfig.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <sys/stat.h>

#include "tests/support/tempdir/TempDir.h"

namespace {

constexpr const char* kKey = "s3cr3t/k+y";

std::optional<std::string> TestEnvironment(const std::string& strName)
{
    if (strName == "QUOTE_KEY") {
        return std::string(kKey);
    }
    if (strName == "EMPTY_KEY") {
        return std::string();
    }
    return std::nullopt;
}

SConfigResult Parse(const std::string& strText, const std::filesystem::path& folder = "/")
{
    return ParseUpstreamConfig(strText, folder, TestEnvironment);
}

} // namespace

TEST(UpstreamConfig, PresetsFillInTheServiceAndKeysBesideThemOverride)
{
    SConfigResult finnhub = Parse(R"({"preset": "finnhub", "key_env": "QUOTE_KEY"})");
    ASSERT_TRUE(finnhub.config) << finnhub.strError;
    EXPECT_EQ(finnhub.config->strName, "finnhub");
    EXPECT_EQ(finnhub.config->strUrl,
              "https://finnhub.io/api/v1/quote?symbol={symbol}&token={key}");
    EXPECT_EQ(finnhub.config->strPricePointer, "/c");
    EXPECT_EQ(finnhub.config->changePointer, "/d");
    EXPECT_EQ(finnhub.config->previousClosePointer, "/pc");
    EXPECT_EQ(finnhub.config->strKey, kKey);
    // Defaults, and US symbols asked as typed when no markets are named.
    EXPECT_EQ(finnhub.config->nCacheSeconds, 60);
    EXPECT_EQ(finnhub.config->nRequestsPerMinute, 30);
    EXPECT_EQ(finnhub.config->nConnections, 4);
    EXPECT_EQ(finnhub.config->nTimeoutSeconds, 15);
    EXPECT_EQ(finnhub.config->markets,
              (std::map<EQuoteMarket, std::string>{{EQuoteMarket::US, "{symbol}"}}));

    SConfigResult twelve = Parse(R"({"preset": "twelvedata", "key_env": "QUOTE_KEY"})");
    ASSERT_TRUE(twelve.config);
    EXPECT_EQ(twelve.config->strUrl,
              "https://api.twelvedata.com/quote?symbol={symbol}&apikey={key}");
    EXPECT_EQ(twelve.config->strPricePointer, "/close");
    EXPECT_EQ(twelve.config->changePointer, "/change");
    EXPECT_EQ(twelve.config->previousClosePointer, "/previous_close");

    SConfigResult alpha = Parse(R"({"preset": "alphavantage", "key_env": "QUOTE_KEY",
        "change": "/Global Quote/10. change percent", "markets": {"L": "{symbol}.LON"},
        "cache_seconds": 0, "requests_per_minute": 5, "connections": 1, "timeout_seconds": 25})");
    ASSERT_TRUE(alpha.config) << alpha.strError;
    EXPECT_EQ(alpha.config->strUrl, "https://www.alphavantage.co/query?function=GLOBAL_QUOTE"
                                    "&symbol={symbol}&apikey={key}");
    EXPECT_EQ(alpha.config->strPricePointer, "/Global Quote/05. price");
    EXPECT_EQ(alpha.config->changePointer, "/Global Quote/10. change percent");
    EXPECT_EQ(alpha.config->previousClosePointer, "/Global Quote/08. previous close");
    EXPECT_EQ(alpha.config->markets,
              (std::map<EQuoteMarket, std::string>{{EQuoteMarket::L, "{symbol}.LON"}}));
    EXPECT_EQ(alpha.config->nCacheSeconds, 0);
    EXPECT_EQ(alpha.config->nRequestsPerMinute, 5);
    EXPECT_EQ(alpha.config->nConnections, 1);
    EXPECT_EQ(alpha.config->nTimeoutSeconds, 25);

    // Without a preset: the URL's host names the service; change and previous close may go.
    SConfigResult own = Parse(R"({"url": "https://quotes.example.org/v2/{symbol}",
                                  "price": "/data/0/last"})");
    ASSERT_TRUE(own.config) << own.strError;
    EXPECT_EQ(own.config->strName, "quotes.example.org");
    EXPECT_FALSE(own.config->changePointer);
    EXPECT_FALSE(own.config->previousClosePointer);
    EXPECT_TRUE(own.config->strKey.empty());
}

TEST(UpstreamConfig, RefusesAFileThatBreaksARuleNamingTheKey)
{
    const std::string strFinnhub = R"("preset": "finnhub", "key_env": "QUOTE_KEY")";
    const std::pair<std::string, std::string> cases[] = {
        {"[1, 2]", "one JSON object"},
        {"{\"preset\": \"finnhub\",", "not JSON"},
        {R"({"preset": "yahoo", "key_env": "QUOTE_KEY"})", "\"preset\": must be one of finnhub"},
        {R"({"preset": 7})", "\"preset\": must be a text"},
        {R"({"price": "/c"})", "\"url\": is missing"},
        {R"({"url": "http://q.example/{symbol}", "price": "/c"})", "\"url\": must be an https://"},
        {R"({"url": "https:///{symbol}", "price": "/c"})", "\"url\": names no host"},
        {R"({"url": "https://q.example/quote", "price": "/c"})", "\"url\": has no {symbol}"},
        {R"({"url": "https://q.example/{sym}", "price": "/c"})", "unknown placeholder {sym}"},
        {R"({"url": "https://q.example/{symbol} x", "price": "/c"})", "\"url\": has a space"},
        {R"({"url": "https://q.example/{symbol}"})", "\"price\": is missing"},
        {R"({"url": "https://q.example/{symbol}", "price": "c"})", "\"price\": is not a JSON"},
        {"{" + strFinnhub + R"(, "change": "/a~2"})", "\"change\": is not a JSON pointer"},
        {"{" + strFinnhub + R"(, "previous_close": 1})", "\"previous_close\": must be a text"},
        {R"({"preset": "finnhub"})", "\"key_env\": the url has {key}"},
        {R"({"preset": "finnhub", "key_env": "NOT_SET"})", "NOT_SET is not set"},
        {R"({"preset": "finnhub", "key_env": "EMPTY_KEY"})", "EMPTY_KEY is not set"},
        {R"({"preset": "finnhub", "key_env": "A-B"})", "not the name of an environment"},
        {R"({"preset": "finnhub", "key_env": "QUOTE_KEY", "key_file": "k"})", "not both"},
        {R"({"url": "https://q.example/{symbol}", "price": "/c", "key_env": "QUOTE_KEY"})",
         "\"url\": has no {key}"},
        {"{" + strFinnhub + R"(, "markets": ["L"]})", "\"markets\": must be an object"},
        {"{" + strFinnhub + R"(, "markets": {"LSE": "{symbol}.L"}})", "\"markets.LSE\": is not"},
        {"{" + strFinnhub + R"(, "markets": {"L": "VOD.L"}})", "\"markets.L\": has no {symbol}"},
        {"{" + strFinnhub + R"(, "markets": {"L": 1}})", "\"markets.L\": must be a text"},
        {"{" + strFinnhub + R"(, "markets": {"F": "{symbol}.{key}"}})", "placeholder {key}"},
        {"{" + strFinnhub + R"(, "aliases": {"1222171": ""}})", "\"aliases.1222171\": must"},
        {"{" + strFinnhub + R"(, "aliases": "NESN"})", "\"aliases\": must be an object"},
        {"{" + strFinnhub + R"(, "cache_seconds": -1})", "\"cache_seconds\": must be a whole"},
        {"{" + strFinnhub + R"(, "cache_seconds": 86401})", "from 0 to 86400"},
        {"{" + strFinnhub + R"(, "cache_seconds": "60"})", "\"cache_seconds\": must be a whole"},
        {"{" + strFinnhub + R"(, "requests_per_minute": 0})", "\"requests_per_minute\":"},
        {"{" + strFinnhub + R"(, "connections": 17})", "\"connections\": must be a whole"},
        {"{" + strFinnhub + R"(, "connections": 2.5})", "\"connections\": must be a whole"},
        {"{" + strFinnhub + R"(, "timeout_seconds": 26})", "\"timeout_seconds\": must be"},
        {"{" + strFinnhub + R"(, "ca_file": "/nonexistent/ca.pem"})", "\"ca_file\":"},
        {"{" + strFinnhub + R"(, "cache_second": 30})", "\"cache_second\": is not a setting"},
    };
    for (const auto& [strText, strExpected] : cases) {
        const SConfigResult result = Parse(strText);
        EXPECT_FALSE(result.config) << strText;
        EXPECT_NE(result.strError.find(strExpected), std::string::npos)
            << strText << "\n  gave: " << result.strError;
        // A refusal never carries the key, even when the key is what is wrong.
        EXPECT_EQ(result.strError.find(kKey), std::string::npos) << result.strError;
    }
}

TEST(UpstreamConfig, KeyFileIsReadOnlyWhenOnlyItsOwnerCanReadIt)
{
    tf::test::CTempDir dir("tf-upstream-key");
    const auto keyFile = dir / "finnhub.key";
    tf::test::WriteFileBytes(keyFile, "  abc123  \n# a note\n");
    const std::string strConfig = R"({"preset": "finnhub", "key_file": "finnhub.key"})";

    ASSERT_EQ(::chmod(keyFile.c_str(), 0644), 0);
    SConfigResult open = Parse(strConfig, dir.Path());
    EXPECT_FALSE(open.config);
    EXPECT_NE(open.strError.find("\"key_file\": "), std::string::npos) << open.strError;
    EXPECT_NE(open.strError.find("may be read by others"), std::string::npos) << open.strError;
    EXPECT_EQ(open.strError.find("abc123"), std::string::npos);

    ASSERT_EQ(::chmod(keyFile.c_str(), 0640), 0);
    EXPECT_FALSE(Parse(strConfig, dir.Path()).config);

    // Owner-only: the first line is the key, blanks around it dropped; the path is taken
    // from the configuration's folder.
    ASSERT_EQ(::chmod(keyFile.c_str(), 0600), 0);
    SConfigResult owner = Parse(strConfig, dir.Path());
    ASSERT_TRUE(owner.config) << owner.strError;
    EXPECT_EQ(owner.config->strKey, "abc123");

    tf::test::WriteFileBytes(keyFile, "\n");
    SConfigResult empty = Parse(strConfig, dir.Path());
    EXPECT_NE(empty.strError.find("\"key_file\": the key is empty"), std::string::npos);

    SConfigResult missing = Parse(R"({"preset": "finnhub", "key_file": "none.key"})", dir.Path());
    EXPECT_NE(missing.strError.find("\"key_file\": cannot open"), std::string::npos);

    // The same rules through the file reader, which also takes ca_file from the folder.
    tf::test::WriteFileBytes(keyFile, "abc123\n");
    tf::test::WriteFileBytes(dir / "ca.pem", "not checked here\n");
    tf::test::WriteFileBytes(dir / "quotes.json",
                             R"({"preset": "finnhub", "key_file": "finnhub.key",
                                 "ca_file": "ca.pem"})");
    SConfigResult read = ReadUpstreamConfig(dir / "quotes.json", TestEnvironment);
    ASSERT_TRUE(read.config) << read.strError;
    EXPECT_EQ(read.config->strCaFile, (dir / "ca.pem").string());
    EXPECT_FALSE(ReadUpstreamConfig(dir / "absent.json", TestEnvironment).config);
}

TEST(UpstreamConfig, SymbolsBecomeTheServicesSymbolsAndTheRequestUrl)
{
    SConfigResult result = Parse(R"({"preset": "finnhub", "key_env": "QUOTE_KEY",
        "markets": {"US": "{symbol}", "L": "{symbol}.L", "F": "{symbol}.DE", "AUNZ": "{symbol}.AX"},
        "aliases": {"1222171": "NESN.SW", ".XYZ": "XYZ240119C00100000", "BP": "BP.L"}})");
    ASSERT_TRUE(result.config) << result.strError;
    const SUpstreamConfig& config = *result.config;

    EXPECT_EQ(ServiceSymbol(config, EQuoteMarket::US, "IBM"), "IBM");
    EXPECT_EQ(ServiceSymbol(config, EQuoteMarket::L, "VOD"), "VOD.L");
    EXPECT_EQ(ServiceSymbol(config, EQuoteMarket::F, "SAP"), "SAP.DE");
    EXPECT_EQ(ServiceSymbol(config, EQuoteMarket::AUNZ, "BHP"), "BHP.AX");
    // An alias wins over the market's template, and reaches markets without one.
    EXPECT_EQ(ServiceSymbol(config, EQuoteMarket::L, "BP"), "BP.L");
    EXPECT_EQ(ServiceSymbol(config, EQuoteMarket::SWISS, "1222171"), "NESN.SW");
    EXPECT_EQ(ServiceSymbol(config, EQuoteMarket::OPTIONS, ".XYZ"), "XYZ240119C00100000");
    // Markets without a template are not asked.
    EXPECT_FALSE(ServiceSymbol(config, EQuoteMarket::P, "AIR"));
    EXPECT_FALSE(ServiceSymbol(config, EQuoteMarket::SWISS, "999"));
    EXPECT_FALSE(ServiceSymbol(config, EQuoteMarket::OPTIONS, ".ABC"));
    EXPECT_FALSE(ServiceSymbol(config, EQuoteMarket::US, ""));

    // The symbol and the key are percent-encoded; the logged URL keeps "{key}".
    EXPECT_EQ(UpstreamRequestUrl(config, "BRK.B"),
              "https://finnhub.io/api/v1/quote?symbol=BRK.B&token=s3cr3t%2Fk%2By");
    EXPECT_EQ(UpstreamRequestUrl(config, "^GSPC&x=1"),
              "https://finnhub.io/api/v1/quote?symbol=%5EGSPC%26x%3D1&token=s3cr3t%2Fk%2By");
    EXPECT_EQ(UpstreamLoggedUrl(config, "VOD.L"),
              "https://finnhub.io/api/v1/quote?symbol=VOD.L&token={key}");
}
