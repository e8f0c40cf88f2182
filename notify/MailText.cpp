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

std::string MailStuffBody(std::string_view body)
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
        if (atLineStart && c == '.')
            out += '.';
        out += c;
        atLineStart = false;
    }
    return out;
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
