// HTTPS GETs to the quote service over libcurl: TLS always verified (the system's CA store,
// or the configured CA file), only https, no redirection followed, connections kept alive
// and at most a fixed number of them at once. Thread-safe: each request borrows one of the
// client's handles, and with it that handle's open connection.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

enum class ETransportFault {
    None,
    Timeout, // no complete reply within the time given
    Tls,     // the handshake or the certificate check failed
    Network, // resolution, connection, a broken reply
    Busy,    // every connection stayed in use for the whole time given
};

struct SUpstreamResponse
{
    ETransportFault fault = ETransportFault::None;
    int nStatus = 0;
    // Untrusted: from the quote service, cut at the reply cap (bTruncated then says so).
    std::string strBody;
    bool bTruncated = false;
    std::string strRetryAfter; // the Retry-After header's value, if any
    std::string strError;      // libcurl's word on a fault
};

class CUpstreamClient
{
  public:
    // nConnections handles at most; an empty CA file means the system's CA store.
    CUpstreamClient(int nConnections, std::string strCaFile);
    ~CUpstreamClient();
    CUpstreamClient(const CUpstreamClient&) = delete;
    CUpstreamClient& operator=(const CUpstreamClient&) = delete;

    // Waits for a free connection and makes the request, all within the time given.
    SUpstreamResponse Get(const std::string& strUrl, std::chrono::milliseconds budget);

  private:
    void* Acquire(std::chrono::steady_clock::time_point deadline);
    void Release(void* pHandle);

    const std::size_t m_nConnections;
    const std::string m_strCaFile;
    std::mutex m_mutex;
    std::condition_variable m_released;
    std::vector<void*> m_idle;
    std::size_t m_nCreated = 0;
};
