#include "tools/tfquoted/upstream/UpstreamConfig.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/net/HttpRequest.h"
#include "tools/tfquoted/upstream/UpstreamPresets.h"
#include "tools/tfquoted/upstream/UpstreamTemplate.h"

namespace {

using json = nlohmann::json;

// A configuration is a few lines; a file larger than this is not one.
constexpr std::uintmax_t kMaxConfigBytes = std::uintmax_t{64} * 1024;
// API keys are tens of characters; a longer "key" is some other file.
constexpr std::size_t kMaxKeyBytes = 1024;
// A quote older than a day is no longer the day's quote.
constexpr int kMaxCacheSeconds = 24 * 60 * 60;
// A hundred requests a second is more than any quote plan sells.
constexpr int kMaxRequestsPerMinute = 6000;
// The services allow a few parallel connections per key; more only earns refusals.
constexpr int kMaxConnections = 16;
// Tallyfern gives up on a server that sends nothing for its stall time-out: the gateway has
// to answer well before that, so the program sees "no quote" rather than a dead server.
constexpr int kMaxTimeoutSeconds = static_cast<int>(kDefaultStallTimeoutMs / 1000) - 5;
static_assert(kMaxTimeoutSeconds >= kDefaultTimeoutSeconds);

constexpr const char* kKnownKeys[] = {
    "preset",          "url",     "price",   "change",        "previous_close",      "key_env",
    "key_file",        "markets", "aliases", "cache_seconds", "requests_per_minute", "connections",
    "timeout_seconds", "ca_file"};

// A failed rule: the message names the key.
struct SConfigError
{
    std::string strText;
};

[[noreturn]] void Refuse(const std::string& strKey, const std::string& strProblem)
{
    throw SConfigError{"\"" + strKey + "\": " + strProblem};
}

std::string StringOf(const json& doc, const std::string& strKey)
{
    const json& value = doc.at(strKey);
    if (!value.is_string()) {
        Refuse(strKey, "must be a text");
    }
    return value.get<std::string>();
}

std::optional<std::string> OptionalString(const json& doc, const std::string& strKey)
{
    if (!doc.contains(strKey)) {
        return std::nullopt;
    }
    return StringOf(doc, strKey);
}

int WholeNumberOf(const json& doc, const std::string& strKey, int nDefault, int nMin, int nMax)
{
    if (!doc.contains(strKey)) {
        return nDefault;
    }
    const json& value = doc.at(strKey);
    const std::string strRange =
        "must be a whole number from " + std::to_string(nMin) + " to " + std::to_string(nMax);
    if (!value.is_number_integer()) {
        Refuse(strKey, strRange);
    }
    const auto n = value.get<long long>();
    if (n < nMin || n > nMax) {
        Refuse(strKey, strRange);
    }
    return static_cast<int>(n);
}

bool HasControlOrSpace(const std::string& strText)
{
    return std::any_of(strText.begin(), strText.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == 0x7F; });
}

std::string CheckedPointer(const std::string& strKey, const std::string& strPointer)
{
    try {
        const json::json_pointer pointer(strPointer);
        (void)pointer;
    } catch (const json::exception&) {
        Refuse(strKey, "is not a JSON pointer (\"/field\", \"/outer/inner\")");
    }
    return strPointer;
}

std::string HostOf(const std::string& strUrl)
{
    const std::size_t nStart = strUrl.find("://") + 3;
    std::string strHost = strUrl.substr(nStart, strUrl.find_first_of("/?#", nStart) - nStart);
    const std::size_t nAt = strHost.rfind('@');
    return nAt == std::string::npos ? strHost : strHost.substr(nAt + 1);
}

