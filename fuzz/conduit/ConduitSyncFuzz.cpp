// Fuzzes a synchronisation against a handheld whose viewer database is any PDB image:
// every record is offered as changed, the portfolio takes them in, and the viewer is
// rewritten. Nothing may crash, and the rewritten viewer must still be a valid database.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "conduit/ConduitProperties.h"
#include "conduit/ConduitSync.h"
#include "model/BlotterSpace.h"
#include "platform/synckit/MemoryHandheld.h"
#include "platform/synckit/PdbFile.h"
#include "platform/synckit/SyncLog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tf::synckit::HandheldDatabase viewer;
    if (tf::synckit::ParsePdb(data, size, viewer) != kSkOk)
        return 0;
    viewer.name = "TallyfernDB";
    for (tf::synckit::StoredRecord& record : viewer.records)
        record.flags |= kSkRecordDirty;

    tf::synckit::CMemoryHandheld handheld;
    handheld.PutDatabase(viewer);
    tf::synckit::SelectHandheld(&handheld);

    CBlotterSpace doc;
    doc.AddDefaultCategories();
    TradeRecord trade = MakeEmptyTrade();
    trade.id = 1;
    SetTradeSymbol(trade, "AAA");
    SetTradeCategory(trade, "Personal");
    trade.quantity = 1;
    trade.price = 1;
    doc.m_trades.AddTail(trade);

    tf::conduit::ConduitProperties properties;
    properties.databaseName = "TallyfernDB";
    tf::conduit::CConduitSync sync(doc, [] { return std::time_t{1773590400}; });
    std::uint8_t handle = sync.OpenViewerDatabase(properties);
    if (handle == 0)
        std::abort();
    sync.ImportHandheldRecords(properties, handle);
    sync.ExportPortfolio(properties, handle);
    SkCloseDatabase(handle);
    tf::synckit::SelectHandheld(nullptr);
    tf::synckit::ClearLog();

    if (doc.m_categories.size() > 16)
        std::abort();
    std::vector<std::uint8_t> image = tf::synckit::BuildPdb(*handheld.FindDatabase("TallyfernDB"));
    tf::synckit::HandheldDatabase reread;
    if (tf::synckit::ParsePdb(image.data(), image.size(), reread) != kSkOk)
        std::abort();
    return 0;
}
