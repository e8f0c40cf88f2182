// Reads a quote out of an upstream reply body (untrusted: from the quote service) through the
// configured JSON pointers. A reply without a usable price is "no quote", with the reason.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct SReplyFields
{
    std::string strPrice;
    std::optional<std::string> change;
    std::optional<std::string> previousClose;
};

enum class EReplyFault {
    None,
    NotJson, // not JSON at all (an HTML error page, a cut reply, too large)
    NoPrice, // JSON, but no positive number where the price should be
};

struct SReplyReading
{
    EReplyFault fault = EReplyFault::None;
    double dPrice = 0.0;
    double dChange = 0.0;
    double dPreviousClose = 0.0;
    std::string strProblem; // what was wrong, when fault is set
};

// A reply larger than this is no single quote; it is not parsed.
constexpr std::size_t kMaxUpstreamReplyBytes = std::size_t{256} * 1024;

// The change is the change field when it holds a number, otherwise price minus the previous
// close when that holds one, otherwise 0; the previous close follows from the price and the
// change when the reply has none.
SReplyReading ReadUpstreamReply(std::string_view body, const SReplyFields& fields);
