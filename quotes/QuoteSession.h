// CQuoteSession: the HTTP exchange of one quote fetch, made as a step each time one of its
// requests ends: one GET, the password challenge, at most one redirection, then the reader.
// Inside a step a failure is thrown as a CTearException pointer; the step catches it, so
// none leaves the session. Many sessions share one set of transfers (see QuoteBatch.h).
#pragma once

#include <cstddef>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "platform/net/HttpRequest.h"
#include "platform/net/HttpTransfers.h"
#include "quotes/QuoteReaders.h"
#include "quotes/QuoteReply.h"

class CQuoteSession;

// What a session needs of the fetch it belongs to.
class CQuoteFetchContext
{
  public:
    enum class EPasswordStep {
        kResend,  // other credentials are known for the host: send them
        kWait,    // the user is being asked; OnPasswordAnswer follows
        kRefused, // the user gave none
        kGiveUp,  // the credentials the user gave were refused too
    };

    virtual ~CQuoteFetchContext() = default;
    virtual CHttpTransfers& Transfers() = 0;
    virtual const HttpLimits& Limits() const = 0;
    // A 401 from the host, which was sent the credentials named (none: nullopt).
    virtual EPasswordStep OnChallenge(CQuoteSession& session, const std::string& strHostKey,
                                      const std::string& strHost,
                                      const std::optional<HttpCredentials>& sent) = 0;
    // The session has its reply.
    virtual void OnFinished(CQuoteSession& session) = 0;
    virtual std::time_t Now() const = 0;
};

class CQuoteSession
{
  public:
    CQuoteSession(std::size_t nIndex, const SQuoteRequest& request, CQuoteFetchContext& context);
    CQuoteSession(const CQuoteSession&) = delete;
    CQuoteSession& operator=(const CQuoteSession&) = delete;

    // Builds the URL and queues the first request (or finishes at once when it cannot).
    void Start();
    // The answer to the question OnChallenge was waiting for: resend, or fail.
    void OnPasswordAnswer(bool bGiven);

    std::size_t Index() const { return m_nIndex; }
    bool IsFinished() const { return m_bFinished; }
    const SQuoteReply& Reply() const { return m_reply; }

  private:
    void Send(const HttpUrl& url);
    void Resend();
    void OnRequestDone();
    void Step();
    void FollowRedirection();
    void ReadPrice();
    [[noreturn]] void Fail(EQuoteFailure failure, int nHttpStatus = 0);
    void CatchFailure(class CTearException* pError);
    void Finish();

    std::size_t m_nIndex;
    CQuoteFetchContext& m_context;
    SQuoteReply m_reply;
    QuoteReader m_reader = nullptr;
    std::unique_ptr<CHttpRequest> m_pRequest;
    bool m_bAskedForPassword = false;
    bool m_bRedirected = false;
    bool m_bFinished = false;
};

// The target of a redirection: the text after "Location: " (case as written) up to the line
// feed, without the carriage return before it. Returns false when the headers name none.
bool FindRedirectLocation(const std::string& strRawHeaders, std::string& strLocation);