std::string CheckedUrl(const std::string& strUrl)
{
    if (!StartsWithNoCase(strUrl, "https://")) {
        Refuse("url", "must be an https:// address: quotes and the key travel encrypted");
    }
    if (HasControlOrSpace(strUrl)) {
        Refuse("url", "has a space or a control character");
    }
    if (HostOf(strUrl).empty()) {
        Refuse("url", "names no host");
    }
    if (const std::string strProblem = CheckTemplate(strUrl, {"symbol", "key"});
        !strProblem.empty()) {
        Refuse("url", strProblem);
    }
    if (!HasPlaceholder(strUrl, "symbol")) {
        Refuse("url", "has no {symbol}");
    }
    return strUrl;
}

std::string CheckedKey(const std::string& strKeyName, std::string strKey)
{
    while (!strKey.empty() && std::isspace(static_cast<unsigned char>(strKey.back()))) {
        strKey.pop_back();
    }
    const auto nFirst = std::find_if_not(strKey.begin(), strKey.end(),
                                         [](unsigned char c) { return std::isspace(c) != 0; });
    strKey.erase(strKey.begin(), nFirst);
    if (strKey.empty()) {
        Refuse(strKeyName, "the key is empty");
    }
    if (strKey.size() > kMaxKeyBytes) {
        Refuse(strKeyName, "the key is longer than " + std::to_string(kMaxKeyBytes) + " bytes");
    }
    if (HasControlOrSpace(strKey)) {
        Refuse(strKeyName, "the key holds a space or a control character");
    }
    return strKey;
}

std::string KeyFromEnvironment(const std::string& strVariable, const EnvironmentLookup& environment)
{
    const bool bName =
        !strVariable.empty() && !std::isdigit(static_cast<unsigned char>(strVariable[0])) &&
        std::all_of(strVariable.begin(), strVariable.end(),
                    [](unsigned char c) { return std::isalnum(c) != 0 || c == '_'; });
    if (!bName) {
        Refuse("key_env", "is not the name of an environment variable");
    }
    const auto value = environment(strVariable);
    if (!value || value->empty()) {
        Refuse("key_env", "the environment variable " + strVariable + " is not set");
    }
    return CheckedKey("key_env", *value);
}

// The file is opened once and checked on what was opened, so it cannot be swapped between
// the check and the read.
std::string KeyFromFile(const std::filesystem::path& path)
{
    const std::string strName = path.string();
    const int fd = ::open(strName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        Refuse("key_file", "cannot open " + strName + ": " + std::strerror(errno));
    }
    struct stat info = {};
    std::string strKey;
    const bool bStat = ::fstat(fd, &info) == 0;
    std::string strProblem;
    if (!bStat || !S_ISREG(info.st_mode)) {
        strProblem = strName + " is not a file";
    } else if (info.st_uid != ::geteuid()) {
        strProblem = strName + " belongs to another user";
    } else if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        strProblem = strName + " may be read by others than its owner (chmod 600 " + strName + ")";
    } else {
        char buffer[kMaxKeyBytes + 2];
        const ssize_t nRead = ::read(fd, buffer, sizeof(buffer));
        if (nRead < 0) {
            strProblem = "cannot read " + strName + ": " + std::strerror(errno);
        } else {
            strKey.assign(buffer, static_cast<std::size_t>(nRead));
        }
    }
    ::close(fd);
    if (!strProblem.empty()) {
        Refuse("key_file", strProblem);
    }
    // The key is the first line; whatever follows it (a comment, a newline) is not.
    strKey = strKey.substr(0, strKey.find('\n'));
    return CheckedKey("key_file", strKey);
}

std::filesystem::path FromFolder(const std::filesystem::path& folder, const std::string& strPath)
{
    const std::filesystem::path path(strPath);
    return path.is_absolute() ? path : folder / path;
}

