// Reading and saving a portfolio file on disk: a save that fails at any write, flush, rename
// or backup step keeps the old file whole; a damaged file is copied aside once per version
// before anything is saved; a save through a link replaces the file the link names; one
// transaction keeps one backup and clears what dead writers left.
#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

#include "model/PortfolioFile.h"
#include "model/PortfolioTransaction.h"
#include "platform/fs/Backups.h"
#include "platform/fs/FileLock.h"
#include "platform/fs/FilePaths.h"
#include "tests/model/TestDocuments.h"
#include "tests/support/tempdir/TempDir.h"

namespace fs = std::filesystem;

namespace {
class PortfolioFileTest : public ::testing::Test
{
  protected:
    void SetUp() override { m_path = m_dir.File("info.kgw"); }
    void TearDown() override { tf::fs::SetFaultHook(nullptr); }

    static std::string Slurp(const fs::path& path) { return tf::test::ReadFileBytes(path); }
    void Spill(const std::string& bytes) { tf::test::WriteFileBytes(m_path, bytes); }
    std::size_t FileCount() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_dir.Path()), {}));
    }

    tf::test::CTempDir m_dir{"tf-model"};
    std::string m_path;
};
} // namespace

TEST_F(PortfolioFileTest, MissingFileReadsNothingAndLeavesTheDocument)
{
    CBlotterSpace doc;
    doc.m_categories.push_back("Mine");
    PortfolioReadResult result = ReadPortfolioFile(m_path, doc);
    EXPECT_EQ(result.status, PortfolioReadStatus::Missing);
    EXPECT_EQ(doc.m_categories.size(), 1u);
    EXPECT_FALSE(fs::exists(m_path));
}

TEST_F(PortfolioFileTest, WriteThenReadRoundTripsAndStampsTheVersion)
{
    CBlotterSpace doc = MakeExampleDocument();
    doc.m_dFileVersion = 1.2;
    doc.m_trades.AddTail(MakeBuy(1, "IBM", 10, 100));
    PortfolioWriteResult written = WritePortfolioFile(m_path, doc);
    ASSERT_TRUE(written.bOk) << written.errorText;
    EXPECT_EQ(doc.m_dFileVersion, 1.85);
    EXPECT_EQ(written.stamp, tf::fs::StampFile(m_path));
    EXPECT_EQ(FileCount(), 1u); // no temporary file left behind

    CBlotterSpace read;
    PortfolioReadResult result = ReadPortfolioFile(m_path, read);
    EXPECT_EQ(result.status, PortfolioReadStatus::Read);
    EXPECT_EQ(result.stamp, written.stamp);
    EXPECT_EQ(SerializeToBytes(read), Slurp(m_path));
}

TEST_F(PortfolioFileTest, FailingWriteFlushRenameOrBackupKeepsTheOldFileWhole)
{
    CBlotterSpace old = MakeExampleDocument();
    ASSERT_TRUE(WritePortfolioFile(m_path, old).bOk);
    const std::string oldBytes = Slurp(m_path);
    const std::string backup = tf::fs::BackupPath(m_path, 1);

    // A document big enough to need several buffered writes.
    CBlotterSpace next = MakeExampleDocument();
    for (int i = 1; i <= 100; ++i)
        next.m_trades.AddTail(MakeBuy(i, "NEW", i, 2));
    const std::string newBytes = SerializeToBytes(next);

    bool succeeded = false;
    for (int failAt = 1; failAt < 100 && !succeeded; ++failAt) {
        int calls = 0;
        tf::fs::SetFaultHook([&](tf::fs::FileOp) { return ++calls == failAt; });
        PortfolioWriteResult result = WritePortfolioFile(m_path, next, tf::fs::kPortfolioBackups);
        tf::fs::SetFaultHook(nullptr);
        std::string now = Slurp(m_path);
        if (result.bOk) {
            succeeded = true;
            EXPECT_EQ(now, newBytes);
            EXPECT_EQ(Slurp(backup), oldBytes);
        } else {
            EXPECT_FALSE(result.errorText.empty());
            EXPECT_EQ(now, oldBytes) << "fault at call " << failAt;
            // A backup made before the fault is the old version itself.
            if (fs::exists(backup)) {
                EXPECT_EQ(Slurp(backup), oldBytes) << "fault at call " << failAt;
            }
        }
        EXPECT_FALSE(fs::exists(tf::fs::TemporaryPathFor(m_path, ::getpid())))
            << "temporary file left after fault " << failAt;
    }
    EXPECT_TRUE(succeeded);
    EXPECT_EQ(FileCount(), 2u); // the file and its one backup
}

