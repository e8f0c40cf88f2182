// FormatAmount: a number as the window, the grid and the alerts show it: fixed decimals,
// with a "," between every group of three integer digits.
#pragma once

#include <string>

// Prints value with the given decimals (>= 0) and inserts the separators. The result can
// be as long as a double prints (over 300 characters for 1e308) plus its commas.
std::string FormatAmount(double value, int decimals);

// Inserts the separators into a text that already holds a number (the negative-count form).
std::string InsertThousandsSeparators(const std::string& text);
