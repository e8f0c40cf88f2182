#include "notify/SmtpTranscript.h"

#include <algorithm>
#include <cctype>

#include "notify/MailText.h"

namespace {

// A partial line that grows past this is no SMTP line; it is judged as it stands.
constexpr std::size_t kMaxPartial = std::size_t{64} * 1024;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view WithoutLineEnd(std::string_view line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return line;
}

std::string UpperWord(std::string_view line)
{
    std::string word;
    for (char c : line) {
        if (c == ' ' || c == ':')
            break;
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return word;
}

// Feeds every whole line of text (and what is left of an earlier call) to onLine.
template <class F> void SplitLines(std::string& partial, std::string_view text, F&& onLine)
{
    partial.append(text);
    std::size_t start = 0;
    for (;;) {
        std::size_t end = partial.find('\n', start);
        if (end == std::string::npos)
            break;
        onLine(std::string_view(partial).substr(start, end + 1 - start));
        start = end + 1;
    }
    partial.erase(0, start);
    if (partial.size() > kMaxPartial) {
        onLine(std::string_view(partial));
        partial.clear();
    }
}

} // namespace

void CSmtpTranscript::OnSent(std::string_view text)
{
    SplitLines(m_sSentPartial, text, [this](std::string_view line) { Command(line); });
}

void CSmtpTranscript::OnReceived(std::string_view text)
{
    SplitLines(m_sReceivedPartial, text, [this](std::string_view line) { Reply(line); });
}

void CSmtpTranscript::OnNote(std::string_view text)
{
    // libcurl's notes never carry what was sent, so they are safe to keep.
    if (m_pTrace != nullptr)
        Trace("* ", WithoutLineEnd(text));
}

void CSmtpTranscript::Command(std::string_view line)
{
    line = WithoutLineEnd(line);
    const std::string verb = UpperWord(line);
    const bool bAuth = !m_bInLogin && verb == "AUTH";
    if (m_bInLogin) {
        // An answer to the server's login challenge: a secret, never written anywhere.
        Trace("C: ", "(login data)");
    } else if (bAuth) {
        // "AUTH PLAIN <secret>": the mechanism may be shown, the rest may not.
        std::size_t mechanismEnd = line.find(' ', 5);
        Trace("C: ", mechanismEnd == std::string_view::npos
                         ? line
                         : std::string(line.substr(0, mechanismEnd)) + " (login data)");
    } else {
        Trace("C: ", line);
    }
    // What went before QUIT is what the conversation came to; the goodbye is not judged.
    if (m_bQuitting || m_bInLogin)
        return;
    if (bAuth) {
        m_step = Step::kAuth;
        m_bInLogin = true;
    } else if (verb == "EHLO" || verb == "HELO") {
        m_step = Step::kEhlo;
    } else if (verb == "STARTTLS") {
        m_step = Step::kStartTls;
    } else if (verb == "MAIL") {
        m_step = Step::kMail;
    } else if (verb == "RCPT") {
        m_step = Step::kRcpt;
    } else if (verb == "DATA") {
        m_step = Step::kData;
    } else if (verb == "QUIT") {
        m_bQuitting = true;
        return;
    } else {
        m_step = Step::kOther;
    }
    m_nLastCode = 0;
    m_bReplyStarted = false;
}

void CSmtpTranscript::Reply(std::string_view line)
{
    line = WithoutLineEnd(line);
    Trace("S: ", line);
    if (m_bQuitting)
        return;
    if (!m_bReplyStarted) {
        m_sLastReply = std::string(line.substr(0, kMaxKeptLine));
        m_bReplyStarted = true;
    }
    bool hasCode = line.size() >= 3 && IsDigit(line[0]) && IsDigit(line[1]) && IsDigit(line[2]);
    bool isLast = line.size() == 3 || (line.size() > 3 && line[3] != '-');
    if (!isLast)
        return;
    // The reply is whole: it belongs to the step it answers.
    int code = hasCode ? (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0') : 0;
    m_nLastCode = code;
    m_bReplyStarted = false;
    switch (m_step) {
    case Step::kGreeting:
        m_bSawGreeting = true;
        break;
    case Step::kRcpt:
        (code / 100 == 2 ? m_nRcptTaken : m_nRcptRefused)++;
        break;
    case Step::kAuth:
        // 334 asks for more login data; any other code ends the exchange.
        m_bInLogin = code == 334;
        break;
    case Step::kData:
        // The message goes out after a 354; the next reply is the server's verdict on it.
        if (code == 354) {
            m_step = Step::kMessage;
            m_nLastCode = 0;
        }
        break;
    case Step::kMessage:
        m_sMessageReply = m_sLastReply;
        break;
    default:
        break;
    }
}

void CSmtpTranscript::Trace(const char* pszPrefix, std::string_view line)
{
    if (m_pTrace == nullptr)
        return;
    // Control bytes from the server are shown, not obeyed, by whoever reads the trace.
    *m_pTrace << pszPrefix << MailPrintable(line.substr(0, kMaxKeptLine));
    *m_pTrace << '\n';
}