TEST_F(PortfolioFileTest, UnwritableFolderFailsWithoutTouchingAnything)
{
    CBlotterSpace doc = MakeExampleDocument();
    PortfolioWriteResult result =
        WritePortfolioFile((m_dir / "missing" / "info.kgw").string(), doc);
    EXPECT_FALSE(result.bOk);
    EXPECT_NE(result.errorText.find("missing"), std::string::npos);
}

TEST_F(PortfolioFileTest, DamagedFileIsCopiedAsideAndReadAsFarAsItGoes)
{
    CBlotterSpace doc = MakeExampleDocument();
    doc.m_nAlertPercent = 17;
    doc.m_trades.AddTail(MakeBuy(1, "A", 1, 1));
    doc.m_trades.AddTail(MakeBuy(2, "B", 1, 1));
    std::string bytes = SerializeToBytes(doc);
    std::string cut = bytes.substr(0, bytes.size() - 200);
    Spill(cut);

    CBlotterSpace read;
    PortfolioReadResult result = ReadPortfolioFile(m_path, read);
    EXPECT_EQ(result.status, PortfolioReadStatus::Damaged);
    EXPECT_EQ(read.m_nAlertPercent, 17);
    EXPECT_EQ(read.m_trades.GetCount(), 1u);
    ASSERT_FALSE(result.damagedCopy.empty());
    EXPECT_EQ(result.damagedCopy.rfind(m_path + ".damaged-", 0), 0u);
    EXPECT_EQ(Slurp(result.damagedCopy), cut);

    // Reading the same damaged version again names the same copy: one copy, not one per read.
    for (int i = 0; i < 15; ++i) {
        PortfolioReadResult again = ReadPortfolioFile(m_path, read);
        EXPECT_EQ(again.damagedCopy, result.damagedCopy);
    }
    EXPECT_EQ(FileCount(), 2u);

    // Another damaged version gets a copy of its own; the first copy stays as it was.
    std::string other = bytes.substr(0, bytes.size() - 100);
    Spill(other);
    PortfolioReadResult second = ReadPortfolioFile(m_path, read);
    ASSERT_FALSE(second.damagedCopy.empty());
    EXPECT_NE(second.damagedCopy, result.damagedCopy);
    EXPECT_EQ(Slurp(second.damagedCopy), other);
    EXPECT_EQ(Slurp(result.damagedCopy), cut);
    EXPECT_EQ(FileCount(), 3u);
}

TEST_F(PortfolioFileTest, TheNewestBackupThatReadsWholeIsNamed)
{
    CBlotterSpace doc = MakeExampleDocument();
    for (int v = 1; v <= 4; ++v) {
        doc.m_nAlertPercent = v;
        ASSERT_TRUE(WritePortfolioFile(m_path, doc, tf::fs::kPortfolioBackups).bOk);
    }
    EXPECT_EQ(NewestWholeBackup(m_path), tf::fs::BackupPath(m_path, 1));
    // ~1~ damaged: ~2~ is the newest whole one, and looking leaves no copy behind.
    fs::resize_file(tf::fs::BackupPath(m_path, 1), 20);
    EXPECT_EQ(NewestWholeBackup(m_path), tf::fs::BackupPath(m_path, 2));
    EXPECT_EQ(FileCount(), 4u);
    CBlotterSpace read;
    ASSERT_EQ(ReadPortfolioFile(tf::fs::BackupPath(m_path, 2), read).status,
              PortfolioReadStatus::Read);
    EXPECT_EQ(read.m_nAlertPercent, 2);
    fs::remove(tf::fs::BackupPath(m_path, 2));
    fs::remove(tf::fs::BackupPath(m_path, 3));
    EXPECT_EQ(NewestWholeBackup(m_path), "");
}

