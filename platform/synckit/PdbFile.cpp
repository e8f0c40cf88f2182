#include "platform/synckit/PdbFile.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace tf::synckit {

namespace {

// Header field offsets.
constexpr std::size_t kNameOffset = 0;
constexpr std::size_t kAttributesOffset = 32;
constexpr std::size_t kVersionOffset = 34;
constexpr std::size_t kCreationOffset = 36;
constexpr std::size_t kModificationOffset = 40;
constexpr std::size_t kBackupOffset = 44;
constexpr std::size_t kModNumberOffset = 48;
constexpr std::size_t kAppInfoOffset = 52;
constexpr std::size_t kSortInfoOffset = 56;
constexpr std::size_t kTypeOffset = 60;
constexpr std::size_t kCreatorOffset = 64;
constexpr std::size_t kSeedOffset = 68;
constexpr std::size_t kNextListOffset = 72;
constexpr std::size_t kCountOffset = 76;
// Two bytes traditionally follow the record list, and readers skip them. Ours carry the file's
// length modulo kLengthModulus, plus one (0 stays "unset", as other writers leave them): the
// end of the last record is marked only by the end of the file, so without them a file cut
// inside its last record would read as a whole one with a shorter record.
constexpr std::size_t kListGap = 2;
constexpr std::size_t kLengthModulus = 0xFFFF;
// A cut shorter than the modulus always changes the mark; no record is longer.
static_assert(kMaxRecordSize <= kLengthModulus);

std::uint16_t LengthMark(std::size_t fileSize)
{
    return static_cast<std::uint16_t>(fileSize % kLengthModulus + 1);
}

std::uint32_t Get32(const std::uint8_t* p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

std::uint16_t Get16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    out[at] = static_cast<std::uint8_t>(v >> 24);
    out[at + 1] = static_cast<std::uint8_t>(v >> 16);
    out[at + 2] = static_cast<std::uint8_t>(v >> 8);
    out[at + 3] = static_cast<std::uint8_t>(v);
}

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v)
{
    out[at] = static_cast<std::uint8_t>(v >> 8);
    out[at + 1] = static_cast<std::uint8_t>(v);
}

int Damaged(std::string* error, const std::string& why)
{
    if (error)
        *error = why;
    return kSkErrDamaged;
}

} // namespace

int ParsePdb(const std::uint8_t* data, std::size_t size, HandheldDatabase& db, std::string* error)
{
    if (!data || size < kPdbHeaderSize)
        return Damaged(error, "shorter than the database header");
    if (size > kMaxPdbFileSize)
        return Damaged(error, "larger than any handheld database");

    HandheldDatabase result;
    const char* name = reinterpret_cast<const char*>(data + kNameOffset);
    result.name.assign(name, strnlen(name, SK_DB_NAME_SIZE - 1));
    result.attributes = Get16(data + kAttributesOffset);
    result.version = Get16(data + kVersionOffset);
    result.creationDate = Get32(data + kCreationOffset);
    result.modificationDate = Get32(data + kModificationOffset);
    result.backupDate = Get32(data + kBackupOffset);
    result.modificationNumber = Get32(data + kModNumberOffset);
    std::uint32_t appInfo = Get32(data + kAppInfoOffset);
    std::uint32_t sortInfo = Get32(data + kSortInfoOffset);
    result.type = Get32(data + kTypeOffset);
    result.creator = Get32(data + kCreatorOffset);
    result.uniqueIdSeed = Get32(data + kSeedOffset);
    if (Get32(data + kNextListOffset) != 0)
        return Damaged(error, "chained record lists are not supported");
    std::size_t count = Get16(data + kCountOffset);
    std::size_t listEnd = kPdbHeaderSize + count * kPdbRecordEntrySize;
    if (listEnd > size)
        return Damaged(error, "record count larger than the file");

    // Record offsets must rise through the file after the list; each record ends where
    // the next begins, the last at the end of the file.
    std::vector<std::size_t> offsets(count);
    std::set<std::uint32_t> uids;
    result.records.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = data + kPdbHeaderSize + i * kPdbRecordEntrySize;
        offsets[i] = Get32(entry);
        if (offsets[i] < listEnd || offsets[i] > size)
            return Damaged(error, "record " + std::to_string(i) + " lies outside the file");
        if (i > 0 && offsets[i] < offsets[i - 1])
            return Damaged(error, "record " + std::to_string(i) + " overlaps the one before");
        StoredRecord& record = result.records[i];
        record.flags = entry[4] & 0xF0;
        record.category = entry[4] & 0x0F;
        record.uid = (std::uint32_t{entry[5]} << 16) | (std::uint32_t{entry[6]} << 8) | entry[7];
        if (record.uid == 0 || !uids.insert(record.uid).second)
            return Damaged(error, "record " + std::to_string(i) + " has no unique identifier");
    }
    std::size_t firstRecord = count > 0 ? offsets[0] : size;

    if (appInfo != 0) {
        std::size_t appEnd = firstRecord;
        if (sortInfo != 0) {
            if (sortInfo < appInfo || sortInfo > firstRecord)
                return Damaged(error, "sort information outside its place");
            appEnd = sortInfo;
        }
        if (appInfo < listEnd || appInfo > appEnd)
            return Damaged(error, "category block outside its place");
        result.bHasAppInfo = true;
        result.appInfo.assign(data + appInfo, data + appEnd);
    } else if (sortInfo != 0 && (sortInfo < listEnd || sortInfo > firstRecord)) {
        return Damaged(error, "sort information outside its place");
    }

    // The length mark, where the file has the two bytes between the list and what follows.
    std::size_t afterList = firstRecord;
    for (std::uint32_t block : {appInfo, sortInfo}) {
        if (block != 0)
            afterList = std::min<std::size_t>(afterList, block);
    }
    if (afterList >= listEnd + kListGap) {
        const std::uint16_t mark = Get16(data + listEnd);
        if (mark != 0 && mark != LengthMark(size))
            return Damaged(error, "not as long as when it was written (cut short or grown)");
    }

    for (std::size_t i = 0; i < count; ++i) {
        std::size_t end = i + 1 < count ? offsets[i + 1] : size;
        if (end - offsets[i] > kMaxRecordSize)
            return Damaged(error, "record " + std::to_string(i) + " is too large");
        result.records[i].data.assign(data + offsets[i], data + end);
    }
    db = std::move(result);
    return kSkOk;
}

