// Splits an absolute http:// URL into host, port and object (path and query), and makes the
// object safe to place in a request line.
#pragma once

#include <string>

// The port a URL without one names.
constexpr int kDefaultHttpPort = 80;

struct HttpUrl
{
    std::string strHost; // a name, a dotted address or a bracketed IPv6 address
    int nPort = kDefaultHttpPort;
    std::string strObject; // path and query, always starting with "/"
};

// Parses an absolute URL whose scheme is http (any case). Returns false for any other scheme,
// a relative URL, a host with characters no host name has, user information, or a bad port.
// Untrusted input: the URL may come from a server's Location header.
bool ParseHttpUrl(const std::string& strUrl, HttpUrl& url);

// Percent-encodes every byte of the object that would split or corrupt the request line
// (space, control characters, DEL, bytes above 127) and "#", which would otherwise be taken
// as the start of a fragment and never sent. Every other byte stays as it is.
std::string EncodeRequestObject(const std::string& strObject);

// "http://host:port/object" as libcurl is given it.
std::string FormatHttpUrl(const HttpUrl& url);
