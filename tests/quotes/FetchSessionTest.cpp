// FetchQuote over real HTTP against a scripted server: what is sent, statuses, the password
// challenge, redirections, failures and the bounds.
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

#include "quotes/FetchQuote.h"
#include "quotes/QuotePasswords.h"
#include "quotes/QuoteServers.h"
#include "tests/support/httpserver/ScriptedHttpServer.h"

namespace {

constexpr const char* kUsPath = "/d/quotes.csv";
constexpr const char* kUsLine = "\"IBM\",123.5,\"12/8/1999\",\"4:00pm\",-0.25,1,2,3,4\r\n";
// Values the caller had before a fetch, to see whether the fetch touched them.
constexpr double kUntouched = 7.5;
// Short enough to keep the stall tests to about a second.
constexpr long kTestStallMs = 500;
constexpr long kTestConnectMs = 2000;

ScriptedReply Reply(int nStatus, const std::string& strBody)
{
    ScriptedReply reply;
    reply.nStatus = nStatus;
    reply.strBody = strBody;
    return reply;
}

ScriptedReply Redirect(const std::string& strHeader, const std::string& strLocation)
{
    ScriptedReply reply;
    reply.nStatus = 302;
    reply.headers.emplace_back(strHeader, strLocation);
    reply.strBody = "<html>moved</html>\n";
    return reply;
}

class FetchSessionTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        for (const char* pVariable : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) {
            unsetenv(pVariable);
        }
        ASSERT_TRUE(m_server.Start());
        PointRolesAt(m_server.Address());
        HttpLimits limits;
        limits.nConnectTimeoutMs = kTestConnectMs;
        limits.nStallTimeoutMs = kTestStallMs;
        SetFetchLimits(limits);
        SetPasswordPrompt(nullptr);
        ForgetRememberedPasswords();
    }

    void TearDown() override
    {
        m_server.Stop();
        SetPasswordPrompt(nullptr);
        SetFetchLimits(HttpLimits());
        for (const auto role : kRoles) {
            unsetenv(QuoteServerVariable(role));
        }
    }

    static void PointRolesAt(const std::string& strAddress)
    {
        for (const auto role : kRoles) {
            setenv(QuoteServerVariable(role), strAddress.c_str(), 1);
        }
    }

    int Fetch(const std::string& strSymbol, const std::string& strCountry, int bUseBid = 0)
    {
        m_dPrice = kUntouched;
        m_dChange = kUntouched;
        return FetchQuote(strSymbol, strCountry, bUseBid, m_dPrice, m_dChange);
    }

    std::string Url(const std::string& strPath) const
    {
        return "http://" + m_server.Address() + strPath;
    }

    static constexpr QuoteServerRole kRoles[] = {
        QuoteServerRole::UsQuotes,    QuoteServerRole::RegionalQuotes, QuoteServerRole::AuNzQuotes,
        QuoteServerRole::SwissQuotes, QuoteServerRole::OptionQuotes,   QuoteServerRole::MakerSite};

    CScriptedHttpServer m_server;
    double m_dPrice = 0.0;
    double m_dChange = 0.0;
};

} // namespace

TEST_F(FetchSessionTest, SendsOneGetWithItsHeadersOnceEach)
{
    m_server.Script(kUsPath, Reply(200, kUsLine));
    ASSERT_EQ(Fetch("IBM", "United States"), kFetchOk);
    EXPECT_DOUBLE_EQ(m_dPrice, 123.5);
    EXPECT_DOUBLE_EQ(m_dChange, -0.25);

    const auto requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 1U);
    const ReceivedRequest& req = requests[0];
    EXPECT_EQ(req.strMethod, "GET");
    EXPECT_EQ(req.strPath, kUsPath);
    EXPECT_EQ(req.strQuery, "s=IBM&f=sl1d1t1c1ohgv&e=.csv");
    EXPECT_EQ(req.HeaderCount("Accept"), 1U);
    EXPECT_EQ(req.Header("Accept"), "text/*");
    EXPECT_EQ(req.HeaderCount("User-Agent"), 1U);
    EXPECT_EQ(req.Header("User-Agent"), "Tallyfern");
    EXPECT_EQ(req.HeaderCount("Host"), 1U);
    EXPECT_EQ(req.Header("Host"), m_server.Address());
    EXPECT_EQ(req.HeaderCount("Authorization"), 0U);
}

