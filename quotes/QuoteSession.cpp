#include "quotes/QuoteSession.h"

#include <new>

#include "quotes/FetchQuote.h"
#include "quotes/HtmlTags.h"
#include "quotes/QuotePasswords.h"
#include "quotes/QuoteUrl.h"
#include "quotes/TearException.h"

namespace {

constexpr int kStatusOk = 200;
constexpr int kStatusLastSuccess = 299;
constexpr int kStatusMovedPermanently = 301;
constexpr int kStatusFound = 302;
constexpr int kStatusSeeOther = 303;
constexpr int kStatusUnauthorized = 401;

bool IsRedirection(int nStatus)
{
    return nStatus == kStatusMovedPermanently || nStatus == kStatusFound ||
           nStatus == kStatusSeeOther;
}

bool IsSuccess(int nStatus)
{
    return nStatus >= kStatusOk && nStatus <= kStatusLastSuccess;
}

EQuoteFailure FromHttpFailure(EHttpFailure failure)
{
    switch (failure) {
    case EHttpFailure::kHostNotFound:
        return EQuoteFailure::kHostNotFound;
    case EHttpFailure::kRefused:
        return EQuoteFailure::kRefused;
    case EHttpFailure::kTimedOut:
        return EQuoteFailure::kTimedOut;
    case EHttpFailure::kCancelled:
        return EQuoteFailure::kStopped;
    default:
        return EQuoteFailure::kNetwork;
    }
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

CQuoteSession::CQuoteSession(std::size_t nIndex, const SQuoteRequest& request,
                             CQuoteFetchContext& context)
    : m_nIndex(nIndex), m_context(context)
{
    m_reply.request = request;
}

void CQuoteSession::Start()
{
    // The record's texts are zero-terminated: whatever follows a NUL is not part of them.
    const std::string strSymbol =
        m_reply.request.strSymbol.substr(0, m_reply.request.strSymbol.find('\0'));
    const std::string strCountry =
        m_reply.request.strCountry.substr(0, m_reply.request.strCountry.find('\0'));
    m_reply.request.strSymbol = strSymbol;
    m_reply.request.strCountry = strCountry;
    try {
        if (strSymbol.empty())
            Fail(EQuoteFailure::kMissingSymbol);
        std::string strUrl;
        HttpUrl url;
        if (!BuildQuoteUrl(strSymbol, strCountry, strUrl) || !ParseHttpUrl(strUrl, url))
            Fail(EQuoteFailure::kNoAddress);
        m_reader = ChooseQuoteReader(strSymbol, strCountry);
        Send(url);
    } catch (CTearException* pError) {
        CatchFailure(pError);
    } catch (const std::bad_alloc&) {
        m_reply.failure = EQuoteFailure::kNetwork;
        Finish();
    }
}

void CQuoteSession::Send(const HttpUrl& url)
{
    m_pRequest = std::make_unique<CHttpRequest>(url, m_context.Limits());
    Resend();
}

void CQuoteSession::Resend()
{
    // Credentials are picked when the request starts, so a request that waited its turn
    // sends what the user typed meanwhile.
    m_context.Transfers().Add(
        *m_pRequest, [this](CHttpRequest&) { OnRequestDone(); },
        [](CHttpRequest& request) {
            request.SetCredentials(RememberedPassword(request.HostKey()));
        });
}

void CQuoteSession::OnRequestDone()
{
    try {
        Step();
    } catch (CTearException* pError) {
        CatchFailure(pError);
    } catch (const std::bad_alloc&) {
        m_reply.failure = EQuoteFailure::kNetwork;
        Finish();
    }
}

void CQuoteSession::OnPasswordAnswer(bool bGiven)
{
    try {
        if (!bGiven)
            Fail(EQuoteFailure::kNoPassword);
        Resend();
    } catch (CTearException* pError) {
        CatchFailure(pError);
    }
}

void CQuoteSession::Step()
{
    const CHttpRequest& request = *m_pRequest;
    if (!request.Succeeded())
        Fail(FromHttpFailure(request.GetFailure()));
    const int nStatus = request.GetStatus();

    if (m_bRedirected) {
        // Only one redirection is followed, and it must lead straight to the quote.
        if (nStatus != kStatusOk)
            Fail(IsRedirection(nStatus) ? EQuoteFailure::kRedirect : EQuoteFailure::kHttpStatus,
                 nStatus);
        ReadPrice();
        return;
    }
    if (nStatus == kStatusUnauthorized && !m_bAskedForPassword) {
        // Asked once: a second 401 goes on like any other status.
        m_bAskedForPassword = true;
        switch (m_context.OnChallenge(*this, request.HostKey(), request.GetUrl().strHost,
                                      request.GetCredentials())) {
        case CQuoteFetchContext::EPasswordStep::kResend:
            Resend();
            return;
        case CQuoteFetchContext::EPasswordStep::kWait:
            return;
        case CQuoteFetchContext::EPasswordStep::kRefused:
            Fail(EQuoteFailure::kNoPassword);
        case CQuoteFetchContext::EPasswordStep::kGiveUp:
            break;
        }
    }
    if (IsRedirection(nStatus)) {
        FollowRedirection();
        return;
    }
    if (!IsSuccess(nStatus))
        Fail(EQuoteFailure::kHttpStatus, nStatus);
    ReadPrice();
}

void CQuoteSession::FollowRedirection()
{
    std::string strLocation;
    if (!FindRedirectLocation(m_pRequest->GetRawHeaders(), strLocation))
        Fail(EQuoteFailure::kRedirect);
    HttpUrl target;
    if (!ParseHttpUrl(strLocation, target))
        Fail(EQuoteFailure::kRedirect);
    m_bRedirected = true;
    Send(target);
}

void CQuoteSession::ReadPrice()
{
    double dPrice = 0.0;
    double dChange = 0.0;
    ResetHtmlTagState();
    CHttpLineReader body = m_pRequest->OpenBody();
    if (m_reader == nullptr ||
        !m_reader(body, m_reply.request.strCountry, m_reply.request.bUseBid, dPrice, dChange))
        Fail(EQuoteFailure::kNoPrice);
    m_reply.failure = EQuoteFailure::kNone;
    m_reply.dPrice = dPrice;
    m_reply.dChange = dChange;
    m_reply.arrived = m_context.Now();
    Finish();
}

void CQuoteSession::Fail(EQuoteFailure failure, int nHttpStatus)
{
    m_reply.failure = failure;
    m_reply.nHttpStatus = nHttpStatus;
    ThrowFetchError(m_reply.ResultCode());
}

void CQuoteSession::CatchFailure(CTearException* pError)
{
    // The reply already holds the failure; the code travels with it.
    delete pError;
    Finish();
}

void CQuoteSession::Finish()
{
    m_bFinished = true;
    m_context.OnFinished(*this);
}
