// Reading and writing a database in the standard Palm database (PDB) file layout: a
// 78-byte header, a list of 8-byte record entries, the category block as the application
// information, then the records; big-endian, dates in seconds since 1904.
//
// The reader trusts nothing in the bytes (untrusted: a file on the handheld): every offset
// and count is checked against the file's length before a byte is touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/synckit/HandheldDatabase.h"
#include "platform/synckit/SyncKit.h"

namespace tf::synckit {

constexpr std::size_t kPdbHeaderSize = 78;
constexpr std::size_t kPdbRecordEntrySize = 8;
// No handheld held more than a few megabytes; a larger file is not one of ours.
constexpr std::size_t kMaxPdbFileSize = std::size_t{64} * 1024 * 1024;

// Reads a PDB image into db. kSkOk, or kSkErrDamaged with the reason in *error.
SK_API int ParsePdb(const std::uint8_t* data, std::size_t size, HandheldDatabase& db,
                    std::string* error = nullptr);

// The PDB image of a database.
SK_API std::vector<std::uint8_t> BuildPdb(const HandheldDatabase& db);

} // namespace tf::synckit
