// The writers' lock: one holder at a time across open files and processes, a bounded wait
// that names the holder, and a lock file that stays.
#include "platform/fs/FileLock.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

#include "tests/support/process/ChildProcess.h"
#include "tests/support/tempdir/TempDir.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(FileLock, OneHolderAtATimeAndAWaiterNamesIt)
{
    tf::test::CTempDir dir("tf-lock");
    const std::string path = dir.File("info.kgw");
    EXPECT_EQ(tf::fs::LockPathFor(path), dir.File(".info.kgw.lock"));
    EXPECT_EQ(tf::fs::LockPathFor("info.kgw"), ".info.kgw.lock");

    tf::fs::CFileLock first;
    ASSERT_TRUE(first.Acquire(path, 0ms)) << first.ErrorText();
    EXPECT_TRUE(first.Held());
    EXPECT_EQ(fs::status(tf::fs::LockPathFor(path)).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    // A second open file of the lock, even in this process, waits and gives up.
    tf::fs::CFileLock second;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(second.Acquire(path, 150ms));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 150ms);
    EXPECT_LT(waited, 5s);
    EXPECT_FALSE(second.Held());
    EXPECT_TRUE(second.Busy());
    const std::string self = std::string(program_invocation_short_name) + " (process " +
                             std::to_string(::getpid()) + ")";
    EXPECT_EQ(second.Holder(), self);
    EXPECT_EQ(second.ErrorText(), "info.kgw is in use by " + self);

    // A waiter gets it as soon as the holder lets go; the lock file stays for good.
    first.Release();
    EXPECT_TRUE(second.Acquire(path, 1s));
    second.Release();
    EXPECT_TRUE(fs::exists(tf::fs::LockPathFor(path)));

    // A folder where no lock file can be made is an error, not a lock.
    tf::fs::CFileLock nowhere;
    EXPECT_FALSE(nowhere.Acquire(dir.File("missing/info.kgw"), 0ms));
    EXPECT_FALSE(nowhere.Busy());
    EXPECT_NE(nowhere.ErrorText().find("lock file"), std::string::npos);
}

TEST(FileLock, AnotherProcessWaitsUntilTheHolderEndsAndALeftoverLineNamesNobody)
{
    tf::test::CTempDir dir("tf-lock");
    const std::string path = dir.File("info.kgw");
    // A process that takes the lock with flock(1) and holds it for a while.
    tf::test::CChildProcess holder;
    ASSERT_TRUE(holder.Start({"flock", tf::fs::LockPathFor(path), "sleep", "0.6"}));
    tf::fs::CFileLock probe;
    bool bHeld = false;
    for (int i = 0; i < 200 && !bHeld; ++i) {
        bHeld = !probe.Acquire(path, 0ms);
        if (!bHeld) {
            probe.Release();
            std::this_thread::sleep_for(5ms);
        }
    }
    ASSERT_TRUE(bHeld) << "flock never took the lock";
    // flock(1) writes no holder line: the waiter names no one rather than guessing.
    EXPECT_EQ(probe.Holder(), "");
    EXPECT_EQ(probe.ErrorText(), "info.kgw is in use by another program");
    // A line left by a holder that has ended names nobody either.
    tf::test::WriteFileBytes(tf::fs::LockPathFor(path), "999999999 ghost\n");
    EXPECT_FALSE(probe.Acquire(path, 0ms));
    EXPECT_EQ(probe.Holder(), "");

    EXPECT_TRUE(probe.Acquire(path, 10s)) << probe.ErrorText();
    EXPECT_EQ(holder.Wait().exitCode, 0);
}
