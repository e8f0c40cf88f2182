// Fuzzes the category block reader: any block fills the manager with at most 16
// categories whose names fit their slots, and the block built from them reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "conduit/CategoryBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CCategoryMgr manager;
    if (tf::conduit::ReadCategoryBlockInto(data, size, manager) != 0)
        std::abort(); // slots are distinct, so the manager never refuses one
    if (manager.GetCount() > kCategorySlots)
        std::abort();
    std::uint8_t block[tf::conduit::kCategoryBlockSize];
    int listed = tf::conduit::BuildCategoryBlock(manager, block);
    CCategoryMgr again;
    tf::conduit::ReadCategoryBlockInto(block, sizeof block, again);
    if (listed != manager.GetCount() || again.GetCount() != manager.GetCount())
        std::abort();
    CCategory* category = nullptr;
    for (long found = manager.FindFirst(&category); found != kCatNotFound;
         found = manager.FindNext(&category)) {
        CCategory* twin = nullptr;
        if (category->GetName().size() > kCategoryNameMax ||
            again.FindIndex(category->GetIndex(), &twin) != kCatOk ||
            twin->GetName() != category->GetName() || twin->GetID() != category->GetID())
            std::abort();
    }
    return 0;
}
