#include "tools/tfquoted/upstream/UpstreamTemplate.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

constexpr std::string_view kRedacted = "{key}";

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

void ReplaceAll(std::string& strText, std::string_view from, std::string_view to)
{
    if (from.empty()) {
        return;
    }
    std::size_t nAt = 0;
    while ((nAt = strText.find(from, nAt)) != std::string::npos) {
        strText.replace(nAt, from.size(), to);
        nAt += to.size();
    }
}

} // namespace

std::string PercentEncode(std::string_view text)
{
    static constexpr std::array<char, 16> kHex = {'0', '1', '2', '3', '4', '5', '6', '7',
                                                  '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};
    std::string strOut;
    strOut.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsUnreserved(c)) {
            strOut += ch;
        } else {
            strOut += '%';
            strOut += kHex[c >> 4];
            strOut += kHex[c & 0x0F];
        }
    }
    return strOut;
}

std::string CheckTemplate(const std::string& strTemplate,
                          std::initializer_list<std::string_view> allowed)
{
    std::size_t nAt = 0;
    while ((nAt = strTemplate.find_first_of("{}", nAt)) != std::string::npos) {
        if (strTemplate[nAt] == '}') {
            return "has a \"}\" without its \"{\"";
        }
        const std::size_t nClose = strTemplate.find_first_of("{}", nAt + 1);
        if (nClose == std::string::npos || strTemplate[nClose] != '}') {
            return "has a \"{\" without its \"}\"";
        }
        const std::string_view name(strTemplate.data() + nAt + 1, nClose - nAt - 1);
        if (std::find(allowed.begin(), allowed.end(), name) == allowed.end()) {
            return "has an unknown placeholder {" + std::string(name) + "}";
        }
        nAt = nClose + 1;
    }
    return {};
}

bool HasPlaceholder(const std::string& strTemplate, std::string_view name)
{
    return strTemplate.find("{" + std::string(name) + "}") != std::string::npos;
}

std::string ExpandTemplate(const std::string& strTemplate,
                           const std::vector<std::pair<std::string_view, std::string>>& values)
{
    // One pass from left to right, so a value that itself holds "{key}" is never expanded.
    std::string strOut;
    std::size_t nAt = 0;
    while (nAt < strTemplate.size()) {
        const std::size_t nOpen = strTemplate.find('{', nAt);
        if (nOpen == std::string::npos) {
            break;
        }
        const std::size_t nClose = strTemplate.find('}', nOpen + 1);
        if (nClose == std::string::npos) {
            break;
        }
        strOut.append(strTemplate, nAt, nOpen - nAt);
        const std::string_view name(strTemplate.data() + nOpen + 1, nClose - nOpen - 1);
        const auto it = std::find_if(values.begin(), values.end(),
                                     [&](const auto& value) { return value.first == name; });
        if (it != values.end()) {
            strOut += it->second;
        } else {
            strOut.append(strTemplate, nOpen, nClose - nOpen + 1);
        }
        nAt = nClose + 1;
    }
    strOut.append(strTemplate, std::min(nAt, strTemplate.size()), std::string::npos);
    return strOut;
}

bool StartsWithNoCase(std::string_view text, std::string_view lowerPrefix)
{
    if (text.size() < lowerPrefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != lowerPrefix[i]) {
            return false;
        }
    }
    return true;
}

std::string RedactSecret(std::string strText, const std::string& strSecret)
{
    if (strSecret.empty()) {
        return strText;
    }
    ReplaceAll(strText, strSecret, kRedacted);
    ReplaceAll(strText, PercentEncode(strSecret), kRedacted);
    return strText;
}
