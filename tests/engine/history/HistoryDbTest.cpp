// The history database: created on first use in WAL with the current schema, rows per
// refresh in one transaction, the migration from version 1, a newer file left alone, damaged
// and cut files moved aside, faults of the disk, and two writers at once.
#include "engine/history/HistoryDb.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

#include "engine/history/HistoryStore.h"
#include "tests/engine/history/HistoryTestSupport.h"
#include "tests/support/sqlitefault/SqliteFaults.h"
#include "tests/support/tempdir/TempDir.h"

using namespace history_test;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> DamagedCopies(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.find(".damaged-") != std::string::npos)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

long long Rows(const std::string& strPath, const char* pszTable)
{
    return QueryNumber(strPath, std::string("SELECT count(*) FROM ") + pszTable);
}

} // namespace

TEST(HistoryDb, IsCreatedOnFirstUseInWalWithTheCurrentSchema)
{
    tf::test::CTempDir dir("tf-history");
    const std::string path = HistoryPathFor(dir.File("info.kgw"));
    EXPECT_EQ(path, dir.File("info.kgw.history.sqlite"));

    CHistoryDb reader;
    EXPECT_FALSE(reader.Open(path, EHistoryOpen::ExistingOnly));
    EXPECT_EQ(reader.Fault(), EHistoryFault::Missing);
    EXPECT_FALSE(fs::exists(path)) << "a reader creates nothing";

    CHistoryDb db;
    ASSERT_TRUE(db.Open(path, EHistoryOpen::Create)) << db.FaultText();
    EXPECT_EQ(QueryText(path, "PRAGMA journal_mode"), "wal");
    EXPECT_EQ(QueryNumber(path, "PRAGMA user_version"), kHistorySchemaVersion);
    EXPECT_EQ(Rows(path, "quote"), 0);
    EXPECT_EQ(Rows(path, "refresh"), 0);
    EXPECT_TRUE(db.StillAtPath());
    fs::rename(path, path + ".moved");
    EXPECT_FALSE(db.StillAtPath()) << "a history moved away is noticed";
}

TEST(HistoryDb, ARefreshWritesItsRowAndOneRowPerQuoteThatArrived)
{
    tf::test::CTempDir dir("tf-history");
    const std::string path = dir.File("h.sqlite");
    CHistoryDb db;
    ASSERT_TRUE(db.Open(path, EHistoryOpen::Create));
    SHistoryRefresh refresh = SampleRefresh(kNow, 3);
    refresh.category = "\xC9pargne"; // Windows-1252
    ASSERT_TRUE(WriteRefresh(db, refresh)) << db.FaultText();
    EXPECT_EQ(Rows(path, "refresh"), 1);
    EXPECT_EQ(Rows(path, "quote"), 3);
    EXPECT_EQ(QueryText(path, "SELECT category FROM refresh"), "\xC3\x89pargne")
        << "texts are UTF-8 in the file";

    std::vector<SValuePoint> rows;
    ASSERT_TRUE(ReadRefreshes(db, {}, rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].time, kNow);
    EXPECT_DOUBLE_EQ(rows[0].totalValue, 12345.5);
    EXPECT_DOUBLE_EQ(rows[0].positionPL, 1234.25);
    EXPECT_EQ(rows[0].plToday, -12.75);
    EXPECT_EQ(rows[0].realizedYTD, 500.0);
    EXPECT_EQ(rows[0].category, "\xC9pargne");
    EXPECT_EQ(rows[0].quotesAsked, 4);
    EXPECT_EQ(rows[0].quotesFailed, 1);
    EXPECT_FALSE(rows[0].bComputed);

    std::vector<SPricePoint> prices;
    ASSERT_TRUE(ReadPrices(db, "S1", {}, prices));
    ASSERT_EQ(prices.size(), 1u);
    EXPECT_EQ(prices[0].time, kNow - 2);
    EXPECT_EQ(prices[0].country, "United States");
    EXPECT_DOUBLE_EQ(prices[0].price, 101.0);
    EXPECT_EQ(prices[0].change, 0.5);
    EXPECT_FALSE(prices[0].bImported);
    EXPECT_EQ(QueryNumber(path, "SELECT hour FROM quote WHERE symbol = 'S1'"), (kNow - 2) / 3600);
}

