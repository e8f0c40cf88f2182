#include "model/TradeRecord.h"

#include <algorithm>
#include <cstring>

namespace {
std::string ReadField(const char* field, std::size_t width)
{
    const void* zero = std::memchr(field, 0, width);
    std::size_t length =
        zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - field) : width;
    return std::string(field, length);
}

void WriteField(char* field, std::size_t fieldSize, std::size_t maxText, std::string_view text)
{
    std::memset(field, 0, fieldSize);
    // A text is cut at an embedded zero as a reader would see it.
    std::size_t length = std::min({text.size(), maxText, text.find('\0')});
    std::memcpy(field, text.data(), length);
}

void ClearAfterTerminator(char* field, std::size_t width)
{
    char* zero = static_cast<char*>(std::memchr(field, 0, width));
    if (zero)
        std::memset(zero, 0, static_cast<std::size_t>(field + width - zero));
}
} // namespace

TradeRecord MakeEmptyTrade()
{
    TradeRecord trade;
    std::memset(&trade, 0, sizeof trade);
    return trade;
}

void NormalizeTrade(TradeRecord& trade)
{
    trade.padding0 = 0;
    trade.padding2 = 0;
    trade.padding3 = 0;
    ClearAfterTerminator(trade.category, sizeof trade.category);
    trade.category[sizeof trade.category - 1] = 0;
    ClearAfterTerminator(trade.country, sizeof trade.country);
    trade.country[sizeof trade.country - 1] = 0;
    // A symbol of 10 characters has its terminator in padding1[0].
    ClearAfterTerminator(trade.symbol, sizeof trade.symbol);
    trade.padding1[0] = 0;
    trade.padding1[1] = 0;
}

std::string TradeSymbol(const TradeRecord& trade)
{
    return ReadField(trade.symbol, kSymbolMax);
}
std::string TradeCategory(const TradeRecord& trade)
{
    return ReadField(trade.category, sizeof trade.category);
}
std::string TradeCountry(const TradeRecord& trade)
{
    return ReadField(trade.country, sizeof trade.country);
}

void SetTradeSymbol(TradeRecord& trade, std::string_view text)
{
    WriteField(trade.symbol, sizeof trade.symbol, kSymbolMax, text);
    trade.padding1[0] = 0;
    trade.padding1[1] = 0;
}
void SetTradeCategory(TradeRecord& trade, std::string_view text)
{
    WriteField(trade.category, sizeof trade.category, kCategoryMax, text);
}
void SetTradeCountry(TradeRecord& trade, std::string_view text)
{
    WriteField(trade.country, sizeof trade.country, kCountryMax, text);
}
