// One HTTP GET over libcurl, made with its own easy handle: status, raw response headers and
// a bounded body, with the password challenge left to the caller.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "platform/net/HttpLineReader.h"
#include "platform/net/HttpUrl.h"

// A server that does not accept the connection within this time is taken as unreachable.
constexpr long kDefaultConnectTimeoutMs = 60000;
// A connected server that delivers no byte for this long is taken as dead.
constexpr long kDefaultStallTimeoutMs = 30000;
// A server that keeps a reply trickling in for longer than this is given up all the same.
constexpr long kDefaultTransferTimeoutMs = 120000;
// A quote reply is a line or a small page; anything past this is not read.
constexpr std::size_t kDefaultMaxBodyBytes = std::size_t{4} * 1024 * 1024;

struct HttpLimits
{
    long nConnectTimeoutMs = kDefaultConnectTimeoutMs;
    long nStallTimeoutMs = kDefaultStallTimeoutMs;
    long nTransferTimeoutMs = kDefaultTransferTimeoutMs;
    std::size_t nMaxBodyBytes = kDefaultMaxBodyBytes;
};

struct HttpCredentials
{
    std::string strUser;
    std::string strPassword;
};

// Asked on a 401 for the host named. Returns true with the credentials filled in to send the
// request once more, false to give up (the user cancelled).
using HttpPasswordPrompt =
    std::function<bool(const std::string& strHost, HttpCredentials& credentials)>;

class CHttpRequest
{
  public:
    CHttpRequest(const HttpUrl& url, const HttpLimits& limits);

    CHttpRequest(const CHttpRequest&) = delete;
    CHttpRequest& operator=(const CHttpRequest&) = delete;

    // Sends the request (again, if it was sent before) and receives the whole response up to
    // the body cap. Returns false when the exchange failed (resolution, connection, time-out,
    // malformed reply); GetErrorText then says why. Credentials, when given, go out as Basic
    // authentication.
    bool Send(const HttpCredentials* pCredentials = nullptr);

    int GetStatus() const { return m_nStatus; }
    // Every header line of the response, status line first, each ended by CR LF.
    const std::string& GetRawHeaders() const { return m_strRawHeaders; }
    // Untrusted: the body as the server sent it, cut at the cap.
    const std::string& GetBody() const { return m_strBody; }
    bool WasTruncated() const { return m_bTruncated; }
    const std::string& GetErrorText() const { return m_strError; }
    const HttpUrl& GetUrl() const { return m_url; }

    CHttpLineReader OpenBody() const { return CHttpLineReader(m_strBody); }

  private:
    static std::size_t OnHeader(char* pData, std::size_t nSize, std::size_t nCount, void* pUser);
    static std::size_t OnBody(char* pData, std::size_t nSize, std::size_t nCount, void* pUser);
    bool HasStalled() const;
    friend struct CHttpProgress;

    void* m_pHandle = nullptr; // the easy handle of the transfer under way
    std::chrono::steady_clock::time_point m_started;
    std::chrono::steady_clock::time_point m_lastData;
    bool m_bStalled = false;

    HttpUrl m_url;
    HttpLimits m_limits;
    int m_nStatus = 0;
    std::string m_strRawHeaders;
    std::string m_strBody;
    bool m_bTruncated = false;
    std::string m_strError;
};
