#include "platform/framework/Ansi.h"

#include <gtest/gtest.h>
#include <string>

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
