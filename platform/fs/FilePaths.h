// Names around one file: its folder, its own name, the file a chain of symbolic links ends
// at, and the companions every writer keeps beside it (lock, backups, temporary files).
#pragma once

#include <string>

namespace tf::fs {

// "." for a bare name, "/" for a file in the root.
std::string DirectoryOf(const std::string& path);
// The last component of the path.
std::string BaseNameOf(const std::string& path);

// The file that the path names once every symbolic link in its last component is followed
// (relative links are taken from the link's own folder). The path itself when it is no
// link, when it does not exist, or when the chain is too long or broken; a link to a file
// not made yet gives that file's path, so a first save creates it where the link points.
std::string ResolveLinks(const std::string& path);

// The temporary file a writer with this process number fills before it renames it over
// the target: "<target>.tmp-<pid>".
std::string TemporaryPathFor(const std::string& target, long pid);

} // namespace tf::fs
