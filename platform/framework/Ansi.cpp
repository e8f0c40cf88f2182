#include "platform/framework/Ansi.h"

#include <array>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; zero marks the undefined bytes.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t ByteToUnit(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F) {
        const char16_t unit = kHighControls[byte - 0x80];
        return unit != 0 ? unit : static_cast<char16_t>(byte);
    }
    return static_cast<char16_t>(byte);
}

char UnitToByte(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<char>(unit);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == unit)
            return static_cast<char>(0x80 + i);
    }
    if (unit >= 0x80 && unit <= 0x9F && kHighControls[unit - 0x80] == 0)
        return static_cast<char>(unit);
    return '?';
}

} // namespace

QString AnsiToQString(std::string_view strAnsi)
{
    QString result;
    result.reserve(static_cast<qsizetype>(strAnsi.size()));
    for (const char c : strAnsi)
        result.append(QChar(ByteToUnit(static_cast<unsigned char>(c))));
    return result;
}

std::string QStringToAnsi(const QString& str)
{
    std::string result;
    result.reserve(static_cast<std::size_t>(str.size()));
    for (qsizetype i = 0; i < str.size(); ++i) {
        const QChar ch = str.at(i);
        if (ch.isHighSurrogate() && i + 1 < str.size() && str.at(i + 1).isLowSurrogate()) {
            result.push_back('?');
            ++i;
            continue;
        }
        result.push_back(UnitToByte(ch.unicode()));
    }
    return result;
}
