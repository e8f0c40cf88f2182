// The tfquoted program itself: started on a free port with a quotes file, asked by FetchQuote,
// stopped by SIGTERM; and its refusal of bad options.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "quotes/FetchQuote.h"
#include "quotes/QuoteServers.h"

extern char** environ;

namespace {

// Every wait on the child is bounded by this.
constexpr int kChildWaitMs = 5000;

struct Child
{
    pid_t pid = -1;
    int fdOut = -1;
};

Child Spawn(const std::vector<std::string>& args)
{
    Child child;
    int fds[2];
    if (pipe(fds) != 0) {
        return child;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<char*> argv;
    std::string strProgram = TFQUOTED_PATH;
    argv.push_back(strProgram.data());
    std::vector<std::string> copies = args;
    for (auto& strArg : copies) {
        argv.push_back(strArg.data());
    }
    argv.push_back(nullptr);
    if (posix_spawn(&child.pid, TFQUOTED_PATH, &actions, nullptr, argv.data(), environ) != 0) {
        child.pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    child.fdOut = fds[0];
    return child;
}

std::string ReadLine(int fd)
{
    std::string strLine;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kChildWaitMs);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, 100) <= 0) {
            continue;
        }
        char c = 0;
        if (read(fd, &c, 1) != 1 || c == '\n') {
            break;
        }
        strLine += c;
    }
    return strLine;
}

// The exit status, or -1 if the child had to be killed.
int WaitExit(pid_t pid)
{
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kChildWaitMs);
    int nStatus = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(pid, &nStatus, WNOHANG) == pid) {
            return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &nStatus, 0);
    return -1;
}

} // namespace

TEST(QuotedProgram, ServesAQuotesFileAndStopsOnSigterm)
{
    for (const char* pVariable : {"http_proxy", "all_proxy", "ALL_PROXY"}) {
        unsetenv(pVariable);
    }
    const auto path = std::filesystem::temp_directory_path() /
                      ("tfquoted-program-" + std::to_string(getpid()) + ".txt");
    std::ofstream(path) << "IBM 123.5 +0.75\nABBN 1234.5 4.5\n.XYZ 3.125 0.25 2.875 3\n";

    Child child =
        Spawn({"--port", "0", "--quotes", path.string(), "--version-reply", "2.5", "--quiet"});
    ASSERT_GT(child.pid, 0);
    const std::string strLine = ReadLine(child.fdOut);
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

    kill(child.pid, SIGTERM);
    EXPECT_EQ(WaitExit(child.pid), 0);
    close(child.fdOut);
    std::filesystem::remove(path);
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
        Child child = Spawn(args);
        ASSERT_GT(child.pid, 0);
        EXPECT_EQ(WaitExit(child.pid), 2) << args[0];
        close(child.fdOut);
    }
}
