#include "platform/framework/Ansi.h"

#include <gtest/gtest.h>
#include <string>

#include "platform/text/Windows1252.h"

TEST(Ansi, EveryByteSurvivesTheRoundTrip)
{
    std::string all;
    for (int i = 1; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    const QString text = AnsiToQString(all);
    ASSERT_EQ(text.size(), 255);
    EXPECT_EQ(QStringToAnsi(text), all);
}

TEST(Ansi, UsesTheWindows1252Characters)
{
    EXPECT_EQ(AnsiToQString("\x80 \x99 \xE9"), QString::fromUtf8("€ ™ é"));
    EXPECT_EQ(QStringToAnsi(QString::fromUtf8("€5 “q” ñ")), "\x80"
                                                            "5 \x93q\x94 \xF1");
}

TEST(Ansi, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    // A CJK character, a character outside the BMP (a surrogate pair) and a C1 control
    // that the code page reuses for a printable character.
    EXPECT_EQ(QStringToAnsi(QString::fromUtf8("a中b😀c")), "a?b?c");
    EXPECT_EQ(QStringToAnsi(QString(QChar(0x80))), "?");
}

TEST(Ansi, AgreesWithTheTextTableOnEveryByteAndSpecialCharacter)
{
    for (int byte = 0; byte < 256; ++byte) {
        const auto b = static_cast<unsigned char>(byte);
        const QString text = AnsiToQString(std::string(1, static_cast<char>(b)));
        ASSERT_EQ(text.size(), 1) << byte;
        EXPECT_EQ(static_cast<char32_t>(text.at(0).unicode()), Windows1252ToCodePoint(b)) << byte;
    }
    // The printable characters of 0x80..0x9F, the C1 controls they displace, and characters
    // next to the code page's ranges.
    for (char32_t codePoint :
         {0x20ACu, 0x201Au, 0x0192u, 0x2026u, 0x02C6u, 0x0160u, 0x0152u, 0x017Du,
          0x2018u, 0x201Du, 0x2022u, 0x2014u, 0x02DCu, 0x2122u, 0x0161u, 0x0153u,
          0x017Eu, 0x0178u, 0x80u,   0x81u,   0x8Du,   0x8Fu,   0x90u,   0x9Du,
          0x9Fu,   0x7Fu,   0xA0u,   0xFFu,   0x100u,  0x2019u, 0x20ADu}) {
        const QString text(QChar(static_cast<char16_t>(codePoint)));
        EXPECT_EQ(QStringToAnsi(text), std::string(1, CodePointToWindows1252(codePoint)))
            << std::hex << static_cast<unsigned>(codePoint);
    }
}
