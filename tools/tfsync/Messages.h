// tfsync's messages to the user: error lines on standard error, and the check at the end that
// standard output took everything the program printed on it.
#pragma once

#include <string>

namespace tfsync {

// Writes the text as it stands to standard error.
void WriteError(const std::string& text);
// Writes "tfsync: TEXT" and a line end to standard error and returns code, for
// `return Fail(2, "...")`.
int Fail(int code, const std::string& text);
// True when everything printed on standard output reached it; otherwise says so on standard
// error. A HotSync log that could not be written is a failed run.
bool OutputWritten();

} // namespace tfsync
