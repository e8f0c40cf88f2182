// The HotSync log as the sync manager keeps it: what conduits wrote with SkLogAddEntry.
#pragma once

#include <string>
#include <vector>

#include "platform/synckit/SyncKit.h"

namespace tf::synckit {

struct LogEntry
{
    std::string text;
    int activity = 0;
};

// Entries since the last ClearLog, oldest first.
SK_API std::vector<LogEntry> LogEntries();
SK_API void ClearLog();

} // namespace tf::synckit
