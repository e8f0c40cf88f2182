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
        std::string category = TradeCategory(candidate);
        if (TradeCategory(trade) != category)
            SetTradeCategory(trade, category);
        trade.privateFlag = candidate.privateFlag;
        return true;
    }
    return false;
}

} // namespace tf::conduit
