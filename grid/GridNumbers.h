// Number text for grid cells, the same bytes in every locale: what "%lf" and "%1.<n>lf" print
// and what the C library's string-to-double reads, without touching the process locale.
#pragma once

#include <string>
#include <string_view>

namespace GridNumbers {

// "%lf": six decimals.
std::string FormatDefault(double value);

// "%1.<decimals>lf": fixed-point at that many decimals (clamped to a sane range).
std::string FormatDecimals(double value, int decimals);

// The leading number of a text as the C library's string-to-double reads it: blanks skipped,
// optional sign, digits with one point and an optional exponent (also "inf" and "nan"); stops
// at the first character that cannot continue the number, so "1,234.50" reads as 1. Gives 0
// when the text does not start with a number.
double ParseLeading(std::string_view text);

} // namespace GridNumbers
