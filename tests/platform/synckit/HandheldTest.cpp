// The record interface on the memory and folder handhelds, and the category table.
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

#include "platform/synckit/Categories.h"
#include "platform/synckit/FolderHandheld.h"
#include "platform/synckit/MemoryHandheld.h"
#include "platform/synckit/PdbFile.h"
#include "platform/synckit/SyncLog.h"
#include "tests/support/tempdir/TempDir.h"

namespace tf::synckit {
namespace {

class RecordInterface : public ::testing::Test
{
  protected:
    void SetUp() override { SelectHandheld(&m_handheld); }
    void TearDown() override { SelectHandheld(nullptr); }

    std::uint8_t Create(const char* name)
    {
        SkCreateBlock block{};
        std::strcpy(block.name, name);
        block.creator = FourCharCode("Tlyf");
        block.type = FourCharCode("DATA");
        EXPECT_EQ(SkCreateDatabase(&block), kSkOk);
        return block.handle;
    }
    std::uint32_t Write(std::uint8_t handle, std::uint8_t attributes, int category,
                        std::vector<std::uint8_t> data, std::uint32_t uid = 0)
    {
        SkRecordBlock block{};
        block.handle = handle;
        block.recordId = uid;
        block.attributes = attributes;
        block.category = static_cast<std::int16_t>(category);
        block.buffer = data.data();
        block.bufferSize = static_cast<std::uint16_t>(data.size());
        block.recordSize = static_cast<std::uint32_t>(data.size());
        EXPECT_EQ(SkWriteRecord(&block), kSkOk);
        return block.recordId;
    }

