// Text rules of the mail path: what may go into a header line or an SMTP command, how the
// body travels inside DATA, and the header's date form. Inputs are untrusted: a symbol
// from a handheld or a setting from the portfolio file can hold any byte.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

// A text for a header field: every CR, LF and NUL becomes a blank, so the field can never
// end early or start a new header line.
std::string MailHeaderSafe(std::string_view text);

// A text for an SMTP command argument: every CR, LF and NUL is dropped, so the argument
// can never end the command early or start a new one.
std::string MailCommandSafe(std::string_view text);

// The body as it travels inside DATA: every line end becomes CR LF (a lone CR or LF
// included, so no server can see the end of the data early), and every line that begins
// with "." gets one more "." in front, which the server takes away again.
std::string MailStuffBody(std::string_view body);

// The local time t as "Tue, 08 Dec 26 12:56:16 EST": the header's date form, with English
// day and month names whatever the locale.
std::string MailDateText(std::time_t t);
