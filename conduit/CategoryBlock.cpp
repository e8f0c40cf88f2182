#include "conduit/CategoryBlock.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace tf::conduit {

int ReadCategoryBlockInto(const std::uint8_t* data, std::size_t size, CCategoryMgr& manager)
{
    std::uint8_t block[kCategoryBlockSize] = {};
    if (data)
        std::memcpy(block, data, std::min(size, kCategoryBlockSize));
    for (int slot = 0; slot < kCategorySlots; ++slot) {
        const char* name =
            reinterpret_cast<const char*>(block + kCategoryNamesOffset + slot * kCategorySlotWidth);
        std::size_t length = strnlen(name, kCategoryNameMax);
        if (length == 0)
            continue;
        auto* category =
            new CCategory(slot, std::string(name, length), block[kCategoryIdsOffset + slot]);
        if (manager.Add(category) != kCatOk) {
            delete category;
            return 1;
        }
    }
    return 0;
}

int BuildCategoryBlock(CCategoryMgr& manager, std::uint8_t (&block)[kCategoryBlockSize])
{
    std::memset(block, 0, sizeof block);
    int listed = 0;
    CCategory* category = nullptr;
    for (long found = manager.FindFirst(&category);
         found != kCatNotFound && listed < kCategorySlots; found = manager.FindNext(&category)) {
        ++listed;
        int slot = category->GetIndex();
        if (slot < 0 || slot >= kCategorySlots)
            continue;
        const std::string& name = category->GetName();
        std::memcpy(block + kCategoryNamesOffset + slot * kCategorySlotWidth, name.data(),
                    std::min(name.size(), kCategoryNameMax));
        block[kCategoryIdsOffset + slot] = static_cast<std::uint8_t>(category->GetID());
    }
    return listed;
}

} // namespace tf::conduit
