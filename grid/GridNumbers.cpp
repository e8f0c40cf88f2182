#include "grid/GridNumbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

namespace {
// More decimals than a double carries only pad with zeros; beyond this they are cut.
constexpr int kMaxDecimals = 30;
// The longest fixed text of a double: 309 integer digits, a sign, a point, the decimals.
constexpr std::size_t kFixedBufferSize = 320 + kMaxDecimals;
// The C library's default precision for "%lf".
constexpr int kDefaultDecimals = 6;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}
} // namespace

namespace GridNumbers {

std::string FormatDecimals(double value, int decimals)
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

std::string FormatDefault(double value)
{
    return FormatDecimals(value, kDefaultDecimals);
}

double ParseLeading(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    bool bNegative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        bNegative = text[pos] == '-';
        ++pos;
    }
    // from_chars accepts no sign of its own here: the sign was taken above, so "--1" stays 0.
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        return 0;
    double value = 0;
    const char* pFirst = text.data() + pos;
    const char* pLast = text.data() + text.size();
    auto result = std::from_chars(pFirst, pLast, value, std::chars_format::general);
    if (result.ptr == pFirst)
        return 0;
    if (result.ec == std::errc::result_out_of_range) {
        // The C library gives +-HUGE_VAL on overflow and 0 on underflow.
        bool bTiny = false;
        for (const char* p = pFirst; p < result.ptr; ++p) {
            if (*p == 'e' || *p == 'E') {
                bTiny = p + 1 < result.ptr && p[1] == '-';
                break;
            }
        }
        value = bTiny ? 0.0 : HUGE_VAL;
    }
    return bNegative ? -value : value;
}

} // namespace GridNumbers
