// Reading and writing a whole portfolio file. A save never leaves a damaged file; a file
// that opens but cannot be read whole is copied aside before anything can be saved over it.
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
    std::string damagedCopy; // where a damaged file's bytes were copied (empty if none)
    tf::fs::FileStamp stamp; // the file as read
};

// Empties the document's trades and categories, then reads the file into it. A damaged
// file keeps every field and list entry read before the fault, and is copied aside to
// "<path>.damaged-<YYYYmmdd-HHMMSS>" (the copy's name is in the result).
PortfolioReadResult ReadPortfolioFile(const std::string& path, CBlotterSpace& doc);

struct PortfolioWriteResult
{
    bool bOk = false;
    std::string errorText;
    tf::fs::FileStamp stamp; // the file as written
};

// Stamps the document with the program version and replaces the file atomically. On any
// failure the previous file stays whole.
PortfolioWriteResult WritePortfolioFile(const std::string& path, CBlotterSpace& doc);

// The document's exact file image.
std::string SerializeToBytes(CBlotterSpace& doc);
// Reads an image; false when it ended early (the document keeps what was read).
bool SerializeFromBytes(const std::string& bytes, CBlotterSpace& doc, std::string* error = nullptr);
