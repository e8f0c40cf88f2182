#include "tools/tfsync/Messages.h"

#include <cstdio>

namespace tfsync {

void WriteError(const std::string& text)
{
    // Standard error is the last place left to tell anyone anything: when writing to it fails,
    // the exit code is all that still reaches the caller.
    (void)std::fputs(text.c_str(), stderr);
}

int Fail(int code, const std::string& text)
{
    WriteError("tfsync: " + text + "\n");
    return code;
}

bool OutputWritten()
{
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0)
        return true;
    WriteError("tfsync: the output could not be written\n");
    return false;
}

} // namespace tfsync
