// One HotSync of the portfolio: handheld changes into the portfolio file, then the viewer
// database rewritten from the portfolio. Every outcome goes to the sync log; nothing here
// reports failure to the caller.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "conduit/ConduitProperties.h"
#include "model/BlotterSpace.h"
#include "platform/synckit/Categories.h"
#include "platform/synckit/SyncKit.h"

namespace tf::conduit {

class CConduitSync
{
  public:
    // The clock gives the time the synchronisation runs at (tests fix it).
    using Clock = std::function<std::time_t()>;

    explicit CConduitSync(CBlotterSpace& doc, Clock clock = {});

    // The whole synchronisation, from the first log entry to the last.
    void Run(const ConduitProperties& properties);

    // The steps, in the order Run takes them.
    std::uint8_t OpenViewerDatabase(const ConduitProperties& properties);
    bool LoadConduitPortfolio(const std::string& path);
    int ImportHandheldRecords(const ConduitProperties& properties, std::uint8_t handle);
    int ExportPortfolio(const ConduitProperties& properties, std::uint8_t handle);
    bool StoreConduitPortfolio(const std::string& path);

    int ReadHandheldCategories(const ConduitProperties& properties, std::uint8_t handle,
                               CCategoryMgr& manager);
    int WriteHandheldCategories(const ConduitProperties& properties, std::uint8_t handle,
                                CCategoryMgr& manager);

  private:
    // The parts of ExportPortfolio. Deleted trades go, the others are numbered for the
    // handheld and marked changed until their record is written.
    void RenumberTradesForTheHandheld();
    // Adds the document's categories the handheld lacks and writes the category block; false
    // when one could not be added.
    bool CompleteHandheldCategories(const ConduitProperties& properties, std::uint8_t handle,
                                    CCategoryMgr& manager);
    // One record per open trade; 0, or the first failing status (1 for a refused category).
    int WriteTradeRecords(const ConduitProperties& properties, std::uint8_t handle,
                          CCategoryMgr& manager, SkRecordBlock& block);
    // The summary record that ends every write-back; the write's status.
    int WriteSummaryRecord(SkRecordBlock& block);
    // Gives the manager a new category for the name; its index, or -1 when refused.
    int AddHandheldCategory(CCategoryMgr& manager, const std::string& name);
    // The handheld category index a trade's record is filed under; -1 when refused.
    int CategoryIndexFor(CCategoryMgr& manager, const std::string& name, bool& bAdded);
    std::time_t Now() const;

    CBlotterSpace& m_doc;
    Clock m_clock;
    // False when reading the handheld's changes stopped on an error: rewriting the viewer
    // then would delete the changes not yet read.
    bool m_bImportComplete = true;
};

} // namespace tf::conduit
