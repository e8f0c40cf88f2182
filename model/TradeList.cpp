#include "model/TradeList.h"

CTradeList::iterator CTradeList::AddTail(const TradeRecord& trade)
{
    TradeRecord copy = trade;
    NormalizeTrade(copy);
    return m_records.insert(m_records.end(), copy);
}
