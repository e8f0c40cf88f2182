#include "quotes/QuoteBatch.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <utility>

#include "quotes/FetchQuote.h"
#include "quotes/QuotePasswords.h"
#include "quotes/QuoteSession.h"

namespace {

constexpr double kMillisecondsPerSecond = 1000.0;

bool ParseWholeInt(const char* pText, int& nValue)
{
    const char* pEnd = pText + std::strlen(pText);
    const auto [ptr, ec] = std::from_chars(pText, pEnd, nValue);
    return ec == std::errc() && ptr == pEnd;
}

bool ParseWholeDouble(const char* pText, double& dValue)
{
    const char* pEnd = pText + std::strlen(pText);
    const auto [ptr, ec] = std::from_chars(pText, pEnd, dValue, std::chars_format::fixed);
    return ec == std::errc() && ptr == pEnd && std::isfinite(dValue);
}

// One fetch of many quotes: the sessions, the transfers they share, and the password
// questions of this fetch, one per host.
class CQuoteBatch final : public CQuoteFetchContext
{
  public:
    CQuoteBatch(const std::vector<SQuoteRequest>& requests, const SQuoteBatchOptions& options)
        : m_requests(requests), m_options(options), m_limits(GetFetchLimits()),
          m_prompt(InstalledPasswordPrompt()), m_transfers(options.nHostConnections)
    {
    }

    std::vector<SQuoteReply> Run();

  private:
    struct SHostPassword
    {
        enum class EState { kAsking, kAnswered, kRefused } state = EState::kAsking;
        std::vector<CQuoteSession*> waiting;
    };

    CHttpTransfers& Transfers() override { return m_transfers; }
    const HttpLimits& Limits() const override { return m_limits; }
    EPasswordStep OnChallenge(CQuoteSession& session, const std::string& strHostKey,
                              const std::string& strHost,
                              const std::optional<HttpCredentials>& sent) override;
    void OnFinished(CQuoteSession& session) override;
    std::time_t Now() const override
    {
        return m_options.clock ? m_options.clock() : std::time(nullptr);
    }

    void AskPassword(const std::string& strHostKey, const std::string& strHost);
    void OnPasswordAnswered(const std::string& strHostKey, bool bGiven,
                            const HttpCredentials& credentials);

