// Text on its way to the terminal. Texts in a portfolio come from outside (the handheld, a
// file someone else wrote, a mail server's reply) and may hold control characters; printed
// raw, an ESC or a CR would drive the terminal instead of showing. Every text tfport prints
// passes through here, so a control character shows as an escape ("\x1b", "\r").
#pragma once

#include <string>

// True for a Windows-1252 byte that reaches the terminal as a control: C0, DEL, and the five
// bytes Windows-1252 leaves undefined, which become the C1 controls of the same value.
bool IsControlByte(unsigned char byte);

// A Windows-1252 text (as every text tfport prints is, before its output stream puts it into
// the locale's encoding) with every control shown as an escape; keepNewlines leaves "\n" as
// it is (for messages of several lines).
std::string EscapeControls(const std::string& windows1252, bool keepNewlines = false);

// A text already in the locale's encoding (a file name, a character that could not be
// converted): the ASCII controls, and C1 controls written as UTF-8, escaped; newlines kept.
std::string EscapeLocaleControls(const std::string& localeText);

// One value of the portfolio for the terminal: every control escaped, newlines too.
inline std::string TerminalText(const std::string& windows1252)
{
    return EscapeControls(windows1252);
}
