#include "tools/tfport/TerminalText.h"

#include "platform/text/Windows1252.h"

namespace {
// The C1 controls, U+0080..U+009F; UTF-8 writes them as this lead byte and the low byte.
constexpr char32_t kC1First = 0x80;
constexpr char32_t kC1Last = 0x9F;
constexpr unsigned char kUtf8C1Lead = 0xC2;

void AppendEscape(std::string& out, unsigned char value)
{
    switch (value) {
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\t':
        out += "\\t";
        return;
    default:
        constexpr const char* kHexDigits = "0123456789abcdef";
        out += "\\x";
        out += kHexDigits[(value >> 4) & 0xF];
        out += kHexDigits[value & 0xF];
    }
}
} // namespace

bool IsControlByte(unsigned char byte)
{
    const char32_t codePoint = Windows1252ToCodePoint(byte);
    return codePoint < 0x20 || codePoint == 0x7F || (codePoint >= kC1First && codePoint <= kC1Last);
}

std::string EscapeControls(const std::string& windows1252, bool keepNewlines)
{
    std::string out;
    out.reserve(windows1252.size());
    for (char c : windows1252) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\n' && keepNewlines)
            out += '\n';
        else if (IsControlByte(byte))
            AppendEscape(out, byte);
        else
            out += c;
    }
    return out;
}

std::string EscapeLocaleControls(const std::string& localeText)
{
    std::string out;
    out.reserve(localeText.size());
    for (std::size_t i = 0; i < localeText.size(); ++i) {
        const auto byte = static_cast<unsigned char>(localeText[i]);
        const auto next =
            i + 1 < localeText.size() ? static_cast<unsigned char>(localeText[i + 1]) : 0u;
        if (byte == '\n')
            out += '\n';
        else if (byte < 0x20 || byte == 0x7F)
            AppendEscape(out, byte);
        else if (byte == kUtf8C1Lead && next >= kC1First && next <= kC1Last)
            AppendEscape(out, static_cast<unsigned char>(localeText[++i]));
        else
            out += static_cast<char>(byte);
    }
    return out;
}
