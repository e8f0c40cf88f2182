// The one Windows-1252 table, read against the C library's own converter, and every byte
// through a round trip.
#include "platform/text/Windows1252.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <iconv.h>
#include <string>

namespace {

// The code point the C library's CP1252 converter gives a byte; 0 when it has none.
char32_t LibraryCodePoint(iconv_t converter, unsigned char byte)
{
    char in[1] = {static_cast<char>(byte)};
    char32_t out[2] = {0, 0};
    char* pIn = in;
    char* pOut = reinterpret_cast<char*>(out);
    std::size_t inLeft = sizeof in;
    std::size_t outLeft = sizeof out;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &pIn, &inLeft, &pOut, &outLeft) == static_cast<std::size_t>(-1))
        return 0;
    return out[0];
}

} // namespace

TEST(Windows1252, TableAgreesWithTheCLibraryAndEveryByteRoundTrips)
{
    iconv_t converter = iconv_open("UTF-32LE", "CP1252");
    ASSERT_NE(converter, reinterpret_cast<iconv_t>(-1)) << "no CP1252 converter: " << errno;
    int undefined = 0;
    for (int byte = 0; byte < 256; ++byte) {
        const auto b = static_cast<unsigned char>(byte);
        const char32_t ours = Windows1252ToCodePoint(b);
        const char32_t library = LibraryCodePoint(converter, b);
        if (library == 0 && byte != 0) {
            // Bytes the code page leaves undefined keep their own value, as C1 controls.
            EXPECT_EQ(ours, static_cast<char32_t>(byte)) << byte;
            ++undefined;
        } else {
            EXPECT_EQ(ours, library) << byte;
        }
        EXPECT_EQ(CodePointToWindows1252(ours), static_cast<char>(b)) << byte;
    }
    iconv_close(converter);
    EXPECT_EQ(undefined, 5) << "0x81, 0x8D, 0x8F, 0x90 and 0x9D";

    // The C1 controls the code page reuses for printable characters have no byte.
    EXPECT_EQ(CodePointToWindows1252(0x80), '?');
    EXPECT_EQ(CodePointToWindows1252(0x9F), '?');
    EXPECT_EQ(CodePointToWindows1252(0x0100), '?');
    EXPECT_EQ(CodePointToWindows1252(0x1F600), '?');
    EXPECT_EQ(CodePointToWindows1252(0x20AC), '\x80');
}
