// Text between the model's Windows-1252 bytes and the outside world's encodings: UTF-8, and
// the encoding of the user's locale (what a terminal types and shows). The one conversion of
// the Qt-free side, built on the Windows-1252 table.
#pragma once

#include <array>
#include <cstddef>
#include <streambuf>
#include <string>
#include <string_view>

#include "platform/text/Windows1252.h"

struct STextConversion
{
    bool bOk = true;
    std::string text; // the Windows-1252 text, when bOk
    // The first character that could not be taken in: its code point (0 when the bytes are
    // not valid text in the encoding at all), its bytes as they were given, and the line
    // (1 for the first) it stands on.
    char32_t badCodePoint = 0;
    std::string badCharacter;
    std::size_t badLine = 0;
};

// UTF-8 (untrusted: any bytes) to Windows-1252; refused at the first character that is not
// valid UTF-8 or has no Windows-1252 form.
// (The way back, Windows1252ToUtf8, stands beside the table.)
STextConversion Utf8ToWindows1252(std::string_view utf8);

// "U+00E9"
std::string CodePointName(char32_t codePoint);

// The conversions for one locale encoding. UTF-8 is converted here; other encodings go
// through the C library's iconv. The C and POSIX locales (plain ASCII) are read as UTF-8,
// which is what a terminal without a locale most likely sends.
class CLocaleText
{
  public:
    // The encoding of the user's locale (LC_ALL, LC_CTYPE, LANG), looked up without leaving
    // the program's own locale changed.
    static CLocaleText FromEnvironment();
    explicit CLocaleText(const std::string& codeset);

    const std::string& Codeset() const { return m_codeset; }
    bool IsUtf8() const { return m_bUtf8; }

    STextConversion ToWindows1252(std::string_view localeText) const;
    // Every character the locale cannot show becomes "?".
    std::string FromWindows1252(std::string_view text) const;

  private:
    std::string m_codeset;
    bool m_bUtf8 = true;
    // Each Windows-1252 byte as the locale writes it.
    std::array<std::string, 256> m_encoded;
};

// Passes Windows-1252 text on to another stream buffer in a locale's encoding: installed in
// front of standard output and error, so that every text a program prints is converted.
class CLocaleStreamBuf : public std::streambuf
{
  public:
    // Neither is owned; both must outlive this buffer.
    CLocaleStreamBuf(std::streambuf* target, const CLocaleText& locale)
        : m_pTarget(target), m_locale(locale)
    {
    }

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

  private:
    std::streambuf* m_pTarget;
    const CLocaleText& m_locale;
};
