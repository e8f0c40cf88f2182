#include "quotes/FetchQuote.h"

#include <mutex>
#include <utility>

#include "quotes/QuotePasswords.h"
#include "quotes/QuoteUrl.h"

namespace {

struct SFetchLimits
{
    std::mutex mutex;
    HttpLimits limits;
};

SFetchLimits& FetchLimits()
{
    static SFetchLimits limits;
    return limits;
}

SQuoteReply FetchOne(const std::string& symbol, const std::string& country, int bUseBid,
                     const SQuoteBatchOptions& options)
{
    const std::vector<SQuoteReply> replies =
        FetchQuotes({SQuoteRequest{symbol, country, bUseBid}}, options);
    return replies.front();
}

} // namespace

void SetPasswordPrompt(HttpPasswordPrompt prompt)
{
    InstallPasswordPrompt(std::move(prompt));
}

void SetFetchLimits(const HttpLimits& limits)
{
    std::lock_guard<std::mutex> lock(FetchLimits().mutex);
    FetchLimits().limits = limits;
}

HttpLimits GetFetchLimits()
{
    std::lock_guard<std::mutex> lock(FetchLimits().mutex);
    return FetchLimits().limits;
}

int FetchQuote(const std::string& symbol, const std::string& country, int bUseBid, double& dPrice,
               double& dChange)
{
    const SQuoteReply reply =
        FetchOne(symbol, country, bUseBid, QuoteBatchOptionsFromEnvironment());
    if (reply.Ok()) {
        dPrice = reply.dPrice;
        dChange = reply.dChange;
    }
    return reply.ResultCode();
}

QuoteFetchResult FetchQuoteResult(const std::string& symbol, const std::string& country,
                                  int bUseBid)
{
    QuoteFetchResult result;
    result.nResult = FetchQuote(symbol, country, bUseBid, result.dPrice, result.dChange);
    return result;
}

int FetchCurrentVersion(double& dVersion, const SQuoteBatchOptions& options)
{
    dVersion = 0.0;
    const SQuoteReply reply = FetchOne("none", kVersionSourceKey, 0, options);
    if (reply.Ok())
        dVersion = reply.dPrice;
    return reply.ResultCode();
}
