// Fuzzes ParseHotSyncState: any bytes are refused or read into a state that formats back
// into text which reads as the same state.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "conduit/HotSyncState.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    tf::conduit::CHotSyncState state;
    if (!tf::conduit::ParseHotSyncState(text, state, nullptr)) {
        if (!state.records.empty() || !state.database.empty())
            std::abort();
        return 0;
    }
    // A database name holding a newline cannot come from a whole line.
    if (state.database.find('\n') != std::string::npos)
        std::abort();
    tf::conduit::CHotSyncState again;
    if (!tf::conduit::ParseHotSyncState(tf::conduit::FormatHotSyncState(state), again, nullptr) ||
        again.database != state.database || again.records.size() != state.records.size())
        std::abort();
    for (const auto& [id, record] : state.records) {
        const tf::conduit::SWrittenRecord* other = again.Find(id);
        if (!other || other->tradeId != record.tradeId || other->buyDate != record.buyDate ||
            other->category != record.category || record.category < 0 || record.category > 15)
            std::abort();
    }
    return 0;
}
