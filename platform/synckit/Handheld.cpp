#include "platform/synckit/Handheld.h"

#include <algorithm>
#include <cstring>
#include <ctime>

namespace tf::synckit {

namespace {
std::string NameFromField(const char* field, std::size_t size)
{
    return std::string(field, strnlen(field, size));
}
} // namespace

CHandheld::~CHandheld() = default;

std::int64_t CHandheld::Now() const
{
    return static_cast<std::int64_t>(std::time(nullptr));
}

int CHandheld::EnterOpen(SkCall call, std::uint8_t handle, bool bArgumentsOk, OpenEntry*& entry)
{
    if (int status = Enter(call))
        return status;
    if (!bArgumentsOk)
        return kSkErrBadArgument;
    entry = FindOpen(handle);
    return entry ? kSkOk : kSkErrNotOpen;
}

int CHandheld::Enter(SkCall call)
{
    int index = static_cast<int>(call);
    ++m_calls[index];
    Failure& failure = m_failures[index];
    if (!failure.bActive)
        return kSkOk;
    if (failure.nSkip > 0) {
        --failure.nSkip;
        return kSkOk;
    }
    if (failure.nTimes == 0)
        return kSkOk;
    if (failure.nTimes > 0)
        --failure.nTimes;
    return failure.nStatus;
}

void CHandheld::FailCall(SkCall call, int status, int skip, int times)
{
    m_failures[static_cast<int>(call)] = Failure{true, status, skip, times};
}

void CHandheld::ClearFailures()
{
    m_failures = {};
}

CHandheld::OpenEntry* CHandheld::FindOpen(std::uint8_t handle)
{
    auto it = m_open.find(handle);
    return it == m_open.end() ? nullptr : &it->second;
}

int CHandheld::AddOpen(HandheldDatabase* db, std::uint8_t* handle)
{
    for (int candidate = 1; candidate <= kMaxOpenDatabases; ++candidate) {
        auto h = static_cast<std::uint8_t>(candidate);
        if (m_open.count(h) == 0) {
            m_open[h] = OpenEntry{db, 0, false};
            *handle = h;
            return kSkOk;
        }
    }
    return kSkErrTooManyOpen;
}

void CHandheld::MarkChanged(OpenEntry& entry)
{
    entry.bChanged = true;
}

int CHandheld::OpenDatabase(const char* name, int /*card*/, std::uint8_t* handle, int /*mode*/)
{
    if (int status = Enter(SkCall::Open))
        return status;
    if (!name || !handle)
        return kSkErrBadArgument;
    std::string text = NameFromField(name, SK_DB_NAME_SIZE);
    if (!IsValidDatabaseName(text))
        return kSkErrBadArgument;
    for (const auto& [h, entry] : m_open)
        if (entry.pDb->name == text)
            return kSkErrInUse;
    if (static_cast<int>(m_open.size()) >= kMaxOpenDatabases)
        return kSkErrTooManyOpen;
    HandheldDatabase* db = nullptr;
    if (int status = Attach(text, db))
        return status;
    return AddOpen(db, handle);
}

int CHandheld::CreateDatabase(SkCreateBlock* block)
{
    if (int status = Enter(SkCall::Create))
        return status;
    if (!block)
        return kSkErrBadArgument;
    HandheldDatabase prototype;
    prototype.name = NameFromField(block->name, sizeof block->name);
    if (!IsValidDatabaseName(prototype.name))
        return kSkErrBadArgument;
    for (const auto& [h, entry] : m_open)
        if (entry.pDb->name == prototype.name)
            return kSkErrExists;
    if (static_cast<int>(m_open.size()) >= kMaxOpenDatabases)
        return kSkErrTooManyOpen;
    prototype.creator = block->creator;
    prototype.type = block->type;
    prototype.attributes = static_cast<std::uint16_t>(block->flags);
    prototype.version = block->version;
    prototype.card = block->card;
    prototype.creationDate = prototype.modificationDate = HandheldTime(Now());
    HandheldDatabase* db = nullptr;
    if (int status = Make(prototype, db))
        return status;
    int status = AddOpen(db, &block->handle);
    if (status == kSkOk)
        m_open[block->handle].bChanged = true; // a new database is stored on close
    return status;
}

int CHandheld::CloseDatabase(std::uint8_t handle)
{
    OpenEntry* entry = nullptr;
    if (int status = EnterOpen(SkCall::Close, handle, true, entry))
        return status;
    HandheldDatabase* db = entry->pDb;
    bool changed = entry->bChanged;
    if (changed) {
        db->modificationDate = HandheldTime(Now());
        ++db->modificationNumber;
    }
    m_open.erase(handle);
    return Release(db, changed);
}

int CHandheld::ClearSyncFlags(std::uint8_t handle)
{
    OpenEntry* entry = nullptr;
    if (int status = EnterOpen(SkCall::ClearSyncFlags, handle, true, entry))
        return status;
    for (StoredRecord& record : entry->pDb->records)
        record.flags &= static_cast<std::uint8_t>(~(kSkRecordDirty | kSkRecordBusy));
    entry->pDb->backupDate = HandheldTime(Now());
    MarkChanged(*entry);
    return kSkOk;
}

int CHandheld::WriteRecord(SkRecordBlock* block)
{
    OpenEntry* entry = nullptr;
    if (int status =
            EnterOpen(SkCall::WriteRecord, block ? block->handle : 0, block != nullptr, entry))
        return status;
    if (block->category < 0 || block->category > 15)
        return kSkErrBadArgument;
    if (block->recordSize > kMaxRecordSize)
        return kSkErrRecordTooLarge;
    if (block->recordSize > block->bufferSize || (block->recordSize > 0 && !block->buffer))
        return kSkErrBadArgument;
    HandheldDatabase& db = *entry->pDb;
    StoredRecord* target = nullptr;
    if (block->recordId == 0) {
        if (db.records.size() >= kMaxRecordCount)
            return kSkErrStorage;
        std::uint32_t uid = db.NewRecordId();
        if (uid == 0)
            return kSkErrStorage;
        db.records.push_back(StoredRecord{uid, 0, 0, {}});
        target = &db.records.back();
    } else {
        target = db.FindRecord(block->recordId);
        if (!target)
            return kSkErrNotFound;
    }
    target->flags = block->attributes & 0xF0;
    target->category = static_cast<std::uint8_t>(block->category);
    target->data.assign(block->buffer, block->buffer + block->recordSize);
    block->recordId = target->uid;
    MarkChanged(*entry);
    return kSkOk;
}

int CHandheld::ReadNextModifiedRecord(SkRecordBlock* block)
{
    OpenEntry* entry = nullptr;
    if (int status =
            EnterOpen(SkCall::ReadNextModified, block ? block->handle : 0, block != nullptr, entry))
        return status;
    std::vector<StoredRecord>& records = entry->pDb->records;
    while (entry->nCursor < records.size()) {
        std::size_t index = entry->nCursor++;
        const StoredRecord& record = records[index];
        if (!(record.flags & (kSkRecordDirty | kSkRecordDeleted)))
            continue;
        if (!block->buffer && !record.data.empty())
            return kSkErrBadArgument;
        std::size_t copied = std::min<std::size_t>(record.data.size(), block->bufferSize);
        if (copied > 0)
            std::memcpy(block->buffer, record.data.data(), copied);
        block->recordId = record.uid;
        block->recordIndex = static_cast<std::uint16_t>(index);
        block->attributes = record.flags;
        block->category = record.category;
        block->recordSize = static_cast<std::uint32_t>(record.data.size());
        return kSkOk;
    }
    return kSkErrNotFound;
}

int CHandheld::ReadCategoryBlock(std::uint8_t handle, SkCategoryBlock* block)
{
    OpenEntry* entry = nullptr;
    if (int status = EnterOpen(SkCall::ReadCategoryBlock, handle, block != nullptr, entry))
        return status;
    const HandheldDatabase& db = *entry->pDb;
    if (!db.bHasAppInfo)
        return kSkErrNotFound;
    if (!block->buffer && block->bufferSize > 0)
        return kSkErrBadArgument;
    std::size_t copied = std::min<std::size_t>(db.appInfo.size(), block->bufferSize);
    if (copied > 0)
        std::memcpy(block->buffer, db.appInfo.data(), copied);
    // A shorter block leaves no stale bytes in the caller's buffer.
    if (block->bufferSize > copied)
        std::memset(block->buffer + copied, 0, block->bufferSize - copied);
    return kSkOk;
}

int CHandheld::WriteCategoryBlock(std::uint8_t handle, SkCategoryBlock* block)
{
    OpenEntry* entry = nullptr;
    if (int status = EnterOpen(SkCall::WriteCategoryBlock, handle,
                               block && (block->buffer || block->bufferSize == 0), entry))
        return status;
    HandheldDatabase& db = *entry->pDb;
    db.bHasAppInfo = true;
    db.appInfo.assign(block->buffer, block->buffer + block->bufferSize);
    MarkChanged(*entry);
    return kSkOk;
}

int CHandheld::PurgeDeletedRecords(std::uint8_t handle)
{
    OpenEntry* entry = nullptr;
    if (int status = EnterOpen(SkCall::PurgeDeleted, handle, true, entry))
        return status;
    std::vector<StoredRecord>& records = entry->pDb->records;
    std::erase_if(records, [](const StoredRecord& r) { return (r.flags & kSkRecordDeleted) != 0; });
    entry->nCursor = std::min(entry->nCursor, records.size());
    MarkChanged(*entry);
    return kSkOk;
}

int CHandheld::DeleteAllRecords(std::uint8_t handle)
{
    OpenEntry* entry = nullptr;
    if (int status = EnterOpen(SkCall::DeleteAll, handle, true, entry))
        return status;
    entry->pDb->records.clear();
    entry->nCursor = 0;
    MarkChanged(*entry);
    return kSkOk;
}

} // namespace tf::synckit
