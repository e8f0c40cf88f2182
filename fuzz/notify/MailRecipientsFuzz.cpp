// Recipient lists and texts from outside (the portfolio file, a handheld's symbol): they
// must never add a header line or an SMTP command, and the body must travel whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "notify/MailMessage.h"
#include "notify/MailText.h"
#include "notify/SmtpConnection.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

class CHeaderProbe : public CSmtpConnection
{
  public:
    CHeaderProbe() : CSmtpConnection("127.0.0.1")
    {
        SetClock([] { return std::time_t(0); });
    }
    using CSmtpConnection::PrepareHeader;
};

// Splits at CR LF; any other CR or LF is a fault, and so is a NUL where bNulIsFault.
std::size_t CountLines(const std::string& text, bool bNulIsFault = true)
{
    std::size_t lines = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            Check(i + 1 < text.size() && text[i + 1] == '\n');
            ++lines;
            ++i;
        } else {
            Check(text[i] != '\n' && !(bNulIsFault && text[i] == '\0'));
        }
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);

    CMailMessage message;
    bool ok = message.AddMultipleRecipients(input);
    std::size_t pieces = 1;
    for (char c : input)
        pieces += c == ';' ? 1 : 0;
    Check(static_cast<std::size_t>(message.GetNumRecipients()) <= pieces);
    Check(ok == (static_cast<std::size_t>(message.GetNumRecipients()) == pieces));
    for (const CMailRecipient& recipient : message.m_aRecipients) {
        Check(recipient.m_sEmailAddress.find(';') == std::string::npos);
        Check(recipient.m_sEmailAddress.size() <= input.size());
        std::string command = "RCPT TO: <" + MailCommandSafe(recipient.m_sEmailAddress) + ">\r\n";
        Check(CountLines(command) == 1);
    }

    message.m_sFrom = input;
    message.m_sSubject = input;
    CHeaderProbe probe;
    if (message.GetNumRecipients() > 0) {
        Check(probe.PrepareHeader(message));
        // Date, From, To, Subject, X-Mailer and the empty line: nothing more.
        Check(CountLines(message.m_sHeader) == 6);
    }

    std::string stuffed = MailStuffBody(input);
    // The body may carry any other byte; only its line ends are the client's business.
    CountLines(stuffed + "\r\n", false);
    Check(("\r\n" + stuffed + "\r\n").find("\r\n.\r\n") == std::string::npos);
    return 0;
}
