// The quote services tfquoted knows by name: each one's documented quote endpoint and the
// fields of its reply that hold the price, the change and the previous close.
#pragma once

#include <string>
#include <vector>

struct SUpstreamPreset
{
    const char* pName;
    const char* pUrl;   // with {symbol} and {key}
    const char* pPrice; // JSON pointers into the reply
    const char* pChange;
    const char* pPreviousClose;
};

// nullptr for a name that is no preset.
const SUpstreamPreset* FindUpstreamPreset(const std::string& strName);
// "finnhub, twelvedata, alphavantage", for messages.
std::string UpstreamPresetList();
