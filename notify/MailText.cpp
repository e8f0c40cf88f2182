#include "notify/MailText.h"

#include <array>

namespace {

constexpr std::array<const char*, 7> kDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool IsLineBreakOrNul(char c)
{
    return c == '\r' || c == '\n' || c == '\0';
}

void AppendTwoDigits(std::string& out, int value)
{
    value = ((value % 100) + 100) % 100;
    out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
}

} // namespace

std::string MailHeaderSafe(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (IsLineBreakOrNul(c))
            c = ' ';
    }
    return out;
}

std::string MailCommandSafe(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (!IsLineBreakOrNul(c))
            out += c;
    }
    return out;
}

namespace {

// Every line end becomes CR LF; with bStuffDots every line that begins with "." gets one
// more in front.
std::string CrLfLines(std::string_view body, bool bStuffDots)
{
    std::string out;
    out.reserve(body.size() + body.size() / 16 + 2);
    bool atLineStart = true;
    for (std::size_t i = 0; i < body.size(); ++i) {
        char c = body[i];
        if (c == '\r' || c == '\n') {
            // CR LF, a lone CR and a lone LF all end one line.
            if (c == '\r' && i + 1 < body.size() && body[i + 1] == '\n')
                ++i;
            out += "\r\n";
            atLineStart = true;
            continue;
        }
        if (bStuffDots && atLineStart && c == '.')
            out += '.';
        out += c;
        atLineStart = false;
    }
    return out;
}

} // namespace

std::string MailStuffBody(std::string_view body)
{
    return CrLfLines(body, true);
}

std::string MailCrLfLines(std::string_view body)
{
    return CrLfLines(body, false);
}

bool MailEndsWithCrLf(std::string_view body)
{
    return body.size() >= 2 && body.substr(body.size() - 2) == "\r\n";
}

std::string MailHeaderBlock(const CMailMessage& message, std::time_t t, std::string_view xMailer)
{
    std::string to;
    for (const CMailRecipient& recipient : message.m_aRecipients) {
        if (!to.empty())
            to += ',';
        to += recipient.m_sFriendlyName + "<" + recipient.m_sEmailAddress + ">";
    }
    return "Date: " + MailDateText(t) + "\r\n" + "From: " + MailHeaderSafe(message.m_sFrom) +
           "\r\n" + "To: " + MailHeaderSafe(to) + "\r\n" +
           "Subject: " + MailHeaderSafe(message.m_sSubject) + "\r\n" + "X-Mailer: <" +
           MailHeaderSafe(xMailer) + ">\r\n\r\n";
}

std::string MailDateText(std::time_t t)
{
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr)
        return {};
    std::string out;
    out += kDayNames[static_cast<std::size_t>(local.tm_wday % 7)];
    out += ", ";
    AppendTwoDigits(out, local.tm_mday);
    out += ' ';
    out += kMonthNames[static_cast<std::size_t>(local.tm_mon % 12)];
    out += ' ';
    AppendTwoDigits(out, local.tm_year + 1900);
    out += ' ';
    AppendTwoDigits(out, local.tm_hour);
    out += ':';
    AppendTwoDigits(out, local.tm_min);
    out += ':';
    AppendTwoDigits(out, local.tm_sec);
    out += ' ';
    if (local.tm_zone != nullptr)
        out += MailHeaderSafe(local.tm_zone);
    return out;
}

std::string MailPrintable(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7F)
            c = '?';
    }
    return out;
}