std::vector<std::uint8_t> BuildPdb(const HandheldDatabase& db)
{
    std::size_t count = std::min(db.records.size(), kMaxRecordCount);
    std::size_t listEnd = kPdbHeaderSize + count * kPdbRecordEntrySize;
    std::size_t appOffset = listEnd + kListGap;
    std::size_t offset = appOffset + (db.bHasAppInfo ? db.appInfo.size() : 0);
    std::size_t total = offset;
    for (std::size_t i = 0; i < count; ++i)
        total += db.records[i].data.size();

    std::vector<std::uint8_t> out(total, 0);
    std::size_t nameLength = std::min(db.name.size(), std::size_t{SK_DB_NAME_SIZE - 1});
    std::memcpy(out.data() + kNameOffset, db.name.data(), nameLength);
    Put16(out, kAttributesOffset, db.attributes);
    Put16(out, kVersionOffset, db.version);
    Put32(out, kCreationOffset, db.creationDate);
    Put32(out, kModificationOffset, db.modificationDate);
    Put32(out, kBackupOffset, db.backupDate);
    Put32(out, kModNumberOffset, db.modificationNumber);
    Put32(out, kAppInfoOffset, db.bHasAppInfo ? static_cast<std::uint32_t>(appOffset) : 0);
    Put32(out, kSortInfoOffset, 0);
    Put32(out, kTypeOffset, db.type);
    Put32(out, kCreatorOffset, db.creator);
    Put32(out, kSeedOffset, db.uniqueIdSeed);
    Put32(out, kNextListOffset, 0);
    Put16(out, kCountOffset, static_cast<std::uint16_t>(count));
    Put16(out, listEnd, LengthMark(total));
    if (db.bHasAppInfo && !db.appInfo.empty())
        std::memcpy(out.data() + appOffset, db.appInfo.data(), db.appInfo.size());

    for (std::size_t i = 0; i < count; ++i) {
        const StoredRecord& record = db.records[i];
        std::size_t entry = kPdbHeaderSize + i * kPdbRecordEntrySize;
        Put32(out, entry, static_cast<std::uint32_t>(offset));
        out[entry + 4] =
            static_cast<std::uint8_t>((record.flags & 0xF0) | (record.category & 0x0F));
        out[entry + 5] = static_cast<std::uint8_t>(record.uid >> 16);
        out[entry + 6] = static_cast<std::uint8_t>(record.uid >> 8);
        out[entry + 7] = static_cast<std::uint8_t>(record.uid);
        if (!record.data.empty())
            std::memcpy(out.data() + offset, record.data.data(), record.data.size());
        offset += record.data.size();
    }
    return out;
}

} // namespace tf::synckit
