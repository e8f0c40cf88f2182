// What the history shows: the portfolio's value over time, or one symbol's prices, over a
// range of time and optionally one row per day. Used by `tfport history` and the chart.
#pragma once

#include <string>
#include <vector>

#include "engine/history/HistoryDb.h"
#include "engine/history/HistoryRows.h"
#include "model/BlotterSpace.h"

// The refresh rows as recorded, and for each day with imported closes but no refresh row a
// point computed from the holdings of that day (CHoldings) at each symbol's latest close, for
// the portfolio's category filter. A day on which nothing priced was held has no point.
std::vector<SValuePoint> MergeValueSeries(const std::vector<SValuePoint>& refreshes,
                                          const std::vector<SPricePoint>& importedCloses,
                                          const CBlotterSpace& doc, const SHistoryRange& range);

bool QueryValueSeries(CHistoryDb& db, const CBlotterSpace& doc, const SHistoryRange& range,
                      bool bDaily, std::vector<SValuePoint>& out);
bool QueryPriceSeries(CHistoryDb& db, const std::string& strSymbol, const SHistoryRange& range,
                      bool bDaily, std::vector<SPricePoint>& out);
