#include "model/PortfolioMerge.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <set>
#include <unordered_set>

namespace {

struct ByteRange
{
    std::size_t offset;
    std::size_t size;
};

// The parts of a trade record that merge on their own, as byte ranges of the record.
constexpr ByteRange kQuotePart[] = {
    {offsetof(TradeRecord, currentPrice), sizeof(double) * 2}, // currentPrice, dayChange
};
constexpr ByteRange kSyncPart[] = {
    {offsetof(TradeRecord, recordIndex), sizeof(std::int32_t)},
    {offsetof(TradeRecord, status), sizeof(std::int16_t)},
};
constexpr ByteRange kFilingPart[] = {
    {offsetof(TradeRecord, privateFlag), sizeof(std::int32_t)},
    {offsetof(TradeRecord, category), sizeof(TradeRecord::category)},
};
constexpr ByteRange kLedgerPart[] = {
    {offsetof(TradeRecord, id), offsetof(TradeRecord, recordIndex)}, // id, refId
    {offsetof(TradeRecord, padding0), sizeof(std::int16_t)},
    {offsetof(TradeRecord, symbol),
     offsetof(TradeRecord, currentPrice) - offsetof(TradeRecord, symbol)},
    {offsetof(TradeRecord, deductFee), sizeof(TradeRecord) - offsetof(TradeRecord, deductFee)},
};

struct Part
{
    const ByteRange* ranges;
    std::size_t count;
    // A change of the user's (not a refresh's or a HotSync's bookkeeping): two different
    // ones are a conflict, and one keeps a trade the other side removed.
    bool bUserPart;
};

constexpr Part kParts[] = {
    {kQuotePart, std::size(kQuotePart), false},
    {kSyncPart, std::size(kSyncPart), false},
    {kFilingPart, std::size(kFilingPart), true},
    {kLedgerPart, std::size(kLedgerPart), true},
};

constexpr std::size_t PartsSize()
{
    std::size_t total = 0;
    for (const Part& part : kParts)
        for (std::size_t i = 0; i < part.count; ++i)
            total += part.ranges[i].size;
    return total;
}
static_assert(PartsSize() == sizeof(TradeRecord), "every byte of a trade belongs to one part");

bool SamePart(const TradeRecord& a, const TradeRecord& b, const Part& part)
{
    const auto* pa = reinterpret_cast<const unsigned char*>(&a);
    const auto* pb = reinterpret_cast<const unsigned char*>(&b);
    for (std::size_t i = 0; i < part.count; ++i) {
        const ByteRange& r = part.ranges[i];
        if (std::memcmp(pa + r.offset, pb + r.offset, r.size) != 0)
            return false;
    }
    return true;
}

void CopyPart(TradeRecord& to, const TradeRecord& from, const Part& part)
{
    auto* pt = reinterpret_cast<unsigned char*>(&to);
    const auto* pf = reinterpret_cast<const unsigned char*>(&from);
    for (std::size_t i = 0; i < part.count; ++i)
        std::memcpy(pt + part.ranges[i].offset, pf + part.ranges[i].offset, part.ranges[i].size);
}

bool ChangedByUser(const TradeRecord& base, const TradeRecord& other)
{
    for (const Part& part : kParts)
        if (part.bUserPart && !SamePart(base, other, part))
            return true;
    return false;
}

// Mine, with every part that only theirs changed taken from theirs.
TradeRecord MergeTrade(const TradeRecord& base, const TradeRecord& mine, const TradeRecord& theirs,
                       bool& bConflict)
{
    TradeRecord merged = mine;
    for (const Part& part : kParts) {
        if (SamePart(base, mine, part))
            CopyPart(merged, theirs, part);
        else if (part.bUserPart && !SamePart(base, theirs, part) && !SamePart(mine, theirs, part))
            bConflict = true;
    }
    return merged;
}

// A trade's place in its list: its id and how many trades with that id came before it, so
// that a list holding an id twice still merges trade by trade.
using TradeKey = std::pair<std::int32_t, int>;

struct KeyedTrades
{
    explicit KeyedTrades(const CTradeList& list)
    {
        std::map<std::int32_t, int> seen;
        for (const TradeRecord& trade : list) {
            TradeRecord normal = trade;
            NormalizeTrade(normal);
            TradeKey key{trade.id, seen[trade.id]++};
            byKey.emplace(key, normal);
            order.push_back(key);
        }
    }
    const TradeRecord* Find(const TradeKey& key) const
    {
        auto it = byKey.find(key);
        return it == byKey.end() ? nullptr : &it->second;
    }
    std::map<TradeKey, TradeRecord> byKey;
    std::vector<TradeKey> order;
};

template <class T>
void TakeSetting(T CBlotterSpace::*member, const CBlotterSpace& base, const CBlotterSpace& mine,
                 const CBlotterSpace& theirs, CBlotterSpace& out)
{
    out.*member = (mine.*member == base.*member) ? theirs.*member : mine.*member;
}

void MergeSettings(const CBlotterSpace& base, const CBlotterSpace& mine,
                   const CBlotterSpace& theirs, CBlotterSpace& out)
{
    out.CopySettingsFrom(mine);
    TakeSetting(&CBlotterSpace::m_bAutoRefresh, base, mine, theirs, out);
    TakeSetting(&CBlotterSpace::m_nRefreshMinutes, base, mine, theirs, out);
    TakeSetting(&CBlotterSpace::m_strCategoryFilter, base, mine, theirs, out);
    TakeSetting(&CBlotterSpace::m_bDeductBrokerage, base, mine, theirs, out);
    TakeSetting(&CBlotterSpace::m_bUseBidForOptions, base, mine, theirs, out);
    TakeSetting(&CBlotterSpace::m_bCheckVersion, base, mine, theirs, out);
    TakeSetting(&CBlotterSpace::m_bShowClosedTrades, base, mine, theirs, out);
    TakeSetting(&CBlotterSpace::m_bPagerAlerts, base, mine, theirs, out);
    TakeSetting(&CBlotterSpace::m_strMailFrom, base, mine, theirs, out);
    TakeSetting(&CBlotterSpace::m_strSmtpServer, base, mine, theirs, out);
    TakeSetting(&CBlotterSpace::m_strPagerAddress, base, mine, theirs, out);
    TakeSetting(&CBlotterSpace::m_nAlertPercent, base, mine, theirs, out);
    TakeSetting(&CBlotterSpace::m_strBaseCountry, base, mine, theirs, out);
    TakeSetting(&CBlotterSpace::m_dFileVersion, base, mine, theirs, out);
    TakeSetting(&CBlotterSpace::m_dExternalYtdGains, base, mine, theirs, out);
    // The column widths are one setting: the grid's layout as the user left it.
    const bool bWidthsMine = std::equal(std::begin(mine.m_nColumnWidth),
                                        std::end(mine.m_nColumnWidth), base.m_nColumnWidth);
    const CBlotterSpace& widths = bWidthsMine ? theirs : mine;
    std::copy(std::begin(widths.m_nColumnWidth), std::end(widths.m_nColumnWidth),
              out.m_nColumnWidth);
}

std::vector<std::string> MergeCategories(const CBlotterSpace& base, const CBlotterSpace& mine,
                                         const CBlotterSpace& theirs)
{
    const std::unordered_set<std::string> inBase(base.m_categories.begin(),
                                                 base.m_categories.end());
    const std::unordered_set<std::string> inTheirs(theirs.m_categories.begin(),
                                                   theirs.m_categories.end());
    std::vector<std::string> merged;
    std::unordered_set<std::string> taken;
    for (const std::string& name : mine.m_categories) {
        if (inBase.count(name) && !inTheirs.count(name))
            continue; // removed there
        merged.push_back(name);
        taken.insert(name);
    }
    for (const std::string& name : theirs.m_categories) {
        if (inBase.count(name) || taken.count(name))
            continue; // removed here, or already taken
        merged.push_back(name);
        taken.insert(name);
    }
    return merged;
}

} // namespace

