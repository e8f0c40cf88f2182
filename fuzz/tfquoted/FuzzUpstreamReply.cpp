// Fuzzes the gateway's reading of an upstream reply: arbitrary bytes in, read through each
// preset's JSON pointers and through pointers into arrays; a reading is a positive finite
// price with finite change and previous close, or "no quote" with its reason.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tools/tfquoted/upstream/UpstreamReply.h"

namespace {

const SReplyFields kFields[] = {
    {"/c", "/d", "/pc"},
    {"/close", "/change", "/previous_close"},
    {"/Global Quote/05. price", "/Global Quote/09. change", "/Global Quote/08. previous close"},
    {"/data/0/last", std::nullopt, "/data/0/prev"},
    {"", std::nullopt, std::nullopt},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string_view body(reinterpret_cast<const char*>(pData), nSize);
    for (const SReplyFields& fields : kFields) {
        const SReplyReading reading = ReadUpstreamReply(body, fields);
        if (reading.fault == EReplyFault::None) {
            if (!(reading.dPrice > 0.0) || !std::isfinite(reading.dPrice) ||
                !std::isfinite(reading.dChange) || !std::isfinite(reading.dPreviousClose)) {
                __builtin_trap();
            }
        } else if (reading.strProblem.empty()) {
            __builtin_trap();
        }
    }
    return 0;
}
