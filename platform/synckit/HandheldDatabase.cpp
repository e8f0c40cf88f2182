#include "platform/synckit/HandheldDatabase.h"

#include <algorithm>

namespace tf::synckit {

std::uint32_t HandheldDatabase::NewRecordId()
{
    std::uint32_t largest = 0;
    for (const StoredRecord& record : records)
        largest = std::max(largest, record.uid);
    std::uint32_t candidate = std::max(largest, uniqueIdSeed) + 1;
    if (candidate <= kMaxRecordId) {
        uniqueIdSeed = candidate;
        return candidate;
    }
    // The counter ran out: reuse the lowest identifier that is free.
    for (std::uint32_t uid = 1; uid <= kMaxRecordId; ++uid)
        if (!FindRecord(uid))
            return uid;
    return 0;
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