PortfolioMergeResult MergePortfolios(const CBlotterSpace& base, const CBlotterSpace& mine,
                                     const CBlotterSpace& theirs)
{
    PortfolioMergeResult result;
    MergeSettings(base, mine, theirs, result.doc);
    result.doc.m_categories = MergeCategories(base, mine, theirs);

    const KeyedTrades b(base.m_trades);
    const KeyedTrades m(mine.m_trades);
    const KeyedTrades t(theirs.m_trades);
    std::vector<TradeRecord> merged;
    std::vector<bool> mineNew; // parallel to merged: added by this side since the base
    std::set<std::int32_t> conflicts;

    for (const TradeKey& key : m.order) {
        const TradeRecord& mineTrade = *m.Find(key);
        const TradeRecord* baseTrade = b.Find(key);
        if (!baseTrade) {
            merged.push_back(mineTrade);
            mineNew.push_back(true);
            continue;
        }
        if (const TradeRecord* theirTrade = t.Find(key)) {
            bool bConflict = false;
            merged.push_back(MergeTrade(*baseTrade, mineTrade, *theirTrade, bConflict));
            mineNew.push_back(false);
            if (bConflict)
                conflicts.insert(key.first);
        } else if (ChangedByUser(*baseTrade, mineTrade)) {
            // Removed there, changed here: this side's change stays.
            merged.push_back(mineTrade);
            mineNew.push_back(false);
            conflicts.insert(key.first);
        }
    }
    std::set<std::int32_t> theirIds;
    std::int32_t largest = 0;
    for (const TradeKey& key : t.order) {
        theirIds.insert(key.first);
        largest = std::max(largest, key.first);
        const TradeRecord& theirTrade = *t.Find(key);
        const TradeRecord* baseTrade = b.Find(key);
        if (!baseTrade) {
            merged.push_back(theirTrade);
            mineNew.push_back(false);
        } else if (!m.Find(key) && ChangedByUser(*baseTrade, theirTrade)) {
            // Removed here, changed there: this side's removal stays.
            conflicts.insert(key.first);
        }
    }
    for (const TradeRecord& trade : merged)
        largest = std::max(largest, trade.id);

    // This side's new trades give way where the other side used the number.
    std::map<std::int32_t, std::int32_t> newIds;
    for (std::size_t i = 0; i < merged.size(); ++i) {
        if (!mineNew[i] || !theirIds.count(merged[i].id))
            continue;
        auto [it, inserted] = newIds.emplace(merged[i].id, largest + 1);
        if (inserted) {
            ++largest;
            result.renumbered.emplace_back(it->first, it->second);
        }
        merged[i].id = it->second;
    }
    for (std::size_t i = 0; i < merged.size(); ++i) {
        if (!mineNew[i])
            continue;
        auto it = newIds.find(merged[i].refId);
        if (merged[i].refId != 0 && it != newIds.end())
            merged[i].refId = it->second;
    }

    result.doc.m_trades.Reserve(merged.size());
    for (const TradeRecord& trade : merged)
        result.doc.m_trades.AddTail(trade);
    result.conflicts.assign(conflicts.begin(), conflicts.end());
    return result;
}
