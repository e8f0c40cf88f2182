// Numbered backups beside a file: "<file>.~1~" is the version before the last save, "~2~"
// the one before that, up to the count a writer keeps. They are made by hard link and
// rename, so keeping one costs no copy; a file system without hard links gets a copy.
#pragma once

#include <string>

namespace tf::fs {

// How many versions a portfolio writer keeps: enough to step back over a few bad saves,
// few enough that the folder stays readable.
constexpr int kPortfolioBackups = 5;

// "<target>.~n~".
std::string BackupPath(const std::string& target, int n);

// Moves ~1~ .. ~(count-1)~ up by one, so that the oldest (~count~) is dropped, and makes ~1~
// the target as it is now. Nothing happens when the target does not exist, or when ~1~
// already is the target (a save that failed after this step). False with the reason on
// a failed rename or link; every backup left is still a whole version.
bool RotateBackups(const std::string& target, int count, std::string* error);

} // namespace tf::fs
