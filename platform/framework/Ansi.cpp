#include "platform/framework/Ansi.h"

#include "platform/text/Windows1252.h"

QString AnsiToQString(std::string_view strAnsi)
{
    QString result;
    result.reserve(static_cast<qsizetype>(strAnsi.size()));
    // Every Windows-1252 character lies in the Basic Multilingual Plane: one UTF-16 unit each.
    for (const char c : strAnsi)
        result.append(
            QChar(static_cast<char16_t>(Windows1252ToCodePoint(static_cast<unsigned char>(c)))));
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
        result.push_back(CodePointToWindows1252(ch.unicode()));
    }
    return result;
}
