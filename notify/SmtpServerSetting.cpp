#include "notify/SmtpServerSetting.h"

#include <algorithm>

namespace {

// Highest TCP port; five digits at most, so the number never overflows while it is read.
constexpr unsigned kMaxPort = 65535;
constexpr std::size_t kMaxPortDigits = 5;
// A DNS name is at most 253 characters; anything longer is no server's name.
constexpr std::size_t kMaxHostLength = 253;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsNameChar(char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '.' ||
           c == '_';
}

bool IsIpv6Text(std::string_view host)
{
    return host.find(':') != std::string_view::npos &&
           std::all_of(host.begin(), host.end(),
                       [](char c) { return IsHexDigit(c) || c == ':' || c == '.'; });
}

bool ReadPort(std::string_view text, unsigned& port, std::string& strReason)
{
    if (text.empty() || text.size() > kMaxPortDigits ||
        !std::all_of(text.begin(), text.end(), IsDigit)) {
        strReason = "the port \"" + std::string(text) + "\" is not a number from 1 to 65535";
        return false;
    }
    unsigned value = 0;
    for (char c : text)
        value = value * 10 + static_cast<unsigned>(c - '0');
    if (value == 0 || value > kMaxPort) {
        strReason = "the port " + std::string(text) + " is not a number from 1 to 65535";
        return false;
    }
    port = value;
    return true;
}

} // namespace

bool ParseSmtpServer(std::string_view text, CSmtpServerAddress& address, std::string& strReason)
{
    CSmtpServerAddress result;
    std::string_view portText;
    bool portNamed = false;

    if (!text.empty() && text.front() == '[') {
        std::size_t close = text.find(']');
        if (close == std::string_view::npos) {
            strReason = "the \"[\" before the address is never closed";
            return false;
        }
        result.m_sHost = std::string(text.substr(1, close - 1));
        std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                strReason = "only \":PORT\" may follow the address in brackets";
                return false;
            }
            portText = rest.substr(1);
            portNamed = true;
        }
        if (result.m_sHost.empty()) {
            strReason = "the brackets hold no address";
            return false;
        }
    } else {
        std::size_t first = text.find(':');
        if (first != std::string_view::npos &&
            text.find(':', first + 1) == std::string_view::npos) {
            result.m_sHost = std::string(text.substr(0, first));
            portText = text.substr(first + 1);
            portNamed = true;
            if (result.m_sHost.empty()) {
                strReason = "no server name before the port";
                return false;
            }
        } else {
            // No colon: a name. Several: an IPv6 address without brackets, so no port.
            result.m_sHost = std::string(text);
        }
    }

    if (portNamed && !ReadPort(portText, result.m_nPort, strReason))
        return false;
    result.m_bPortNamed = portNamed;
    address = std::move(result);
    return true;
}

std::string SmtpServerKey(const CSmtpServerAddress& address)
{
    const std::string port = std::to_string(address.m_nPort);
    if (address.m_sHost.find(':') != std::string::npos)
        return "[" + address.m_sHost + "]:" + port;
    return address.m_sHost + ":" + port;
}

bool IsPlainHostName(std::string_view host)
{
    if (host.empty() || host.size() > kMaxHostLength)
        return false;
    if (IsIpv6Text(host))
        return true;
    return host.front() != '-' && host.front() != '.' &&
           std::all_of(host.begin(), host.end(), IsNameChar);
}
