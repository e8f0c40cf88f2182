// Writing and reading the rows of the price history. Each write is one transaction; each
// read sees one consistent state of the file, also while another program writes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/history/HistoryDb.h"
#include "engine/history/HistoryRows.h"

// The refresh row and one row per quote that arrived, all or nothing.
bool WriteRefresh(CHistoryDb& db, const SHistoryRefresh& refresh);

// Imported closes, all or nothing. A close for a symbol and time already imported replaces
// the earlier one, so importing a file twice keeps one row per day.
bool WriteImportedCloses(CHistoryDb& db, const std::vector<SPricePoint>& closes);

// Refresh rows in time order.
bool ReadRefreshes(CHistoryDb& db, const SHistoryRange& range, std::vector<SValuePoint>& out);
// One symbol's prices (fetched and imported) in time order.
bool ReadPrices(CHistoryDb& db, const std::string& strSymbol, const SHistoryRange& range,
                std::vector<SPricePoint>& out);
// Every imported close up to a time, in time order.
bool ReadImportedCloses(CHistoryDb& db, std::optional<std::time_t> until,
                        std::vector<SPricePoint>& out);
// The symbols that have imported closes, sorted.
bool ReadImportedSymbols(CHistoryDb& db, std::vector<std::string>& out);

// The hour a quote row is filed under.
std::int64_t HistoryHourOf(std::time_t when);
