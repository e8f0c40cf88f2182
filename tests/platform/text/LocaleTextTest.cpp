// Text conversion between Windows-1252 and UTF-8 or a locale's encoding: every byte round
// trips, text without a Windows-1252 form is refused naming the character and its line.
#include "platform/text/LocaleText.h"

#include <gtest/gtest.h>
#include <sstream>

#include "platform/text/Windows1252.h"

TEST(LocaleText, EveryWindows1252ByteRoundTripsThroughUtf8)
{
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all += static_cast<char>(byte);
    const std::string utf8 = Windows1252ToUtf8(all);
    EXPECT_NE(utf8.find("\xE2\x82\xAC"), std::string::npos); // 0x80 is the euro sign
    STextConversion back = Utf8ToWindows1252(utf8);
    ASSERT_TRUE(back.bOk);
    EXPECT_EQ(back.text, all);
    EXPECT_EQ(Windows1252ToUtf8("NESTL\xC9"), "NESTL\xC3\x89");
}

TEST(LocaleText, TextWithoutAWindows1252FormOrNotUtf8IsRefused)
{
    STextConversion cjk = Utf8ToWindows1252("ok\nstill ok\n\xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_FALSE(cjk.bOk);
    EXPECT_EQ(cjk.badCodePoint, U'\u65E5');
    EXPECT_EQ(cjk.badCharacter, "\xE6\x97\xA5");
    EXPECT_EQ(cjk.badLine, 3u);
    EXPECT_EQ(CodePointName(cjk.badCodePoint), "U+65E5");

    // Broken, overlong, surrogate and out-of-range forms are not text.
    for (const char* bad :
         {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "\xFF"}) {
        STextConversion r = Utf8ToWindows1252(std::string("a") + bad + "b");
        EXPECT_FALSE(r.bOk) << bad;
        EXPECT_EQ(r.badCodePoint, 0u) << bad;
        EXPECT_EQ(r.badCharacter.size(), 1u) << bad;
    }
    // Four-byte characters are valid UTF-8 but have no Windows-1252 form.
    EXPECT_EQ(Utf8ToWindows1252("\xF0\x9F\x98\x80").badCodePoint, U'\U0001F600');
    char byte = 0;
    EXPECT_FALSE(TryCodePointToWindows1252(0x65E5, byte));
    EXPECT_EQ(CodePointToWindows1252(0x65E5), '?');
}

TEST(LocaleText, OtherLocaleEncodingsGoThroughTheCLibrary)
{
    CLocaleText ascii("ANSI_X3.4-1968"); // the C locale: read as UTF-8
    EXPECT_TRUE(ascii.IsUtf8());
    EXPECT_EQ(ascii.ToWindows1252("J\xC3\xB6rg").text, "J\xF6rg");

    CLocaleText latin9("ISO-8859-15");
    ASSERT_FALSE(latin9.IsUtf8());
    STextConversion euro = latin9.ToWindows1252("5 \xA4 caf\xE9");
    ASSERT_TRUE(euro.bOk);
    EXPECT_EQ(euro.text, "5 \x80 caf\xE9");
    EXPECT_EQ(latin9.FromWindows1252("5 \x80 caf\xE9"), "5 \xA4 caf\xE9");
    // The trademark sign exists in Windows-1252 but not in Latin-9.
    EXPECT_EQ(latin9.FromWindows1252("X\x99"), "X?");

    CLocaleText koi8("KOI8-R");
    STextConversion cyrillic = koi8.ToWindows1252("a\n\xC1");
    EXPECT_FALSE(cyrillic.bOk);
    EXPECT_EQ(cyrillic.badCodePoint, U'\u0430');
    EXPECT_EQ(cyrillic.badCharacter, "\xC1");
    EXPECT_EQ(cyrillic.badLine, 2u);
}

TEST(LocaleText, AStreamBufferConvertsWhatPassesThrough)
{
    std::ostringstream target;
    CLocaleText utf8("UTF-8");
    CLocaleStreamBuf converting(target.rdbuf(), utf8);
    std::ostream out(&converting);
    out << "Trade 1: bought NESTL\xC9 at " << 2.5 << '\x80' << std::flush;
    EXPECT_EQ(target.str(), "Trade 1: bought NESTL\xC3\x89 at 2.5\xE2\x82\xAC");
}
