// The prices tfquoted serves: read from a quotes file (reread when it changes) or made up by
// a seeded random walk around given prices.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

struct ServedQuote
{
    double dPrice = 0.0;
    double dChange = 0.0;
    double dPreviousClose = 0.0;
    double dBid = 0.0;
};

class CQuoteBook
{
  public:
    // Quotes file: one quote a line, "SYMBOL PRICE [CHANGE [PREVIOUS-CLOSE [BID]]]", fields
    // separated by white space or commas; "#" starts a comment. A missing change is 0, a
    // missing previous close is price minus change, a missing bid is the price.
    void UseFile(const std::filesystem::path& path);
    // Adds a simulated symbol: every look-up moves its price one step of a random walk that
    // stays within a band around the start price, which is also the previous close.
    void Simulate(const std::string& strSymbol, double dStartPrice);
    void SetSeed(std::uint64_t nSeed);
    // Puts one quote in directly (tests, and symbols the command line gives).
    void Set(const std::string& strSymbol, const ServedQuote& quote);

    std::optional<ServedQuote> Find(const std::string& strSymbol);

    // Parses a quotes file text; lines that cannot be read are reported in badLines.
    static std::map<std::string, ServedQuote> ParseQuotes(const std::string& strText,
                                                          std::vector<int>& badLines);

  private:
    void ReloadIfChanged();

    std::mutex m_mutex;
    std::filesystem::path m_path;
    std::filesystem::file_time_type m_loadedTime{};
    std::uintmax_t m_nLoadedSize = 0;
    bool m_bLoaded = false;
    std::map<std::string, ServedQuote> m_fileQuotes;
    std::map<std::string, ServedQuote> m_fixedQuotes;
    struct Walk
    {
        double dStart = 0.0;
        double dPrice = 0.0;
    };
    std::map<std::string, Walk> m_walks;
    std::mt19937_64 m_random{1};
};

// Reads a number written with a "." decimal point, the same in every locale.
std::optional<double> ParseServedNumber(const std::string& strText);
