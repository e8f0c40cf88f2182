// Copies of a file kept beside it: made atomically and never over an existing name, and,
// for damaged versions, only once per distinct content however often the file is read.
#pragma once

#include <string>

#include "platform/fs/FileStore.h"

namespace tf::fs {

// Copies a file's bytes to a new file (never over an existing one, a link included).
bool CopyFileAside(const std::string& from, const std::string& to, std::string* error);
// Copies the bytes of an open file, from its first byte, the same way: the version that
// was read, even when the name has been replaced since.
bool CopyOpenFileAside(CInputFile& from, const std::string& to, std::string* error);

// A file in the folder of `path` whose name starts with "<name of path><suffix>" and whose
// bytes are those of the open file; empty when there is none. The open file is read from
// its start and left at an unspecified position.
std::string FindIdenticalCopy(CInputFile& file, const std::string& path, const std::string& suffix);

} // namespace tf::fs
