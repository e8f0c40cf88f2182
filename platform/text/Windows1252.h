// Conversion between Windows-1252 bytes and Unicode code points: the one table every text
// conversion of the program is built on. The five bytes Windows-1252 leaves undefined map to
// the C1 controls of the same value, so every byte survives a round trip.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

char32_t Windows1252ToCodePoint(unsigned char byte);
// The byte for a code point; false when Windows-1252 has none.
bool TryCodePointToWindows1252(char32_t codePoint, char& byte);
// The byte for a code point, or '?' when Windows-1252 has none.
char CodePointToWindows1252(char32_t codePoint);

// The program's 8-bit text as UTF-8, for the terminal and for interfaces that take UTF-8
// (the desktop keyring).
std::string Windows1252ToUtf8(std::string_view windows1252);
