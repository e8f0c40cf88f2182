// CTradeList: the document's ordered list of trade records, held by value in one array (a
// portfolio of 100,000 trades loads without 100,000 allocations). Every record enters
// through AddTail, which zero-fills padding, so stored bytes are always canonical.
// Appending may move the records: do not keep iterators or pointers across AddTail.
#pragma once

#include <cstddef>
#include <vector>

#include "TradeRecord.h"

class CTradeList
{
  public:
    using iterator = std::vector<TradeRecord>::iterator;
    using const_iterator = std::vector<TradeRecord>::const_iterator;

    // Appends a copy of the record (padding zeroed) and returns its position.
    iterator AddTail(const TradeRecord& trade);
    // Removes the record at the position; returns the position after it.
    iterator RemoveAt(iterator where) { return m_records.erase(where); }
    void RemoveAll() { m_records.clear(); }
    void Reserve(std::size_t count) { m_records.reserve(count); }

    std::size_t GetCount() const { return m_records.size(); }
    bool IsEmpty() const { return m_records.empty(); }

    iterator begin() { return m_records.begin(); }
    iterator end() { return m_records.end(); }
    const_iterator begin() const { return m_records.begin(); }
    const_iterator end() const { return m_records.end(); }

  private:
    std::vector<TradeRecord> m_records;
};