TEST(HistoryDb, IsReadableByItsOwnerAloneWhateverTheUmask)
{
    // The history holds a person's prices and totals, as the portfolio does: a new one and its
    // log are the owner's alone, also where the portfolio lies in a folder others can read.
    tf::test::CTempDir dir("tf-history");
    const std::string path = dir.File("h.sqlite");
    const mode_t previous = ::umask(022);
    CHistoryDb db;
    const bool bOpened = db.Open(path, EHistoryOpen::Create);
    ::umask(previous);
    ASSERT_TRUE(bOpened) << db.FaultText();
    ASSERT_TRUE(WriteRefresh(db, SampleRefresh(kNow, 2))) << db.FaultText();
    for (const std::string& file : {path, path + "-wal", path + "-shm"}) {
        ASSERT_TRUE(fs::exists(file)) << file;
        EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write)
            << file;
    }

    // A history the user has opened to others keeps the mode the user gave it.
    db.Close();
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    CHistoryDb again;
    ASSERT_TRUE(again.Open(path, EHistoryOpen::Create)) << again.FaultText();
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(HistoryDb, ARefreshIsOneTransactionWhereverTheDiskFails)
{
    tf::test::CSqliteFaultScope faults;
    tf::test::CTempDir dir("tf-history");
    const std::string path = dir.File("h.sqlite");
    constexpr int kQuotes = 40;
    {
        CHistoryDb db;
        ASSERT_TRUE(db.Open(path, EHistoryOpen::Create));
        ASSERT_TRUE(WriteRefresh(db, SampleRefresh(kNow, kQuotes)));
    }
    // The n-th write from now on fails as a full disk does, for n = 1, 2, ... until the
    // refresh gets through; every time the file holds whole refreshes only.
    int nFailures = 0;
    for (int n = 1; n < 200; ++n) {
        CHistoryDb db;
        ASSERT_TRUE(db.Open(path, EHistoryOpen::Create)) << db.FaultText();
        tf::test::CSqliteFaults::FailWritesFrom(n);
        const bool bWritten = WriteRefresh(db, SampleRefresh(kNow + n, kQuotes));
        tf::test::CSqliteFaults::FailWritesFrom(0);
        if (!bWritten) {
            ++nFailures;
            EXPECT_EQ(db.Fault(), EHistoryFault::Full) << db.FaultText();
            EXPECT_EQ(db.FaultText(), "the disk is full");
        }
        db.Close();
        const long long nRefreshes = Rows(path, "refresh");
        EXPECT_EQ(Rows(path, "quote"), nRefreshes * kQuotes) << "after write " << n;
        EXPECT_EQ(nRefreshes, bWritten ? 2 : 1) << "after write " << n;
        EXPECT_EQ(QueryText(path, "PRAGMA integrity_check"), "ok");
        if (bWritten)
            break;
    }
    EXPECT_GT(nFailures, 0);
    EXPECT_TRUE(DamagedCopies(dir.Path()).empty()) << "a full disk damages nothing";

    tf::test::CSqliteFaults::FailOpens(true);
    CHistoryDb blocked;
    EXPECT_FALSE(blocked.Open(dir.File("other.sqlite"), EHistoryOpen::Create));
    EXPECT_EQ(blocked.Fault(), EHistoryFault::CannotOpen);
    EXPECT_FALSE(WriteRefresh(blocked, SampleRefresh(kNow)));
}

