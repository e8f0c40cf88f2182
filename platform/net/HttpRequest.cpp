#include "platform/net/HttpRequest.h"

#include <algorithm>
#include <curl/curl.h>

#include "platform/net/CurlGlobal.h"
#include "platform/net/HttpTransfers.h"

namespace {

// The headers every request carries, once each; they replace libcurl's own Accept and it
// adds no User-Agent of its own.
constexpr const char* kAcceptHeader = "Accept: text/*";
constexpr const char* kUserAgentHeader = "User-Agent: Tallyfern";
// Response headers past this size are no quote service's; the exchange is given up.
constexpr std::size_t kMaxHeaderBytes = std::size_t{64} * 1024;

bool StartsWithHttpStatus(const std::string& strLine)
{
    return strLine.rfind("HTTP/", 0) == 0;
}

EHttpFailure ClassifyCurlFailure(CURLcode rc, bool bStalled)
{
    if (bStalled)
        return EHttpFailure::kTimedOut;
    switch (rc) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return EHttpFailure::kHostNotFound;
    case CURLE_COULDNT_CONNECT:
        return EHttpFailure::kRefused;
    case CURLE_OPERATION_TIMEDOUT:
        return EHttpFailure::kTimedOut;
    default:
        return EHttpFailure::kTransfer;
    }
}

} // namespace

bool IsHostFailure(EHttpFailure failure)
{
    return failure == EHttpFailure::kHostNotFound || failure == EHttpFailure::kRefused ||
           failure == EHttpFailure::kTimedOut;
}

struct CHttpRequest::SHandles
{
    CURL* pEasy = nullptr;
    curl_slist* pHeaders = nullptr;
    ~SHandles()
    {
        if (pEasy != nullptr)
            curl_easy_cleanup(pEasy);
        if (pHeaders != nullptr)
            curl_slist_free_all(pHeaders);
    }
};

CHttpRequest::CHttpRequest(const HttpUrl& url, const HttpLimits& limits)
    : m_url(url), m_limits(limits)
{
}

CHttpRequest::~CHttpRequest() = default;

std::string CHttpRequest::HostKey() const
{
    return m_url.strHost + ":" + std::to_string(m_url.nPort);
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
    CURL* pEasy = m_pHandles ? m_pHandles->pEasy : nullptr;
    if (pEasy == nullptr)
        return false;
    // A kept-alive connection needs no connect: the request is under way once it is about
    // to be sent.
    curl_off_t nConnectUs = 0;
    curl_off_t nPretransferUs = 0;
    curl_easy_getinfo(pEasy, CURLINFO_CONNECT_TIME_T, &nConnectUs);
    curl_easy_getinfo(pEasy, CURLINFO_PRETRANSFER_TIME_T, &nPretransferUs);
    const curl_off_t nConnectedUs = std::max(nConnectUs, nPretransferUs);
    if (nConnectedUs <= 0) {
        // Still connecting: the connect time-out is in charge.
        return false;
    }
    const auto connected = m_started + std::chrono::microseconds(nConnectedUs);
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

void* CHttpRequest::Prepare()
{
    EnsureCurlGlobal();
    m_nStatus = 0;
    m_strRawHeaders.clear();
    m_strBody.clear();
    m_bTruncated = false;
    m_bStalled = false;
    m_failure = EHttpFailure::kNone;
    m_strError.clear();
    m_pHandles = std::make_unique<SHandles>();

    m_pHandles->pEasy = curl_easy_init();
    if (m_pHandles->pEasy == nullptr) {
        Fail(EHttpFailure::kSetup, "cannot create an HTTP handle");
        return nullptr;
    }
    curl_slist* pList = curl_slist_append(nullptr, kAcceptHeader);
    if (pList != nullptr) {
        curl_slist* pMore = curl_slist_append(pList, kUserAgentHeader);
        if (pMore == nullptr)
            curl_slist_free_all(pList);
        pList = pMore;
    }
    m_pHandles->pHeaders = pList;
    if (pList == nullptr) {
        Fail(EHttpFailure::kSetup, "out of memory");
        return nullptr;
    }

    CURL* h = m_pHandles->pEasy;
    const std::string strUrl = FormatHttpUrl(m_url);
    // Every option must take: an option this libcurl lacks (HTTP only, the callbacks) would
    // silently change what the request does.
    CURLcode rcSetup = CURLE_OK;
    const auto Set = [&](CURLoption option, auto value) {
        if (rcSetup == CURLE_OK)
            rcSetup = curl_easy_setopt(h, option, value);
    };
    Set(CURLOPT_URL, strUrl.c_str());
    Set(CURLOPT_PROTOCOLS_STR, "http");
    Set(CURLOPT_PATH_AS_IS, 1L);
    Set(CURLOPT_HTTPGET, 1L);
    Set(CURLOPT_FOLLOWLOCATION, 0L);
    Set(CURLOPT_HTTPHEADER, pList);
    Set(CURLOPT_NOSIGNAL, 1L);
    Set(CURLOPT_CONNECTTIMEOUT_MS, m_limits.nConnectTimeoutMs);
    Set(CURLOPT_TIMEOUT_MS, m_limits.nTransferTimeoutMs);
    Set(CURLOPT_NOPROGRESS, 0L);
    Set(CURLOPT_XFERINFOFUNCTION, &CHttpProgress::OnProgress);
    Set(CURLOPT_XFERINFODATA, this);
    Set(CURLOPT_HEADERFUNCTION, &CHttpRequest::OnHeader);
    Set(CURLOPT_HEADERDATA, this);
    Set(CURLOPT_WRITEFUNCTION, &CHttpRequest::OnBody);
    Set(CURLOPT_WRITEDATA, this);
    Set(CURLOPT_PRIVATE, this);
    if (m_credentials) {
        Set(CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        Set(CURLOPT_USERNAME, m_credentials->strUser.c_str());
        Set(CURLOPT_PASSWORD, m_credentials->strPassword.c_str());
    }
    if (rcSetup != CURLE_OK) {
        Fail(EHttpFailure::kSetup, curl_easy_strerror(rcSetup));
        return nullptr;
    }
    m_started = std::chrono::steady_clock::now();
    m_lastData = m_started;
    return h;
}

void CHttpRequest::Complete(int nCurlCode)
{
    const auto rc = static_cast<CURLcode>(nCurlCode);
    long nStatus = 0;
    curl_easy_getinfo(m_pHandles->pEasy, CURLINFO_RESPONSE_CODE, &nStatus);
    m_nStatus = static_cast<int>(nStatus);
    ReleaseHandle();
    if (rc == CURLE_WRITE_ERROR && m_bTruncated && m_nStatus != 0)
        return;
    if (rc != CURLE_OK) {
        Fail(ClassifyCurlFailure(rc, m_bStalled),
             m_bStalled ? "the server sent nothing for too long" : curl_easy_strerror(rc));
        return;
    }
    if (m_nStatus == 0)
        Fail(EHttpFailure::kTransfer, "no HTTP status in the reply");
}

void CHttpRequest::Fail(EHttpFailure failure, const std::string& strText)
{
    ReleaseHandle();
    m_failure = failure;
    m_strError = strText;
}

void CHttpRequest::ReleaseHandle()
{
    m_pHandles.reset();
}

bool CHttpRequest::Send(const HttpCredentials* pCredentials)
{
    if (pCredentials != nullptr)
        m_credentials = *pCredentials;
    CHttpTransfers transfers(1);
    transfers.Add(*this, nullptr);
    transfers.Run();
    return Succeeded();
}
