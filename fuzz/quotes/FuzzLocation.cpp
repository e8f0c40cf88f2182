// Fuzzes what a redirection takes from the server: the Location search, the URL parser and
// the request-line encoding, which must never let a space or control character through.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/net/HttpUrl.h"
#include "quotes/QuoteSession.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string strHeaders(reinterpret_cast<const char*>(pData), nSize);
    std::string strLocation;
    if (!FindRedirectLocation(strHeaders, strLocation)) {
        strLocation = strHeaders;
    }
    HttpUrl url;
    if (!ParseHttpUrl(strLocation, url)) {
        return 0;
    }
    if (url.strHost.empty() || url.nPort < 1 || url.nPort > 65535 || url.strObject.empty() ||
        url.strObject.front() != '/') {
        std::abort();
    }
    for (const char c : FormatHttpUrl(url)) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F) {
            std::abort();
        }
    }
    return 0;
}
