// Templates with {name} placeholders (the upstream URL, the market templates), the
// percent-encoding of what goes into a URL, and the one place a secret is cut out of a text.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Every byte but the unreserved ones (A-Z a-z 0-9 - . _ ~) as %XX.
std::string PercentEncode(std::string_view text);

// Checks that every "{...}" in the template is one of the names allowed. Returns an empty
// text when it is, otherwise what is wrong ("has an unknown placeholder {sym}").
std::string CheckTemplate(const std::string& strTemplate,
                          std::initializer_list<std::string_view> allowed);

bool HasPlaceholder(const std::string& strTemplate, std::string_view name);

// Replaces each "{name}" given by its value; placeholders not given stay as they are.
std::string ExpandTemplate(const std::string& strTemplate,
                           const std::vector<std::pair<std::string_view, std::string>>& values);

// True when the text starts with the prefix, letters compared without case; the prefix is
// written in lower case.
bool StartsWithNoCase(std::string_view text, std::string_view lowerPrefix);

// The text with every occurrence of the secret, as given and percent-encoded, replaced by
// "{key}". An empty secret changes nothing.
std::string RedactSecret(std::string strText, const std::string& strSecret);
