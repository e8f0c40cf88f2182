// The handheld that the record interface acts on. The sync manager picks one with
// SelectHandheld before it calls a conduit: a memory handheld (tests, fault injection) or
// a folder of PDB files. The base class carries out every record call on databases that
// the concrete handheld finds, creates and stores.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "platform/synckit/HandheldDatabase.h"
#include "platform/synckit/SyncKit.h"

namespace tf::synckit {

// The record interface calls, for fault injection and call counts.
enum class SkCall {
    Open,
    Create,
    Close,
    ClearSyncFlags,
    WriteRecord,
    ReadNextModified,
    ReadCategoryBlock,
    WriteCategoryBlock,
    PurgeDeleted,
    DeleteAll,
    Count
};

// Handles are one byte and 0 means "not open".
constexpr int kMaxOpenDatabases = 16;

class SK_API CHandheld
{
  public:
    CHandheld() = default;
    virtual ~CHandheld();
    CHandheld(const CHandheld&) = delete;
    CHandheld& operator=(const CHandheld&) = delete;

    int OpenDatabase(const char* name, int card, std::uint8_t* handle, int mode);
    int CreateDatabase(SkCreateBlock* block);
    int CloseDatabase(std::uint8_t handle);
    int ClearSyncFlags(std::uint8_t handle);
    int WriteRecord(SkRecordBlock* block);
    int ReadNextModifiedRecord(SkRecordBlock* block);
    int ReadCategoryBlock(std::uint8_t handle, SkCategoryBlock* block);
    int WriteCategoryBlock(std::uint8_t handle, SkCategoryBlock* block);
    int PurgeDeletedRecords(std::uint8_t handle);
    int DeleteAllRecords(std::uint8_t handle);

    // Makes a call return status instead of doing its work: after `skip` calls that
    // succeed normally, the next `times` calls fail (-1: every later call).
    void FailCall(SkCall call, int status, int skip = 0, int times = -1);
    void ClearFailures();
    // How often a call was made since the handheld was created.
    int CallCount(SkCall call) const { return m_calls[static_cast<int>(call)]; }
    int OpenCount() const { return static_cast<int>(m_open.size()); }

  protected:
    // Finds the database for opening; kSkErrNotFound when there is none. The pointer must
    // stay valid until Release.
    virtual int Attach(const std::string& name, HandheldDatabase*& db) = 0;
    // Makes a new, empty database like the prototype; kSkErrExists when the name is taken.
    virtual int Make(const HandheldDatabase& prototype, HandheldDatabase*& db) = 0;
    // The database is closed; bChanged tells whether any call changed it.
    virtual int Release(HandheldDatabase* db, bool bChanged) = 0;
    // The current time in seconds since 1970, for database dates.
    virtual std::int64_t Now() const;

  private:
    struct OpenEntry
    {
        HandheldDatabase* pDb = nullptr;
        std::size_t nCursor = 0; // next record for ReadNextModifiedRecord
        bool bChanged = false;
    };
    struct Failure
    {
        bool bActive = false;
        int nStatus = 0;
        int nSkip = 0;
        int nTimes = 0;
    };

    // Counts the call and returns an injected status, or 0 to go on.
    int Enter(SkCall call);
    // Enter, then the caller's argument check, then the open database the handle names: the
    // first failure's status, in that order, or kSkOk with entry set.
    int EnterOpen(SkCall call, std::uint8_t handle, bool bArgumentsOk, OpenEntry*& entry);
    OpenEntry* FindOpen(std::uint8_t handle);
    int AddOpen(HandheldDatabase* db, std::uint8_t* handle);
    void MarkChanged(OpenEntry& entry);

    std::map<std::uint8_t, OpenEntry> m_open;
    std::array<Failure, static_cast<int>(SkCall::Count)> m_failures{};
    std::array<int, static_cast<int>(SkCall::Count)> m_calls{};
};

// The handheld the C calls act on (none: every call returns kSkErrNoHandheld). The sync
// manager owns it and keeps it alive while it is selected.
SK_API void SelectHandheld(CHandheld* handheld);
SK_API CHandheld* SelectedHandheld();

} // namespace tf::synckit
