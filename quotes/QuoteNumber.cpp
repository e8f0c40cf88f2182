#include "quotes/QuoteNumber.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

enum class TokenState { None, Started, AfterSpace };

bool IsAllSpace(const std::string& str)
{
    for (const char c : str) {
        if (!IsCSpace(c)) {
            return false;
        }
    }
    return true;
}

} // namespace

double ConvertLeadingDouble(std::string_view text)
{
    double dValue = 0.0;
    return ReadLeadingDouble(text, dValue) ? dValue : 0.0;
}

bool ReadLeadingDouble(std::string_view text, double& dValue)
{
    dValue = 0.0;
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) {
        ++i;
    }
    bool bNegative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        bNegative = text[i] == '-';
        ++i;
    }
    // from_chars would also take "inf", "nan" and hex forms; a quote starts with a digit or
    // a decimal point followed by a digit.
    if (i >= text.size()) {
        return false;
    }
    const bool bDigitFirst = IsDigit(text[i]);
    const bool bPointFirst = text[i] == '.' && i + 1 < text.size() && IsDigit(text[i + 1]);
    if (!bDigitFirst && !bPointFirst) {
        return false;
    }
    double dRead = 0.0;
    const auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + text.size(), dRead,
                                           std::chars_format::general);
    (void)ptr;
    if (ec != std::errc() || !std::isfinite(dRead)) {
        return false;
    }
    dValue = bNegative ? -dRead : dRead;
    return true;
}

double ParseQuoteNumber(std::string_view text)
{
    double dValue = 0.0;
    return ReadQuoteNumber(text, dValue) ? dValue : 0.0;
}

bool ReadQuoteNumber(std::string_view text, double& dValue)
{
    dValue = 0.0;
    if (text.empty()) {
        return false;
    }
    if (text.find('/') == std::string_view::npos && text.find(',') == std::string_view::npos) {
        return ReadLeadingDouble(text, dValue);
    }
    double dSign = 1.0;
    std::size_t i = 0;
    if (text[0] == '-') {
        dSign = -1.0;
        ++i;
    } else if (text[0] == '+') {
        ++i;
    }

    std::string strToken;
    std::string strWhole;
    std::string strNumerator;
    std::string strDenominator;
    TokenState state = TokenState::None;
    bool bSlash = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ',') {
            continue;
        }
        if (c == ' ') {
            if (state == TokenState::Started) {
                strWhole = strToken;
                strToken.clear();
                state = TokenState::AfterSpace;
            }
            continue;
        }
        if (c == '/' && !bSlash) {
            strNumerator = strToken;
            strToken.clear();
            bSlash = true;
            continue;
        }
        strToken += c;
        if (state == TokenState::None) {
            state = TokenState::Started;
        }
    }
    if (bSlash) {
        strDenominator = strToken;
    } else if (!IsAllSpace(strToken) || strWhole.empty()) {
        // A trailing space followed by nothing but the line's end must not wipe out the
        // number before it ("1,234.50 \n").
        strWhole = strToken;
    }

    double dWhole = 0.0;
    const bool bWhole = ReadLeadingDouble(strWhole, dWhole);
    double dNumerator = 0.0;
    const bool bNumerator = ReadLeadingDouble(strNumerator, dNumerator);
    const double dDenominator = ConvertLeadingDouble(strDenominator);
    if (dDenominator == 0.0) {
        dValue = dSign * dWhole;
        return bWhole;
    }
    const double dResult = dSign * (dWhole + dNumerator / dDenominator);
    // "1e300/1e-300" overflows; no price is infinite.
    if (!std::isfinite(dResult)) {
        return false;
    }
    dValue = dResult;
    return bWhole || bNumerator;
}
