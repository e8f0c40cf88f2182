#include "platform/net/HttpRequest.h"

#include <algorithm>
#include <curl/curl.h>
#include <memory>

#include "platform/net/CurlGlobal.h"

namespace {

// The headers every request carries, once each; they replace libcurl's own Accept and it
// adds no User-Agent of its own.
constexpr const char* kAcceptHeader = "Accept: text/*";
constexpr const char* kUserAgentHeader = "User-Agent: Tallyfern";
// Response headers past this size are no quote service's; the exchange is given up.
constexpr std::size_t kMaxHeaderBytes = std::size_t{64} * 1024;

struct EasyDeleter
{
    void operator()(CURL* p) const { curl_easy_cleanup(p); }
};
struct SlistDeleter
{
    void operator()(curl_slist* p) const { curl_slist_free_all(p); }
};

bool StartsWithHttpStatus(const std::string& strLine)
{
    return strLine.rfind("HTTP/", 0) == 0;
}

} // namespace

CHttpRequest::CHttpRequest(const HttpUrl& url, const HttpLimits& limits)
    : m_url(url), m_limits(limits)
{
}

std::size_t CHttpRequest::OnHeader(char* pData, std::size_t nSize, std::size_t nCount, void* pUser)
{
    // No exception may unwind through libcurl: running out of memory ends the transfer.
    try {
        auto* pThis = static_cast<CHttpRequest*>(pUser);
        const std::size_t nBytes = nSize * nCount;
        pThis->m_lastData = std::chrono::steady_clock::now();
        std::string strLine(pData, nBytes);
        while (!strLine.empty() && (strLine.back() == '\n' || strLine.back() == '\r')) {
            strLine.pop_back();
        }
        // An interim response (100 Continue) is followed by the real one: keep only the last.
        if (StartsWithHttpStatus(strLine)) {
            pThis->m_strRawHeaders.clear();
        }
        if (pThis->m_strRawHeaders.size() + strLine.size() + 2 > kMaxHeaderBytes) {
            return 0;
        }
        pThis->m_strRawHeaders += strLine;
        pThis->m_strRawHeaders += "\r\n";
        return nBytes;
    } catch (...) {
        return 0;
    }
}

std::size_t CHttpRequest::OnBody(char* pData, std::size_t nSize, std::size_t nCount, void* pUser)
{
    // No exception may unwind through libcurl: running out of memory ends the transfer.
    try {
        auto* pThis = static_cast<CHttpRequest*>(pUser);
        const std::size_t nBytes = nSize * nCount;
        pThis->m_lastData = std::chrono::steady_clock::now();
        const std::size_t nRoom = pThis->m_limits.nMaxBodyBytes - pThis->m_strBody.size();
        if (nBytes > nRoom) {
            // The reader sees the end of the data at the cap; the rest is not fetched.
            pThis->m_strBody.append(pData, nRoom);
            pThis->m_bTruncated = true;
            return 0;
        }
        pThis->m_strBody.append(pData, nBytes);
        return nBytes;
    } catch (...) {
        return 0;
    }
}

bool CHttpRequest::HasStalled() const
{
    curl_off_t nConnectUs = 0;
    curl_easy_getinfo(static_cast<CURL*>(m_pHandle), CURLINFO_CONNECT_TIME_T, &nConnectUs);
    if (nConnectUs <= 0) {
        // Still connecting: the connect time-out is in charge.
        return false;
    }
    const auto connected = m_started + std::chrono::microseconds(nConnectUs);
    const auto lastActivity = std::max(connected, m_lastData);
    return std::chrono::steady_clock::now() - lastActivity >
           std::chrono::milliseconds(m_limits.nStallTimeoutMs);
}

struct CHttpProgress
{
    // libcurl's own low-speed check averages over several seconds; this one counts from the
    // last byte, so a stall costs what the limit says.
    static int OnProgress(void* pUser, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        auto* pThis = static_cast<CHttpRequest*>(pUser);
        if (pThis->HasStalled()) {
            pThis->m_bStalled = true;
            return 1;
        }
        return 0;
    }
};

bool CHttpRequest::Send(const HttpCredentials* pCredentials)
{
    EnsureCurlGlobal();
    m_nStatus = 0;
    m_strRawHeaders.clear();
    m_strBody.clear();
    m_bTruncated = false;
    m_bStalled = false;
    m_strError.clear();

    std::unique_ptr<CURL, EasyDeleter> pCurl(curl_easy_init());
    if (!pCurl) {
        m_strError = "cannot create an HTTP handle";
        return false;
    }
    curl_slist* pList = curl_slist_append(nullptr, kAcceptHeader);
    if (pList != nullptr) {
        curl_slist* pMore = curl_slist_append(pList, kUserAgentHeader);
        if (pMore == nullptr) {
            curl_slist_free_all(pList);
        }
        pList = pMore;
    }
    std::unique_ptr<curl_slist, SlistDeleter> pHeaders(pList);
    if (!pHeaders) {
        m_strError = "out of memory";
        return false;
    }

    CURL* h = pCurl.get();
    const std::string strUrl = FormatHttpUrl(m_url);
    // Every option must take: an option this libcurl lacks (HTTP only, the callbacks) would
    // silently change what the request does.
    CURLcode rcSetup = CURLE_OK;
    const auto Set = [&](CURLoption option, auto value) {
        if (rcSetup == CURLE_OK) {
            rcSetup = curl_easy_setopt(h, option, value);
        }
    };
    Set(CURLOPT_URL, strUrl.c_str());
    Set(CURLOPT_PROTOCOLS_STR, "http");
    Set(CURLOPT_PATH_AS_IS, 1L);
    Set(CURLOPT_HTTPGET, 1L);
    Set(CURLOPT_FOLLOWLOCATION, 0L);
    Set(CURLOPT_HTTPHEADER, pHeaders.get());
    Set(CURLOPT_NOSIGNAL, 1L);
    Set(CURLOPT_FORBID_REUSE, 1L);
    Set(CURLOPT_CONNECTTIMEOUT_MS, m_limits.nConnectTimeoutMs);
    Set(CURLOPT_TIMEOUT_MS, m_limits.nTransferTimeoutMs);
    Set(CURLOPT_NOPROGRESS, 0L);
    Set(CURLOPT_XFERINFOFUNCTION, &CHttpProgress::OnProgress);
    Set(CURLOPT_XFERINFODATA, this);
    Set(CURLOPT_HEADERFUNCTION, &CHttpRequest::OnHeader);
    Set(CURLOPT_HEADERDATA, this);
    Set(CURLOPT_WRITEFUNCTION, &CHttpRequest::OnBody);
    Set(CURLOPT_WRITEDATA, this);
    if (pCredentials != nullptr) {
        Set(CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        Set(CURLOPT_USERNAME, pCredentials->strUser.c_str());
        Set(CURLOPT_PASSWORD, pCredentials->strPassword.c_str());
    }

    if (rcSetup != CURLE_OK) {
        m_strError = curl_easy_strerror(rcSetup);
        return false;
    }

    m_pHandle = h;
    m_started = std::chrono::steady_clock::now();
    m_lastData = m_started;
    const CURLcode rc = curl_easy_perform(h);
    m_pHandle = nullptr;
    long nStatus = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &nStatus);
    m_nStatus = static_cast<int>(nStatus);
    if (rc == CURLE_WRITE_ERROR && m_bTruncated) {
        return m_nStatus != 0;
    }
    if (rc != CURLE_OK) {
        m_strError = m_bStalled ? "the server sent nothing for too long" : curl_easy_strerror(rc);
        return false;
    }
    return m_nStatus != 0;
}
