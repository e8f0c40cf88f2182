#include "conduit/ConduitSync.h"

#include <cstring>
#include <vector>

#include "conduit/CategoryBlock.h"
#include "conduit/ConduitDocument.h"
#include "conduit/ConduitLog.h"
#include "conduit/HandheldRecord.h"
#include "model/PortfolioFile.h"
#include "model/PortfolioTransaction.h"
#include "model/Valuation.h"
#include "platform/synckit/SyncKit.h"

namespace tf::conduit {

namespace {
// Names the handheld keeps by itself and the desktop never sends.
constexpr const char* kAllName = "All";
constexpr const char* kUnfiledName = "Unfiled";

void CopyName(char (&field)[SK_DB_NAME_SIZE], const std::string& name)
{
    std::memset(field, 0, sizeof field);
    std::memcpy(field, name.data(), std::min(name.size(), sizeof field - 1));
}

// A record block with its own cleared 128-byte buffer.
struct RecordTransfer
{
    explicit RecordTransfer(std::uint8_t handle) : buffer(kHandheldRecordSize, 0)
    {
        block.handle = handle;
        block.recordIndex = 0;
        block.buffer = buffer.data();
        block.bufferSize = kHandheldRecordSize;
    }
    SkRecordBlock block{};
    std::vector<std::uint8_t> buffer;
};

// A category transfer block with its own cleared 278-byte buffer.
struct CategoryTransfer
{
    explicit CategoryTransfer(const ConduitProperties& properties) : buffer(kCategoryBlockSize, 0)
    {
        CopyName(block.databaseName, properties.databaseName);
        block.bufferSize = kCategoryBlockSize;
        block.buffer = buffer.data();
    }
    SkCategoryBlock block{};
    std::vector<std::uint8_t> buffer;
};

} // namespace

std::uint8_t CConduitSync::OpenViewerDatabase(const ConduitProperties& properties)
{
    std::uint8_t handle = 0;
    int status =
        SkOpenDatabase(properties.databaseName.c_str(), 0, &handle, SK_OPEN_READ_WRITE_EXCLUSIVE);
    if (status == kSkErrNotFound) {
        SkCreateBlock create{};
        create.creator = properties.creator;
        create.flags = 0;
        create.card = properties.card;
        CopyName(create.name, properties.databaseName);
        create.type = properties.type;
        create.version = 0;
        handle = SkCreateDatabase(&create) == kSkOk ? create.handle : 0;
    } else if (status != kSkOk) {
        // A failed open hands out no database, whatever it left in the handle.
        handle = 0;
    }
    return handle;
}

bool CConduitSync::LoadConduitPortfolio(const std::string& path)
{
    CBlotterSpace loaded;
    loaded.CopySettingsFrom(m_doc);
    PortfolioReadResult result =
        m_pTransaction ? m_pTransaction->Read(loaded) : ReadPortfolioFile(path, loaded);
    switch (result.status) {
    case PortfolioReadStatus::Read:
        m_doc.CopyFrom(loaded);
        return true;
    case PortfolioReadStatus::Missing:
        LogSync(("No portfolio file at " + path + "; nothing was synchronized.").c_str(),
                kActivityWarning);
        return false;
    case PortfolioReadStatus::Damaged:
        break;
    }
    // Writing the document back would save only the part that could be read.
    std::string text = "The portfolio file " + path + " could not be read (" + result.errorText +
                       "); it was left as it was and nothing was synchronized.";
    if (!result.damagedCopy.empty())
        text += " A copy is at " + result.damagedCopy + ".";
    LogSync(text.c_str(), kActivityWarning);
    return false;
}

bool CConduitSync::StoreConduitPortfolio(const std::string& path)
{
    PortfolioWriteResult result =
        m_pTransaction ? m_pTransaction->Write(m_doc) : WritePortfolioFile(path, m_doc);
    m_strStoreError = result.errorText;
    return result.bOk;
}

int CConduitSync::ImportHandheldRecords(const ConduitProperties& properties, std::uint8_t handle)
{
    CCategoryMgr manager;
    ReadHandheldCategories(properties, handle, manager);
    std::time_t now = Now();
    RecordTransfer transfer(handle);
    SkRecordBlock& block = transfer.block;

    int status;
    while ((status = SkReadNextModifiedRecord(&block)) == kSkOk) {
        if (block.attributes & kAttributeDeleted)
            continue;
        TradeRecord record;
        // Bytes past the record's own size are left over from an earlier record.
        std::size_t size = std::min<std::size_t>(block.recordSize, transfer.buffer.size());
        UnpackHandheldRecord(transfer.buffer.data(), size, record);
        if (TradeSymbol(record) == kSummarySymbol)
            continue;
        if (!HasTradeNumbers(record)) {
            const std::string text = "The handheld's trade of " + TradeSymbol(record) +
                                     " holds a quantity, price or fee that is not a number a "
                                     "trade can take; it was not taken into the portfolio.";
            LogSync(text.c_str(), kActivityWarning);
            continue;
        }

        std::string name = kUnfiledName;
        CCategory* category = nullptr;
        if (block.category != 0 && manager.FindIndex(block.category, &category) == kCatOk)
            name = category->GetName();
        if (HasControlCharacter(TradeSymbol(record)) || HasControlCharacter(TradeCountry(record)) ||
            HasControlCharacter(name)) {
            LogSync(("The Viewer's record " + std::to_string(block.recordId) +
                     " was not taken in: its symbol, country or category holds a control "
                     "character.")
                        .c_str(),
                    kActivityWarning);
            continue;
        }
        if (!HasCategory(m_doc, name))
            AddCategory(m_doc, name);

        TradeRecord candidate = MakeEmptyTrade();
        SetTradeSymbol(candidate, TradeSymbol(record));
        candidate.quantity = record.quantity;
        candidate.price = record.price;
        SetTradeCategory(candidate, name);
        candidate.privateFlag = (block.attributes & kAttributePrivate) ? 1 : 0;
        // A record the last HotSync wrote names its trade by identifier, whatever became of
        // the trade's quantity since; only records made on the handheld are matched by
        // their values or taken in as new trades.
        if (TakeKnownRecord(block.recordId, block.category, candidate) ||
            MatchTrade(m_doc, candidate))
            continue;

        TradeRecord trade = MakeEmptyTrade();
        trade.id = m_doc.NextTradeId();
        trade.refId = 0;
        trade.recordIndex = static_cast<std::int32_t>(block.recordId);
        trade.status = kStatusInStep;
        trade.privateFlag = candidate.privateFlag;
        SetTradeCategory(trade, name);
        SetTradeSymbol(trade, TradeSymbol(record));
        trade.quantity = record.quantity;
        trade.price = record.price;
        trade.currentPrice = record.currentPrice;
        trade.dayChange = record.dayChange;
        trade.brokerFee = record.brokerFee;
        SetTradeCountry(trade, TradeCountry(record));
        trade.deductFee = 0;
        trade.closed = 0;
        trade.isSell = 0;
        trade.auxValue1 = 0.0;
        trade.costPrice = record.price;
        trade.realizedPL = 0.0;
        trade.auxValue2 = 0.0;
        trade.buyDate = static_cast<std::int32_t>(now);
        m_doc.m_trades.AddTail(trade);
    }
    m_bImportComplete = status == kSkErrNotFound;
    if (!m_bImportComplete)
        LogSync(kLogReadError, kActivityError);

    int purge = SkPurgeDeletedRecords(handle);
    if (purge != kSkOk)
        LogSync(kLogPurgeFailed, kActivityWarning);
    return purge;
}

int CConduitSync::AddHandheldCategory(CCategoryMgr& manager, const std::string& name)
{
    int counter = manager.GetCategoryCounter();
    if (counter + 2 > kCategoryIdLimit)
        return -1;
    auto* category = new CCategory(manager.GetFreeIndex(), name, counter + 1);
    if (manager.Add(category) != kCatOk) {
        delete category;
        return -1;
    }
    return category->GetIndex();
}

int CConduitSync::CategoryIndexFor(CCategoryMgr& manager, const std::string& name, bool& bAdded)
{
    // A trade without a category is shown as the handheld's own "Unfiled".
    if (name.empty())
        return 0;
    CCategory* category = nullptr;
    if (manager.FindName(name, &category) != kCatNotFound)
        return category->GetIndex();
    int index = AddHandheldCategory(manager, name);
    if (index >= 0)
        bAdded = true;
    return index;
}

int CConduitSync::ExportPortfolio(const ConduitProperties& properties, std::uint8_t handle)
{
    int result = 0;
    RenumberTradesForTheHandheld();

    int status = SkDeleteAllRecords(handle);
    if (status != kSkOk) {
        LogSync(kLogClearFailed, kActivityWarning);
        result = status;
    }

    CCategoryMgr manager;
    if (!CompleteHandheldCategories(properties, handle, manager))
        result = 1;

    RecordTransfer transfer(handle);
    status = WriteTradeRecords(properties, handle, manager, transfer.block);
    if (status != 0)
        result = status;
    status = WriteSummaryRecord(transfer.block);
    if (status != kSkOk)
        result = status;

    if (SkClearSyncFlags(handle) != kSkOk)
        LogSync(kLogResetFailed, kActivityWarning);
    return result;
}

void CConduitSync::RenumberTradesForTheHandheld()
{
    RemoveDeletedTrades(m_doc);
    std::int32_t recordIndex = 1;
    for (TradeRecord& trade : m_doc.m_trades) {
        trade.recordIndex = recordIndex++;
        trade.status = kStatusChanged;
    }
}

bool CConduitSync::CompleteHandheldCategories(const ConduitProperties& properties,
                                              std::uint8_t handle, CCategoryMgr& manager)
{
    bool bComplete = true;
    ReadHandheldCategories(properties, handle, manager);
    for (const std::string& fullName : m_doc.m_categories) {
        if (fullName == kAllName || fullName == kUnfiledName || fullName.empty())
            continue;
        // The handheld keeps at most a slot's width of a name.
        std::string name = fullName.substr(0, kCategoryNameMax);
        if (manager.FindName(name, nullptr) != kCatNotFound)
            continue;
        if (AddHandheldCategory(manager, name) < 0) {
            bComplete = false;
            break;
        }
    }
    WriteHandheldCategories(properties, handle, manager);
    ReadHandheldCategories(properties, handle, manager);
    return bComplete;
}

int CConduitSync::WriteTradeRecords(const ConduitProperties& properties, std::uint8_t handle,
                                    CCategoryMgr& manager, SkRecordBlock& block)
{
    int result = 0;
    bool bAddedForTrades = false;
    m_written.records.clear();
    for (TradeRecord& trade : m_doc.m_trades) {
        if (trade.closed == 1)
            continue;
        PackHandheldRecord(trade, block);
        int index = CategoryIndexFor(manager, TradeCategory(trade), bAddedForTrades);
        if (index < 0) {
            // Every slot is taken: the trade still reaches the handheld, under "Unfiled".
            LogSync(("Trade " + std::to_string(trade.id) + " (" + TradeSymbol(trade) +
                     ") is shown under \"Unfiled\" on the Viewer: its category \"" +
                     TradeCategory(trade) + "\" found no free category there.")
                        .c_str(),
                    kActivityWarning);
            result = 1;
            index = 0;
        }
        block.category = static_cast<std::int16_t>(index);
        int status = SkWriteRecord(&block);
        if (status != kSkOk) {
            result = status;
            break;
        }
        trade.status = kStatusInStep;
        // The block is packed: its fields are copied, never bound by reference.
        const std::uint32_t recordId = block.recordId;
        m_written.records[recordId] = {trade.id, trade.buyDate, index};
    }
    // Categories first met on a trade must reach the handheld too, or its records would
    // point at slots without a name.
    if (bAddedForTrades)
        WriteHandheldCategories(properties, handle, manager);
    return result;
}

int CConduitSync::WriteSummaryRecord(SkRecordBlock& block)
{
    TradeRecord summary = MakeEmptyTrade();
    RealizedPL realized = ComputeRealizedPL(m_doc, Now());
    SetTradeSymbol(summary, kSummarySymbol);
    SetTradeCategory(summary, kUnfiledName);
    summary.quantity = realized.mtd;
    summary.price = realized.ytd;
    summary.currentPrice = m_doc.m_dExternalYtdGains;
    summary.deductFee = m_doc.m_bDeductBrokerage;
    SetTradeCountry(summary, m_doc.m_strBaseCountry);
    PackHandheldRecord(summary, block);
    block.category = 0;
    return SkWriteRecord(&block);
}

int CConduitSync::ReadHandheldCategories(const ConduitProperties& properties, std::uint8_t handle,
                                         CCategoryMgr& manager)
{
    manager.DeleteAllCategories(1);
    CategoryTransfer transfer(properties);
    if (SkReadCategoryBlock(handle, &transfer.block) != kSkOk)
        return 1;
    return ReadCategoryBlockInto(transfer.buffer.data(), transfer.buffer.size(), manager);
}

int CConduitSync::WriteHandheldCategories(const ConduitProperties& properties, std::uint8_t handle,
                                          CCategoryMgr& manager)
{
    CategoryTransfer transfer(properties);
    int status = SkReadCategoryBlock(handle, &transfer.block);
    std::uint8_t block[kCategoryBlockSize];
    if (status == kSkOk) {
        if (BuildCategoryBlock(manager, block) == 0)
            return 0;
    } else if (status == kSkErrNotFound) {
        // A new viewer database has no block yet: build one, with "Unfiled" in slot 0
        // where the handheld keeps it, so the names show at once.
        BuildCategoryBlock(manager, block);
        if (manager.FindIndex(0, nullptr) != kCatOk) {
            std::memcpy(block + kCategoryNamesOffset, kUnfiledName, std::strlen(kUnfiledName));
            block[kCategoryIdsOffset] = 0;
        }
    } else {
        // Without the handheld's block, writing one could lose its own categories.
        return 0;
    }
    std::memcpy(transfer.buffer.data(), block, sizeof block);
    return SkWriteCategoryBlock(handle, &transfer.block);
}

} // namespace tf::conduit
