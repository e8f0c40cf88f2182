// The SMTP server setting as the user writes it: "host", "host:port" or "[v6-address]:port".
// The text is untrusted (it comes from the portfolio file, a handheld or a command line).
#pragma once

#include <string>
#include <string_view>

struct CSmtpServerAddress
{
    // A name or an address, without the brackets of an IPv6 address.
    std::string m_sHost;
    unsigned m_nPort = 25;
    // False when the text named no port (25 then).
    bool m_bPortNamed = false;
};

// Splits the setting. A text without a port (a name, or an IPv6 address with or without
// brackets) is port 25 and its host is taken as written. False, with the reason in
// strReason, when the text cannot be read: a port that is not a number from 1 to 65535, a
// bracket left open, or an empty host before a port.
bool ParseSmtpServer(std::string_view text, CSmtpServerAddress& address, std::string& strReason);

// "HOST:PORT", an IPv6 address in brackets: how a server is named to the keyring and the
// user.
std::string SmtpServerKey(const CSmtpServerAddress& address);

// True when the host is a plain DNS name, a dotted IPv4 address or an IPv6 address, and so
// can go into a URL unchanged (no "/", "@", "?", blanks or anything else of a URL's own).
bool IsPlainHostName(std::string_view host);
