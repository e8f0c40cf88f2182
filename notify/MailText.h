// Text rules of the mail path: what may go into a header line or an SMTP command, how the
// body travels inside DATA, and the header's date form. Inputs are untrusted: a symbol
// from a handheld or a setting from the portfolio file can hold any byte.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "notify/MailMessage.h"

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

// The body with every line end made CR LF, a lone CR or LF included, and nothing else
// changed: for a transport that doubles the leading dots itself.
std::string MailCrLfLines(std::string_view body);

// The header block of the message: Date (from t), From, To (every recipient as name and
// address in angle brackets), Subject and X-Mailer, each field made header-safe, closed by
// the empty line that separates it from the body.
std::string MailHeaderBlock(const CMailMessage& message, std::time_t t, std::string_view xMailer);

// True when the body's last two characters are CR LF.
bool MailEndsWithCrLf(std::string_view body);

// The local time t as "Tue, 08 Dec 26 12:56:16 EST": the header's date form, with English
// day and month names whatever the locale.
std::string MailDateText(std::time_t t);

// A text from the server made fit for a terminal or a message box: every control byte and
// every byte outside ASCII becomes "?", so nothing in it is obeyed as a command.
std::string MailPrintable(std::string_view text);
