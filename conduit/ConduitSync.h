// One HotSync of the portfolio: handheld changes into the portfolio file, then the viewer
// database rewritten from the portfolio. The portfolio file is locked against its other
// writers from the read to the last write, and saved before the handheld is rewritten, so a
// save that fails leaves the handheld's changes marked for the next HotSync. Every outcome
// goes to the sync log; nothing here reports failure to the caller.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "conduit/ConduitProperties.h"
#include "conduit/HotSyncState.h"
#include "model/BlotterSpace.h"
#include "platform/synckit/Categories.h"
#include "platform/synckit/SyncKit.h"

class CPortfolioTransaction;

namespace tf::conduit {

class CConduitSync
{
  public:
    // The clock gives the time the synchronisation runs at (tests fix it).
    using Clock = std::function<std::time_t()>;

    explicit CConduitSync(CBlotterSpace& doc, Clock clock = {});
    // How long Run waits for another program's save of the portfolio (DefaultLockWait()
    // unless set).
    void SetLockWait(std::chrono::milliseconds wait) { m_lockWait = wait; }

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
    // Removes the deleted trades, numbers the rest and sets the states the write-back will
    // leave (in step for open trades, changed for closed ones), before the portfolio is
    // saved ahead of the write-back.
    void PrepareExport();
    // Which record holds which trade, as the last HotSync wrote them.
    void ReadKnownRecords(const std::string& target, const ConduitProperties& properties);
    void WriteKnownRecords(const std::string& target);
    // A changed record whose identifier the last HotSync wrote: refiles its trade (the
    // category only when the record left the slot it was written in), or leaves out the
    // record of a trade removed since. False for a record not known.
    bool TakeKnownRecord(std::uint32_t recordId, std::int32_t category,
                         const TradeRecord& candidate);
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
    std::chrono::milliseconds m_lockWait;
    // The open transaction of Run; the steps read and write through it when set.
    CPortfolioTransaction* m_pTransaction = nullptr;
    std::string m_strStoreError;
    CHotSyncState m_known;   // what the last HotSync wrote
    CHotSyncState m_written; // what this one wrote
    // False when reading the handheld's changes stopped on an error: rewriting the viewer
    // then would delete the changes not yet read.
    bool m_bImportComplete = true;
};

} // namespace tf::conduit
