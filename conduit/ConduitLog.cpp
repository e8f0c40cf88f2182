#include "conduit/ConduitLog.h"

#include "platform/synckit/SyncKit.h"

namespace tf::conduit {

void LogSync(const char* text, int activity)
{
    SkLogAddEntry(text, activity, 0);
}

} // namespace tf::conduit
