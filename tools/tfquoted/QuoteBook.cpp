#include "tools/tfquoted/QuoteBook.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

// One step of the simulated market moves a price by at most this fraction.
constexpr double kMaxStep = 0.005;
// A simulated price never strays further than this fraction from where it started.
constexpr double kMaxDrift = 0.2;
// The simulated bid stands this fraction below the price.
constexpr double kBidSpread = 0.001;
// Quotes files larger than this are not a list of symbols; they are not read.
constexpr std::uintmax_t kMaxQuotesFileBytes = std::uintmax_t{16} * 1024 * 1024;

double RoundCents(double d)
{
    return std::round(d * 100.0) / 100.0;
}

} // namespace

std::optional<double> ParseServedNumber(const std::string& strText)
{
    std::size_t nStart = 0;
    if (!strText.empty() && strText[0] == '+') {
        nStart = 1;
    }
    double dValue = 0.0;
    const char* pEnd = strText.data() + strText.size();
    const auto [ptr, ec] = std::from_chars(strText.data() + nStart, pEnd, dValue);
    if (ec != std::errc() || ptr != pEnd || !std::isfinite(dValue)) {
        return std::nullopt;
    }
    return dValue;
}

std::map<std::string, ServedQuote> CQuoteBook::ParseQuotes(const std::string& strText,
                                                           std::vector<int>& badLines)
{
    std::map<std::string, ServedQuote> quotes;
    std::istringstream in(strText);
    std::string strLine;
    int nLine = 0;
    while (std::getline(in, strLine)) {
        ++nLine;
        const std::size_t nHash = strLine.find('#');
        if (nHash != std::string::npos) {
            strLine.erase(nHash);
        }
        std::replace(strLine.begin(), strLine.end(), ',', ' ');
        std::istringstream fields(strLine);
        std::vector<std::string> parts;
        std::string strPart;
        while (fields >> strPart) {
            parts.push_back(strPart);
        }
        if (parts.empty()) {
            continue;
        }
        std::vector<double> numbers;
        bool bGood = parts.size() >= 2 && parts.size() <= 5;
        for (std::size_t i = 1; bGood && i < parts.size(); ++i) {
            const auto value = ParseServedNumber(parts[i]);
            bGood = value.has_value();
            if (bGood) {
                numbers.push_back(*value);
            }
        }
        if (!bGood) {
            badLines.push_back(nLine);
            continue;
        }
        ServedQuote quote;
        quote.dPrice = numbers[0];
        quote.dChange = numbers.size() > 1 ? numbers[1] : 0.0;
        quote.dPreviousClose = numbers.size() > 2 ? numbers[2] : quote.dPrice - quote.dChange;
        quote.dBid = numbers.size() > 3 ? numbers[3] : quote.dPrice;
        quotes[parts[0]] = quote;
    }
    return quotes;
}

void CQuoteBook::UseFile(const std::filesystem::path& path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_path = path;
    m_bLoaded = false;
    ReloadIfChanged();
}

void CQuoteBook::Simulate(const std::string& strSymbol, double dStartPrice)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_walks[strSymbol] = Walk{dStartPrice, dStartPrice};
}

void CQuoteBook::SetSeed(std::uint64_t nSeed)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_random.seed(nSeed);
}

void CQuoteBook::Set(const std::string& strSymbol, const ServedQuote& quote)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fixedQuotes[strSymbol] = quote;
}

void CQuoteBook::ReloadIfChanged()
{
    if (m_path.empty()) {
        return;
    }
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(m_path, ec);
    if (ec) {
        if (m_bLoaded) {
            std::cerr << "tfquoted: cannot read " << m_path.string() << ": " << ec.message()
                      << "\n";
        }
        m_fileQuotes.clear();
        m_bLoaded = false;
        return;
    }
    const auto nSize = std::filesystem::file_size(m_path, ec);
    if (ec || (m_bLoaded && time == m_loadedTime && nSize == m_nLoadedSize)) {
        return;
    }
    if (nSize > kMaxQuotesFileBytes) {
        std::cerr << "tfquoted: " << m_path.string() << " is too large to be a quotes file\n";
        return;
    }
    std::ifstream in(m_path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::vector<int> badLines;
    m_fileQuotes = ParseQuotes(text.str(), badLines);
    for (const int nLine : badLines) {
        std::cerr << "tfquoted: " << m_path.string() << ":" << nLine << ": not a quote line\n";
    }
    m_loadedTime = time;
    m_nLoadedSize = nSize;
    m_bLoaded = true;
}

std::optional<ServedQuote> CQuoteBook::Find(const std::string& strSymbol)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (const auto it = m_fixedQuotes.find(strSymbol); it != m_fixedQuotes.end()) {
        return it->second;
    }
    ReloadIfChanged();
    if (const auto it = m_fileQuotes.find(strSymbol); it != m_fileQuotes.end()) {
        return it->second;
    }
    if (const auto it = m_walks.find(strSymbol); it != m_walks.end()) {
        Walk& walk = it->second;
        std::uniform_real_distribution<double> step(-kMaxStep, kMaxStep);
        const double dNext = walk.dPrice * (1.0 + step(m_random));
        walk.dPrice =
            std::clamp(dNext, walk.dStart * (1.0 - kMaxDrift), walk.dStart * (1.0 + kMaxDrift));
        ServedQuote quote;
        quote.dPrice = RoundCents(walk.dPrice);
        quote.dPreviousClose = walk.dStart;
        quote.dChange = RoundCents(quote.dPrice - walk.dStart);
        quote.dBid = RoundCents(quote.dPrice * (1.0 - kBidSpread));
        return quote;
    }
    return std::nullopt;
}
