#include "tests/tools/tfquoted/FakeUpstream.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <thread>

#include "tools/tfquoted/upstream/UpstreamPresets.h"

namespace tf::test {

namespace {

using json = nlohmann::json;

constexpr int kHttpUnauthorized = 401;

// Twelve Data and Alpha Vantage send their numbers as texts with a fixed count of decimals.
std::string Decimals(double d, int nDecimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.*f", nDecimals, d);
    return buffer;
}

ScriptedReply JsonReply(const json& body, int nStatus = 200)
{
    ScriptedReply reply;
    reply.nStatus = nStatus;
    reply.headers = {{"Content-Type", "application/json"}};
    reply.strBody = body.dump();
    return reply;
}

} // namespace

bool CFakeUpstream::Start(bool bOtherHost)
{
    if (!m_certificates.Make()) {
        return false;
    }
    m_server.Script("/api/v1/quote",
                    [this](const ReceivedRequest& request) { return Finnhub(request); });
    m_server.Script("/quote",
                    [this](const ReceivedRequest& request) { return TwelveData(request); });
    m_server.Script("/query",
                    [this](const ReceivedRequest& request) { return AlphaVantage(request); });
    return m_server.StartTls(bOtherHost ? m_certificates.ForOtherHost()
                                        : m_certificates.ForLoopback());
}

void CFakeUpstream::SetQuote(const std::string& strSymbol, const SFakeQuote& quote)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_quotes[strSymbol] = quote;
}

void CFakeUpstream::SetDelayMs(int nDelayMs)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nDelayMs = nDelayMs;
}

int CFakeUpstream::RequestsFor(const std::string& strSymbol) const
{
    const auto requests = m_server.Requests();
    return static_cast<int>(std::count_if(requests.begin(), requests.end(), [&](const auto& r) {
        return r.Param("symbol") == strSymbol;
    }));
}

bool CFakeUpstream::Find(const std::string& strSymbol, SFakeQuote& quote)
{
    int nDelayMs = 0;
    bool bFound = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        nDelayMs = m_nDelayMs;
        const auto it = m_quotes.find(strSymbol);
        if (it != m_quotes.end()) {
            quote = it->second;
            bFound = true;
        }
    }
    if (nDelayMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(nDelayMs));
    }
    return bFound;
}

ScriptedReply CFakeUpstream::Finnhub(const ReceivedRequest& request)
{
    SFakeQuote quote;
    const bool bFound = Find(request.Param("symbol"), quote);
    if (request.Param("token") != kFakeUpstreamKey) {
        return JsonReply({{"error", "Invalid API key"}}, kHttpUnauthorized);
    }
    if (!bFound) {
        // Finnhub's answer for a symbol it does not know: zeros and nulls.
        return JsonReply({{"c", 0},
                          {"d", nullptr},
                          {"dp", nullptr},
                          {"h", 0},
                          {"l", 0},
                          {"o", 0},
                          {"pc", 0},
                          {"t", 0}});
    }
    return JsonReply({{"c", quote.dPrice},
                      {"d", quote.dChange},
                      {"dp", quote.dChange / quote.dPreviousClose * 100.0},
                      {"h", std::max(quote.dPrice, quote.dPreviousClose)},
                      {"l", std::min(quote.dPrice, quote.dPreviousClose)},
                      {"o", quote.dPreviousClose},
                      {"pc", quote.dPreviousClose},
                      {"t", 1700000000}});
}

ScriptedReply CFakeUpstream::TwelveData(const ReceivedRequest& request)
{
    SFakeQuote quote;
    const std::string strSymbol = request.Param("symbol");
    const bool bFound = Find(strSymbol, quote);
    // Twelve Data reports its errors inside a 200 reply.
    if (request.Param("apikey") != kFakeUpstreamKey) {
        return JsonReply({{"code", 401},
                          {"message", "**apikey** parameter is incorrect or not specified."},
                          {"status", "error"}});
    }
    if (!bFound) {
        return JsonReply({{"code", 404},
                          {"message", "**symbol** not found: " + strSymbol},
                          {"status", "error"}});
    }
    return JsonReply({{"symbol", strSymbol},
                      {"name", strSymbol + " Inc"},
                      {"exchange", "NASDAQ"},
                      {"currency", "USD"},
                      {"datetime", "2024-01-05"},
                      {"open", Decimals(quote.dPreviousClose, 5)},
                      {"close", Decimals(quote.dPrice, 5)},
                      {"volume", "1234567"},
                      {"previous_close", Decimals(quote.dPreviousClose, 5)},
                      {"change", Decimals(quote.dChange, 5)},
                      {"percent_change", Decimals(quote.dChange / quote.dPreviousClose * 100, 5)},
                      {"is_market_open", false}});
}

ScriptedReply CFakeUpstream::AlphaVantage(const ReceivedRequest& request)
{
    SFakeQuote quote;
    const std::string strSymbol = request.Param("symbol");
    const bool bFound = Find(strSymbol, quote);
    if (request.Param("function") != "GLOBAL_QUOTE") {
        return JsonReply({{"Error Message", "This API function does not exist."}});
    }
    if (request.Param("apikey") != kFakeUpstreamKey) {
        return JsonReply({{"Error Message", "the parameter apikey is invalid or missing."}});
    }
    if (!bFound) {
        return JsonReply({{"Global Quote", json::object()}});
    }
    return JsonReply({{"Global Quote",
                       {{"01. symbol", strSymbol},
                        {"02. open", Decimals(quote.dPreviousClose, 4)},
                        {"03. high", Decimals(std::max(quote.dPrice, quote.dPreviousClose), 4)},
                        {"04. low", Decimals(std::min(quote.dPrice, quote.dPreviousClose), 4)},
                        {"05. price", Decimals(quote.dPrice, 4)},
                        {"06. volume", "4321"},
                        {"07. latest trading day", "2024-01-05"},
                        {"08. previous close", Decimals(quote.dPreviousClose, 4)},
                        {"09. change", Decimals(quote.dChange, 4)},
                        {"10. change percent",
                         Decimals(quote.dChange / quote.dPreviousClose * 100, 4) + "%"}}}});
}

std::string CFakeUpstream::PresetUrl(const std::string& strPreset) const
{
    const SUpstreamPreset* pPreset = FindUpstreamPreset(strPreset);
    if (pPreset == nullptr) {
        return {};
    }
    const std::string strUrl = pPreset->pUrl;
    const std::size_t nPath = strUrl.find('/', strUrl.find("://") + 3);
    return m_server.BaseUrl() + strUrl.substr(nPath);
}

std::string CFakeUpstream::PresetConfig(const std::string& strPreset,
                                        const std::string& strKeyVariable,
                                        const std::string& strExtraMembers) const
{
    json config = {{"preset", strPreset},
                   {"url", PresetUrl(strPreset)},
                   {"key_env", strKeyVariable},
                   {"ca_file", m_certificates.CaFile()}};
    std::string strText = config.dump();
    if (!strExtraMembers.empty()) {
        strText.insert(strText.size() - 1, "," + strExtraMembers);
    }
    return strText;
}

} // namespace tf::test
