// What one quote fetch asks for and what it brought back: a price, or a failure with its
// reason. A failure is never a price: a reply counts only when its status was 2xx (after the
// one redirection) and the reader found a price field in it.
#pragma once

#include <ctime>
#include <string>

struct SQuoteRequest
{
    std::string strSymbol;
    std::string strCountry;
    int bUseBid = 0;

    bool operator==(const SQuoteRequest&) const = default;
};

enum class EQuoteFailure {
    kNone,          // a price arrived
    kMissingSymbol, // no symbol: nothing was asked
    kNoAddress,     // the URL is no HTTP URL (a bad server setting, a symbol too long)
    kNoPassword,    // the server asked for a password and none was given
    kHostNotFound,  // the server's name did not resolve
    kRefused,       // nothing accepted the connection
    kTimedOut,      // no connection, no reply or no end of it in time (the deadline included)
    kNetwork,       // the connection failed otherwise (lost, malformed reply)
    kRedirect,      // a redirection without a usable target, or one redirection too many
    kHttpStatus,    // the server answered with a status other than 2xx
    kNoPrice,       // a reply without a price field in it
    kStopped,       // the fetch was stopped before its reply arrived
};

struct SQuoteReply
{
    SQuoteRequest request;
    EQuoteFailure failure = EQuoteFailure::kNone;
    // Set only when the fetch succeeded.
    double dPrice = 0.0;
    double dChange = 0.0;
    // When the price arrived (0 when none did).
    std::time_t arrived = 0;
    // The status of a kHttpStatus failure.
    int nHttpStatus = 0;

    bool Ok() const { return failure == EQuoteFailure::kNone; }
    // FetchQuote's result code: 0 for a price, -1, 1 or 2 for the failures.
    int ResultCode() const;
    // A few words for the user: "refused", "no answer in time", "HTTP 503", "no price in the
    // reply"; empty for a price.
    std::string Reason() const;
};

SQuoteReply FailedQuote(const SQuoteRequest& request, EQuoteFailure failure, int nHttpStatus = 0);