TEST(HistoryDb, MigratesAVersion1History)
{
    tf::test::CTempDir dir("tf-history");
    const std::string path = dir.File("h.sqlite");
    ASSERT_TRUE(RunSql(path, kSchemaVersion1));

    CHistoryDb db;
    ASSERT_TRUE(db.Open(path, EHistoryOpen::Create)) << db.FaultText();
    EXPECT_EQ(QueryNumber(path, "PRAGMA user_version"), 2);
    EXPECT_EQ(QueryNumber(path, "SELECT count(*) FROM quote WHERE imported = 0"), 2);
    EXPECT_EQ(QueryNumber(path, "SELECT count(*) FROM sqlite_master WHERE name = 'quote_v1'"), 0);

    std::vector<SValuePoint> refreshes;
    ASSERT_TRUE(ReadRefreshes(db, {}, refreshes));
    ASSERT_EQ(refreshes.size(), 1u);
    EXPECT_EQ(refreshes[0].category, "Business");
    EXPECT_DOUBLE_EQ(refreshes[0].totalValue, 1000.0);
    std::vector<SPricePoint> prices;
    ASSERT_TRUE(ReadPrices(db, "BHP", {}, prices));
    ASSERT_EQ(prices.size(), 1u);
    EXPECT_EQ(prices[0].country, "Australia");
    EXPECT_EQ(prices[0].change, -0.25);

    // What version 2 added: closes whose change is unknown, and new refreshes beside the old.
    SPricePoint close;
    close.time = 1700086399;
    close.symbol = "IBM";
    close.country = "United States";
    close.price = 130.0;
    ASSERT_TRUE(WriteImportedCloses(db, {close}));
    ASSERT_TRUE(WriteRefresh(db, SampleRefresh(kNow)));
    ASSERT_TRUE(ReadPrices(db, "IBM", {}, prices));
    ASSERT_EQ(prices.size(), 2u);
    EXPECT_FALSE(prices[1].change.has_value()) << "an imported close's change stays unknown";
    EXPECT_TRUE(prices[1].bImported);
    EXPECT_EQ(Rows(path, "refresh"), 2);

    // A newer program's file is left exactly as it is.
    const std::string newer = dir.File("newer.sqlite");
    ASSERT_TRUE(RunSql(newer, "CREATE TABLE quote(x); PRAGMA user_version = 3;"));
    const std::string bytes = tf::test::ReadFileBytes(newer);
    CHistoryDb later;
    EXPECT_FALSE(later.Open(newer, EHistoryOpen::Create));
    EXPECT_EQ(later.Fault(), EHistoryFault::Newer);
    EXPECT_EQ(later.FaultText(), "it was written by a newer version of Tallyfern");
    EXPECT_EQ(tf::test::ReadFileBytes(newer), bytes);
    EXPECT_TRUE(DamagedCopies(dir.Path()).empty());
}

TEST(HistoryDb, ADamagedFileIsMovedAsideWithItsLogAndANewOneStarted)
{
    tf::test::CTempDir dir("tf-history");
    const std::string path = dir.File("info.kgw.history.sqlite");
    std::string garbage = "this is no database, only a note\n";
    for (int i = 0; i < 8192; ++i)
        garbage += static_cast<char>(i * 37);
    tf::test::WriteFileBytes(path, garbage);
    tf::test::WriteFileBytes(path + "-wal", "the log of the damaged file");

    CHistoryDb db;
    ASSERT_TRUE(db.Open(path, EHistoryOpen::Create)) << db.FaultText();
    const std::string copy = db.DamagedCopy();
    ASSERT_FALSE(copy.empty());
    EXPECT_EQ(copy.rfind(path + ".damaged-", 0), 0u) << copy;
    EXPECT_EQ(tf::test::ReadFileBytes(copy), garbage) << "every byte is kept";
    EXPECT_EQ(tf::test::ReadFileBytes(copy + "-wal"), "the log of the damaged file");
    ASSERT_TRUE(WriteRefresh(db, SampleRefresh(kNow)));
    EXPECT_EQ(Rows(path, "refresh"), 1);

    // Another program's database under our name is kept too, and is no history of ours.
    const std::string foreign = dir.File("foreign.sqlite");
    ASSERT_TRUE(RunSql(foreign, "CREATE TABLE notes(text); INSERT INTO notes VALUES('mine');"));
    CHistoryDb other;
    ASSERT_TRUE(other.Open(foreign, EHistoryOpen::Create));
    ASSERT_FALSE(other.DamagedCopy().empty());
    EXPECT_EQ(QueryText(other.DamagedCopy(), "SELECT text FROM notes"), "mine");
    EXPECT_EQ(DamagedCopies(dir.Path()).size(), 3u) << "two copies and one log";
}

