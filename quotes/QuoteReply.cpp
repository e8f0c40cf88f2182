#include "quotes/QuoteReply.h"

#include "quotes/FetchQuote.h"

int SQuoteReply::ResultCode() const
{
    switch (failure) {
    case EQuoteFailure::kNone:
        return kFetchOk;
    case EQuoteFailure::kMissingSymbol:
        return kFetchMissingArgument;
    case EQuoteFailure::kNoAddress:
    case EQuoteFailure::kNoPassword:
        return kFetchNotMade;
    default:
        return kFetchFailed;
    }
}

std::string SQuoteReply::Reason() const
{
    switch (failure) {
    case EQuoteFailure::kNone:
        return {};
    case EQuoteFailure::kMissingSymbol:
        return "no symbol";
    case EQuoteFailure::kNoAddress:
        return "no valid address";
    case EQuoteFailure::kNoPassword:
        return "no password given";
    case EQuoteFailure::kHostNotFound:
        return "server not found";
    case EQuoteFailure::kRefused:
        return "refused";
    case EQuoteFailure::kTimedOut:
        return "no answer in time";
    case EQuoteFailure::kNetwork:
        return "connection failed";
    case EQuoteFailure::kRedirect:
        return "redirection not followed";
    case EQuoteFailure::kHttpStatus:
        return "HTTP " + std::to_string(nHttpStatus);
    case EQuoteFailure::kNoPrice:
        return "no price in the reply";
    case EQuoteFailure::kStopped:
        return "stopped";
    }
    return "failed";
}

SQuoteReply FailedQuote(const SQuoteRequest& request, EQuoteFailure failure, int nHttpStatus)
{
    SQuoteReply reply;
    reply.request = request;
    reply.failure = failure;
    reply.nHttpStatus = nHttpStatus;
    return reply;
}