    const std::vector<SQuoteRequest>& m_requests;
    const SQuoteBatchOptions& m_options;
    HttpLimits m_limits;
    HttpPasswordPrompt m_prompt;
    CHttpTransfers m_transfers;
    std::vector<std::unique_ptr<CQuoteSession>> m_sessions;
    std::map<std::string, SHostPassword> m_passwords;
};

std::vector<SQuoteReply> CQuoteBatch::Run()
{
    m_transfers.SetCancel(m_options.pCancel);
    m_transfers.SetDeadline(m_options.deadline);
    m_sessions.reserve(m_requests.size());
    for (std::size_t i = 0; i < m_requests.size(); ++i)
        m_sessions.push_back(std::make_unique<CQuoteSession>(i, m_requests[i], *this));
    for (auto& pSession : m_sessions)
        pSession->Start();
    m_transfers.Run();

    const bool bStopped = m_options.pCancel && m_options.pCancel->IsCancelled();
    std::vector<SQuoteReply> replies;
    replies.reserve(m_sessions.size());
    for (auto& pSession : m_sessions) {
        if (pSession->IsFinished()) {
            replies.push_back(pSession->Reply());
            continue;
        }
        // Still waiting for a password when the fetch was stopped.
        replies.push_back(
            FailedQuote(m_requests[pSession->Index()],
                        bStopped ? EQuoteFailure::kStopped : EQuoteFailure::kTimedOut));
        if (m_options.onReply)
            m_options.onReply(pSession->Index(), replies.back());
    }
    return replies;
}

void CQuoteBatch::OnFinished(CQuoteSession& session)
{
    if (m_options.onReply)
        m_options.onReply(session.Index(), session.Reply());
}

CQuoteFetchContext::EPasswordStep
CQuoteBatch::OnChallenge(CQuoteSession& session, const std::string& strHostKey,
                         const std::string& strHost, const std::optional<HttpCredentials>& sent)
{
    const std::optional<HttpCredentials> remembered = RememberedPassword(strHostKey);
    const bool bOthersKnown = remembered.has_value() && remembered != sent;
    const auto it = m_passwords.find(strHostKey);
    if (it != m_passwords.end()) {
        switch (it->second.state) {
        case SHostPassword::EState::kAsking:
            it->second.waiting.push_back(&session);
            return EPasswordStep::kWait;
        case SHostPassword::EState::kRefused:
            return EPasswordStep::kRefused;
        case SHostPassword::EState::kAnswered:
            // The host is asked once per fetch; what the user typed was refused.
            return bOthersKnown ? EPasswordStep::kResend : EPasswordStep::kGiveUp;
        }
    }
    if (bOthersKnown)
        return EPasswordStep::kResend;
    // No credentials, or remembered ones the server no longer takes: ask the user once.
    m_passwords[strHostKey].waiting.push_back(&session);
    AskPassword(strHostKey, strHost);
    return EPasswordStep::kWait;
}

void CQuoteBatch::AskPassword(const std::string& strHostKey, const std::string& strHost)
{
    m_transfers.Hold();
    const CHttpTransfers::Poster post = m_transfers.GetPoster();
    if (!m_prompt) {
        // No prompt installed: a challenge counts as cancelled.
        post([this, strHostKey] { OnPasswordAnswered(strHostKey, false, {}); });
        return;
    }
    // The prompt may wait for the user for as long as the user likes; the other fetches go
    // on meanwhile. The answer comes back as a task of the transfers, which drop it when the
    // fetch has ended (stopped) before.
    std::thread([prompt = m_prompt, strHost, strHostKey, post, this] {
        HttpCredentials credentials;
        bool bGiven = false;
        try {
            bGiven = prompt(strHost, credentials);
        } catch (...) {
            bGiven = false;
        }
        post([this, strHostKey, bGiven, credentials] {
            OnPasswordAnswered(strHostKey, bGiven, credentials);
        });
    }).detach();
}

void CQuoteBatch::OnPasswordAnswered(const std::string& strHostKey, bool bGiven,
                                     const HttpCredentials& credentials)
{
    SHostPassword& password = m_passwords[strHostKey];
    password.state = bGiven ? SHostPassword::EState::kAnswered : SHostPassword::EState::kRefused;
    if (bGiven)
        RememberPassword(strHostKey, credentials);
    std::vector<CQuoteSession*> waiting;
    waiting.swap(password.waiting);
    for (CQuoteSession* pSession : waiting)
        pSession->OnPasswordAnswer(bGiven);
    m_transfers.Release();
}

} // namespace

SQuoteBatchOptions QuoteBatchOptionsFromEnvironment()
{
    SQuoteBatchOptions options;
    if (const char* pValue = std::getenv(kHostConnectionsVariable)) {
        int nValue = 0;
        if (ParseWholeInt(pValue, nValue) && nValue >= 1 && nValue <= kMaxHostConnections)
            options.nHostConnections = nValue;
    }
    if (const char* pValue = std::getenv(kRefreshDeadlineVariable)) {
        double dSeconds = 0.0;
        const double dMaxSeconds =
            static_cast<double>(kMaxRefreshDeadline.count()) / kMillisecondsPerSecond;
        if (ParseWholeDouble(pValue, dSeconds) && dSeconds > 0.0 && dSeconds <= dMaxSeconds) {
            const auto nMs =
                static_cast<long long>(std::llround(dSeconds * kMillisecondsPerSecond));
            options.deadline = std::chrono::milliseconds(nMs > 0 ? nMs : 1);
        }
    }
    return options;
}

std::vector<SQuoteReply> FetchQuotes(const std::vector<SQuoteRequest>& requests,
                                     const SQuoteBatchOptions& options)
{
    try {
        CQuoteBatch batch(requests, options);
        return batch.Run();
    } catch (const std::bad_alloc&) {
        std::vector<SQuoteReply> replies;
        replies.reserve(requests.size());
        for (const SQuoteRequest& request : requests)
            replies.push_back(FailedQuote(request, EQuoteFailure::kNetwork));
        return replies;
    }
}