TEST(HistoryDb, DamageFoundWhileWritingMovesTheFileAsideAndTheRefreshStillLands)
{
    tf::test::CTempDir dir("tf-history");
    const std::string path = dir.File("h.sqlite");
    {
        CHistoryDb db;
        ASSERT_TRUE(db.Open(path, EHistoryOpen::Create));
        for (int i = 0; i < 30; ++i)
            ASSERT_TRUE(WriteRefresh(db, SampleRefresh(kNow + i, 30)));
    }
    // Keep the first page (the header and the schema); every later page is overwritten.
    std::string bytes = tf::test::ReadFileBytes(path);
    ASSERT_GT(bytes.size(), 16384u);
    for (std::size_t i = 4096; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(0xA5 ^ (i & 0xFF));
    tf::test::WriteFileBytes(path, bytes);

    CHistoryDb db;
    ASSERT_TRUE(db.Open(path, EHistoryOpen::Create)) << db.FaultText();
    ASSERT_TRUE(WriteRefresh(db, SampleRefresh(kNow + 100))) << db.FaultText();
    EXPECT_FALSE(db.DamagedCopy().empty());
    EXPECT_EQ(Rows(path, "refresh"), 1);
    EXPECT_EQ(tf::test::ReadFileBytes(db.DamagedCopy()), bytes);

    // A file cut anywhere never stops the next write.
    const std::string whole = tf::test::ReadFileBytes(path);
    db.Close();
    for (std::size_t cut :
         {std::size_t{0}, std::size_t{1}, std::size_t{99}, std::size_t{100}, std::size_t{4095},
          std::size_t{4096}, std::size_t{4097}, whole.size() / 2, whole.size() - 1}) {
        tf::test::CTempDir cutDir("tf-history-cut");
        const std::string cutPath = cutDir.File("h.sqlite");
        tf::test::WriteFileBytes(cutPath, whole.substr(0, std::min(cut, whole.size())));
        CHistoryDb cutDb;
        ASSERT_TRUE(cutDb.Open(cutPath, EHistoryOpen::Create)) << cut << ": " << cutDb.FaultText();
        EXPECT_TRUE(WriteRefresh(cutDb, SampleRefresh(kNow))) << cut << ": " << cutDb.FaultText();
    }
}

TEST(HistoryDb, TwoWritersAtOnceBothLand)
{
    tf::test::CTempDir dir("tf-history");
    const std::string path = dir.File("h.sqlite");
    constexpr int kEach = 60;
    int nFailed[2] = {0, 0};
    const auto writer = [&](int nWho) {
        CHistoryDb db;
        if (!db.Open(path, EHistoryOpen::Create)) {
            nFailed[nWho] = kEach;
            return;
        }
        for (int i = 0; i < kEach; ++i)
            nFailed[nWho] += WriteRefresh(db, SampleRefresh(kNow + nWho * 1000 + i, 20)) ? 0 : 1;
    };
    std::thread first(writer, 0);
    std::thread second(writer, 1);
    first.join();
    second.join();
    EXPECT_EQ(nFailed[0] + nFailed[1], 0);
    EXPECT_EQ(Rows(path, "refresh"), 2 * kEach);
    EXPECT_EQ(Rows(path, "quote"), 2 * kEach * 20);
}
