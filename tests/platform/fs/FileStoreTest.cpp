// Atomic replacement around the file: links followed to the file they name, the temporary
// file refusing a name already taken, the replaced file's permissions, numbered backups,
// stale temporary files of dead writers, and copies kept once per content.
#include "platform/fs/FileStore.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/fs/Backups.h"
#include "platform/fs/CopyAside.h"
#include "platform/fs/FilePaths.h"
#include "platform/fs/StaleFiles.h"
#include "tests/support/tempdir/TempDir.h"

namespace fs = std::filesystem;
using tf::test::ReadFileBytes;
using tf::test::WriteFileBytes;

namespace {
bool Replace(const std::string& path, const std::string& bytes, int backups = 0)
{
    tf::fs::CAtomicFile file;
    file.KeepBackups(backups);
    return file.Open(path) && file.Write(bytes.data(), bytes.size()) && file.Commit();
}

mode_t ModeOf(const std::string& path)
{
    struct stat st
    {
    };
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

ino_t InodeOf(const std::string& path)
{
    struct stat st
    {
    };
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_ino;
}

// A process number that belonged to a process which has ended.
pid_t DeadPid()
{
    pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}
} // namespace

TEST(FilePaths, LinksAreFollowedToTheFileTheyName)
{
    tf::test::CTempDir dir("tf-fs");
    const std::string real = dir.File("info.kgw");
    WriteFileBytes(real, "x");
    fs::create_directories(dir / "sub");
    fs::create_symlink("../info.kgw", dir / "sub" / "relative.kgw");
    fs::create_symlink(real, dir / "absolute.kgw");
    fs::create_symlink("absolute.kgw", dir / "chain.kgw");
    fs::create_symlink("later.kgw", dir / "dangling.kgw");
    fs::create_symlink("loop-b", dir / "loop-a");
    fs::create_symlink("loop-a", dir / "loop-b");

    EXPECT_EQ(tf::fs::ResolveLinks(real), real);
    EXPECT_EQ(fs::canonical(tf::fs::ResolveLinks(dir.File("sub/relative.kgw"))),
              fs::canonical(real));
    EXPECT_EQ(tf::fs::ResolveLinks(dir.File("absolute.kgw")), real);
    EXPECT_EQ(tf::fs::ResolveLinks(dir.File("chain.kgw")), real);
    // A link to a file not made yet names where the first save goes.
    EXPECT_EQ(tf::fs::ResolveLinks(dir.File("dangling.kgw")), dir.File("later.kgw"));
    // A loop resolves to nothing better than the path itself.
    EXPECT_EQ(tf::fs::ResolveLinks(dir.File("loop-a")), dir.File("loop-a"));
    EXPECT_EQ(tf::fs::ResolveLinks("no-such-file"), "no-such-file");

    EXPECT_EQ(tf::fs::DirectoryOf("info.kgw"), ".");
    EXPECT_EQ(tf::fs::DirectoryOf("/info.kgw"), "/");
    EXPECT_EQ(tf::fs::BaseNameOf("/a/b/info.kgw"), "info.kgw");
}

TEST(AtomicFile, RefusesWhatIsInTheTemporaryFilesWayAndKeepsTheModeOfTheFileItReplaces)
{
    tf::test::CTempDir dir("tf-fs");
    const std::string path = dir.File("info.kgw");
    const std::string victim = dir.File("victim");
    WriteFileBytes(victim, "untouched");
    const std::string temp = tf::fs::TemporaryPathFor(path, ::getpid());
    fs::create_symlink(victim, temp);

    tf::fs::CAtomicFile file;
    EXPECT_FALSE(file.Open(path));
    EXPECT_NE(file.ErrorText().find(temp), std::string::npos) << file.ErrorText();
    file.Abort();
    EXPECT_EQ(ReadFileBytes(victim), "untouched");
    EXPECT_TRUE(fs::is_symlink(temp)) << "what was in the way is left for the owner to judge";
    EXPECT_FALSE(fs::exists(path));
    fs::remove(temp);

    // A new file is private, whatever the umask lets through.
    const mode_t oldMask = ::umask(022);
    ASSERT_TRUE(Replace(path, "one"));
    EXPECT_EQ(ModeOf(path), 0600u);
    // A replaced file keeps its mode, even one the umask would cut.
    ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
    ASSERT_TRUE(Replace(path, "two"));
    ::umask(oldMask);
    EXPECT_EQ(ModeOf(path), 0664u);
    EXPECT_EQ(ReadFileBytes(path), "two");
}

TEST(Backups, RotateToFiveByLinkAndRenameAndDropTheOldest)
{
    tf::test::CTempDir dir("tf-fs");
    const std::string path = dir.File("info.kgw");
    // The first save has nothing to keep.
    ASSERT_TRUE(Replace(path, "v1", tf::fs::kPortfolioBackups));
    EXPECT_FALSE(fs::exists(tf::fs::BackupPath(path, 1)));
    for (int v = 2; v <= 8; ++v) {
        const ino_t before = InodeOf(path);
        ASSERT_TRUE(Replace(path, "v" + std::to_string(v), tf::fs::kPortfolioBackups));
        // The backup is the replaced file itself, not a copy of it.
        EXPECT_EQ(InodeOf(tf::fs::BackupPath(path, 1)), before);
    }
    EXPECT_EQ(ReadFileBytes(path), "v8");
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(ReadFileBytes(tf::fs::BackupPath(path, n)), "v" + std::to_string(8 - n)) << n;
    EXPECT_FALSE(fs::exists(tf::fs::BackupPath(path, 6)));
    // Nothing else is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 6);

    // A save without backups leaves them alone.
    ASSERT_TRUE(Replace(path, "v9"));
    EXPECT_EQ(ReadFileBytes(tf::fs::BackupPath(path, 1)), "v7");
}

TEST(Backups, AFaultAtAnyStepLeavesTheFileOldOrNewAndEveryBackupWhole)
{
    tf::test::CTempDir dir("tf-fs");
    const std::string path = dir.File("info.kgw");
    for (int v = 1; v <= 6; ++v)
        ASSERT_TRUE(Replace(path, "version " + std::to_string(v), tf::fs::kPortfolioBackups));
    std::vector<std::string> versions;
    for (int v = 1; v <= 6; ++v)
        versions.push_back("version " + std::to_string(v));
    versions.push_back("version 7");

    bool succeeded = false;
    for (int failAt = 1; failAt < 50 && !succeeded; ++failAt) {
        int calls = 0;
        tf::fs::SetFaultHook([&](tf::fs::FileOp) { return ++calls == failAt; });
        succeeded = Replace(path, "version 7", tf::fs::kPortfolioBackups);
        tf::fs::SetFaultHook(nullptr);
        const std::string now = ReadFileBytes(path);
        EXPECT_EQ(now, succeeded ? "version 7" : "version 6") << "fault at call " << failAt;
        for (int n = 1; n <= 6; ++n) {
            const std::string backup = tf::fs::BackupPath(path, n);
            if (!fs::exists(backup))
                continue;
            EXPECT_NE(std::find(versions.begin(), versions.end(), ReadFileBytes(backup)),
                      versions.end())
                << backup << " after a fault at call " << failAt;
        }
        EXPECT_FALSE(fs::exists(tf::fs::TemporaryPathFor(path, ::getpid())));
    }
    ASSERT_TRUE(succeeded);
    EXPECT_EQ(ReadFileBytes(tf::fs::BackupPath(path, 1)), "version 6");
    EXPECT_FALSE(fs::exists(tf::fs::BackupPath(path, 6)));
}

TEST(StaleFiles, OnlyTemporaryFilesOfEndedWritersGo)
{
    tf::test::CTempDir dir("tf-fs");
    const std::string path = dir.File("info.kgw");
    const std::string dead = std::to_string(DeadPid());
    const std::string self = std::to_string(::getpid());
    const std::vector<std::string> gone = {
        "info.kgw.tmp-" + dead,
        "info.kgw.tmp-" + self, // left by an earlier process of this number
        "info.kgw.damaged-20260101-000000.tmp-" + dead,
        "info.kgw.hotsync.tmp-" + dead,
    };
    const std::vector<std::string> kept = {
        "info.kgw",
        "info.kgw.tmp-1", // a running process (init)
        "info.kgw.history.sqlite",
        "info.kgw.history.sqlite-journal",
        "info.kgw.~1~",
        "other.kgw.tmp-" + dead,
        "info.kgw.tmp-12x",
        "info.kgw.tmp-",
    };
    for (const std::string& name : gone)
        WriteFileBytes(dir / name, "x");
    for (const std::string& name : kept)
        WriteFileBytes(dir / name, "x");
    // A link left with a temporary name goes too, and what it names stays.
    const std::string linkName = "info.kgw.tmp-" + std::to_string(DeadPid());
    fs::create_symlink(dir / "info.kgw", dir / linkName);

    EXPECT_EQ(tf::fs::RemoveStaleTemporaries(path), static_cast<int>(gone.size()) + 1);
    for (const std::string& name : gone)
        EXPECT_FALSE(fs::exists(dir / name)) << name;
    EXPECT_FALSE(fs::is_symlink(dir / linkName));
    for (const std::string& name : kept)
        EXPECT_TRUE(fs::exists(dir / name)) << name;
}

TEST(CopyAside, NeverOverAnExistingNameAndFindsACopyOfTheSameBytes)
{
    tf::test::CTempDir dir("tf-fs");
    const std::string path = dir.File("info.kgw");
    WriteFileBytes(path, std::string(100000, 'a') + "end");
    WriteFileBytes(dir / "info.kgw.damaged-1", std::string(100000, 'a') + "END");
    WriteFileBytes(dir / "info.kgw.damaged-2", "short");
    WriteFileBytes(dir / "other.damaged-3", std::string(100000, 'a') + "end");

    tf::fs::CInputFile in;
    ASSERT_TRUE(in.Open(path));
    EXPECT_EQ(tf::fs::FindIdenticalCopy(in, path, ".damaged-"), "");
    std::string error;
    ASSERT_TRUE(tf::fs::CopyOpenFileAside(in, dir.File("info.kgw.damaged-4"), &error)) << error;
    EXPECT_EQ(tf::fs::FindIdenticalCopy(in, path, ".damaged-"), dir.File("info.kgw.damaged-4"));

    // An existing name, or a link with that name, is never written over.
    fs::create_symlink(dir / "nowhere", dir / "info.kgw.damaged-5");
    EXPECT_FALSE(tf::fs::CopyOpenFileAside(in, dir.File("info.kgw.damaged-5"), &error));
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
    EXPECT_FALSE(tf::fs::CopyFileAside(path, dir.File("info.kgw.damaged-2"), &error));
    EXPECT_EQ(ReadFileBytes(dir / "info.kgw.damaged-2"), "short");
}
