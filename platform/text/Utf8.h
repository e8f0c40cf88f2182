// UTF-8 at the program's edges (the terminal, CSV and JSON files, the price history database)
// for texts that the program holds as Windows-1252 bytes, through the one table.
#pragma once

#include <string>
#include <string_view>

std::string Windows1252ToUtf8(std::string_view windows1252);

// Decodes UTF-8 into Windows-1252 bytes; a character that code page lacks becomes "?". False
// (and out unspecified) when the bytes are not well-formed UTF-8: overlong forms, surrogates,
// code points past U+10FFFF and cut sequences are refused.
bool Utf8ToWindows1252(std::string_view utf8, std::string& out);
