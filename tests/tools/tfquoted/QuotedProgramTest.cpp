// The tfquoted program itself: started on a free port with a quotes file, asked by FetchQuote,
// stopped by SIGTERM; and its refusal of bad options.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

#include "quotes/FetchQuote.h"
#include "quotes/QuoteServers.h"
#include "tests/support/process/ChildProcess.h"
#include "tests/support/tempdir/TempDir.h"

namespace {

// Every wait on the child is bounded by this.
constexpr auto kChildWait = std::chrono::milliseconds(5000);

bool Start(tf::test::CChildProcess& child, std::vector<std::string> args)
{
    args.insert(args.begin(), TFQUOTED_PATH);
    return child.Start(args);
}

// The first line the child printed, once it is there (empty after the wait).
std::string FirstLine(const tf::test::CChildProcess& child)
{
    const auto deadline = std::chrono::steady_clock::now() + kChildWait;
    while (std::chrono::steady_clock::now() < deadline) {
        std::string strOutput = child.Output();
        std::size_t nEnd = strOutput.find('\n');
        if (nEnd != std::string::npos)
            return strOutput.substr(0, nEnd);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

// The exit status, or -1 if the child had to be killed.
int WaitExit(tf::test::CChildProcess& child)
{
    return child.Wait(kChildWait).exitCode;
}

} // namespace

TEST(QuotedProgram, ServesAQuotesFileAndStopsOnSigterm)
{
    for (const char* pVariable : {"http_proxy", "all_proxy", "ALL_PROXY"}) {
        unsetenv(pVariable);
    }
    tf::test::CTempDir dir("tfquoted-program");
    const auto path = dir / "quotes.txt";
    tf::test::WriteFileBytes(path, "IBM 123.5 +0.75\nABBN 1234.5 4.5\n.XYZ 3.125 0.25 2.875 3\n");

    tf::test::CChildProcess child;
    ASSERT_TRUE(Start(
        child, {"--port", "0", "--quotes", path.string(), "--version-reply", "2.5", "--quiet"}));
    const std::string strLine = FirstLine(child);
    const std::string strPrefix = "tfquoted listening on ";
    ASSERT_EQ(strLine.rfind(strPrefix, 0), 0U) << strLine;
    const std::string strAddress = strLine.substr(strPrefix.size());
    for (const auto role : {QuoteServerRole::UsQuotes, QuoteServerRole::SwissQuotes,
                            QuoteServerRole::OptionQuotes, QuoteServerRole::MakerSite}) {
        setenv(QuoteServerVariable(role), strAddress.c_str(), 1);
    }

    QuoteFetchResult r = FetchQuoteResult("IBM", "United States", 0);
    EXPECT_EQ(r.nResult, kFetchOk);
    EXPECT_DOUBLE_EQ(r.dPrice, 123.5);
    EXPECT_DOUBLE_EQ(r.dChange, 0.75);
    r = FetchQuoteResult("ABBN", "Switzerland", 0);
    EXPECT_DOUBLE_EQ(r.dPrice, 1234.5);
    EXPECT_DOUBLE_EQ(r.dChange, 4.5);
    r = FetchQuoteResult("XYZ.O", "United States", 1);
    EXPECT_DOUBLE_EQ(r.dPrice, 3.0);
    double dVersion = 0.0;
    EXPECT_EQ(FetchCurrentVersion(dVersion), kFetchOk);
    EXPECT_DOUBLE_EQ(dVersion, 2.5);

    child.Signal(SIGTERM);
    EXPECT_EQ(WaitExit(child), 0);
    for (const auto role : {QuoteServerRole::UsQuotes, QuoteServerRole::SwissQuotes,
                            QuoteServerRole::OptionQuotes, QuoteServerRole::MakerSite}) {
        unsetenv(QuoteServerVariable(role));
    }
}

TEST(QuotedProgram, RefusesBadOptions)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--port", "99999"},
                                                 {"--port", "x"},
                                                 {"--simulate", "IBM"},
                                                 {"--simulate", "IBM=-1"},
                                                 {"--bogus", "1"},
                                                 {"--port"}}) {
        tf::test::CChildProcess child;
        ASSERT_TRUE(Start(child, args));
        EXPECT_EQ(WaitExit(child), 2) << args[0];
    }
}
