// The viewer database's category block (its application information, 278 bytes): the
// names of categories 0 to 15 in 16-byte slots, then their one-byte identifiers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/synckit/Categories.h"

namespace tf::conduit {

constexpr std::size_t kCategoryBlockSize = 278;
constexpr std::size_t kCategoryNamesOffset = 2;
constexpr std::size_t kCategorySlotWidth = 16;
constexpr std::size_t kCategoryIdsOffset = 258;

// Adds a category to the manager for every slot with a name (untrusted: from the
// handheld; bytes past `size` read as zero, a name without terminator keeps 15
// characters). 0, or 1 when the manager refused one (reading stops there).
int ReadCategoryBlockInto(const std::uint8_t* data, std::size_t size, CCategoryMgr& manager);

// Clears the block and writes every category of the manager into the slot of its own index.
// Returns how many categories the manager listed.
int BuildCategoryBlock(CCategoryMgr& manager, std::uint8_t (&block)[kCategoryBlockSize]);

} // namespace tf::conduit
