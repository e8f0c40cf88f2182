// What the last HotSync wrote to the handheld: which record identifier holds which trade.
// Kept beside the portfolio as "<portfolio>.hotsync" and written atomically under the
// writers' lock, so that a record changed on the handheld finds its trade by identifier
// (whatever happened to its quantity on the desktop since), and a record whose trade was
// removed on the desktop is not taken in again.
//
// The file is text: a header line, the viewer database's name, then one line per record:
//     tallyfern-hotsync 1
//     database TallyfernDB
//     record <identifier> <trade id> <trade's buy date> <category slot written>
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace tf::conduit {

struct SWrittenRecord
{
    std::int32_t tradeId = 0;
    // The trade's buy date as written: a trade number the desktop gave again to a new trade
    // after removing the old one does not take the old one's record.
    std::int32_t buyDate = 0;
    // The handheld category slot the record was written in: a record that comes back in
    // it was not refiled on the handheld (a trade shown under "Unfiled" for want of a
    // free slot keeps its own category then).
    std::int32_t category = 0;
};

struct CHotSyncState
{
    std::string database;
    std::map<std::uint32_t, SWrittenRecord> records; // by handheld record identifier

    const SWrittenRecord* Find(std::uint32_t recordId) const;
};

// "<portfolio file>.hotsync" (the caller passes the file a link names).
std::string HotSyncStatePath(const std::string& portfolioTarget);

std::string FormatHotSyncState(const CHotSyncState& state);
// Reads the text (untrusted: any bytes); false with the reason for anything but a whole,
// well-formed state, and `state` is then empty.
bool ParseHotSyncState(const std::string& text, CHotSyncState& state, std::string* error);

// A missing file is an empty state (true). False with the reason when it cannot be read
// or is not a state file.
bool ReadHotSyncState(const std::string& path, CHotSyncState& state, std::string* error);
bool WriteHotSyncState(const std::string& path, const CHotSyncState& state, std::string* error);

} // namespace tf::conduit
