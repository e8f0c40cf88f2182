// tfquoted: serves delayed quotes for every quote path Tallyfern asks, and its version page,
// from a quotes file, a simulated market, or a live quote service over HTTPS, on loopback by
// default.
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <sstream>
#include <string>
#include <vector>

#include "platform/text/ProgramVersion.h"
#include "tools/tfquoted/QuoteBook.h"
#include "tools/tfquoted/QuoteService.h"
#include "tools/tfquoted/QuoteSource.h"
#include "tools/tfquoted/UpstreamCheck.h"
#include "tools/tfquoted/upstream/QuoteGateway.h"

namespace {

constexpr const char* kUsage =
    "usage: tfquoted --help | --version\n"
    "       tfquoted [--host ADDRESS] [--port N] [--quotes FILE]\n"
    "                [--simulate SYMBOL=PRICE[,SYMBOL=PRICE...]] [--seed N]\n"
    "                [--version-reply TEXT] [--quiet]\n"
    "       tfquoted --upstream FILE [--host ADDRESS] [--port N] [--quiet]\n"
    "       tfquoted --upstream FILE --check SYMBOL [--country C]\n"
    "\n"
    "Answers the US, regional, Australia/New Zealand, Swiss and options quote paths and\n"
    "/version.htm on ADDRESS (default 127.0.0.1) port N (default 8470; 0 picks a free one).\n"
    "The quotes file has one quote a line: SYMBOL PRICE [CHANGE [PREVIOUS-CLOSE [BID]]],\n"
    "separated by spaces or commas, \"#\" starting a comment; it is reread when it changes.\n"
    "Regional symbols are looked up with and without their exchange suffix (ABC*P, ABC);\n"
    "an option ticker .XYZ is looked up as .XYZ, then XYZ.\n"
    "--simulate moves each given price by a seeded random walk at every request.\n"
    "--upstream answers with live quotes from the quote service the JSON file configures\n"
    "(GET /status tells how that goes); --check makes one fetch for a symbol of the country\n"
    "(default United States), prints what came back and exits.\n";

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

struct SOptions
{
    std::string strHost = "127.0.0.1";
    long long nPort = kDefaultQuotedPort;
    QuoteServiceOptions service;
    bool bQuiet = false;
    bool bBookSource = false;
    std::optional<std::string> upstream;
    std::optional<std::string> check;
    std::optional<std::string> country;
};

// Reads the command line into the options and the book; returns an exit status to stop with
// (0 after --help or --version), or nullopt to go on.
std::optional<int> ReadCommandLine(const std::vector<std::string>& args, SOptions& options,
                                   CQuoteBook& book)
{
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
            options.bQuiet = true;
            continue;
        }
        if (!bHasValue) {
            std::cerr << "tfquoted: " << strArg << ": unknown option or missing value\n" << kUsage;
            return 2;
        }
        const std::string& strValue = args[++i];
        if (strArg == "--host") {
            options.strHost = strValue;
        } else if (strArg == "--port") {
            if (!ParseInt(strValue, 0, kMaxPort, options.nPort)) {
                std::cerr << "tfquoted: --port wants a number from 0 to 65535\n";
                return 2;
            }
        } else if (strArg == "--quotes") {
            book.UseFile(strValue);
            options.bBookSource = true;
        } else if (strArg == "--simulate") {
            if (!AddSimulated(book, strValue)) {
                std::cerr << "tfquoted: --simulate wants SYMBOL=PRICE pairs with positive prices\n";
                return 2;
            }
            options.bBookSource = true;
        } else if (strArg == "--seed") {
            long long nSeed = 0;
            if (!ParseInt(strValue, 0, INT64_MAX, nSeed)) {
                std::cerr << "tfquoted: --seed wants a non-negative number\n";
                return 2;
            }
            book.SetSeed(static_cast<std::uint64_t>(nSeed));
        } else if (strArg == "--version-reply") {
            options.service.strVersion = strValue;
        } else if (strArg == "--upstream") {
            options.upstream = strValue;
        } else if (strArg == "--check") {
            options.check = strValue;
        } else if (strArg == "--country") {
            options.country = strValue;
        } else {
            std::cerr << "tfquoted: " << strArg << ": unknown option\n" << kUsage;
            return 2;
        }
    }
    if (options.upstream && options.bBookSource) {
        std::cerr << "tfquoted: --upstream answers every quote; it does not go with --quotes or "
                     "--simulate\n";
        return 2;
    }
    if (options.check && !options.upstream) {
        std::cerr << "tfquoted: --check tests an upstream configuration: give --upstream FILE\n";
        return 2;
    }
    if (options.country && !options.check) {
        std::cerr << "tfquoted: --country goes with --check\n";
        return 2;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    SOptions options;
    CQuoteBook book;
    if (const auto status =
            ReadCommandLine(std::vector<std::string>(argv + 1, argv + argc), options, book)) {
        return *status;
    }

    // The service's threads and the gateway both log; one line must not cut into another.
    std::mutex logMutex;
    const auto log = [&logMutex](const std::string& strLine) {
        std::lock_guard<std::mutex> lock(logMutex);
        std::cerr << strLine << std::endl;
    };
    if (!options.bQuiet) {
        options.service.log = log;
    }

    std::unique_ptr<CQuoteGateway> pGateway;
    std::unique_ptr<IQuoteSource> pSource;
    if (options.upstream) {
        const SConfigResult config = ReadUpstreamConfig(*options.upstream);
        if (!config.config) {
            std::cerr << "tfquoted: " << *options.upstream << ": " << config.strError << "\n";
            return 1;
        }
        SGatewayOptions gatewayOptions;
        if (!options.bQuiet) {
            gatewayOptions.log = log;
        }
        pGateway = std::make_unique<CQuoteGateway>(*config.config, gatewayOptions);
        if (options.check) {
            return RunUpstreamCheck(*pGateway, *options.check,
                                    options.country.value_or("United States"), std::cout,
                                    std::cerr);
        }
        std::cerr << "tfquoted: live quotes from " << pGateway->Name() << " (cache "
                  << config.config->nCacheSeconds << " s, " << config.config->nRequestsPerMinute
                  << " requests a minute, " << config.config->nConnections << " connections)\n";
        pSource = std::make_unique<CGatewaySource>(*pGateway);
    } else {
        if (!options.bBookSource) {
            std::cerr << "tfquoted: no quotes file or simulated symbols; every symbol reads N/A\n";
        }
        pSource = std::make_unique<CBookSource>(book);
    }

    // SIGINT and SIGTERM end the service cleanly: they are taken by sigwait below, so every
    // thread the server starts must have them blocked.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    CQuoteService service(*pSource, options.service);
    errno = 0;
    const int nBound = service.Bind(options.strHost, static_cast<int>(options.nPort));
    if (nBound < 0) {
        const int nError = errno;
        std::cerr << "tfquoted: cannot listen on " << options.strHost << ":" << options.nPort;
        if (nError == EADDRINUSE) {
            std::cerr << ": the port is taken (is another tfquoted running?)";
        } else if (nError != 0) {
            std::cerr << ": " << std::strerror(nError);
        }
        std::cerr << "\n";
        return 1;
    }
    std::cout << "tfquoted listening on " << options.strHost << ":" << nBound << std::endl;
    service.Start();
    int nSignal = 0;
    sigwait(&signals, &nSignal);
    service.Stop();
    return 0;
}
