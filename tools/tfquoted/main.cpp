// tfquoted: serves delayed quotes for every quote path Tallyfern asks, and its version page,
// from a quotes file or a simulated market, on loopback by default.
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <pthread.h>
#include <sstream>
#include <string>
#include <vector>

#include "platform/text/ProgramVersion.h"
#include "tools/tfquoted/QuoteBook.h"
#include "tools/tfquoted/QuoteService.h"

namespace {

constexpr const char* kUsage =
    "usage: tfquoted --help | --version\n"
    "       tfquoted [--host ADDRESS] [--port N] [--quotes FILE]\n"
    "                [--simulate SYMBOL=PRICE[,SYMBOL=PRICE...]] [--seed N]\n"
    "                [--version-reply TEXT] [--quiet]\n"
    "\n"
    "Answers the US, regional, Australia/New Zealand, Swiss and options quote paths and\n"
    "/version.htm on ADDRESS (default 127.0.0.1) port N (default 8470; 0 picks a free one).\n"
    "The quotes file has one quote a line: SYMBOL PRICE [CHANGE [PREVIOUS-CLOSE [BID]]],\n"
    "separated by spaces or commas, \"#\" starting a comment; it is reread when it changes.\n"
    "Regional symbols are looked up with and without their exchange suffix (ABC*P, ABC);\n"
    "an option ticker .XYZ is looked up as .XYZ, then XYZ.\n"
    "--simulate moves each given price by a seeded random walk at every request.\n";

// Highest TCP port number.
constexpr int kMaxPort = 65535;

bool ParseInt(const std::string& strText, long long nMin, long long nMax, long long& nValue)
{
    std::istringstream in(strText);
    in.imbue(std::locale::classic());
    long long n = 0;
    if (!(in >> n) || !in.eof() || n < nMin || n > nMax) {
        return false;
    }
    nValue = n;
    return true;
}

bool AddSimulated(CQuoteBook& book, const std::string& strList)
{
    std::istringstream in(strList);
    std::string strItem;
    bool bAny = false;
    while (std::getline(in, strItem, ',')) {
        const std::size_t nEquals = strItem.find('=');
        if (nEquals == std::string::npos || nEquals == 0) {
            return false;
        }
        const auto price = ParseServedNumber(strItem.substr(nEquals + 1));
        if (!price || *price <= 0) {
            return false;
        }
        book.Simulate(strItem.substr(0, nEquals), *price);
        bAny = true;
    }
    return bAny;
}

} // namespace

int main(int argc, char** argv)
{
    std::string strHost = "127.0.0.1";
    long long nPort = kDefaultQuotedPort;
    QuoteServiceOptions options;
    bool bQuiet = false;
    CQuoteBook book;
    bool bSource = false;

    const std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& strArg = args[i];
        const bool bHasValue = i + 1 < args.size();
        if (strArg == "--help" || strArg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (strArg == "--version") {
            std::cout << VersionLine("tfquoted");
            return 0;
        }
        if (strArg == "--quiet") {
            bQuiet = true;
            continue;
        }
        if (!bHasValue) {
            std::cerr << "tfquoted: " << strArg << ": unknown option or missing value\n" << kUsage;
            return 2;
        }
        const std::string& strValue = args[++i];
        if (strArg == "--host") {
            strHost = strValue;
        } else if (strArg == "--port") {
            if (!ParseInt(strValue, 0, kMaxPort, nPort)) {
                std::cerr << "tfquoted: --port wants a number from 0 to 65535\n";
                return 2;
            }
        } else if (strArg == "--quotes") {
            book.UseFile(strValue);
            bSource = true;
        } else if (strArg == "--simulate") {
            if (!AddSimulated(book, strValue)) {
                std::cerr << "tfquoted: --simulate wants SYMBOL=PRICE pairs with positive prices\n";
                return 2;
            }
            bSource = true;
        } else if (strArg == "--seed") {
            long long nSeed = 0;
            if (!ParseInt(strValue, 0, INT64_MAX, nSeed)) {
                std::cerr << "tfquoted: --seed wants a non-negative number\n";
                return 2;
            }
            book.SetSeed(static_cast<std::uint64_t>(nSeed));
        } else if (strArg == "--version-reply") {
            options.strVersion = strValue;
        } else {
            std::cerr << "tfquoted: " << strArg << ": unknown option\n" << kUsage;
            return 2;
        }
    }
    if (!bSource) {
        std::cerr << "tfquoted: no quotes file or simulated symbols; every symbol reads N/A\n";
    }
    if (!bQuiet) {
        options.log = [](const std::string& strLine) { std::cerr << strLine << std::endl; };
    }

    // SIGINT and SIGTERM end the service cleanly: they are taken by sigwait below, so every
    // thread the server starts must have them blocked.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    CQuoteService service(book, options);
    const int nBound = service.Bind(strHost, static_cast<int>(nPort));
    if (nBound < 0) {
        std::cerr << "tfquoted: cannot listen on " << strHost << ":" << nPort << "\n";
        return 1;
    }
    std::cout << "tfquoted listening on " << strHost << ":" << nBound << std::endl;
    service.Start();
    int nSignal = 0;
    sigwait(&signals, &nSignal);
    service.Stop();
    return 0;
}