TEST_F(FetchSessionTest, ErrorPagesAndRepliesWithoutAPriceFailAndLeaveTheOutputs)
{
    // A status other than 2xx is no quote, even when the page holds a quote line.
    for (const int nStatus : {404, 407, 500, 503}) {
        m_server.Script(kUsPath, Reply(nStatus, kUsLine));
        EXPECT_EQ(Fetch("IBM", "United States"), kFetchFailed) << nStatus;
        EXPECT_EQ(m_dPrice, kUntouched) << nStatus;
        EXPECT_EQ(m_dChange, kUntouched) << nStatus;
    }

    // A 2xx reply without a price field: a captive portal's page, "N/A", nothing at all.
    for (const char* pBody :
         {"<html><body>Please log in</body></html>\n", "\"IBM\",N/A,N/A,N/A,N/A,N/A\r\n", ""}) {
        m_server.Script(kUsPath, Reply(200, pBody));
        EXPECT_EQ(Fetch("IBM", "United States"), kFetchFailed) << pBody;
        EXPECT_EQ(m_dPrice, kUntouched) << pBody;
    }

    // Other 2xx statuses carry quotes; a price of 0 is a price.
    m_server.Script(kUsPath, Reply(203, kUsLine));
    EXPECT_EQ(Fetch("IBM", "United States"), kFetchOk);
    EXPECT_DOUBLE_EQ(m_dPrice, 123.5);
    m_server.Script(kUsPath, Reply(200, "\"IBM\",0,\"12/8/1999\",\"4:00pm\",0\r\n"));
    EXPECT_EQ(Fetch("IBM", "United States"), kFetchOk);
    EXPECT_EQ(m_dPrice, 0.0);

    // An option symbol outside the United States has no reader: the reply cannot hold a price.
    EXPECT_EQ(Fetch("ABC.O", "Germany"), kFetchFailed);
    EXPECT_EQ(m_dPrice, kUntouched);
    EXPECT_EQ(m_server.Requests().back().strQuery, "symbols=ABC.O*F&detailed=s");
}

TEST_F(FetchSessionTest, FollowsOneRedirection)
{
    m_server.Script(kUsPath, Redirect("Location", Url("/moved?x=1")));
    m_server.Script("/moved", Reply(200, kUsLine));
    ASSERT_EQ(Fetch("IBM", "United States"), kFetchOk);
    EXPECT_DOUBLE_EQ(m_dPrice, 123.5);
    const auto requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 2U);
    EXPECT_EQ(requests[1].strTarget, "/moved?x=1");
    EXPECT_EQ(requests[1].HeaderCount("Accept"), 1U);
    EXPECT_EQ(requests[1].Header("User-Agent"), "Tallyfern");

    // 301 and 303 are redirections too.
    for (const int nStatus : {301, 303}) {
        ScriptedReply reply = Redirect("Location", Url("/moved"));
        reply.nStatus = nStatus;
        m_server.Script(kUsPath, reply);
        EXPECT_EQ(Fetch("IBM", "United States"), kFetchOk) << nStatus;
        EXPECT_DOUBLE_EQ(m_dPrice, 123.5) << nStatus;
    }
}

TEST_F(FetchSessionTest, RedirectionsThatCannotBeFollowedFailWithTwo)
{
    m_server.Script("/moved", Redirect("Location", Url("/again")));
    m_server.Script("/again", Reply(200, kUsLine));
    m_server.Script("/gone", Reply(404, kUsLine));
    const ScriptedReply cases[] = {
        Redirect("Location", Url("/moved")), // redirected again
        Redirect("Location", Url("/gone")),  // redirected request not 200
        Redirect("Location", "https://" + m_server.Address() + "/again"),
        Redirect("Location", "ftp://" + m_server.Address() + "/again"),
        Redirect("location", Url("/again")), // the header is searched case-sensitively
        Redirect("LOCATION", Url("/again")),
        Redirect("Location", "/again"), // not an absolute HTTP URL
        Redirect("X-Moved", Url("/again")),
    };
    for (const auto& reply : cases) {
        m_server.Script(kUsPath, reply);
        EXPECT_EQ(Fetch("IBM", "United States"), kFetchFailed) << reply.headers[0].second;
        EXPECT_EQ(m_dPrice, kUntouched);
        EXPECT_EQ(m_dChange, kUntouched);
    }
}

