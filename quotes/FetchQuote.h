// FetchQuote: the price and day change of one security from its country's quote source.
#pragma once

#include <string>

#include "platform/net/HttpRequest.h"
#include "quotes/QuoteBatch.h"

// Result codes of FetchQuote.
constexpr int kFetchOk = 0;               // a price arrived; outputs hold it
constexpr int kFetchMissingArgument = -1; // empty symbol; nothing was done
constexpr int kFetchNotMade = 1;          // not an HTTP URL, or the password prompt was cancelled
// The exchange failed: the network, a redirection not followed, a status other than 2xx, or
// a reply without a price.
constexpr int kFetchFailed = 2;

// Fetches one quote synchronously. Price and change are set only when a price arrived; on
// any failure they keep the caller's values. Never throws and never shows anything.
int FetchQuote(const std::string& symbol, const std::string& country, int bUseBid, double& dPrice,
               double& dChange);

// The same fetch as a plain result, for callers that do not keep the values elsewhere.
struct QuoteFetchResult
{
    int nResult = kFetchOk;
    double dPrice = 0.0;
    double dChange = 0.0;
};
QuoteFetchResult FetchQuoteResult(const std::string& symbol, const std::string& country,
                                  int bUseBid);

// Asks the maker's site for the current program version; dVersion is 0 when nothing was
// obtained (an error page included). Returns FetchQuote's result code. The options carry the
// cancel signal of a caller that may stop waiting.
int FetchCurrentVersion(double& dVersion,
                        const SQuoteBatchOptions& options = QuoteBatchOptionsFromEnvironment());

// Installs the prompt asked on a password challenge (the desktop program's dialog; a test's
// script). Without one, a challenge counts as cancelled. It is called on a thread of the
// fetch's own, never the one that called FetchQuote or FetchQuotes.
void SetPasswordPrompt(HttpPasswordPrompt prompt);

// Time-outs and body cap of every later fetch.
void SetFetchLimits(const HttpLimits& limits);
HttpLimits GetFetchLimits();
