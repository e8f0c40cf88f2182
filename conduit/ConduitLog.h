// The texts and activity codes the conduit writes to the HotSync log.
#pragma once

namespace tf::conduit {

// Activity codes of the sync log.
constexpr int kActivityError = 8;
constexpr int kActivityWarning = 10;
constexpr int kActivityStart = 19;
constexpr int kActivityDone = 20;
constexpr int kActivityNotSaved = 21;

constexpr const char* kLogStart = "Synchronizing Tallyfern...";
constexpr const char* kLogReadError = "Error reading record.";
constexpr const char* kLogPurgeFailed = "Could not purge the deleted records on the Viewer.";
constexpr const char* kLogClearFailed = "Could not clear the database on the Viewer.";
constexpr const char* kLogResetFailed = "Could not clear Tallyfern database";
constexpr const char* kLogConduitName = "Tallyfern";

// Writes one entry (text, activity code, 0) to the sync manager's log.
void LogSync(const char* text, int activity);

} // namespace tf::conduit
