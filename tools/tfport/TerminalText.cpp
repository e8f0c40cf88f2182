#include "tools/tfport/TerminalText.h"

#include "tools/tfport/ExportFormats.h"

namespace {
// UTF-8 encodes the C1 controls U+0080..U+009F as this lead byte and a second byte in
// 0x80..0x9F.
constexpr unsigned char kC1Lead = 0xC2;
constexpr unsigned char kC1Last = 0x9F;

void AppendEscape(std::string& out, unsigned value)
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

std::string EscapeControls(const std::string& utf8, bool keepNewlines)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c == '\n' && keepNewlines) {
            out += '\n';
        } else if (c < 0x20 || c == 0x7F) {
            AppendEscape(out, c);
        } else if (c == kC1Lead && i + 1 < utf8.size() &&
                   static_cast<unsigned char>(utf8[i + 1]) <= kC1Last &&
                   static_cast<unsigned char>(utf8[i + 1]) >= 0x80) {
            AppendEscape(out, static_cast<unsigned char>(utf8[++i]));
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string TerminalText(const std::string& windows1252)
{
    return EscapeControls(ToUtf8(windows1252));
}
