#include "tools/tfport/ExportFormats.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <vector>

#include "platform/text/DateTexts.h"
#include "tools/tfport/TerminalText.h"

namespace {
// Shortest text that reads back as the same double, in every locale. A value that is not
// finite (only an old file can hold one) has no such text: it is written as no value.
std::string Exact(double value)
{
    if (!std::isfinite(value))
        return {};
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
        {"category", TradeCategory(t), true},
        {"symbol", TradeSymbol(t), true},
        {"quantity", Exact(t.quantity), false},
        {"price", Exact(t.price), false},
        {"currentPrice", Exact(t.currentPrice), false},
        {"dayChange", Exact(t.dayChange), false},
        {"deductFee", n(t.deductFee), false},
        {"closed", n(t.closed), false},
        {"isSell", n(t.isSell), false},
        {"brokerFee", Exact(t.brokerFee), false},
        {"country", TradeCountry(t), true},
        {"auxValue1", Exact(t.auxValue1), false},
        {"costPrice", Exact(t.costPrice), false},
        {"realizedPL", Exact(t.realizedPL), false},
        {"auxValue2", Exact(t.auxValue2), false},
        {"buyDate", IsoLocalTime(t.buyDate), true},
        {"sellDate", IsoLocalTime(t.sellDate), true},
    };
}
} // namespace

// A JSON string; every control character, C1 ones included, as a \u escape so that the
// output is also safe to print.
std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
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
            if (IsControlByte(c)) {
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
std::string CsvField(const std::string& value)
{
    std::string text = EscapeControls(value);
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
            // An empty date or number is no value: JSON's null.
            const bool none = f.text.empty() &&
                              (!f.bQuoted || std::string(f.name).find("Date") != std::string::npos);
            if (none)
                out << "null";
            else if (f.bQuoted)
                out << JsonString(f.text);
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
