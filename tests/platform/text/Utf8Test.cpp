// UTF-8 at the edges: every Windows-1252 byte survives the way out and back, characters the
// code page lacks become "?", and malformed UTF-8 is refused rather than guessed at.
#include <gtest/gtest.h>

#include "platform/text/Windows1252.h"

TEST(Utf8, EveryByteRoundTripsAndMalformedTextIsRefused)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    std::string back;
    ASSERT_TRUE(Utf8ToWindows1252(Windows1252ToUtf8(all), back));
    EXPECT_EQ(back, all);
    EXPECT_EQ(Windows1252ToUtf8("\x80\xC9"), "\xE2\x82\xAC\xC3\x89"); // euro sign, E acute

    ASSERT_TRUE(Utf8ToWindows1252("\xE2\x82\xAC \xF0\x9F\x93\x88 \xD0\x96", back));
    EXPECT_EQ(back, "\x80 ? ?") << "outside the code page: a question mark";

    for (const char* pszBad : {"\xC3", "\xE2\x82", "\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80",
                               "\xF4\x90\x80\x80", "\xFF", "\x80", "a\xC3(b"})
        EXPECT_FALSE(Utf8ToWindows1252(pszBad, back)) << pszBad;
}
