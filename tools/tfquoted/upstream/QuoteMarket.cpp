#include "tools/tfquoted/upstream/QuoteMarket.h"

#include <array>
#include <utility>

namespace {

// The markets a configuration may give a template for, in the order messages list them.
constexpr std::array<std::pair<EQuoteMarket, const char*>, 10> kMarketKeys = {{
    {EQuoteMarket::US, "US"},
    {EQuoteMarket::P, "P"},
    {EQuoteMarket::L, "L"},
    {EQuoteMarket::F, "F"},
    {EQuoteMarket::M, "M"},
    {EQuoteMarket::S, "S"},
    {EQuoteMarket::O, "O"},
    {EQuoteMarket::AUNZ, "AUNZ"},
    {EQuoteMarket::SWISS, "SWISS"},
    {EQuoteMarket::OTHER, "OTHER"},
}};

} // namespace

const char* MarketKey(EQuoteMarket market)
{
    for (const auto& [key, pName] : kMarketKeys) {
        if (key == market) {
            return pName;
        }
    }
    return "OPTIONS";
}

std::optional<EQuoteMarket> MarketFromKey(const std::string& strKey)
{
    for (const auto& [market, pName] : kMarketKeys) {
        if (strKey == pName) {
            return market;
        }
    }
    return std::nullopt;
}

std::string MarketKeyList()
{
    std::string strList;
    for (const auto& entry : kMarketKeys) {
        if (!strList.empty()) {
            strList += ", ";
        }
        strList += entry.second;
    }
    return strList;
}

std::optional<EQuoteMarket> MarketFromSuffix(char cSuffix)
{
    // Only the one-letter regional keys are exchange suffixes.
    const auto market = MarketFromKey(std::string(1, cSuffix));
    if (!market || *market == EQuoteMarket::US) {
        return std::nullopt;
    }
    return market;
}
