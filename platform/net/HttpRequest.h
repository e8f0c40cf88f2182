// One HTTP GET over libcurl: status, raw response headers and a bounded body, with the
// password challenge left to the caller. A request runs alone (Send) or with others in a
// CHttpTransfers set, which shares kept-alive connections between them.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
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

    bool operator==(const HttpCredentials&) const = default;
};

// Asked on a 401 for the host named. Returns true with the credentials filled in to send the
// request once more, false to give up (the user cancelled). It may be called on any thread.
using HttpPasswordPrompt =
    std::function<bool(const std::string& strHost, HttpCredentials& credentials)>;

// Why an exchange produced no response.
enum class EHttpFailure {
    kNone,         // a response arrived (whatever its status)
    kSetup,        // the request could not be set up (out of memory, an option refused)
    kHostNotFound, // the host name did not resolve
    kRefused,      // nothing accepted the connection
    kTimedOut,     // no connection in time, a silent server, or the set's deadline
    kCancelled,    // stopped from outside
    kTransfer,     // anything else: a connection lost, a malformed reply, oversized headers
};

// A host that failed this way is down for the rest of a transfer set: asking it again would
// cost the same wait again.
bool IsHostFailure(EHttpFailure failure);

class CHttpRequest
{
  public:
    CHttpRequest(const HttpUrl& url, const HttpLimits& limits);
    ~CHttpRequest();

    CHttpRequest(const CHttpRequest&) = delete;
    CHttpRequest& operator=(const CHttpRequest&) = delete;

    // Sends the request on its own (again, if it was sent before) and receives the whole
    // response up to the body cap. Returns false when the exchange failed; GetFailure and
    // GetErrorText then say why. Credentials, when given, go out as Basic authentication.
    bool Send(const HttpCredentials* pCredentials = nullptr);

    // The credentials the next start sends (none by default).
    void SetCredentials(std::optional<HttpCredentials> credentials)
    {
        m_credentials = std::move(credentials);
    }
    const std::optional<HttpCredentials>& GetCredentials() const { return m_credentials; }

    int GetStatus() const { return m_nStatus; }
    // Every header line of the response, status line first, each ended by CR LF.
    const std::string& GetRawHeaders() const { return m_strRawHeaders; }
    // Untrusted: the body as the server sent it, cut at the cap.
    const std::string& GetBody() const { return m_strBody; }
    bool WasTruncated() const { return m_bTruncated; }
    EHttpFailure GetFailure() const { return m_failure; }
    bool Succeeded() const { return m_failure == EHttpFailure::kNone && m_nStatus != 0; }
    const std::string& GetErrorText() const { return m_strError; }
    const HttpUrl& GetUrl() const { return m_url; }
    // "host:port": the unit of the per-host limit and of a host's failure.
    std::string HostKey() const;

    CHttpLineReader OpenBody() const { return CHttpLineReader(m_strBody); }

  private:
    friend class CHttpTransfers;
    friend struct CHttpProgress;

    // Makes the easy handle for one run and clears the previous result; nullptr (with the
    // failure set) when it cannot be made.
    void* Prepare();
    // Takes the transfer's end from libcurl and releases the handle.
    void Complete(int nCurlCode);
    // Ends the request without (or instead of) a transfer.
    void Fail(EHttpFailure failure, const std::string& strText);
    void ReleaseHandle();

    static std::size_t OnHeader(char* pData, std::size_t nSize, std::size_t nCount, void* pUser);
    static std::size_t OnBody(char* pData, std::size_t nSize, std::size_t nCount, void* pUser);
    bool HasStalled() const;

    struct SHandles;
    std::unique_ptr<SHandles> m_pHandles; // the easy handle and its header list while running
    std::chrono::steady_clock::time_point m_started;
    std::chrono::steady_clock::time_point m_lastData;
    bool m_bStalled = false;

    HttpUrl m_url;
    HttpLimits m_limits;
    std::optional<HttpCredentials> m_credentials;
    int m_nStatus = 0;
    std::string m_strRawHeaders;
    std::string m_strBody;
    bool m_bTruncated = false;
    EHttpFailure m_failure = EHttpFailure::kNone;
    std::string m_strError;
};
