// The PDB reader and writer: the layout, round trips, and damaged files of every kind.
#include "platform/synckit/PdbFile.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace tf::synckit {
namespace {

HandheldDatabase SampleDatabase()
{
    HandheldDatabase db;
    db.name = "TallyfernDB";
    db.attributes = 0;
    db.version = 0;
    db.creationDate = HandheldTime(1700000000);
    db.modificationDate = HandheldTime(1700000100);
    db.type = FourCharCode("DATA");
    db.creator = FourCharCode("Tlyf");
    db.uniqueIdSeed = 3;
    db.bHasAppInfo = true;
    db.appInfo.assign(278, 0);
    std::memcpy(db.appInfo.data() + 2, "Unfiled", 7);
    db.records.push_back({1, kSkRecordDirty, 2, std::vector<std::uint8_t>(128, 0x11)});
    db.records.push_back({2, kSkRecordPrivate, 0, std::vector<std::uint8_t>(10, 0x22)});
    db.records.push_back({0x123456, kSkRecordDeleted | kSkRecordDirty, 15, {}});
    return db;
}

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
           (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v)
{
    b[at] = static_cast<std::uint8_t>(v >> 24);
    b[at + 1] = static_cast<std::uint8_t>(v >> 16);
    b[at + 2] = static_cast<std::uint8_t>(v >> 8);
    b[at + 3] = static_cast<std::uint8_t>(v);
}

int Parse(const std::vector<std::uint8_t>& bytes, HandheldDatabase& db)
{
    return ParsePdb(bytes.data(), bytes.size(), db);
}

TEST(PdbFile, WritesTheStandardLayout)
{
    std::vector<std::uint8_t> bytes = BuildPdb(SampleDatabase());
    ASSERT_EQ(bytes.size(), 78u + 3 * 8 + 2 + 278 + 128 + 10);
    EXPECT_EQ(std::memcmp(bytes.data(), "TallyfernDB\0", 12), 0);
    EXPECT_EQ(Get32(bytes, 36), 1700000000u + 2082844800u) << "dates count from 1904";
    EXPECT_EQ(Get32(bytes, 52), 78u + 24 + 2) << "category block right after the list";
    EXPECT_EQ(Get32(bytes, 56), 0u);
    EXPECT_EQ(std::memcmp(bytes.data() + 60, "DATATlyf", 8), 0);
    EXPECT_EQ(Get32(bytes, 68), 3u);
    EXPECT_EQ(Get32(bytes, 72), 0u);
    EXPECT_EQ(bytes[76], 0);
    EXPECT_EQ(bytes[77], 3);
    // Record entries: offset, flags in the high bits with the category below, 3-byte id.
    EXPECT_EQ(Get32(bytes, 78), 78u + 24 + 2 + 278);
    EXPECT_EQ(bytes[82], 0x42);
    EXPECT_EQ(bytes[85], 1);
    EXPECT_EQ(Get32(bytes, 86), 78u + 24 + 2 + 278 + 128);
    EXPECT_EQ(bytes[90], 0x10);
    EXPECT_EQ(bytes[98], 0xCF);
    EXPECT_EQ(bytes[99], 0x12);
    EXPECT_EQ(bytes[100], 0x34);
    EXPECT_EQ(bytes[101], 0x56);
    // The two bytes after the list: the file's length modulo 65535, plus one.
    const std::size_t marker = (bytes.size() % 65535) + 1;
    EXPECT_EQ(bytes[102], marker >> 8);
    EXPECT_EQ(bytes[103], marker & 0xFF);
}

TEST(PdbFile, RoundTrips)
{
    HandheldDatabase original = SampleDatabase();
    HandheldDatabase read;
    ASSERT_EQ(Parse(BuildPdb(original), read), kSkOk);
    EXPECT_EQ(read.name, original.name);
    EXPECT_EQ(read.creator, original.creator);
    EXPECT_EQ(read.type, original.type);
    EXPECT_EQ(read.creationDate, original.creationDate);
    EXPECT_EQ(read.uniqueIdSeed, original.uniqueIdSeed);
    EXPECT_TRUE(read.bHasAppInfo);
    EXPECT_EQ(read.appInfo, original.appInfo);
    ASSERT_EQ(read.records.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(read.records[i].uid, original.records[i].uid);
        EXPECT_EQ(read.records[i].flags, original.records[i].flags);
        EXPECT_EQ(read.records[i].category, original.records[i].category);
        EXPECT_EQ(read.records[i].data, original.records[i].data);
    }

    HandheldDatabase empty;
    empty.name = "Empty";
    ASSERT_EQ(Parse(BuildPdb(empty), read), kSkOk);
    EXPECT_FALSE(read.bHasAppInfo);
    EXPECT_TRUE(read.records.empty());
}

TEST(PdbFile, EveryPrefixOfAFileIsRefusedAndChangesNothing)
{
    std::vector<std::uint8_t> whole = BuildPdb(SampleDatabase());
    // A cut inside the last record leaves every offset valid: only the length the writer
    // noted tells it from the whole file.
    for (std::size_t length = 0; length < whole.size(); ++length) {
        std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + length);
        HandheldDatabase db;
        db.name = "untouched";
        std::string error;
        EXPECT_EQ(ParsePdb(cut.data(), cut.size(), db, &error), kSkErrDamaged) << length;
        EXPECT_FALSE(error.empty()) << length;
        EXPECT_EQ(db.name, "untouched") << "a refused file changes nothing";
    }
    HandheldDatabase db;
    EXPECT_EQ(Parse(whole, db), kSkOk);
    std::vector<std::uint8_t> longer = whole;
    longer.push_back(0);
    EXPECT_EQ(Parse(longer, db), kSkErrDamaged) << "bytes added after the last record";

