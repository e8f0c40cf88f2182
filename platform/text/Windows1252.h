// Conversion between Windows-1252 bytes and Unicode code points, used where the portfolio
// file carries UTF-16 texts. Unmappable code points become "?".
#pragma once

#include <cstdint>
#include <string>

char32_t Windows1252ToCodePoint(unsigned char byte);
// The byte for a code point, or '?' when Windows-1252 has none.
char CodePointToWindows1252(char32_t codePoint);
