#include "platform/net/CurlGlobal.h"

#include <curl/curl.h>

namespace {

struct CurlGlobal
{
    CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    ~CurlGlobal() { curl_global_cleanup(); }
    CurlGlobal(const CurlGlobal&) = delete;
    CurlGlobal& operator=(const CurlGlobal&) = delete;
};

} // namespace

void EnsureCurlGlobal()
{
    // A function-local static is made once, however many threads arrive here together.
    static CurlGlobal global;
}
