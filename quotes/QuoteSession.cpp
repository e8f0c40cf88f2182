#include "quotes/QuoteSession.h"

#include <utility>

#include "quotes/FetchQuote.h"
#include "quotes/TearException.h"

namespace {

constexpr int kStatusOk = 200;
constexpr int kStatusMovedPermanently = 301;
constexpr int kStatusFound = 302;
constexpr int kStatusSeeOther = 303;
constexpr int kStatusUnauthorized = 401;

bool IsRedirection(int nStatus)
{
    return nStatus == kStatusMovedPermanently || nStatus == kStatusFound ||
           nStatus == kStatusSeeOther;
}

} // namespace

bool FindRedirectLocation(const std::string& strRawHeaders, std::string& strLocation)
{
    static constexpr char kLabel[] = "Location: ";
    const std::size_t nLabel = strRawHeaders.find(kLabel);
    if (nLabel == std::string::npos) {
        return false;
    }
    const std::size_t nStart = nLabel + sizeof(kLabel) - 1;
    const std::size_t nEnd = strRawHeaders.find('\n', nStart);
    std::string strValue =
        strRawHeaders.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart);
    while (!strValue.empty() && (strValue.back() == '\r' || strValue.back() == ' ')) {
        strValue.pop_back();
    }
    strLocation = strValue;
    return true;
}

CQuoteSession::CQuoteSession(const HttpLimits& limits, HttpPasswordPrompt prompt)
    : m_limits(limits), m_prompt(std::move(prompt))
{
}

std::unique_ptr<CHttpRequest> CQuoteSession::SendRequest(const HttpUrl& url)
{
    auto pRequest = std::make_unique<CHttpRequest>(url, m_limits);
    if (!pRequest->Send()) {
        ThrowFetchError(kFetchFailed);
    }
    return pRequest;
}

std::unique_ptr<CHttpRequest> CQuoteSession::OpenQuote(const std::string& strUrl)
{
    HttpUrl url;
    if (!ParseHttpUrl(strUrl, url)) {
        ThrowFetchError(kFetchNotMade);
    }
    auto pRequest = SendRequest(url);

    if (pRequest->GetStatus() == kStatusUnauthorized) {
        HttpCredentials credentials;
        if (!m_prompt || !m_prompt(url.strHost, credentials)) {
            ThrowFetchError(kFetchNotMade);
        }
        // Asked once: a second 401 goes on like any other status.
        if (!pRequest->Send(&credentials)) {
            ThrowFetchError(kFetchFailed);
        }
    }

    if (IsRedirection(pRequest->GetStatus())) {
        std::string strLocation;
        if (!FindRedirectLocation(pRequest->GetRawHeaders(), strLocation)) {
            ThrowFetchError(kFetchFailed);
        }
        pRequest.reset();
        HttpUrl target;
        if (!ParseHttpUrl(strLocation, target)) {
            ThrowFetchError(kFetchFailed);
        }
        pRequest = SendRequest(target);
        // Only one redirection is followed.
        if (pRequest->GetStatus() != kStatusOk) {
            ThrowFetchError(kFetchFailed);
        }
    }
    return pRequest;
}
