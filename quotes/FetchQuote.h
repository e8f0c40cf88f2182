// FetchQuote: the price and day change of one security from its country's quote source.
#pragma once

#include <string>

#include "platform/net/HttpRequest.h"

// Result codes of FetchQuote.
constexpr int kFetchOk = 0;               // exchange completed; outputs hold what was found
constexpr int kFetchMissingArgument = -1; // empty symbol; nothing was done
constexpr int kFetchNotMade = 1;          // not an HTTP URL, or the password prompt was cancelled
constexpr int kFetchFailed = 2;           // network failure or a redirection not followed

// Fetches one quote synchronously. Price and change are set to 0 once the response has
// arrived and then filled by the reader; on a failure before that they keep the caller's
// values. Never throws and never shows anything.
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
// obtained. Returns FetchQuote's result code.
int FetchCurrentVersion(double& dVersion);

// Installs the prompt asked on a password challenge (the desktop program's dialog; a test's
// script). Without one, a challenge counts as cancelled.
void SetPasswordPrompt(HttpPasswordPrompt prompt);

// Time-outs and body cap of every later fetch.
void SetFetchLimits(const HttpLimits& limits);
HttpLimits GetFetchLimits();
