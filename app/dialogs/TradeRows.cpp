#include "app/dialogs/TradeRows.h"

#include <cstdio>
#include <ctime>
#include <limits>

namespace {

// The blanks between the symbol and the trade number push the number out of the narrow list.
constexpr std::size_t kRowGap = 27;

constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool IsBlank(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\v' || ch == '\f';
}

// Reads a decimal number from the start of the text as the C library's atol does: leading
// blanks, an optional sign, digits up to the first other character. Out-of-range values
// give 0, which names no trade, rather than a wrapped number that could name another.
std::int32_t ReadLeadingNumber(const std::string& strText)
{
    std::size_t i = 0;
    while (i < strText.size() && IsBlank(strText[i]))
        ++i;
    bool bNegative = false;
    if (i < strText.size() && (strText[i] == '+' || strText[i] == '-')) {
        bNegative = strText[i] == '-';
        ++i;
    }
    long long nValue = 0;
    for (; i < strText.size() && strText[i] >= '0' && strText[i] <= '9'; ++i) {
        nValue = nValue * 10 + (strText[i] - '0');
        if (nValue > std::numeric_limits<std::int32_t>::max())
            return 0;
    }
    return static_cast<std::int32_t>(bNegative ? -nValue : nValue);
}

} // namespace

std::string FormatTradeRow(const std::string& strSymbol, std::int32_t id)
{
    return strSymbol + std::string(kRowGap, ' ') + ", " + std::to_string(id);
}

STradeRow ReadTradeRow(const std::string& strRow)
{
    STradeRow row;
    std::size_t nEnd = 0;
    while (nEnd < strRow.size() && !IsBlank(strRow[nEnd]))
        ++nEnd;
    row.strSymbol = strRow.substr(0, nEnd);

    const std::size_t nComma = strRow.find(',');
    if (nComma == std::string::npos)
        return row;
    std::string strNumber = strRow.substr(nComma + 1);
    const std::size_t nNext = strNumber.find(',');
    if (nNext != std::string::npos)
        strNumber.resize(nNext);
    row.id = ReadLeadingNumber(strNumber);
    return row;
}

std::string FormatTradeDate(std::int32_t nTime)
{
    const std::time_t t = nTime;
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr || local.tm_mon < 0 || local.tm_mon > 11)
        return {};
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s %02d, %04d", kMonths[local.tm_mon], local.tm_mday,
                  local.tm_year + 1900);
    return buffer;
}
