// Turns the number texts of quote replies into doubles, the same way in every locale.
#pragma once

#include <string_view>

// The C library's text-to-double rule with a "." decimal point: leading white space skipped,
// optional sign, digits with optional fraction and exponent, stopping at the first character
// that cannot continue the number; 0 when there is none. Texts that would give infinity or
// not-a-number (overflow, "inf", "nan") give 0: no quote is ever one of those.
double ConvertLeadingDouble(std::string_view text);
// The same, telling whether the text starts with a number at all ("N/A" does not).
bool ReadLeadingDouble(std::string_view text, double& dValue);

// Reads prices written with thousands commas ("1,234.5") and common fractions ("12 3/4",
// "-3/8"). Texts with neither "," nor "/" are converted plainly.
double ParseQuoteNumber(std::string_view text);
// The same, telling whether a number was found: a whole part, or a fraction with a
// numerator and a non-zero denominator ("N/A" and "" are none).
bool ReadQuoteNumber(std::string_view text, double& dValue);
