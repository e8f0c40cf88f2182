// Conversion between Windows-1252 bytes and Unicode code points, used where the portfolio
// file carries UTF-16 texts. Unmappable code points become "?".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

char32_t Windows1252ToCodePoint(unsigned char byte);
// The byte for a code point, or '?' when Windows-1252 has none.
char CodePointToWindows1252(char32_t codePoint);

// The program's 8-bit text as UTF-8, for the terminal and for interfaces that take UTF-8
// (the desktop keyring).
std::string Windows1252ToUtf8(std::string_view windows1252);