    // A file from a writer that leaves the two bytes after the record list unset says
    // nothing about its length and is read as it stands.
    HandheldDatabase twoRecords = SampleDatabase();
    twoRecords.records.pop_back();
    std::vector<std::uint8_t> foreign = BuildPdb(twoRecords);
    foreign[78 + 2 * 8] = 0;
    foreign[78 + 2 * 8 + 1] = 0;
    foreign.resize(foreign.size() - 3);
    ASSERT_EQ(Parse(foreign, db), kSkOk);
    ASSERT_EQ(db.records.size(), 2u);
    EXPECT_EQ(db.records[1].data.size(), 7u);
    // Nor does one whose category block follows the list without the two bytes.
    std::vector<std::uint8_t> gapless = BuildPdb(twoRecords);
    Put32(gapless, 52, 78 + 2 * 8);
    gapless.resize(gapless.size() - 3);
    ASSERT_EQ(Parse(gapless, db), kSkOk);
    EXPECT_EQ(db.appInfo.size(), 2u + 278u);
}

TEST(PdbFile, DamagedOffsetsAndCountsAreRefused)
{
    const std::vector<std::uint8_t> good = BuildPdb(SampleDatabase());
    std::string error;
    HandheldDatabase db;
    auto refused = [&](std::vector<std::uint8_t> bytes) {
        error.clear();
        int status = ParsePdb(bytes.data(), bytes.size(), db, &error);
        return status == kSkErrDamaged && !error.empty();
    };

    std::vector<std::uint8_t> bytes = good;
    Put32(bytes, 78, static_cast<std::uint32_t>(good.size() + 1));
    EXPECT_TRUE(refused(bytes)) << "offset past the end";
    bytes = good;
    Put32(bytes, 78, 0xFFFFFFFF);
    EXPECT_TRUE(refused(bytes)) << "huge offset";
    bytes = good;
    Put32(bytes, 86, Get32(good, 78) - 1);
    EXPECT_TRUE(refused(bytes)) << "a record starting before the one before it";
    bytes = good;
    Put32(bytes, 78, 20);
    EXPECT_TRUE(refused(bytes)) << "a record inside the header";
    bytes = good;
    bytes[76] = 0xFF;
    bytes[77] = 0xFF;
    EXPECT_TRUE(refused(bytes)) << "count larger than the file";
    bytes = good;
    Put32(bytes, 52, static_cast<std::uint32_t>(good.size()));
    EXPECT_TRUE(refused(bytes)) << "category block after the records";
    bytes = good;
    Put32(bytes, 52, 10);
    EXPECT_TRUE(refused(bytes)) << "category block inside the header";
    bytes = good;
    Put32(bytes, 56, 5);
    EXPECT_TRUE(refused(bytes)) << "sort information inside the header";
    bytes = good;
    Put32(bytes, 72, 1000);
    EXPECT_TRUE(refused(bytes)) << "chained record list";
    bytes = good;
    bytes[93] = 1; // second record's id equals the first one's
    EXPECT_TRUE(refused(bytes)) << "duplicate record id";
    bytes = good;
    bytes[85] = 0;
    EXPECT_TRUE(refused(bytes)) << "record id 0";
    EXPECT_EQ(ParsePdb(nullptr, 0, db), kSkErrDamaged);
}

TEST(PdbFile, RecordIdsStayValidWhateverTheSeed)
{
    HandheldDatabase db;
    db.uniqueIdSeed = 0xFFFFFFFF;
    db.records.push_back({1, 0, 0, {}});
    db.records.push_back({2, 0, 0, {}});
    db.records.push_back({kMaxRecordId, 0, 0, {}});
    EXPECT_EQ(db.NewRecordId(), 3u) << "the lowest free identifier once the counter ran out";
    db.uniqueIdSeed = 10;
    db.records.pop_back();
    EXPECT_EQ(db.NewRecordId(), 11u);
    EXPECT_EQ(db.NewRecordId(), 12u);
}

TEST(PdbFile, NameWithoutTerminatorIsCut)
{
    std::vector<std::uint8_t> bytes = BuildPdb(SampleDatabase());
    std::memset(bytes.data(), 'N', 32);
    HandheldDatabase db;
    ASSERT_EQ(Parse(bytes, db), kSkOk);
    EXPECT_EQ(db.name, std::string(31, 'N'));
}

} // namespace
} // namespace tf::synckit
