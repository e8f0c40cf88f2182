// A quote service on loopback over real TLS, for the gateway's tests and benchmark: it
// answers Finnhub's, Twelve Data's and Alpha Vantage's quote endpoints in the shape each
// documents, from quotes the test sets, with the service's own reply for a symbol it does
// not know and 401 for a wrong key. The CA and server certificate are made when it starts.
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "tests/support/httpserver/ScriptedHttpServer.h"
#include "tests/support/tlscert/TestCertificates.h"

namespace tf::test {

struct SFakeQuote
{
    double dPrice = 0.0;
    double dChange = 0.0;
    double dPreviousClose = 0.0;
};

// The key the fake accepts unless told otherwise.
inline constexpr const char* kFakeUpstreamKey = "k3y-S3cr3t-0123456789";

class CFakeUpstream
{
  public:
    // Makes the certificates and serves with the one for 127.0.0.1 (or, with bOtherHost, the
    // one for another host name). False when either fails.
    bool Start(bool bOtherHost = false);

    void SetQuote(const std::string& strSymbol, const SFakeQuote& quote);
    // Every reply waits this long first.
    void SetDelayMs(int nDelayMs);

    CScriptedHttpServer& Server() { return m_server; }
    const CTestCertificates& Certificates() const { return m_certificates; }
    // How many requests asked for the symbol, on any endpoint.
    int RequestsFor(const std::string& strSymbol) const;

    // The preset's URL template with its host replaced by this server's.
    std::string PresetUrl(const std::string& strPreset) const;
    // A configuration for the preset pointed at this server: its CA, the key from the
    // variable named, and the extra members given (a JSON object's inside, "" for none).
    std::string PresetConfig(const std::string& strPreset, const std::string& strKeyVariable,
                             const std::string& strExtraMembers = "") const;

  private:
    ScriptedReply Finnhub(const ReceivedRequest& request);
    ScriptedReply TwelveData(const ReceivedRequest& request);
    ScriptedReply AlphaVantage(const ReceivedRequest& request);
    bool Find(const std::string& strSymbol, SFakeQuote& quote);

    CTestCertificates m_certificates;
    CScriptedHttpServer m_server;
    mutable std::mutex m_mutex;
    std::map<std::string, SFakeQuote> m_quotes;
    int m_nDelayMs = 0;
};

} // namespace tf::test
