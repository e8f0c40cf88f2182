#include "tools/tfquoted/upstream/UpstreamReply.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "platform/text/Numbers.h"

namespace {

using json = nlohmann::json;

// The value at the pointer, or nullptr when the reply has nothing there. Pointers are
// checked when the configuration is read; what they meet in a reply is not, so a token that
// is no index into an array, or a path through a number, is "nothing there".
const json* ValueAt(const json& doc, const std::string& strPointer)
{
    try {
        const json::json_pointer pointer(strPointer);
        if (!doc.contains(pointer)) {
            return nullptr;
        }
        return &doc.at(pointer);
    } catch (const json::exception&) {
        return nullptr;
    }
}

// A finite number, or a text that holds one ("123.45", " -0.5").
std::optional<double> NumberOf(const json* pValue)
{
    if (pValue == nullptr) {
        return std::nullopt;
    }
    double d = 0.0;
    if (pValue->is_number()) {
        d = pValue->get<double>();
    } else if (pValue->is_string()) {
        if (!ParseWholeDouble(pValue->get_ref<const std::string&>(), d)) {
            return std::nullopt;
        }
    } else {
        return std::nullopt;
    }
    if (!std::isfinite(d)) {
        return std::nullopt;
    }
    return d;
}

json Parse(std::string_view body)
{
    if (body.size() > kMaxUpstreamReplyBytes) {
        return json(json::value_t::discarded);
    }
    return json::parse(body.begin(), body.end(), nullptr, false);
}

} // namespace

SReplyReading ReadUpstreamReply(std::string_view body, const SReplyFields& fields)
{
    SReplyReading reading;
    const json doc = Parse(body);
    if (doc.is_discarded()) {
        reading.fault = EReplyFault::NotJson;
        reading.strProblem = body.size() > kMaxUpstreamReplyBytes
                                 ? "the reply is too large to be a quote"
                                 : "the reply is not JSON";
        return reading;
    }
    const auto price = NumberOf(ValueAt(doc, fields.strPrice));
    // Services answer a symbol they do not know with a price of 0 as often as with nothing.
    if (!price || *price <= 0.0) {
        reading.fault = EReplyFault::NoPrice;
        reading.strProblem = price ? "the reply's price is 0: the service does not know the symbol"
                                   : "the reply has no price at \"" + fields.strPrice + "\"";
        return reading;
    }
    reading.dPrice = *price;
    const auto change = fields.change ? NumberOf(ValueAt(doc, *fields.change)) : std::nullopt;
    auto previous =
        fields.previousClose ? NumberOf(ValueAt(doc, *fields.previousClose)) : std::nullopt;
    if (previous && *previous <= 0.0) {
        previous.reset();
    }
    if (change) {
        reading.dChange = *change;
    } else if (previous) {
        reading.dChange = *price - *previous;
    }
    reading.dPreviousClose = previous ? *previous : *price - reading.dChange;
    // Numbers near the limit of a double can make a sum that is none; the price stands.
    if (!std::isfinite(reading.dChange) || !std::isfinite(reading.dPreviousClose)) {
        reading.dChange = 0.0;
        reading.dPreviousClose = *price;
    }
    return reading;
}
