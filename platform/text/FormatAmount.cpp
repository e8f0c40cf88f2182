#include "platform/text/FormatAmount.h"

#include "platform/text/Numbers.h"

std::string InsertThousandsSeparators(const std::string& text)
{
    std::size_t point = text.find('.');
    std::string integerPart = text.substr(0, point);
    std::string rest = point == std::string::npos ? std::string() : text.substr(point);

    std::size_t firstDigit = (!integerPart.empty() && integerPart[0] == '-') ? 1 : 0;
    std::size_t digits = integerPart.size() - firstDigit;
    if (digits <= 3)
        return text;

    std::string out = integerPart.substr(0, firstDigit);
    out.reserve(text.size() + digits / 3);
    for (std::size_t i = 0; i < digits; ++i) {
        if (i > 0 && (digits - i) % 3 == 0)
            out += ',';
        out += integerPart[firstDigit + i];
    }
    return out + rest;
}

std::string FormatAmount(double value, int decimals)
{
    return InsertThousandsSeparators(FormatFixed(value, decimals));
}
