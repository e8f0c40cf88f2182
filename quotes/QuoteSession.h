// The HTTP exchange of one quote fetch: one GET, the password challenge, at most one
// redirection. Failures are thrown as CTearException pointers and caught by FetchQuote.
#pragma once

#include <memory>
#include <string>

#include "platform/net/HttpRequest.h"

class CQuoteSession
{
  public:
    CQuoteSession(const HttpLimits& limits, HttpPasswordPrompt prompt);

    // Returns the response whose body is ready to be read. Throws (via ThrowFetchError)
    // code 1 when the URL is not an HTTP URL or the password prompt was cancelled, code 2
    // when the exchange failed or a redirection could not be followed.
    std::unique_ptr<CHttpRequest> OpenQuote(const std::string& strUrl);

  private:
    std::unique_ptr<CHttpRequest> SendRequest(const HttpUrl& url);

    HttpLimits m_limits;
    HttpPasswordPrompt m_prompt;
};

// The target of a redirection: the text after "Location: " (case as written) up to the line
// feed, without the carriage return before it. Returns false when the headers name none.
bool FindRedirectLocation(const std::string& strRawHeaders, std::string& strLocation);
