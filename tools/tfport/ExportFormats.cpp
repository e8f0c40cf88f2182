#include "tools/tfport/ExportFormats.h"

#include <charconv>
#include <ostream>
#include <vector>

#include "platform/text/Windows1252.h"
#include "tools/tfport/TerminalText.h"

namespace {
// Shortest text that reads back as the same double, in every locale.
std::string Exact(double value)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

struct Field
{
    const char* name;
    std::string text;
    bool bQuoted;
};

std::vector<Field> Fields(const TradeRecord& t)
{
    auto n = [](long long v) { return std::to_string(v); };
    return {
        {"id", n(t.id), false},
        {"refId", n(t.refId), false},
        {"recordIndex", n(t.recordIndex), false},
        {"status", n(t.status), false},
        {"privateFlag", n(t.privateFlag), false},
        {"category", ToUtf8(TradeCategory(t)), true},
        {"symbol", ToUtf8(TradeSymbol(t)), true},
        {"quantity", Exact(t.quantity), false},
        {"price", Exact(t.price), false},
        {"currentPrice", Exact(t.currentPrice), false},
        {"dayChange", Exact(t.dayChange), false},
        {"deductFee", n(t.deductFee), false},
        {"closed", n(t.closed), false},
        {"isSell", n(t.isSell), false},
        {"brokerFee", Exact(t.brokerFee), false},
        {"country", ToUtf8(TradeCountry(t)), true},
        {"auxValue1", Exact(t.auxValue1), false},
        {"costPrice", Exact(t.costPrice), false},
        {"realizedPL", Exact(t.realizedPL), false},
        {"auxValue2", Exact(t.auxValue2), false},
        {"buyDate", IsoLocalTime(t.buyDate), true},
        {"sellDate", IsoLocalTime(t.sellDate), true},
    };
}

// A JSON string; every control character, C1 ones included, as a \u escape so that the
// output is also safe to print.
std::string JsonString(const std::string& utf8)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        unsigned c = static_cast<unsigned char>(utf8[i]);
        const bool bC1 = c == 0xC2 && i + 1 < utf8.size() &&
                         static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                         static_cast<unsigned char>(utf8[i + 1]) <= 0x9F;
        if (bC1)
            c = static_cast<unsigned char>(utf8[++i]);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F || bC1) {
                constexpr const char* kHexDigits = "0123456789abcdef";
                out += "\\u00";
                out += kHexDigits[c >> 4];
                out += kHexDigits[c & 0xF];
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

// CSV has no escapes of its own: control characters are shown as the terminal shows them.
std::string CsvField(const std::string& utf8)
{
    std::string text = EscapeControls(utf8);
    if (text.find_first_of(",\"") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}
} // namespace

std::string ToUtf8(const std::string& windows1252)
{
    return Windows1252ToUtf8(windows1252);
}

std::string IsoLocalTime(std::time_t when)
{
    if (when == 0)
        return {};
    std::tm local{};
    localtime_r(&when, &local);
    char text[40];
    if (std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local) == 0)
        return {};
    // strftime writes the offset as +hhmm; ISO 8601 with a colon reads +hh:mm.
    const std::string stamp = text;
    const std::size_t minutes = stamp.size() - 2;
    return stamp.substr(0, minutes) + ":" + stamp.substr(minutes);
}

void WriteTradesJson(const CBlotterSpace& doc, std::ostream& out)
{
    out << "[";
    bool firstTrade = true;
    for (const TradeRecord& trade : doc.m_trades) {
        out << (firstTrade ? "\n  {" : ",\n  {");
        firstTrade = false;
        bool firstField = true;
        for (const Field& f : Fields(trade)) {
            out << (firstField ? "" : ", ") << '"' << f.name << "\": ";
            firstField = false;
            if (f.bQuoted)
                out << (f.text.empty() && (std::string(f.name).find("Date") != std::string::npos)
                            ? std::string("null")
                            : JsonString(f.text));
            else
                out << f.text;
        }
        out << "}";
    }
    out << (firstTrade ? "]\n" : "\n]\n");
}

void WriteTradesCsv(const CBlotterSpace& doc, std::ostream& out)
{
    TradeRecord empty{};
    bool first = true;
    for (const Field& f : Fields(empty)) {
        out << (first ? "" : ",") << f.name;
        first = false;
    }
    out << "\r\n";
    for (const TradeRecord& trade : doc.m_trades) {
        first = true;
        for (const Field& f : Fields(trade)) {
            out << (first ? "" : ",") << CsvField(f.text);
            first = false;
        }
        out << "\r\n";
    }
}
