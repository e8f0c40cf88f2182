// One database as the handheld keeps it: header fields, the category block (application
// information) and the records with their attributes. Shared by the memory handheld, the
// folder handheld and the PDB file reader and writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/synckit/SyncKit.h"

namespace tf::synckit {

// Seconds from 1904-01-01 (the handheld's epoch) to 1970-01-01.
constexpr std::uint32_t kHandheldEpochOffset = 2082844800u;

// Record identifiers are 24-bit on the handheld.
constexpr std::uint32_t kMaxRecordId = 0xFFFFFFu;

// A record's size is a 16-bit quantity on the handheld.
constexpr std::size_t kMaxRecordSize = 0xFFFF;

// The handheld's record list counts in 16 bits.
constexpr std::size_t kMaxRecordCount = 0xFFFF;

struct StoredRecord
{
    std::uint32_t uid = 0;
    std::uint8_t flags = 0;    // SkRecordAttribute bits (high nibble)
    std::uint8_t category = 0; // 0..15
    std::vector<std::uint8_t> data;
};

struct SK_API HandheldDatabase
{
    std::string name;
    std::uint16_t attributes = 0;
    std::uint16_t version = 0;
    std::uint32_t creationDate = 0; // seconds since 1904
    std::uint32_t modificationDate = 0;
    std::uint32_t backupDate = 0;
    std::uint32_t modificationNumber = 0;
    std::uint32_t type = 0;
    std::uint32_t creator = 0;
    std::uint32_t uniqueIdSeed = 0;
    std::uint8_t card = 0;
    bool bHasAppInfo = false;
    std::vector<std::uint8_t> appInfo;
    std::vector<StoredRecord> records;

    // A record identifier not used by any record (0 when all are taken).
    std::uint32_t NewRecordId();
    StoredRecord* FindRecord(std::uint32_t uid);
};

// Seconds since 1904 for a time in seconds since 1970.
SK_API std::uint32_t HandheldTime(std::int64_t unixTime);

// A four-character code such as "DATA" as the handheld stores it (first character in the
// high byte), and back.
SK_API std::uint32_t FourCharCode(const char* text);
SK_API std::string FourCharText(std::uint32_t code);

// True when the name can name a database: 1 to 31 printable characters without a path
// separator, so that it can also name a file.
SK_API bool IsValidDatabaseName(const std::string& name);

} // namespace tf::synckit
