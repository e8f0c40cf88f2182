#include "conduit/HotSyncState.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <sstream>

#include "platform/fs/FileStore.h"

namespace tf::conduit {

namespace {
constexpr const char* kHeader = "tallyfern-hotsync 1";
constexpr const char* kDatabaseKey = "database ";
constexpr const char* kRecordKey = "record ";
// A viewer holds at most 65535 records, each line is short: anything larger is not ours.
constexpr std::size_t kMaxStateBytes = std::size_t{4} * 1024 * 1024;
constexpr std::size_t kMaxRecords = 0xFFFF;
// The handheld has 16 category slots.
constexpr std::int32_t kLastCategorySlot = 15;

bool Fail(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
    return false;
}

bool StartsWith(const std::string& line, const char* key)
{
    return line.compare(0, std::strlen(key), key) == 0;
}

template <class T> bool ReadNumber(const char*& p, const char* end, T& value)
{
    auto [next, ec] = std::from_chars(p, end, value);
    if (ec != std::errc() || next == p)
        return false;
    p = next;
    return true;
}

// "record <identifier> <trade id> <buy date> <category slot>"
bool ParseRecord(const std::string& line, std::uint32_t& id, SWrittenRecord& record)
{
    const char* p = line.data() + std::strlen(kRecordKey);
    const char* end = line.data() + line.size();
    auto separator = [&] { return p != end && *p++ == ' '; };
    if (!ReadNumber(p, end, id) || !separator() || !ReadNumber(p, end, record.tradeId) ||
        !separator() || !ReadNumber(p, end, record.buyDate) || !separator() ||
        !ReadNumber(p, end, record.category))
        return false;
    return p == end && id != 0 && record.category >= 0 && record.category <= kLastCategorySlot;
}
} // namespace

const SWrittenRecord* CHotSyncState::Find(std::uint32_t recordId) const
{
    auto it = records.find(recordId);
    return it == records.end() ? nullptr : &it->second;
}

std::string HotSyncStatePath(const std::string& portfolioTarget)
{
    return portfolioTarget + ".hotsync";
}

std::string FormatHotSyncState(const CHotSyncState& state)
{
    std::string text = std::string(kHeader) + "\n" + kDatabaseKey + state.database + "\n";
    for (const auto& [id, record] : state.records)
        text += kRecordKey + std::to_string(id) + " " + std::to_string(record.tradeId) + " " +
                std::to_string(record.buyDate) + " " + std::to_string(record.category) + "\n";
    return text;
}

bool ParseHotSyncState(const std::string& text, CHotSyncState& state, std::string* error)
{
    state = {};
    if (text.size() > kMaxStateBytes)
        return Fail(error, "too large");
    CHotSyncState read;
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t stop = text.find('\n', start);
        if (stop == std::string::npos)
            return Fail(error, "cut short");
        const std::string line = text.substr(start, stop - start);
        start = stop + 1;
        ++lineNumber;
        if (lineNumber == 1) {
            if (line != kHeader)
                return Fail(error, "not a HotSync state file");
        } else if (lineNumber == 2) {
            if (!StartsWith(line, kDatabaseKey))
                return Fail(error, "no database line");
            read.database = line.substr(std::strlen(kDatabaseKey));
        } else {
            std::uint32_t id = 0;
            SWrittenRecord record;
            if (!StartsWith(line, kRecordKey) || !ParseRecord(line, id, record))
                return Fail(error, "line " + std::to_string(lineNumber) + " is no record");
            if (read.records.size() >= kMaxRecords || !read.records.emplace(id, record).second)
                return Fail(error, "line " + std::to_string(lineNumber) + " repeats a record");
        }
    }
    if (lineNumber < 2)
        return Fail(error, "cut short");
    state = std::move(read);
    return true;
}

bool ReadHotSyncState(const std::string& path, CHotSyncState& state, std::string* error)
{
    state = {};
    tf::fs::CInputFile file;
    if (!file.Open(path)) {
        if (!tf::fs::FileExists(path))
            return true;
        return Fail(error, file.ErrorText());
    }
    if (file.Stamp().size > kMaxStateBytes)
        return Fail(error, "too large");
    std::string text(file.Stamp().size, '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        long n = file.Read(text.data() + got, text.size() - got);
        if (n < 0)
            return Fail(error, file.ErrorText());
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    text.resize(got);
    return ParseHotSyncState(text, state, error);
}

bool WriteHotSyncState(const std::string& path, const CHotSyncState& state, std::string* error)
{
    const std::string text = FormatHotSyncState(state);
    tf::fs::CAtomicFile file;
    if (!file.Open(path) || !file.Write(text.data(), text.size()) || !file.Commit())
        return Fail(error, file.ErrorText());
    return true;
}

} // namespace tf::conduit
