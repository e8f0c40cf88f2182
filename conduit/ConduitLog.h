// The texts the conduit writes to the HotSync log (their activity codes are part of the
// conduit's interface, in ConduitApi.h).
#pragma once

#include "conduit/ConduitApi.h"

namespace tf::conduit {

constexpr const char* kLogStart = "Synchronizing Tallyfern...";
constexpr const char* kLogReadError = "Error reading record.";
constexpr const char* kLogPurgeFailed = "Could not purge the deleted records on the Viewer.";
constexpr const char* kLogClearFailed = "Could not clear the database on the Viewer.";
constexpr const char* kLogResetFailed = "Could not clear Tallyfern database";
constexpr const char* kLogConduitName = "Tallyfern";

// Writes one entry (text, activity code, 0) to the sync manager's log.
void LogSync(const char* text, int activity);

} // namespace tf::conduit
