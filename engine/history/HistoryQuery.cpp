#include "engine/history/HistoryQuery.h"

#include <algorithm>
#include <set>
#include <unordered_map>

#include "engine/history/HistoryStore.h"
#include "engine/history/Holdings.h"
#include "engine/history/LocalDays.h"

namespace {

// The value of the holdings at a time, at the latest known close of each symbol; false when
// nothing priced was held.
bool ValueAt(const CHoldings& holdings, const std::unordered_map<std::string, double>& lastClose,
             std::time_t when, SValuePoint& point)
{
    bool bAny = false;
    for (const auto& [strSymbol, dClose] : lastClose) {
        const CHoldings::SPosition position = holdings.At(strSymbol, when, dClose);
        if (!position.bHeld)
            continue;
        bAny = true;
        point.totalValue += position.value;
        point.positionPL += position.positionPL;
    }
    return bAny;
}

} // namespace

std::vector<SValuePoint> MergeValueSeries(const std::vector<SValuePoint>& refreshes,
                                          const std::vector<SPricePoint>& importedCloses,
                                          const CBlotterSpace& doc, const SHistoryRange& range)
{
    std::vector<SValuePoint> merged = refreshes;
    if (importedCloses.empty())
        return merged;

    CLocalDayKeys days;
    std::set<int> recordedDays;
    for (const SValuePoint& point : refreshes)
        recordedDays.insert(days.KeyOf(point.time));

    const CHoldings holdings(doc, doc.m_strCategoryFilter);
    std::unordered_map<std::string, double> lastClose;
    const std::size_t nRecorded = merged.size();
    int nDay = -1;
    std::time_t dayTime = 0;
    // Called when a day's closes are all in: its point, unless a refresh recorded that day.
    const auto closeDay = [&] {
        if (nDay < 0 || !range.Contains(dayTime) || recordedDays.count(nDay) != 0)
            return;
        SValuePoint point;
        point.time = dayTime;
        point.category = doc.m_strCategoryFilter;
        point.bComputed = true;
        if (ValueAt(holdings, lastClose, dayTime, point))
            merged.push_back(std::move(point));
    };
    for (const SPricePoint& close : importedCloses) {
        const int nKey = days.KeyOf(close.time);
        if (nKey != nDay) {
            closeDay();
            nDay = nKey;
        }
        if (holdings.Knows(close.symbol))
            lastClose[close.symbol] = close.price;
        dayTime = close.time;
    }
    closeDay();
    std::inplace_merge(merged.begin(), merged.begin() + static_cast<std::ptrdiff_t>(nRecorded),
                       merged.end(),
                       [](const SValuePoint& a, const SValuePoint& b) { return a.time < b.time; });
    return merged;
}

bool QueryValueSeries(CHistoryDb& db, const CBlotterSpace& doc, const SHistoryRange& range,
                      bool bDaily, std::vector<SValuePoint>& out)
{
    std::vector<SValuePoint> refreshes;
    std::vector<SPricePoint> closes;
    if (!ReadRefreshes(db, range, refreshes) || !ReadImportedCloses(db, range.until, closes))
        return false;
    out = MergeValueSeries(refreshes, closes, doc, range);
    if (bDaily)
        out = KeepDailyLast(out);
    return true;
}

bool QueryPriceSeries(CHistoryDb& db, const std::string& strSymbol, const SHistoryRange& range,
                      bool bDaily, std::vector<SPricePoint>& out)
{
    if (!ReadPrices(db, strSymbol, range, out))
        return false;
    if (bDaily)
        out = KeepDailyLast(out);
    return true;
}
