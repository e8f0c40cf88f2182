// Text on its way to the terminal. Texts in a portfolio come from outside (the handheld, a
// file someone else wrote, a mail server's reply) and may hold control characters; printed
// raw, an ESC or a CR would drive the terminal instead of showing. Every text tfport prints
// passes through here, so a control character shows as an escape ("\x1b", "\r").
#pragma once

#include <string>

// UTF-8 with every C0 control, DEL and C1 control shown as an escape; keepNewlines leaves
// "\n" as it is (for messages of several lines).
std::string EscapeControls(const std::string& utf8, bool keepNewlines = false);

// A Windows-1252 text of the portfolio as UTF-8 for the terminal, controls escaped.
std::string TerminalText(const std::string& windows1252);
