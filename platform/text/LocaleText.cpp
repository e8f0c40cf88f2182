#include "platform/text/LocaleText.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iconv.h>
#include <langinfo.h>

#include "platform/text/Windows1252.h"

namespace {
bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 character at text[pos] (setting cp), or 0. Overlong forms,
// surrogates and code points past U+10FFFF are not valid.
std::size_t DecodeUtf8(std::string_view text, std::size_t pos, char32_t& cp)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80) {
        cp = lead;
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (pos + length > text.size() || at(1) < low || at(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!IsContinuation(at(i)))
            return 0;
    cp = lead & (0xFF >> (length + 1));
    for (std::size_t i = 1; i < length; ++i)
        cp = (cp << 6) | (at(i) & 0x3F);
    return length;
}

// iconv_open reports a failure as the handle (iconv_t)-1.
bool IconvFailed(iconv_t cd)
{
    return reinterpret_cast<std::intptr_t>(cd) == -1;
}

std::size_t LineAt(std::string_view text, std::size_t offset)
{
    return 1 + static_cast<std::size_t>(
                   std::count(text.begin(), text.begin() + static_cast<long>(offset), '\n'));
}

// Converts with iconv; false with the input offset where it stopped.
bool Iconv(const std::string& to, const std::string& from, std::string_view in, std::string& out,
           std::size_t& stoppedAt)
{
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (IconvFailed(cd)) {
        stoppedAt = 0;
        return false;
    }
    out.clear();
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    std::string buffer(in.size() * 4 + 16, '\0');
    bool ok = true;
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        std::size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), buffer.size() - outLeft);
        if (done != static_cast<std::size_t>(-1))
            break;
        if (errno != E2BIG) {
            ok = false;
            break;
        }
    }
    iconv_close(cd);
    stoppedAt = in.size() - inLeft;
    return ok;
}

// Plain ASCII names: the C library's name for it, and the usual spellings.
bool IsAsciiCodeset(const std::string& normalized)
{
    return normalized == "ANSIX3.41968" || normalized == "ASCII" || normalized == "USASCII" ||
           normalized.empty();
}

std::string Normalized(const std::string& codeset)
{
    std::string out;
    for (char c : codeset)
        if (c != '-' && c != '_')
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// The codeset part of a locale name: "de_DE.ISO-8859-1@euro" -> "ISO-8859-1".
std::string CodesetOfName(const std::string& name)
{
    std::size_t dot = name.find('.');
    if (dot == std::string::npos)
        return {};
    return name.substr(dot + 1, name.find('@', dot) - dot - 1);
}
} // namespace

STextConversion Utf8ToWindows1252(std::string_view utf8)
{
    STextConversion result;
    result.text.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8(utf8, pos, cp);
        char byte = 0;
        if (length == 0 || !TryCodePointToWindows1252(cp, byte)) {
            result.bOk = false;
            result.text.clear();
            result.badCodePoint = length == 0 ? 0 : cp;
            result.badCharacter = std::string(utf8.substr(pos, length == 0 ? 1 : length));
            result.badLine = LineAt(utf8, pos);
            return result;
        }
        result.text += byte;
        pos += length;
    }
    return result;
}

std::string CodePointName(char32_t codePoint)
{
    char name[16];
    if (std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(codePoint)) < 0)
        return "U+?";
    return name;
}

CLocaleText CLocaleText::FromEnvironment()
{
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = current ? current : "C";
    std::string codeset;
    if (std::setlocale(LC_CTYPE, "")) {
        codeset = nl_langinfo(CODESET);
    } else {
        // A locale that is named but not installed: its name still says its encoding.
        for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
            const char* value = std::getenv(variable);
            if (value && *value) {
                codeset = CodesetOfName(value);
                break;
            }
        }
    }
    // Back to what it was; the name came from setlocale itself, so it is valid.
    (void)std::setlocale(LC_CTYPE, saved.c_str());
    return CLocaleText(codeset);
}

CLocaleText::CLocaleText(const std::string& codeset) : m_codeset(codeset)
{
    const std::string normalized = Normalized(codeset);
    m_bUtf8 = normalized == "UTF8" || IsAsciiCodeset(normalized);
    if (!m_bUtf8) {
        iconv_t cd = iconv_open(codeset.c_str(), "UTF-8");
        if (IconvFailed(cd))
            m_bUtf8 = true; // an encoding the C library does not know: UTF-8 is the best guess
        else
            iconv_close(cd);
    }
    for (std::size_t byte = 0; byte < m_encoded.size(); ++byte) {
        const std::string utf8 = Windows1252ToUtf8(std::string(1, static_cast<char>(byte)));
        std::string& encoded = m_encoded[byte];
        std::size_t stoppedAt = 0;
        if (m_bUtf8)
            encoded = utf8;
        else if (!Iconv(m_codeset, "UTF-8", utf8, encoded, stoppedAt) || encoded.empty())
            encoded = "?";
    }
}

STextConversion CLocaleText::ToWindows1252(std::string_view localeText) const
{
    if (m_bUtf8)
        return Utf8ToWindows1252(localeText);
    std::string utf8;
    std::size_t stoppedAt = 0;
    if (!Iconv("UTF-8", m_codeset, localeText, utf8, stoppedAt)) {
        STextConversion result;
        result.bOk = false;
        result.badCharacter = std::string(localeText.substr(stoppedAt, 1));
        result.badLine = LineAt(localeText, stoppedAt);
        return result;
    }
    STextConversion result = Utf8ToWindows1252(utf8);
    if (!result.bOk) {
        // Quote the character back in the encoding it was given in.
        std::string given;
        if (Iconv(m_codeset, "UTF-8", result.badCharacter, given, stoppedAt))
            result.badCharacter = given;
    }
    return result;
}

std::string CLocaleText::FromWindows1252(std::string_view text) const
{
    std::string out;
    out.reserve(text.size());
    for (unsigned char byte : text)
        out += m_encoded[byte];
    return out;
}

CLocaleStreamBuf::int_type CLocaleStreamBuf::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize CLocaleStreamBuf::xsputn(const char* s, std::streamsize n)
{
    std::string converted =
        m_locale.FromWindows1252(std::string_view(s, static_cast<std::size_t>(n)));
    const auto size = static_cast<std::streamsize>(converted.size());
    return m_pTarget->sputn(converted.data(), size) == size ? n : 0;
}

int CLocaleStreamBuf::sync()
{
    return m_pTarget->pubsync();
}
