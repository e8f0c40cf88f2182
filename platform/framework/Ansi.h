// The one crossing between the program's 8-bit texts (Windows-1252 bytes in std::string)
// and Qt's QString. Every text that reaches or leaves a widget passes through here.
#pragma once

#include <string>
#include <string_view>

#include <QString>

// Each byte as its Windows-1252 character; the five bytes that code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, so every byte
// survives a round trip.
QString AnsiToQString(std::string_view strAnsi);

// Each character as its Windows-1252 byte; a character the code page cannot hold becomes
// "?" (a pair of surrogates counts as one character).
std::string QStringToAnsi(const QString& str);
