#include "conduit/ConduitDocument.h"

#include <algorithm>
#include <cstring>

namespace tf::conduit {

void RemoveDeletedTrades(CBlotterSpace& doc)
{
    for (auto it = doc.m_trades.begin(); it != doc.m_trades.end();) {
        if (it->status == kStatusDeleted)
            it = doc.m_trades.RemoveAt(it);
        else
            ++it;
    }
}

bool HasCategory(const CBlotterSpace& doc, const std::string& name)
{
    return std::find(doc.m_categories.begin(), doc.m_categories.end(), name) !=
           doc.m_categories.end();
}

bool AddCategory(CBlotterSpace& doc, const std::string& name)
{
    if (doc.m_categories.size() >= kMaxDocumentCategories)
        return false;
    doc.m_categories.push_back(name);
    return true;
}

bool MatchTrade(CBlotterSpace& doc, const TradeRecord& candidate)
{
    std::string symbol = TradeSymbol(candidate);
    for (TradeRecord& trade : doc.m_trades) {
        if (TradeSymbol(trade) != symbol || trade.price != candidate.price ||
            trade.quantity != candidate.quantity)
            continue;
        RefileTrade(trade, candidate);
        return true;
    }
    return false;
}

void RefileTrade(TradeRecord& trade, const TradeRecord& candidate)
{
    std::string category = TradeCategory(candidate);
    if (TradeCategory(trade) != category)
        SetTradeCategory(trade, category);
    trade.privateFlag = candidate.privateFlag;
}

TradeRecord* FindLiveTrade(CBlotterSpace& doc, std::int32_t id)
{
    for (TradeRecord& trade : doc.m_trades)
        if (trade.id == id && trade.status != kStatusDeleted)
            return &trade;
    return nullptr;
}

bool HasControlCharacter(const std::string& text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

} // namespace tf::conduit