    CMemoryHandheld m_handheld;
};

TEST_F(RecordInterface, OpenCreateAndClose)
{
    std::uint8_t handle = 0;
    EXPECT_EQ(SkOpenDatabase("Viewer", 0, &handle, SK_OPEN_READ_WRITE_EXCLUSIVE), kSkErrNotFound);
    EXPECT_EQ(handle, 0);
    handle = Create("Viewer");
    EXPECT_NE(handle, 0);
    std::uint8_t second = 0;
    EXPECT_EQ(SkOpenDatabase("Viewer", 0, &second, 0xE0), kSkErrInUse);
    SkCreateBlock again{};
    std::strcpy(again.name, "Viewer");
    EXPECT_EQ(SkCreateDatabase(&again), kSkErrExists);
    EXPECT_EQ(SkCloseDatabase(handle), kSkOk);
    EXPECT_EQ(SkCloseDatabase(handle), kSkErrNotOpen);
    EXPECT_EQ(SkOpenDatabase("Viewer", 0, &handle, 0xE0), kSkOk);
    EXPECT_EQ(SkCloseDatabase(handle), kSkOk);

    EXPECT_EQ(SkOpenDatabase("../etc/passwd", 0, &handle, 0xE0), kSkErrBadArgument);
    EXPECT_EQ(SkOpenDatabase("", 0, &handle, 0xE0), kSkErrBadArgument);
    EXPECT_EQ(SkOpenDatabase(nullptr, 0, &handle, 0xE0), kSkErrBadArgument);
    EXPECT_EQ(SkCreateDatabase(nullptr), kSkErrBadArgument);
}

TEST_F(RecordInterface, ModifiedRecordsAreReadUntilTheClosingClearCall)
{
    std::uint8_t handle = Create("Viewer");
    std::uint32_t first = Write(handle, kSkRecordDirty, 3, {1, 2, 3});
    Write(handle, 0, 0, {4});
    std::uint32_t third = Write(handle, kSkRecordDeleted, 1, {});
    EXPECT_NE(first, 0u);

    std::vector<std::uint8_t> buffer(8, 0xEE);
    SkRecordBlock block{};
    block.handle = handle;
    block.buffer = buffer.data();
    block.bufferSize = 2;
    ASSERT_EQ(SkReadNextModifiedRecord(&block), kSkOk);
    EXPECT_EQ(std::uint32_t{block.recordId}, first);
    EXPECT_EQ(std::uint8_t{block.attributes}, kSkRecordDirty);
    EXPECT_EQ(std::int16_t{block.category}, 3);
    EXPECT_EQ(std::uint32_t{block.recordSize}, 3u) << "the whole size, though only two bytes fit";
    EXPECT_EQ(buffer[1], 2);
    EXPECT_EQ(buffer[2], 0xEE);
    ASSERT_EQ(SkReadNextModifiedRecord(&block), kSkOk);
    EXPECT_EQ(std::uint32_t{block.recordId}, third) << "deleted records come too";
    EXPECT_EQ(SkReadNextModifiedRecord(&block), kSkErrNotFound);

    EXPECT_EQ(SkPurgeDeletedRecords(handle), kSkOk);
    EXPECT_EQ(m_handheld.FindDatabase("Viewer")->records.size(), 2u);
    EXPECT_EQ(SkClearSyncFlags(handle), kSkOk);
    EXPECT_EQ(SkCloseDatabase(handle), kSkOk);
    ASSERT_EQ(SkOpenDatabase("Viewer", 0, &handle, 0xE0), kSkOk);
    EXPECT_EQ(SkReadNextModifiedRecord(&block), kSkErrNotFound);
    EXPECT_EQ(SkDeleteAllRecords(handle), kSkOk);
    EXPECT_TRUE(m_handheld.FindDatabase("Viewer")->records.empty());
    SkCloseDatabase(handle);
}

TEST_F(RecordInterface, RefusesBadBlocks)
{
    std::uint8_t handle = Create("Viewer");
    std::uint8_t data[4] = {};
    SkRecordBlock block{};
    block.handle = handle;
    block.buffer = data;
    block.bufferSize = 4;
    block.recordSize = 5;
    EXPECT_EQ(SkWriteRecord(&block), kSkErrBadArgument) << "record larger than its buffer";
    block.recordSize = 4;
    block.category = 16;
    EXPECT_EQ(SkWriteRecord(&block), kSkErrBadArgument);
    block.category = -1;
    EXPECT_EQ(SkWriteRecord(&block), kSkErrBadArgument);
    block.category = 0;
    block.recordId = 999;
    EXPECT_EQ(SkWriteRecord(&block), kSkErrNotFound);
    block.handle = 77;
    EXPECT_EQ(SkWriteRecord(&block), kSkErrNotOpen);
    EXPECT_EQ(SkReadNextModifiedRecord(&block), kSkErrNotOpen);
    EXPECT_EQ(SkPurgeDeletedRecords(0), kSkErrNotOpen);
    EXPECT_EQ(SkWriteRecord(nullptr), kSkErrBadArgument);
    SkCloseDatabase(handle);
}

TEST_F(RecordInterface, CategoryBlockIsMissingUntilWritten)
{
    std::uint8_t handle = Create("Viewer");
    std::vector<std::uint8_t> buffer(278, 0xEE);
    SkCategoryBlock block{};
    block.buffer = buffer.data();
    block.bufferSize = 278;
    EXPECT_EQ(SkReadCategoryBlock(handle, &block), kSkErrNotFound);
    std::vector<std::uint8_t> shortBlock = {0, 0, 'U', 'n'};
    block.buffer = shortBlock.data();
    block.bufferSize = 4;
    EXPECT_EQ(SkWriteCategoryBlock(handle, &block), kSkOk);
    block.buffer = buffer.data();
    block.bufferSize = 278;
    EXPECT_EQ(SkReadCategoryBlock(handle, &block), kSkOk);
    EXPECT_EQ(buffer[3], 'n');
    EXPECT_EQ(buffer[4], 0) << "no stale bytes after a shorter block";
    EXPECT_EQ(buffer[277], 0);
    SkCloseDatabase(handle);
}

TEST_F(RecordInterface, InjectedFailuresAndNoHandheld)
{
    std::uint8_t handle = Create("Viewer");
    m_handheld.FailCall(SkCall::PurgeDeleted, 0x4321, 1, 2);
    EXPECT_EQ(SkPurgeDeletedRecords(handle), kSkOk);
    EXPECT_EQ(SkPurgeDeletedRecords(handle), 0x4321);
    EXPECT_EQ(SkPurgeDeletedRecords(handle), 0x4321);
    EXPECT_EQ(SkPurgeDeletedRecords(handle), kSkOk);
    EXPECT_EQ(m_handheld.CallCount(SkCall::PurgeDeleted), 4);
    m_handheld.FailCall(SkCall::Close, 0x4444);
    EXPECT_EQ(SkCloseDatabase(handle), 0x4444);
    m_handheld.ClearFailures();
    EXPECT_EQ(SkCloseDatabase(handle), kSkOk);

    SelectHandheld(nullptr);
    EXPECT_EQ(SkOpenDatabase("Viewer", 0, &handle, 0xE0), kSkErrNoHandheld);
    EXPECT_EQ(SkCloseDatabase(1), kSkErrNoHandheld);
}

TEST_F(RecordInterface, LogKeepsTextAndActivity)
{
    ClearLog();
    EXPECT_EQ(SkLogAddEntry("one", 19, 0), kSkOk);
    EXPECT_EQ(SkLogAddEntry(nullptr, 8, 0), kSkErrBadArgument);
    ASSERT_EQ(LogEntries().size(), 1u);
    EXPECT_EQ(LogEntries()[0].text, "one");
    EXPECT_EQ(LogEntries()[0].activity, 19);
}

class FolderHandheldTest : public ::testing::Test
{
  protected:
    void TearDown() override { SelectHandheld(nullptr); }
    std::vector<std::uint8_t> FileBytes(const std::string& path)
    {
        std::string bytes = tf::test::ReadFileBytes(path);
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    }
    tf::test::CTempDir m_dir{"synckit-test"};
    std::string m_strDir = m_dir.Path().string();
};

TEST_F(FolderHandheldTest, DatabaseIsStoredAsAPdbFileOnClose)
{
    CFolderHandheld handheld(m_strDir);
    SelectHandheld(&handheld);
    SkCreateBlock create{};
    std::strcpy(create.name, "Viewer");
    create.creator = FourCharCode("Tlyf");
    ASSERT_EQ(SkCreateDatabase(&create), kSkOk);
    std::uint8_t data[3] = {7, 8, 9};
    SkRecordBlock block{};
    block.handle = create.handle;
    block.attributes = kSkRecordPrivate;
    block.category = 2;
    block.buffer = data;
    block.bufferSize = block.recordSize = 3;
    ASSERT_EQ(SkWriteRecord(&block), kSkOk);
    EXPECT_FALSE(std::filesystem::exists(m_strDir + "/Viewer.pdb")) << "written on close";
    ASSERT_EQ(SkCloseDatabase(create.handle), kSkOk);

    HandheldDatabase db;
    std::vector<std::uint8_t> bytes = FileBytes(m_strDir + "/Viewer.pdb");
    ASSERT_EQ(ParsePdb(bytes.data(), bytes.size(), db), kSkOk);
    ASSERT_EQ(db.records.size(), 1u);
    EXPECT_EQ(db.records[0].category, 2);
    EXPECT_EQ(db.records[0].flags, kSkRecordPrivate);
    EXPECT_EQ(db.creator, FourCharCode("Tlyf"));
    EXPECT_EQ(handheld.DatabaseNames(), std::vector<std::string>{"Viewer"});

    // Opening and closing without a change leaves the file as it was.
    auto stamp = std::filesystem::last_write_time(m_strDir + "/Viewer.pdb");
    std::uint8_t handle = 0;
    ASSERT_EQ(SkOpenDatabase("Viewer", 0, &handle, 0xE0), kSkOk);
    ASSERT_EQ(SkCloseDatabase(handle), kSkOk);
    EXPECT_EQ(std::filesystem::last_write_time(m_strDir + "/Viewer.pdb"), stamp);
}

TEST_F(FolderHandheldTest, DamagedFileIsRefusedAndKept)
{
    CFolderHandheld handheld(m_strDir);
    SelectHandheld(&handheld);
    HandheldDatabase db;
    db.name = "Viewer";
    db.records.push_back({1, 0, 0, std::vector<std::uint8_t>(40, 1)});
    std::vector<std::uint8_t> bytes = BuildPdb(db);
    bytes.resize(80);
    tf::test::WriteFileBytes(m_strDir + "/Viewer.pdb", std::string(bytes.begin(), bytes.end()));
    std::uint8_t handle = 0;
    EXPECT_EQ(SkOpenDatabase("Viewer", 0, &handle, 0xE0), kSkErrDamaged);
    EXPECT_EQ(handle, 0);
    EXPECT_FALSE(handheld.LastError().empty());
    SkCreateBlock create{};
    std::strcpy(create.name, "Viewer");
    EXPECT_EQ(SkCreateDatabase(&create), kSkErrExists) << "a damaged file is not replaced";
    EXPECT_EQ(FileBytes(m_strDir + "/Viewer.pdb"), bytes);
}

TEST(CategoryManager, IndexesIdentifiersAndLimits)
{
    CCategoryMgr manager;
    EXPECT_EQ(manager.GetFreeIndex(), 1) << "index 0 is the handheld's Unfiled";
    EXPECT_EQ(manager.GetCategoryCounter(), 0);
    CCategory* none = nullptr;
    EXPECT_EQ(manager.FindFirst(&none), kCatNotFound);
    EXPECT_EQ(manager.FindName("x", &none), kCatNotFound);

    EXPECT_EQ(manager.Add(new CCategory(0, "Unfiled", 0)), kCatOk);
    EXPECT_EQ(manager.Add(new CCategory(3, "Mobile", 200)), kCatOk);
    EXPECT_EQ(manager.GetCategoryCounter(), 0) << "identifiers from 16 up are not counted";
    CCategory duplicate(3, "Other", 1);
    EXPECT_EQ(manager.Add(&duplicate), kCatRefused);
    CCategory outside(16, "Other", 1);
    EXPECT_EQ(manager.Add(&outside), kCatRefused);
    CCategory unnamed(4, "", 1);
    EXPECT_EQ(manager.Add(&unnamed), kCatRefused);
    EXPECT_EQ(manager.Add(nullptr), kCatRefused);
    EXPECT_EQ(manager.Add(new CCategory(1, "A very long category name", 7)), kCatOk);
    EXPECT_EQ(manager.GetCategoryCounter(), 7);
    CCategory* found = nullptr;
    ASSERT_EQ(manager.FindIndex(1, &found), kCatOk);
    EXPECT_EQ(found->GetName(), "A very long cat");
    EXPECT_EQ(manager.GetFreeIndex(), 2);

    std::vector<int> order;
    for (long r = manager.FindFirst(&found); r != kCatNotFound; r = manager.FindNext(&found))
        order.push_back(found->GetIndex());
    EXPECT_EQ(order, (std::vector<int>{0, 3, 1}));

    for (int index = 2; index < 16; ++index) {
        if (index != 3) {
            EXPECT_EQ(manager.Add(new CCategory(index, "C" + std::to_string(index), 1)), kCatOk);
        }
    }
    EXPECT_EQ(manager.GetCount(), 16);
    EXPECT_EQ(manager.GetFreeIndex(), -1);
    manager.DeleteAllCategories(1);
    EXPECT_EQ(manager.GetCount(), 0);
}

TEST(CategoryManager, InitialisationCountsCalls)
{
    int before = TablesInitCount();
    EXPECT_EQ(InitTables5DLL(), 0);
    EXPECT_EQ(TablesInitCount(), before + 1);
}

} // namespace
} // namespace tf::synckit