std::map<EQuoteMarket, std::string> MarketsOf(const json& doc)
{
    std::map<EQuoteMarket, std::string> markets;
    if (!doc.contains("markets")) {
        // Without a word on markets the service is asked for US symbols as typed.
        markets[EQuoteMarket::US] = "{symbol}";
        return markets;
    }
    const json& value = doc.at("markets");
    if (!value.is_object()) {
        Refuse("markets", "must be an object of market templates ({\"L\": \"{symbol}.L\"})");
    }
    for (const auto& [strMarket, tmpl] : value.items()) {
        const auto market = MarketFromKey(strMarket);
        const std::string strKey = "markets." + strMarket;
        if (!market) {
            Refuse(strKey, "is not a market (" + MarketKeyList() + ")");
        }
        if (!tmpl.is_string()) {
            Refuse(strKey, "must be a text with {symbol}");
        }
        const std::string strTemplate = tmpl.get<std::string>();
        if (const std::string strProblem = CheckTemplate(strTemplate, {"symbol"});
            !strProblem.empty()) {
            Refuse(strKey, strProblem);
        }
        if (!HasPlaceholder(strTemplate, "symbol")) {
            Refuse(strKey, "has no {symbol}");
        }
        markets[*market] = strTemplate;
    }
    return markets;
}

std::map<std::string, std::string> AliasesOf(const json& doc)
{
    std::map<std::string, std::string> aliases;
    if (!doc.contains("aliases")) {
        return aliases;
    }
    const json& value = doc.at("aliases");
    if (!value.is_object()) {
        Refuse("aliases", "must be an object of symbols ({\"1222171\": \"NESN.SW\"})");
    }
    for (const auto& [strSymbol, target] : value.items()) {
        if (strSymbol.empty()) {
            Refuse("aliases", "has an empty symbol");
        }
        if (!target.is_string() || target.get<std::string>().empty()) {
            Refuse("aliases." + strSymbol, "must be the service's symbol, a text");
        }
        aliases[strSymbol] = target.get<std::string>();
    }
    return aliases;
}

SUpstreamConfig ConfigOf(const json& doc, const std::filesystem::path& folder,
                         const EnvironmentLookup& environment)
{
    if (!doc.is_object()) {
        throw SConfigError{"the file must hold one JSON object"};
    }
    for (const auto& item : doc.items()) {
        if (std::find(std::begin(kKnownKeys), std::end(kKnownKeys), item.key()) ==
            std::end(kKnownKeys)) {
            Refuse(item.key(), "is not a setting of tfquoted");
        }
    }

    SUpstreamConfig config;
    const SUpstreamPreset* pPreset = nullptr;
    if (const auto preset = OptionalString(doc, "preset")) {
        pPreset = FindUpstreamPreset(*preset);
        if (pPreset == nullptr) {
            Refuse("preset", "must be one of " + UpstreamPresetList());
        }
        config.strUrl = pPreset->pUrl;
        config.strPricePointer = pPreset->pPrice;
        config.changePointer = pPreset->pChange;
        config.previousClosePointer = pPreset->pPreviousClose;
    }
    if (const auto url = OptionalString(doc, "url")) {
        config.strUrl = *url;
    } else if (pPreset == nullptr) {
        Refuse("url", "is missing (or name a \"preset\": " + UpstreamPresetList() + ")");
    }
    config.strUrl = CheckedUrl(config.strUrl);
    config.strName = pPreset != nullptr ? pPreset->pName : HostOf(config.strUrl);

    if (const auto price = OptionalString(doc, "price")) {
        config.strPricePointer = *price;
    } else if (pPreset == nullptr) {
        Refuse("price", "is missing: the JSON pointer to the price in the reply (\"/price\")");
    }
    config.strPricePointer = CheckedPointer("price", config.strPricePointer);
    for (const auto& [pKey, pField] : {std::pair{"change", &config.changePointer},
                                       std::pair{"previous_close", &config.previousClosePointer}}) {
        if (const auto pointer = OptionalString(doc, pKey)) {
            *pField = CheckedPointer(pKey, *pointer);
        }
    }

    const auto keyEnv = OptionalString(doc, "key_env");
    const auto keyFile = OptionalString(doc, "key_file");
    if (keyEnv && keyFile) {
        Refuse("key_env", "give key_env or key_file, not both");
    }
    if (keyEnv) {
        config.strKey = KeyFromEnvironment(*keyEnv, environment);
    } else if (keyFile) {
        config.strKey = KeyFromFile(FromFolder(folder, *keyFile));
    }
    const bool bUrlTakesKey = HasPlaceholder(config.strUrl, "key");
    if (bUrlTakesKey && config.strKey.empty()) {
        Refuse("key_env", "the url has {key}: name the variable (key_env) or file (key_file) "
                          "that holds the key");
    }
    if (!bUrlTakesKey && !config.strKey.empty()) {
        Refuse("url", "has no {key}, so the key configured would never be sent");
    }

    config.markets = MarketsOf(doc);
    config.aliases = AliasesOf(doc);
    config.nCacheSeconds =
        WholeNumberOf(doc, "cache_seconds", kDefaultCacheSeconds, 0, kMaxCacheSeconds);
    config.nRequestsPerMinute = WholeNumberOf(doc, "requests_per_minute", kDefaultRequestsPerMinute,
                                              1, kMaxRequestsPerMinute);
    config.nConnections =
        WholeNumberOf(doc, "connections", kDefaultConnections, 1, kMaxConnections);
    config.nTimeoutSeconds =
        WholeNumberOf(doc, "timeout_seconds", kDefaultTimeoutSeconds, 1, kMaxTimeoutSeconds);
    if (const auto caFile = OptionalString(doc, "ca_file")) {
        const std::filesystem::path path = FromFolder(folder, *caFile);
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) {
            Refuse("ca_file", path.string() + " is not a file");
        }
        config.strCaFile = path.string();
    }
    return config;
}

} // namespace

