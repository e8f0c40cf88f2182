#include "tools/tfquoted/upstream/UpstreamPresets.h"

#include <array>

namespace {

constexpr std::array<SUpstreamPreset, 3> kPresets = {{
    // Finnhub's quote: {"c": current price, "d": change, "dp": percent, "pc": previous close}.
    {"finnhub", "https://finnhub.io/api/v1/quote?symbol={symbol}&token={key}", "/c", "/d", "/pc"},
    // Twelve Data's quote: numbers sent as strings ("close": "123.45").
    {"twelvedata", "https://api.twelvedata.com/quote?symbol={symbol}&apikey={key}", "/close",
     "/change", "/previous_close"},
    // Alpha Vantage's GLOBAL_QUOTE: one object whose keys carry their numbers ("05. price").
    {"alphavantage",
     "https://www.alphavantage.co/query?function=GLOBAL_QUOTE&symbol={symbol}&apikey={key}",
     "/Global Quote/05. price", "/Global Quote/09. change", "/Global Quote/08. previous close"},
}};

} // namespace

const SUpstreamPreset* FindUpstreamPreset(const std::string& strName)
{
    for (const SUpstreamPreset& preset : kPresets) {
        if (strName == preset.pName) {
            return &preset;
        }
    }
    return nullptr;
}

std::string UpstreamPresetList()
{
    std::string strList;
    for (const SUpstreamPreset& preset : kPresets) {
        if (!strList.empty()) {
            strList += ", ";
        }
        strList += preset.pName;
    }
    return strList;
}
