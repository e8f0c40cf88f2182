// Reading and writing a whole portfolio file. A save never leaves a damaged file, follows a
// symbolic link to the file it names, and can keep the version it replaces as a numbered
// backup; a file that opens but cannot be read whole is copied aside before anything can be
// saved over it, once per distinct damaged version.
#pragma once

#include <cstdint>
#include <string>

#include "platform/fs/FileStore.h"

class CBlotterSpace;

// The name of the desktop program's portfolio file.
extern const char* const kPortfolioFileName;

enum class PortfolioReadStatus {
    Missing, // no file, or it could not be opened: nothing was read
    Read,    // read whole
    Damaged, // opened but ended early or failed: the document holds what was read
};

struct PortfolioReadResult
{
    PortfolioReadStatus status = PortfolioReadStatus::Missing;
    std::string errorText;   // why a damaged file could not be read whole
    std::string damagedCopy; // where a damaged file's bytes are kept (empty if nowhere)
    tf::fs::FileStamp stamp; // the file as read
};

// Empties the document's trades and categories, then reads the file into it. A damaged
// file keeps every field and list entry read before the fault, and its bytes are kept as
// "<file>.damaged-<YYYYmmdd-HHMMSS>" beside the file a link names (the copy's name is in
// the result); a copy that already holds the same bytes is named instead of a new one.
PortfolioReadResult ReadPortfolioFile(const std::string& path, CBlotterSpace& doc);

// True when the file opens and reads whole; nothing is copied and nothing kept.
bool PortfolioReadsWhole(const std::string& path);
// The newest of the numbered backups beside the file that reads whole ("<file>.~2~"), or
// empty when none does.
std::string NewestWholeBackup(const std::string& path);

struct PortfolioWriteResult
{
    bool bOk = false;
    std::string errorText;
    tf::fs::FileStamp stamp; // the file as written
};

// Stamps the document with the program version and replaces the file atomically; when the
// path is a symbolic link, the file it names is replaced and the link stays. With nBackups
// the replaced version is kept as "<file>.~1~" and older ones move up to "~nBackups~". On
// any failure the previous file stays whole.
PortfolioWriteResult WritePortfolioFile(const std::string& path, CBlotterSpace& doc,
                                        int nBackups = 0);

// The document's exact file image.
std::string SerializeToBytes(CBlotterSpace& doc);
// Reads an image; false when it ended early (the document keeps what was read).
bool SerializeFromBytes(const std::string& bytes, CBlotterSpace& doc, std::string* error = nullptr);