TEST_F(FetchSessionTest, PasswordChallengeCancelledOrAnswered)
{
    ScriptedReply challenge = Reply(401, "<html>denied</html>\n");
    challenge.headers.emplace_back("WWW-Authenticate", "Basic realm=\"quotes\"");

    // No prompt installed counts as cancelled.
    m_server.Script(kUsPath, challenge);
    EXPECT_EQ(Fetch("IBM", "United States"), kFetchNotMade);
    EXPECT_EQ(m_dPrice, kUntouched);

    int nPrompts = 0;
    std::string strPromptHost;
    SetPasswordPrompt([&](const std::string& strHost, HttpCredentials&) {
        ++nPrompts;
        strPromptHost = strHost;
        return false;
    });
    EXPECT_EQ(Fetch("IBM", "United States"), kFetchNotMade);
    EXPECT_EQ(m_dPrice, kUntouched);
    EXPECT_EQ(m_dChange, kUntouched);
    EXPECT_EQ(nPrompts, 1);
    EXPECT_EQ(strPromptHost, "127.0.0.1");

    m_server.ClearRequests();
    m_server.Script(kUsPath, {challenge, Reply(200, kUsLine)});
    SetPasswordPrompt([&](const std::string&, HttpCredentials& credentials) {
        ++nPrompts;
        credentials.strUser = "ann";
        credentials.strPassword = "s3cret";
        return true;
    });
    EXPECT_EQ(Fetch("IBM", "United States"), kFetchOk);
    EXPECT_DOUBLE_EQ(m_dPrice, 123.5);
    EXPECT_EQ(nPrompts, 2);
    auto requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 2U);
    EXPECT_EQ(requests[0].HeaderCount("Authorization"), 0U);
    EXPECT_EQ(requests[1].Header("Authorization"), "Basic YW5uOnMzY3JldA==");
    EXPECT_EQ(requests[1].HeaderCount("User-Agent"), 1U);

    // The answer is remembered: the next fetch sends it at once and asks nothing.
    m_server.ClearRequests();
    m_server.Script(kUsPath, Reply(200, kUsLine));
    EXPECT_EQ(Fetch("IBM", "United States"), kFetchOk);
    EXPECT_EQ(nPrompts, 2);
    requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0].Header("Authorization"), "Basic YW5uOnMzY3JldA==");

    // Remembered credentials the server refuses ask again, once: a second 401 is a failure
    // like any other status other than 2xx.
    m_server.ClearRequests();
    m_server.Script(kUsPath, {challenge, challenge});
    EXPECT_EQ(Fetch("IBM", "United States"), kFetchFailed);
    EXPECT_EQ(m_dPrice, kUntouched);
    EXPECT_EQ(nPrompts, 3);
    EXPECT_EQ(m_server.Requests().size(), 2U);
}

TEST_F(FetchSessionTest, DeadServersCostSecondsAndLeaveTheOutputs)
{
    // Refused: a port that was just free.
    CScriptedHttpServer closed;
    ASSERT_TRUE(closed.Start());
    const std::string strClosed = closed.Address();
    closed.Stop();
    PointRolesAt(strClosed);
    EXPECT_EQ(Fetch("IBM", "United States"), kFetchFailed);
    EXPECT_EQ(m_dPrice, kUntouched);
    PointRolesAt(m_server.Address());

    // Silent before the head, and silent in the middle of the body.
    ScriptedReply silent = Reply(200, kUsLine);
    silent.nStallBeforeMs = 20000;
    ScriptedReply halfway = Reply(200, kUsLine);
    halfway.nStallAfterBodyMs = 20000;
    for (const auto& reply : {silent, halfway}) {
        m_server.Script(kUsPath, reply);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Fetch("IBM", "United States"), kFetchFailed);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_LT(elapsed, std::chrono::seconds(10));
        EXPECT_EQ(m_dPrice, kUntouched);
        EXPECT_EQ(m_dChange, kUntouched);
    }
}

