#include "platform/text/Numbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

namespace {
// The longest fixed-point text of a double: 309 integer digits, a sign, a point and the
// decimals we ever ask for (at most 30 here; more are clamped).
constexpr int kMaxDecimals = 30;
constexpr std::size_t kFixedBufferSize = 320 + kMaxDecimals;
} // namespace

std::string FormatFixed(double value, int decimals)
{
    if (decimals < 0)
        decimals = 0;
    if (decimals > kMaxDecimals)
        decimals = kMaxDecimals;
    if (std::isnan(value))
        return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    std::array<char, kFixedBufferSize> buffer{};
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                std::chars_format::fixed, decimals);
    if (result.ec != std::errc())
        return "0";
    return std::string(buffer.data(), result.ptr);
}

double ParseLeadingDouble(std::string_view text, std::size_t* consumed)
{
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\n' ||
                                 text[pos] == '\r' || text[pos] == '\f' || text[pos] == '\v'))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // The sign was taken above; from_chars would accept a second '-', the C library does not.
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        if (consumed)
            *consumed = 0;
        return 0;
    }
    double value = 0;
    const char* first = text.data() + pos;
    const char* last = text.data() + text.size();
    auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ptr == first) {
        if (consumed)
            *consumed = 0;
        return 0;
    }
    // Out of range: the C library gives +-HUGE_VAL for overflow and 0 for underflow.
    if (result.ec == std::errc::result_out_of_range) {
        bool tiny = false;
        for (const char* p = first; p < result.ptr; ++p) {
            if (*p == 'e' || *p == 'E') {
                tiny = p + 1 < result.ptr && p[1] == '-';
                break;
            }
        }
        value = tiny ? 0.0 : HUGE_VAL;
    }
    if (consumed)
        *consumed = static_cast<std::size_t>(result.ptr - text.data());
    return negative ? -value : value;
}

bool ParseWholeDouble(std::string_view text, double& out)
{
    std::size_t used = 0;
    double value = ParseLeadingDouble(text, &used);
    if (used == 0)
        return false;
    for (std::size_t i = used; i < text.size(); ++i) {
        if (text[i] != ' ' && text[i] != '\t')
            return false;
    }
    out = value;
    return true;
}
