// The helpers every program-level test leans on: exit codes, separate output streams, input,
// environment, working folder, the time-out, and a background child stopped by a signal.
#include "tests/support/process/ChildProcess.h"

#include <csignal>
#include <gtest/gtest.h>
#include <thread>

#include "tests/support/tempdir/TempDir.h"

using namespace tf::test;

TEST(ChildProcess, RunsToItsEndWithInputEnvironmentAndFolder)
{
    CTempDir dir("tf-child");
    SProcessOptions options;
    options.workingDir = dir.Path().string();
    options.env = {{"TF_CHILD_VALUE", "forty two"}};
    options.unsetEnv = {"HOME"};
    options.input = "from stdin\n";
    SProcessResult result =
        RunProcess({"/bin/sh", "-c",
                    "read line; echo \"$line|$TF_CHILD_VALUE|${HOME-unset}|$(pwd)\"; "
                    "echo oops >&2; exit 7"},
                   options);
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 7);
    EXPECT_EQ(result.out, "from stdin|forty two|unset|" + dir.Path().string() + "\n");
    EXPECT_EQ(result.err, "oops\n");

    options.mergeStderr = true;
    result = RunProcess({"/bin/sh", "-c", "echo a; echo b >&2"}, options);
    EXPECT_EQ(result.out, "a\nb\n");

    EXPECT_FALSE(RunProcess({"/nonexistent/program"}).started);
}

TEST(ChildProcess, TimeOutKillsTheWholeGroup)
{
    SProcessOptions options;
    options.timeout = std::chrono::milliseconds(300);
    SProcessResult result = RunProcess({"/bin/sh", "-c", "sleep 30 & sleep 30"}, options);
    EXPECT_TRUE(result.timedOut);
    EXPECT_EQ(result.termSignal, SIGKILL);
}

TEST(ChildProcess, BackgroundChildIsStoppedBySignal)
{
    CChildProcess child;
    ASSERT_TRUE(child.Start({"/bin/sh", "-c",
                             "echo ready; trap 'echo bye; exit 3' TERM; "
                             "while :; do sleep 0.05; done"}));
    for (int i = 0; i < 100 && child.Output().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(child.Output(), "ready\n");
    EXPECT_TRUE(child.Running());
    child.Signal(SIGTERM);
    SProcessResult result = child.Wait(std::chrono::milliseconds(5000));
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.out, "ready\nbye\n");
}

TEST(ChildProcess, FreePortIsFreeAndTempDirGoesAway)
{
    int port = FreeLoopbackPort();
    ASSERT_GT(port, 0);
    EXPECT_FALSE(LoopbackPortListens(port));
    std::filesystem::path kept;
    {
        CTempDir dir;
        kept = dir.Path();
        WriteFileBytes(dir / "a.bin", std::string("x\0y", 3));
        EXPECT_EQ(ReadFileBytes(dir / "a.bin"), std::string("x\0y", 3));
    }
    EXPECT_FALSE(std::filesystem::exists(kept));
}

TEST(ChildProcess, CommandLinesSplitAsTheShellSplitsThem)
{
    using Words = std::vector<std::string>;
    EXPECT_EQ(SplitCommandLine("  buy IBM\t100  "), (Words{"buy", "IBM", "100"}));
    EXPECT_EQ(SplitCommandLine("quote VOD --country 'United Kingdom'"),
              (Words{"quote", "VOD", "--country", "United Kingdom"}));
    EXPECT_EQ(SplitCommandLine("quote '' x"), (Words{"quote", "", "x"}));
    EXPECT_EQ(SplitCommandLine("buy 'X\"Y' 1"), (Words{"buy", "X\"Y", "1"}));
    EXPECT_EQ(SplitCommandLine("a\"b c\\\"d\"e f"), (Words{"ab c\"de", "f"}));
    EXPECT_EQ(SplitCommandLine("one\\ word 'it''s'"), (Words{"one word", "its"}));
    EXPECT_EQ(SplitCommandLine(""), Words{});

    // What the shell itself makes of the same line.
    const std::string line = "a 'b c' \"d \\\" e\" f\\ g ''";
    SProcessResult shell =
        RunProcess({"/bin/sh", "-c", "for w in " + line + "; do echo \"[$w]\"; done"});
    std::string expected;
    for (const std::string& word : SplitCommandLine(line))
        expected += "[" + word + "]\n";
    EXPECT_EQ(shell.out, expected);
}
