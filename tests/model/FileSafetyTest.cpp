// Reading and saving a portfolio file on disk: a save that fails at any write, flush or
// rename keeps the old file whole; a damaged file is copied aside before anything is saved.
#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

#include "model/PortfolioFile.h"
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

TEST_F(PortfolioFileTest, FailingWriteFlushOrRenameKeepsTheOldFileWhole)
{
    CBlotterSpace old = MakeExampleDocument();
    ASSERT_TRUE(WritePortfolioFile(m_path, old).bOk);
    const std::string oldBytes = Slurp(m_path);

    // A document big enough to need several buffered writes.
    CBlotterSpace next = MakeExampleDocument();
    for (int i = 1; i <= 100; ++i)
        next.m_trades.AddTail(MakeBuy(i, "NEW", i, 2));
    const std::string newBytes = SerializeToBytes(next);

    bool succeeded = false;
    for (int failAt = 1; failAt < 100 && !succeeded; ++failAt) {
        int calls = 0;
        tf::fs::SetFaultHook([&](tf::fs::FileOp) { return ++calls == failAt; });
        PortfolioWriteResult result = WritePortfolioFile(m_path, next);
        tf::fs::SetFaultHook(nullptr);
        std::string now = Slurp(m_path);
        if (result.bOk) {
            succeeded = true;
            EXPECT_EQ(now, newBytes);
        } else {
            EXPECT_FALSE(result.errorText.empty());
            EXPECT_EQ(now, oldBytes) << "fault at call " << failAt;
        }
        EXPECT_EQ(FileCount(), 1u) << "temporary file left after fault " << failAt;
    }
    EXPECT_TRUE(succeeded);
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

    // A second damaged read keeps a second copy rather than overwriting the first.
    PortfolioReadResult again = ReadPortfolioFile(m_path, read);
    EXPECT_NE(again.damagedCopy, result.damagedCopy);
    EXPECT_EQ(Slurp(again.damagedCopy), cut);
}
