// The three-way merge of a portfolio: what this program changed in its copy since it read
// the file (the base), joined with what another program wrote into the file meanwhile.
//
// Trades are matched by `id` and merged part by part: the quote (`currentPrice`,
// `dayChange`, written by every refresh), the handheld bookkeeping (`status`,
// `recordIndex`), the filing (`category`, `privateFlag`) and the ledger part (every other
// field). A part changed on one side only takes that side; changed on both, it takes this
// program's change, and a filing or ledger part changed both ways is a conflict. A trade
// removed on one side is removed, unless the other side changed its filing or ledger part:
// that is a conflict too, and this program's side (its removal, or its changed trade) is
// kept. Trades added on both sides are all kept; this program's new ones that
// share a number with the other side's are renumbered, and so is every `refId` of this
// program's new trades that named them. Categories merge as a set, in this program's order
// with the other side's new ones after them. Each setting takes the other side's value
// where this program did not change it since the base.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "model/BlotterSpace.h"

struct PortfolioMergeResult
{
    CBlotterSpace doc;
    // Trades changed both here and there in different ways; this side's change was kept.
    std::vector<std::int32_t> conflicts;
    // This side's new trades that took another number: (old id, new id).
    std::vector<std::pair<std::int32_t, std::int32_t>> renumbered;
};

// base: the version both sides started from; mine: this program's copy; theirs: what the
// other side wrote since.
PortfolioMergeResult MergePortfolios(const CBlotterSpace& base, const CBlotterSpace& mine,
                                     const CBlotterSpace& theirs);
