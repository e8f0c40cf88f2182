#include "platform/text/Utf8.h"

#include "platform/text/Windows1252.h"

std::string Windows1252ToUtf8(std::string_view windows1252)
{
    std::string out;
    out.reserve(windows1252.size());
    for (unsigned char byte : windows1252) {
        const char32_t cp = Windows1252ToCodePoint(byte);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

bool Utf8ToWindows1252(std::string_view utf8, std::string& out)
{
    out.clear();
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        int nMore = 0;
        char32_t cp = 0;
        char32_t least = 0; // the smallest code point this length may carry
        if ((lead & 0xE0) == 0xC0) {
            nMore = 1;
            cp = lead & 0x1F;
            least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            nMore = 2;
            cp = lead & 0x0F;
            least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            nMore = 3;
            cp = lead & 0x07;
            least = 0x10000;
        } else {
            return false;
        }
        if (utf8.size() - i <= static_cast<std::size_t>(nMore))
            return false;
        for (int k = 1; k <= nMore; ++k) {
            const unsigned char next =
                static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        out += CodePointToWindows1252(cp);
        i += static_cast<std::size_t>(nMore) + 1;
    }
    return true;
}
