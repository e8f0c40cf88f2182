// What the main window tells about a save: the kinds of failure, and the texts of the status
// line and of the message box for each, and for a change kept against another program's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Why a save did not happen. Each kind is shown in a message box once, until a save works.
enum class ESaveFailure {
    Busy,    // another program held the file's lock all the wait
    Damaged, // the file on disk cannot be read whole and no copy of it could be kept
    Write,   // the new file could not be written (a full disk, no rights)
};

// The status line: short, and says that the next save tries again.
std::string SaveFailureStatus(ESaveFailure kind, const std::string& strDetail);
// The message box: what happened, and that nothing in the window is lost.
std::string SaveFailureMessage(ESaveFailure kind, const std::string& strPath,
                               const std::string& strDetail);
// The status line after a merge kept this window's change of trades another program
// changed too.
std::string ConflictStatus(const std::vector<std::int32_t>& ids);
