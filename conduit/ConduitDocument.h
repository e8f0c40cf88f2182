// Operations on the portfolio document that only the conduit uses.
#pragma once

#include <string>

#include "model/BlotterSpace.h"

namespace tf::conduit {

// The document holds at most this many category names.
constexpr std::size_t kMaxDocumentCategories = 16;

// Removes every trade whose status is deleted.
void RemoveDeletedTrades(CBlotterSpace& doc);
// True when the category list holds exactly this name (case-sensitive).
bool HasCategory(const CBlotterSpace& doc, const std::string& name);
// Appends the name unless the list already holds kMaxDocumentCategories names.
bool AddCategory(CBlotterSpace& doc, const std::string& name);
// Finds the first trade with the candidate's symbol, price and quantity (exact); gives it
// the candidate's category and private flag and returns true, or returns false.
bool MatchTrade(CBlotterSpace& doc, const TradeRecord& candidate);
// What a handheld edit of a known trade's record changes: category and private flag.
void RefileTrade(TradeRecord& trade, const TradeRecord& candidate);
// The first trade with this id that is not marked deleted, or nullptr.
TradeRecord* FindLiveTrade(CBlotterSpace& doc, std::int32_t id);
// True when the text holds a control character (C0 or DEL): such a text from the handheld
// would reach terminals, request lines and mail raw.
bool HasControlCharacter(const std::string& text);

} // namespace tf::conduit
