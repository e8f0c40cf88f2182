// Temporary files that writers of a file leave behind when they die mid-save.
#pragma once

#include <string>

namespace tf::fs {

// Removes every "<name>.….tmp-<pid>" beside the target (the file's own temporary file and
// those of copies and companions made beside it) whose process no longer runs, and this
// process's own, which can only be left from an earlier process of the same number. Call
// it under the writers' lock, before this process makes a temporary file of its own.
// Returns how many were removed.
int RemoveStaleTemporaries(const std::string& target);

} // namespace tf::fs
