// tfquoted --upstream FILE --check SYMBOL [--country C]: one fetch through the gateway for the
// path Tallyfern would ask for the symbol, with what came back (or why nothing did) printed.
// The way a user tests a configuration and its key.
#pragma once

#include <ostream>
#include <string>

class CQuoteGateway;

// Prints the service's symbol, the price, the change and the time taken to out, or the
// reason to err. Returns the exit status: 0 with a quote, 1 without.
int RunUpstreamCheck(CQuoteGateway& gateway, const std::string& strSymbol,
                     const std::string& strCountry, std::ostream& out, std::ostream& err);
