#include "platform/synckit/HandheldDatabase.h"

#include <algorithm>
#include <vector>

namespace tf::synckit {

std::uint32_t HandheldDatabase::NewRecordId()
{
    std::uint32_t largest = 0;
    for (const StoredRecord& record : records)
        largest = std::max(largest, record.uid);
    // In 64 bits: a seed read from a file may hold any 32-bit value.
    std::uint64_t candidate = std::uint64_t{std::max(largest, uniqueIdSeed)} + 1;
    if (candidate <= kMaxRecordId) {
        uniqueIdSeed = static_cast<std::uint32_t>(candidate);
        return uniqueIdSeed;
    }
    // The counter ran out: reuse the lowest identifier that is free.
    std::vector<std::uint32_t> used;
    used.reserve(records.size());
    for (const StoredRecord& record : records)
        used.push_back(record.uid);
    std::sort(used.begin(), used.end());
    std::uint32_t uid = 1;
    for (std::uint32_t taken : used) {
        if (taken > uid)
            break;
        if (taken == uid)
            ++uid;
    }
    return uid <= kMaxRecordId ? uid : 0;
}

StoredRecord* HandheldDatabase::FindRecord(std::uint32_t uid)
{
    for (StoredRecord& record : records)
        if (record.uid == uid)
            return &record;
    return nullptr;
}

std::uint32_t HandheldTime(std::int64_t unixTime)
{
    return static_cast<std::uint32_t>(unixTime + kHandheldEpochOffset);
}

std::uint32_t FourCharCode(const char* text)
{
    std::uint32_t code = 0;
    for (int i = 0; i < 4; ++i) {
        unsigned char c = text && *text ? static_cast<unsigned char>(*text++) : ' ';
        code = (code << 8) | c;
    }
    return code;
}

std::string FourCharText(std::uint32_t code)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        char c = static_cast<char>((code >> shift) & 0xFF);
        text += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return text;
}

bool IsValidDatabaseName(const std::string& name)
{
    if (name.empty() || name.size() >= SK_DB_NAME_SIZE || name == "." || name == "..")
        return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return c >= 0x20 && c < 0x7F && c != '/' && c != '\\'; });
}

} // namespace tf::synckit
