// Locale-independent number text: the same bytes under every LANG, so files, grid cells,
// mails and parsed totals never change with the user's locale.
#pragma once

#include <string>
#include <string_view>

// Fixed-point with the given decimals, as "%.*f" prints in the C locale.
std::string FormatFixed(double value, int decimals);

// Like "%lf" in the C locale (six decimals).
inline std::string FormatDefault(double value)
{
    return FormatFixed(value, 6);
}

// The C library's text-to-double on the leading part of a text, in the C locale: leading
// blanks skipped, an optional sign, digits with one ".", an optional exponent; stops at the
// first other character (a "," included). 0 when nothing is a number. Sets *consumed to the
// characters used when given.
double ParseLeadingDouble(std::string_view text, std::size_t* consumed = nullptr);

// The whole text as a number (blanks around allowed); false when anything else is there.
bool ParseWholeDouble(std::string_view text, double& out);