std::optional<std::string> ProcessEnvironment(const std::string& strName)
{
    const char* pValue = std::getenv(strName.c_str());
    if (pValue == nullptr) {
        return std::nullopt;
    }
    return std::string(pValue);
}

SConfigResult ParseUpstreamConfig(const std::string& strText, const std::filesystem::path& folder,
                                  const EnvironmentLookup& environment)
{
    SConfigResult result;
    json doc;
    try {
        // Comments are allowed: the file is written by hand.
        doc = json::parse(strText, nullptr, true, true);
    } catch (const json::exception& e) {
        result.strError = std::string("not JSON: ") + e.what();
        return result;
    }
    try {
        result.config = ConfigOf(doc, folder, environment);
    } catch (const SConfigError& e) {
        result.strError = e.strText;
    } catch (const json::exception& e) {
        result.strError = e.what();
    }
    return result;
}

SConfigResult ReadUpstreamConfig(const std::filesystem::path& file,
                                 const EnvironmentLookup& environment)
{
    SConfigResult result;
    std::error_code ec;
    const auto nSize = std::filesystem::file_size(file, ec);
    if (ec) {
        result.strError = "cannot read it: " + ec.message();
        return result;
    }
    if (nSize > kMaxConfigBytes) {
        result.strError = "it is too large to be an upstream configuration";
        return result;
    }
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in.good() && !in.eof()) {
        result.strError = "cannot read it";
        return result;
    }
    return ParseUpstreamConfig(text.str(), file.parent_path(), environment);
}

std::optional<std::string> ServiceSymbol(const SUpstreamConfig& config, EQuoteMarket market,
                                         const std::string& strSymbol)
{
    if (strSymbol.empty()) {
        return std::nullopt;
    }
    if (const auto it = config.aliases.find(strSymbol); it != config.aliases.end()) {
        return it->second;
    }
    const auto it = config.markets.find(market);
    if (it == config.markets.end()) {
        return std::nullopt;
    }
    return ExpandTemplate(it->second, {{"symbol", strSymbol}});
}

std::string UpstreamRequestUrl(const SUpstreamConfig& config, const std::string& strServiceSymbol)
{
    return ExpandTemplate(config.strUrl, {{"symbol", PercentEncode(strServiceSymbol)},
                                          {"key", PercentEncode(config.strKey)}});
}

std::string UpstreamLoggedUrl(const SUpstreamConfig& config, const std::string& strServiceSymbol)
{
    return ExpandTemplate(config.strUrl, {{"symbol", PercentEncode(strServiceSymbol)}});
}