TEST_F(FetchSessionTest, BodyPastTheCapEndsTheData)
{
    // The price stands after a long comment; with a cap inside the comment it is never seen.
    std::string strPage = "<td>Close:</td>\n<!--\n";
    for (int i = 0; i < 100; ++i) {
        strPage += std::string(99, 'x') + "\n";
    }
    strPage += "--><td>12.50</td>\n";
    m_server.Script("/quotes/Detail.cfm", Reply(200, strPage));
    ASSERT_EQ(Fetch("ABBN", "Switzerland"), kFetchOk);
    EXPECT_DOUBLE_EQ(m_dPrice, 12.5);

    HttpLimits limits = GetFetchLimits();
    limits.nMaxBodyBytes = 4096;
    SetFetchLimits(limits);
    EXPECT_EQ(Fetch("ABBN", "Switzerland"), kFetchFailed);
    EXPECT_EQ(m_dPrice, kUntouched);

    // The default cap on a reply of several MiB: the request ends at the cap, the start is read.
    SetFetchLimits(HttpLimits());
    m_server.Script(kUsPath, Reply(200, kUsLine + std::string(kDefaultMaxBodyBytes + 4096, 'z')));
    HttpUrl url;
    ASSERT_TRUE(ParseHttpUrl(Url(kUsPath), url));
    CHttpRequest request(url, HttpLimits());
    ASSERT_TRUE(request.Send());
    EXPECT_EQ(request.GetStatus(), 200);
    EXPECT_TRUE(request.WasTruncated());
    EXPECT_EQ(request.GetBody().size(), kDefaultMaxBodyBytes);
    EXPECT_EQ(Fetch("IBM", "United States"), kFetchOk);
    EXPECT_DOUBLE_EQ(m_dPrice, 123.5);
}

TEST_F(FetchSessionTest, OversizedHeadersFail)
{
    ScriptedReply reply = Reply(200, kUsLine);
    for (int i = 0; i < 100; ++i) {
        reply.headers.emplace_back("X-Padding-" + std::to_string(i), std::string(1000, 'p'));
    }
    m_server.Script(kUsPath, reply);
    EXPECT_EQ(Fetch("IBM", "United States"), kFetchFailed);
    EXPECT_EQ(m_dPrice, kUntouched);
}

TEST_F(FetchSessionTest, LongLinesArriveInReadsOf1022)
{
    // The regional reader skips one read and takes the next: a header of 1021 characters and
    // its line feed is one read, one of 1022 characters leaves its line feed for a second read.
    const std::string strQuote = "\"VOD*L\",\"12.50\",d,\"+0.1\",x,y,\"12.00\"\n";
    const std::string strPath = "/quotes/ukie/quote.csv";
    m_server.Script(strPath, Reply(200, std::string(1021, 'h') + "\n" + strQuote));
    ASSERT_EQ(Fetch("VOD", "United Kingdom"), kFetchOk);
    EXPECT_DOUBLE_EQ(m_dPrice, 12.5);
    EXPECT_DOUBLE_EQ(m_dChange, 0.5);

    // The second read is the lone line feed, which is no quote line.
    m_server.Script(strPath, Reply(200, std::string(1022, 'h') + "\n" + strQuote));
    EXPECT_EQ(Fetch("VOD", "United Kingdom"), kFetchFailed);
    EXPECT_EQ(m_dPrice, kUntouched);

    // A CR counts against the limit although it is dropped.
    m_server.Script(strPath, Reply(200, std::string(1020, 'h') + "\r\n" + strQuote));
    ASSERT_EQ(Fetch("VOD", "United Kingdom"), kFetchOk);
    EXPECT_DOUBLE_EQ(m_dPrice, 12.5);
    m_server.Script(strPath, Reply(200, std::string(1021, 'h') + "\r\n" + strQuote));
    EXPECT_EQ(Fetch("VOD", "United Kingdom"), kFetchFailed);
}

TEST_F(FetchSessionTest, TagsSpanLinesButNotReplies)
{
    m_server.Script("/quotes/Detail.cfm",
                    Reply(200, "<tr><td>Close:</td><td\nalign=right>1,234.50</td>\n"
                               "<td>Close prev. day:</td>\n<td>1,230.00</td>\n<a href=\"x"));
    ASSERT_EQ(Fetch("ABBN", "Switzerland"), kFetchOk);
    EXPECT_DOUBLE_EQ(m_dPrice, 1234.5);
    EXPECT_DOUBLE_EQ(m_dChange, 4.5);

    // The Swiss reply ended inside a tag; the next reply is read from its first character.
    m_server.Script(kUsPath, Reply(200, kUsLine));
    ASSERT_EQ(Fetch("IBM", "United States"), kFetchOk);
    EXPECT_DOUBLE_EQ(m_dPrice, 123.5);
}

