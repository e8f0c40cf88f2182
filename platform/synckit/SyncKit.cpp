// The C record interface: each call goes to the selected handheld.
#include "platform/synckit/SyncKit.h"

#include <cstring>

#include "platform/synckit/Handheld.h"
#include "platform/synckit/SyncLog.h"

namespace tf::synckit {
namespace {
CHandheld* g_pHandheld = nullptr;
std::vector<LogEntry> g_log;
// A log text longer than this is cut: an entry is one line of the HotSync log.
constexpr std::size_t kLogTextMax = 4096;
} // namespace

void SelectHandheld(CHandheld* handheld)
{
    g_pHandheld = handheld;
}

CHandheld* SelectedHandheld()
{
    return g_pHandheld;
}

std::vector<LogEntry> LogEntries()
{
    return g_log;
}

void ClearLog()
{
    g_log.clear();
}

} // namespace tf::synckit

using tf::synckit::g_pHandheld;

int SkOpenDatabase(const char* name, int card, uint8_t* handle, int mode)
{
    return g_pHandheld ? g_pHandheld->OpenDatabase(name, card, handle, mode) : kSkErrNoHandheld;
}

int SkCreateDatabase(SkCreateBlock* block)
{
    return g_pHandheld ? g_pHandheld->CreateDatabase(block) : kSkErrNoHandheld;
}

int SkCloseDatabase(uint8_t handle)
{
    return g_pHandheld ? g_pHandheld->CloseDatabase(handle) : kSkErrNoHandheld;
}

int SkClearSyncFlags(uint8_t handle)
{
    return g_pHandheld ? g_pHandheld->ClearSyncFlags(handle) : kSkErrNoHandheld;
}

int SkWriteRecord(SkRecordBlock* block)
{
    return g_pHandheld ? g_pHandheld->WriteRecord(block) : kSkErrNoHandheld;
}

int SkReadNextModifiedRecord(SkRecordBlock* block)
{
    return g_pHandheld ? g_pHandheld->ReadNextModifiedRecord(block) : kSkErrNoHandheld;
}

int SkReadCategoryBlock(uint8_t handle, SkCategoryBlock* block)
{
    return g_pHandheld ? g_pHandheld->ReadCategoryBlock(handle, block) : kSkErrNoHandheld;
}

int SkWriteCategoryBlock(uint8_t handle, SkCategoryBlock* block)
{
    return g_pHandheld ? g_pHandheld->WriteCategoryBlock(handle, block) : kSkErrNoHandheld;
}

int SkPurgeDeletedRecords(uint8_t handle)
{
    return g_pHandheld ? g_pHandheld->PurgeDeletedRecords(handle) : kSkErrNoHandheld;
}

int SkDeleteAllRecords(uint8_t handle)
{
    return g_pHandheld ? g_pHandheld->DeleteAllRecords(handle) : kSkErrNoHandheld;
}

int SkLogAddEntry(const char* text, int activity, int /*reserved*/)
{
    if (!text)
        return kSkErrBadArgument;
    tf::synckit::g_log.push_back(
        {std::string(text, strnlen(text, tf::synckit::kLogTextMax)), activity});
    return kSkOk;
}
