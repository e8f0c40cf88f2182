// Bringing daily closes into the history: each close belongs to the end of its local day and
// to the country of the portfolio's trades in that symbol (the base country for a symbol the
// portfolio has never held).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/history/CloseCsv.h"
#include "engine/history/HistoryDb.h"
#include "model/BlotterSpace.h"

struct SImportSummary
{
    std::size_t nCloses = 0;
    std::vector<std::string> symbols;        // sorted
    std::vector<std::string> notInPortfolio; // symbols no trade names: kept, valued nowhere
    SLocalDate first;
    SLocalDate last;
};

// One transaction: every row or none.
bool ImportCloses(CHistoryDb& db, const CBlotterSpace& doc, const std::vector<SCloseRow>& rows,
                  SImportSummary& summary);
