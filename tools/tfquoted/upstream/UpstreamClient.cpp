#include "tools/tfquoted/upstream/UpstreamClient.h"

#include <algorithm>
#include <curl/curl.h>
#include <memory>
#include <string_view>

#include "platform/net/CurlGlobal.h"
#include "tools/tfquoted/upstream/UpstreamReply.h"
#include "tools/tfquoted/upstream/UpstreamTemplate.h"

namespace {

constexpr const char* kUserAgent = "tfquoted/1.85";
constexpr const char* kAcceptHeader = "Accept: application/json";
constexpr std::string_view kRetryAfterName = "retry-after:";
// Reply headers past this size are no quote service's; the reply is given up.
constexpr std::size_t kMaxHeaderBytes = std::size_t{64} * 1024;

struct SlistDeleter
{
    void operator()(curl_slist* p) const { curl_slist_free_all(p); }
};

// One request's state, seen by the callbacks.
struct STransfer
{
    SUpstreamResponse* pResponse;
    std::size_t nHeaderBytes = 0;
};

std::size_t OnHeader(char* pData, std::size_t nSize, std::size_t nCount, void* pUser)
{
    // No exception may unwind through libcurl: running out of memory ends the transfer.
    try {
        auto* pTransfer = static_cast<STransfer*>(pUser);
        const std::size_t nBytes = nSize * nCount;
        pTransfer->nHeaderBytes += nBytes;
        if (pTransfer->nHeaderBytes > kMaxHeaderBytes) {
            return 0;
        }
        const std::string strLine(pData, nBytes);
        if (strLine.rfind("HTTP/", 0) == 0) {
            // An interim response (100 Continue) is followed by the real one.
            pTransfer->pResponse->strRetryAfter.clear();
        } else if (StartsWithNoCase(strLine, kRetryAfterName)) {
            pTransfer->pResponse->strRetryAfter = strLine.substr(kRetryAfterName.size());
        }
        return nBytes;
    } catch (...) {
        return 0;
    }
}

// The one place a reply body enters the gateway: the cap lives here.
std::size_t OnBody(char* pData, std::size_t nSize, std::size_t nCount, void* pUser)
{
    try {
        SUpstreamResponse& response = *static_cast<STransfer*>(pUser)->pResponse;
        const std::size_t nBytes = nSize * nCount;
        if (response.strBody.size() + nBytes > kMaxUpstreamReplyBytes) {
            response.bTruncated = true;
            return 0;
        }
        response.strBody.append(pData, nBytes);
        return nBytes;
    } catch (...) {
        return 0;
    }
}

ETransportFault FaultOf(CURLcode rc)
{
    switch (rc) {
    case CURLE_OPERATION_TIMEDOUT:
        return ETransportFault::Timeout;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_USE_SSL_FAILED:
        return ETransportFault::Tls;
    default:
        return ETransportFault::Network;
    }
}

} // namespace

CUpstreamClient::CUpstreamClient(int nConnections, std::string strCaFile)
    : m_nConnections(static_cast<std::size_t>(std::max(1, nConnections))),
      m_strCaFile(std::move(strCaFile))
{
    // Before any thread makes a request: libcurl's global set-up is not thread-safe.
    EnsureCurlGlobal();
}

CUpstreamClient::~CUpstreamClient()
{
    for (void* pHandle : m_idle) {
        curl_easy_cleanup(static_cast<CURL*>(pHandle));
    }
}

void* CUpstreamClient::Acquire(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (m_idle.empty() && m_nCreated >= m_nConnections) {
        if (m_released.wait_until(lock, deadline) == std::cv_status::timeout) {
            if (m_idle.empty()) {
                return nullptr;
            }
        }
    }
    if (!m_idle.empty()) {
        void* pHandle = m_idle.back();
        m_idle.pop_back();
        return pHandle;
    }
    CURL* pHandle = curl_easy_init();
    if (pHandle != nullptr) {
        ++m_nCreated;
    }
    return pHandle;
}

void CUpstreamClient::Release(void* pHandle)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_idle.push_back(pHandle);
    }
    m_released.notify_one();
}

SUpstreamResponse CUpstreamClient::Get(const std::string& strUrl, std::chrono::milliseconds budget)
{
    SUpstreamResponse response;
    const auto deadline = std::chrono::steady_clock::now() + budget;
    void* pHandle = Acquire(deadline);
    if (pHandle == nullptr) {
        response.fault = ETransportFault::Busy;
        response.strError = "every connection to the service stayed busy";
        return response;
    }
    CURL* h = static_cast<CURL*>(pHandle);
    // Reset keeps the handle's open connection, which is what keep-alive needs.
    curl_easy_reset(h);
    const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    const long nRemainingMs = std::max<long>(1, static_cast<long>(remaining.count()));

    std::unique_ptr<curl_slist, SlistDeleter> pHeaders(curl_slist_append(nullptr, kAcceptHeader));
    STransfer transfer{&response};
    char errorText[CURL_ERROR_SIZE] = {};
    CURLcode rcSetup = pHeaders ? CURLE_OK : CURLE_OUT_OF_MEMORY;
    const auto Set = [&](CURLoption option, auto value) {
        if (rcSetup == CURLE_OK) {
            rcSetup = curl_easy_setopt(h, option, value);
        }
    };
    Set(CURLOPT_URL, strUrl.c_str());
    // Only https, and verification on: a failed check is a failed request, never a retry
    // over plain HTTP or without the check.
    Set(CURLOPT_PROTOCOLS_STR, "https");
    Set(CURLOPT_SSL_VERIFYPEER, 1L);
    Set(CURLOPT_SSL_VERIFYHOST, 2L);
    if (!m_strCaFile.empty()) {
        Set(CURLOPT_CAINFO, m_strCaFile.c_str());
    }
    Set(CURLOPT_FOLLOWLOCATION, 0L);
    Set(CURLOPT_HTTPGET, 1L);
    Set(CURLOPT_NOSIGNAL, 1L);
    Set(CURLOPT_TCP_KEEPALIVE, 1L);
    Set(CURLOPT_MAXCONNECTS, 1L);
    Set(CURLOPT_CONNECTTIMEOUT_MS, nRemainingMs);
    Set(CURLOPT_TIMEOUT_MS, nRemainingMs);
    Set(CURLOPT_USERAGENT, kUserAgent);
    Set(CURLOPT_HTTPHEADER, pHeaders.get());
    Set(CURLOPT_ACCEPT_ENCODING, "");
    Set(CURLOPT_ERRORBUFFER, errorText);
    Set(CURLOPT_HEADERFUNCTION, &OnHeader);
    Set(CURLOPT_HEADERDATA, &transfer);
    Set(CURLOPT_WRITEFUNCTION, &OnBody);
    Set(CURLOPT_WRITEDATA, &transfer);

    if (rcSetup != CURLE_OK) {
        response.fault = ETransportFault::Network;
        response.strError = curl_easy_strerror(rcSetup);
        Release(pHandle);
        return response;
    }
    const CURLcode rc = curl_easy_perform(h);
    long nStatus = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &nStatus);
    response.nStatus = static_cast<int>(nStatus);
    // The error buffer lives on this stack; the handle outlives it.
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
    Release(pHandle);
    if (rc == CURLE_WRITE_ERROR && response.bTruncated) {
        return response;
    }
    if (rc != CURLE_OK) {
        response.fault = FaultOf(rc);
        response.strError = errorText[0] != '\0' ? errorText : curl_easy_strerror(rc);
    }
    return response;
}
