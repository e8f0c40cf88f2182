// The upstream configuration of tfquoted's gateway mode, read from a JSON file: which quote
// service to ask and how, where its key comes from, how each market's symbols are written
// there, and the limits of the asking. A file that breaks a rule is refused with a message
// that names the key.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "tools/tfquoted/upstream/QuoteMarket.h"

// Defaults of the limits, and their ranges.
constexpr int kDefaultCacheSeconds = 60;
constexpr int kDefaultRequestsPerMinute = 30;
constexpr int kDefaultConnections = 4;
constexpr int kDefaultTimeoutSeconds = 15;

struct SUpstreamConfig
{
    // The preset's name, or else the host of the URL: what /status and --check call it.
    std::string strName;
    std::string strUrl; // with {symbol} and, when a key is configured, {key}
    std::string strPricePointer;
    std::optional<std::string> changePointer;
    std::optional<std::string> previousClosePointer;
    // Secret: never logged, never printed. Empty when the service needs none.
    std::string strKey;
    std::map<EQuoteMarket, std::string> markets; // market -> template with {symbol}
    std::map<std::string, std::string> aliases;  // symbol as asked -> the service's symbol
    int nCacheSeconds = kDefaultCacheSeconds;
    int nRequestsPerMinute = kDefaultRequestsPerMinute;
    int nConnections = kDefaultConnections;
    int nTimeoutSeconds = kDefaultTimeoutSeconds;
    std::string strCaFile; // empty: the system's CA store
};

struct SConfigResult
{
    std::optional<SUpstreamConfig> config;
    std::string strError; // names the key at fault
};

// Looks up an environment variable; nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string&)>;
// The process environment.
std::optional<std::string> ProcessEnvironment(const std::string& strName);

// Reads and checks the file. Relative key_file and ca_file paths are taken from the file's
// folder.
SConfigResult ReadUpstreamConfig(const std::filesystem::path& file,
                                 const EnvironmentLookup& environment = ProcessEnvironment);
// The same for a text already read.
SConfigResult ParseUpstreamConfig(const std::string& strText, const std::filesystem::path& folder,
                                  const EnvironmentLookup& environment = ProcessEnvironment);

// The service's symbol for a symbol asked in a market: its alias if it has one, else the
// market's template filled in; nullopt when the market has no template (it is not asked).
std::optional<std::string> ServiceSymbol(const SUpstreamConfig& config, EQuoteMarket market,
                                         const std::string& strSymbol);
// The request URL for a service symbol, with the key in it; and the same with "{key}"
// standing in for the key, for logs.
std::string UpstreamRequestUrl(const SUpstreamConfig& config, const std::string& strServiceSymbol);
std::string UpstreamLoggedUrl(const SUpstreamConfig& config, const std::string& strServiceSymbol);