TEST_F(PortfolioFileTest, ASaveThroughALinkReplacesTheFileTheLinkNames)
{
    // The conduit's default name as a link to the desktop's file.
    const std::string link = (m_dir / "Tallyfern.kgw").string();
    fs::create_symlink("info.kgw", link);
    CBlotterSpace doc = MakeExampleDocument();
    // A first save through a link to a file not made yet makes that file.
    ASSERT_TRUE(WritePortfolioFile(link, doc, tf::fs::kPortfolioBackups).bOk);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(m_path)));
    EXPECT_EQ(fs::status(m_path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    doc.m_nAlertPercent = 42;
    ASSERT_TRUE(WritePortfolioFile(link, doc, tf::fs::kPortfolioBackups).bOk);
    EXPECT_TRUE(fs::is_symlink(link));
    CBlotterSpace read;
    ASSERT_EQ(ReadPortfolioFile(m_path, read).status, PortfolioReadStatus::Read);
    EXPECT_EQ(read.m_nAlertPercent, 42);
    // The backup lies beside the file, not beside the link.
    EXPECT_TRUE(fs::exists(tf::fs::BackupPath(m_path, 1)));
    EXPECT_FALSE(fs::exists(tf::fs::BackupPath(link, 1)));

    // A damaged file read through the link is copied beside the file as well.
    Spill(Slurp(m_path).substr(0, 30));
    PortfolioReadResult damaged = ReadPortfolioFile(link, read);
    ASSERT_EQ(damaged.status, PortfolioReadStatus::Damaged);
    EXPECT_EQ(damaged.damagedCopy.rfind(m_path + ".damaged-", 0), 0u) << damaged.damagedCopy;
}

TEST_F(PortfolioFileTest, ATransactionHoldsTheLockKeepsOneBackupAndClearsDeadWritersFiles)
{
    using namespace std::chrono_literals;
    CBlotterSpace doc = MakeExampleDocument();
    ASSERT_TRUE(WritePortfolioFile(m_path, doc).bOk);
    const std::string first = Slurp(m_path);
    // Left by a writer with this process number, killed mid-save.
    const std::string leftover = tf::fs::TemporaryPathFor(m_path, ::getpid());
    tf::test::WriteFileBytes(leftover, "half");
    fs::create_symlink("info.kgw", m_dir / "link.kgw");

    CPortfolioTransaction transaction((m_dir / "link.kgw").string());
    EXPECT_EQ(transaction.Target(), m_path);
    ASSERT_TRUE(transaction.Begin(0ms)) << transaction.ErrorText();
    EXPECT_FALSE(fs::exists(leftover));
    // Another writer, by either name, waits and gives up.
    CPortfolioTransaction other(m_path);
    EXPECT_FALSE(other.Begin(50ms));
    EXPECT_EQ(other.ErrorText().rfind("info.kgw is in use by ", 0), 0u) << other.ErrorText();

    CBlotterSpace read;
    ASSERT_EQ(transaction.Read(read).status, PortfolioReadStatus::Read);
    read.m_nAlertPercent = 1;
    ASSERT_TRUE(transaction.Write(read).bOk);
    read.m_nAlertPercent = 2;
    ASSERT_TRUE(transaction.Write(read).bOk);
    // One backup per transaction: the version it started from.
    EXPECT_EQ(Slurp(tf::fs::BackupPath(m_path, 1)), first);
    EXPECT_FALSE(fs::exists(tf::fs::BackupPath(m_path, 2)));
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.kgw"));

    // The wait comes from the environment when it names one.
    EXPECT_EQ(DefaultLockWait(), 10s);
    ::setenv("TALLYFERN_LOCK_WAIT", "0.25", 1);
    EXPECT_EQ(DefaultLockWait(), 250ms);
    ::setenv("TALLYFERN_LOCK_WAIT", "soon", 1);
    EXPECT_EQ(DefaultLockWait(), 10s);
    ::unsetenv("TALLYFERN_LOCK_WAIT");
}