TEST_F(FetchSessionTest, HostileSymbolsCannotSplitTheRequest)
{
    m_server.Script(kUsPath, Reply(200, kUsLine));
    ASSERT_EQ(Fetch("A B\r\nX-Evil: 1\r\n", "United States"), kFetchOk);
    auto requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0].strTarget,
              "/d/quotes.csv?s=A%20B%0D%0AX-Evil:%201%0D%0A&f=sl1d1t1c1ohgv&e=.csv");
    EXPECT_EQ(requests[0].HeaderCount("X-Evil"), 0U);
    EXPECT_EQ(requests[0].HeaderCount("Accept"), 1U);

    // "?" and "&" in a symbol cannot start query fields of their own.
    m_server.ClearRequests();
    ASSERT_EQ(Fetch("I?a=b&s=Q", "United States"), kFetchOk);
    EXPECT_EQ(m_server.Requests().back().strTarget,
              "/d/quotes.csv?s=I%3Fa=b%26s=Q&f=sl1d1t1c1ohgv&e=.csv");
    EXPECT_EQ(m_server.Requests().back().strQuery.find("&s=Q"), std::string::npos);

    // A redirection to a target with control characters is encoded the same way.
    m_server.ClearRequests();
    m_server.Script(kUsPath, Redirect("Location", Url("/moved?a=1\tb")));
    m_server.Script("/moved", Reply(200, kUsLine));
    ASSERT_EQ(Fetch("IBM", "United States"), kFetchOk);
    requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 2U);
    EXPECT_EQ(requests[1].strTarget, "/moved?a=1%09b");

    // A URL too long for its buffer, or a server setting that is no host, is never sent.
    m_server.ClearRequests();
    EXPECT_EQ(Fetch(std::string(2000, 'A'), "United States"), kFetchNotMade);
    EXPECT_EQ(m_dPrice, kUntouched);
    PointRolesAt("bad host\r\n");
    EXPECT_EQ(Fetch("IBM", "United States"), kFetchNotMade);
    EXPECT_TRUE(m_server.Requests().empty());
}

TEST_F(FetchSessionTest, UsesTheStandardProxyVariables)
{
    // The scripted server stands in for the proxy: it receives the absolute URL.
    m_server.Script("http://quotes.example/d/quotes.csv", Reply(200, kUsLine));
    unsetenv("no_proxy");
    unsetenv("NO_PROXY");
    setenv("http_proxy", Url("").c_str(), 1);
    PointRolesAt("quotes.example");
    const int nResult = Fetch("IBM", "United States");
    unsetenv("http_proxy");
    ASSERT_EQ(nResult, kFetchOk);
    EXPECT_DOUBLE_EQ(m_dPrice, 123.5);
    const auto requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0].strTarget,
              "http://quotes.example/d/quotes.csv?s=IBM&f=sl1d1t1c1ohgv&e=.csv");
    EXPECT_EQ(requests[0].Header("Host"), "quotes.example");
    EXPECT_EQ(requests[0].HeaderCount("User-Agent"), 1U);
}

TEST_F(FetchSessionTest, EmptySymbolDoesNothing)
{
    m_server.Script(kUsPath, Reply(200, kUsLine));
    EXPECT_EQ(Fetch("", "United States"), kFetchMissingArgument);
    EXPECT_EQ(Fetch(std::string("\0IBM", 4), "United States"), kFetchMissingArgument);
    EXPECT_EQ(m_dPrice, kUntouched);
    EXPECT_EQ(m_dChange, kUntouched);
    EXPECT_TRUE(m_server.Requests().empty());

    // The plain-result wrapper carries the same code and values.
    const QuoteFetchResult result = FetchQuoteResult("IBM", "Canada", 0);
    EXPECT_EQ(result.nResult, kFetchOk);
    EXPECT_DOUBLE_EQ(result.dPrice, 123.5);
    EXPECT_DOUBLE_EQ(result.dChange, -0.25);
}

TEST_F(FetchSessionTest, TheVersionCheckTakesAnErrorPageAsNoAnswer)
{
    double dVersion = -1.0;
    m_server.Script("/version.htm", Reply(404, "\"Tallyfern\",2.5\r\n"));
    EXPECT_EQ(FetchCurrentVersion(dVersion), kFetchFailed);
    EXPECT_EQ(dVersion, 0.0);
    m_server.Script("/version.htm", Reply(200, "<html>Welcome to the hotel network</html>\n"));
    EXPECT_EQ(FetchCurrentVersion(dVersion), kFetchFailed);
    EXPECT_EQ(dVersion, 0.0);
    m_server.Script("/version.htm", Reply(200, "\"Tallyfern\",2.5\r\n"));
    EXPECT_EQ(FetchCurrentVersion(dVersion), kFetchOk);
    EXPECT_DOUBLE_EQ(dVersion, 2.5);
}
