#include "grid/GridText.h"

#include <array>

namespace {
// Windows-1252 bytes 0x80..0x9F; 0 marks the five bytes the code page leaves unassigned,
// which are kept as the C1 control of the same value so no byte is lost.
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
} // namespace

namespace GridText {

QString ToQString(const std::string& text)
{
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        char16_t code = byte;
        if (byte >= 0x80 && byte <= 0x9F && kHighTable[byte - 0x80] != 0)
            code = kHighTable[byte - 0x80];
        result.append(QChar(code));
    }
    return result;
}

std::string FromQString(const QString& text)
{
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (QChar ch : text) {
        char16_t code = ch.unicode();
        if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
            result.push_back(static_cast<char>(code));
            continue;
        }
        char out = '?';
        for (std::size_t i = 0; i < kHighTable.size(); ++i) {
            if ((kHighTable[i] != 0 && kHighTable[i] == code) ||
                (kHighTable[i] == 0 && code == 0x80 + i)) {
                out = static_cast<char>(0x80 + i);
                break;
            }
        }
        result.push_back(out);
    }
    return result;
}

} // namespace GridText
