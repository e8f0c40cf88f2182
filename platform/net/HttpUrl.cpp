#include "platform/net/HttpUrl.h"

#include <cctype>
#include <charconv>

namespace {

// Highest TCP port number.
constexpr int kMaxPort = 65535;

bool IsHostChar(unsigned char c)
{
    return std::isalnum(c) != 0 || c == '.' || c == '-' || c == '_';
}

bool IsValidHost(const std::string& strHost)
{
    if (strHost.empty()) {
        return false;
    }
    if (strHost.front() == '[') {
        // IPv6 literal: hex digits, colons and dots between the brackets.
        if (strHost.size() < 3 || strHost.back() != ']') {
            return false;
        }
        for (std::size_t i = 1; i + 1 < strHost.size(); ++i) {
            const auto c = static_cast<unsigned char>(strHost[i]);
            if (std::isxdigit(c) == 0 && c != ':' && c != '.') {
                return false;
            }
        }
        return true;
    }
    for (const char c : strHost) {
        if (!IsHostChar(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

bool HasHttpScheme(const std::string& strUrl)
{
    static constexpr char kScheme[] = "http://";
    constexpr std::size_t kLength = sizeof(kScheme) - 1;
    if (strUrl.size() < kLength) {
        return false;
    }
    for (std::size_t i = 0; i < kLength; ++i) {
        if (std::tolower(static_cast<unsigned char>(strUrl[i])) != kScheme[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

bool ParseHttpUrl(const std::string& strUrl, HttpUrl& url)
{
    if (!HasHttpScheme(strUrl)) {
        return false;
    }
    const std::size_t nAuthorityStart = 7;
    std::size_t nAuthorityEnd = strUrl.find_first_of("/?#", nAuthorityStart);
    if (nAuthorityEnd == std::string::npos) {
        nAuthorityEnd = strUrl.size();
    }
    const std::string strAuthority =
        strUrl.substr(nAuthorityStart, nAuthorityEnd - nAuthorityStart);

    HttpUrl parsed;
    std::string strHost = strAuthority;
    const std::size_t nClose = strAuthority.rfind(']');
    const std::size_t nColon = strAuthority.rfind(':');
    if (nColon != std::string::npos && (nClose == std::string::npos || nColon > nClose)) {
        strHost = strAuthority.substr(0, nColon);
        const std::string strPort = strAuthority.substr(nColon + 1);
        if (!strPort.empty()) {
            int nPort = 0;
            const auto* pEnd = strPort.data() + strPort.size();
            const auto [ptr, ec] = std::from_chars(strPort.data(), pEnd, nPort);
            if (ec != std::errc() || ptr != pEnd || nPort < 1 || nPort > kMaxPort) {
                return false;
            }
            parsed.nPort = nPort;
        }
    }
    if (!IsValidHost(strHost)) {
        return false;
    }
    parsed.strHost = strHost;

    std::string strObject = strUrl.substr(nAuthorityEnd);
    if (strObject.empty() || strObject.front() != '/') {
        strObject.insert(strObject.begin(), '/');
    }
    parsed.strObject = strObject;
    url = parsed;
    return true;
}

std::string EncodeRequestObject(const std::string& strObject)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string strOut;
    strOut.reserve(strObject.size());
    for (const char ch : strObject) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F || c == '#') {
            strOut += '%';
            strOut += kHex[c >> 4];
            strOut += kHex[c & 0x0F];
        } else {
            strOut += ch;
        }
    }
    return strOut;
}

std::string FormatHttpUrl(const HttpUrl& url)
{
    return "http://" + url.strHost + ":" + std::to_string(url.nPort) +
           EncodeRequestObject(url.strObject);
}
