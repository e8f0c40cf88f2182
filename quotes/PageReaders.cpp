// The two HTML page layouts: labels and values on separate lines.
#include <string>
#include <string_view>

#include "quotes/QuoteNumber.h"
#include "quotes/QuoteReaders.h"

namespace {

// The options page puts each value this many non-empty lines below its label.
constexpr int kOptionValueDistance = 5;

enum class CloseMark { NotSeen, JustSeen, Used };

enum class ValueMark { NotSeen, Armed, Done };

bool Contains(const std::string& strLine, std::string_view needle)
{
    return strLine.find(needle) != std::string::npos;
}

std::string_view Trim(std::string_view text)
{
    const auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

bool ReadSwissQuotePage(CHttpLineReader& reader, const std::string& /*strCountry*/, int /*bUseBid*/,
                        double& dPrice, double& dChange)
{
    CloseMark close = CloseMark::NotSeen;
    bool bPreviousJustSeen = false;
    bool bPrice = false;
    std::string strLine;
    while (ReadQuoteLine(reader, strLine)) {
        if (strLine.empty()) {
            continue;
        }
        if (close == CloseMark::JustSeen) {
            bPrice = ReadQuoteNumber(strLine, dPrice);
            close = CloseMark::Used;
        }
        if (bPreviousJustSeen) {
            double dPrevious = 0.0;
            if (ReadQuoteNumber(strLine, dPrevious)) {
                dChange = dPrice - dPrevious;
            }
            return bPrice;
        }
        if (Contains(strLine, "Close:") && close == CloseMark::NotSeen) {
            close = CloseMark::JustSeen;
            continue;
        }
        if (Contains(strLine, "Close prev. day:")) {
            bPreviousJustSeen = true;
        }
    }
    return bPrice;
}

bool ReadOptionsQuotePage(CHttpLineReader& reader, const std::string& /*strCountry*/, int bUseBid,
                          double& dPrice, double& dChange)
{
    const bool bBid = bUseBid != 0;
    const std::string_view priceLabel = bBid ? "Bid" : "Last Sale";
    ValueMark price = ValueMark::NotSeen;
    ValueMark previous = ValueMark::NotSeen;
    bool bPrice = false;
    bool bPrevious = false;
    double dPrevious = 0.0;
    int n = 0;
    std::string strLine;
    while (ReadQuoteLine(reader, strLine)) {
        if (strLine.empty()) {
            continue;
        }
        if (price == ValueMark::Armed && n == kOptionValueDistance) {
            bPrice = ReadQuoteNumber(Trim(strLine), dPrice);
            price = ValueMark::Done;
        }
        if (previous == ValueMark::Armed && n == kOptionValueDistance) {
            bPrevious = ReadQuoteNumber(Trim(strLine), dPrevious);
            previous = ValueMark::Done;
        }
        // Both values are needed whichever price is used: stopping at the bid would leave
        // the previous close at 0 and report the whole bid as the day's change.
        if (price == ValueMark::Done && previous == ValueMark::Done) {
            break;
        }
        if (Contains(strLine, priceLabel) && price != ValueMark::Done) {
            price = ValueMark::Armed;
            n = 0;
        }
        if (Contains(strLine, "Previous Close")) {
            previous = ValueMark::Armed;
            n = 0;
        }
        ++n;
    }
    // No previous close, no change: price minus nothing would report the whole price.
    dChange = bPrevious ? dPrice - dPrevious : 0.0;
    return bPrice;
}
