// Kill loops: a program started and killed (SIGKILL, its whole process group) at a moment
// chosen at random within its usual run time, to find what a crash at any point leaves.
#pragma once

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tests/support/process/ChildProcess.h"

namespace tf::test {

// Puts the scratch folders of this test process (CTempDir) in memory when the machine has
// /dev/shm. A kill loses nothing that a flush to the disk would keep (the page cache stays),
// so the loop's files need no disk, and without the disk's flushes a run costs a fraction.
inline void ScratchInMemory()
{
    if (::access("/dev/shm", W_OK | X_OK) == 0)
        ::setenv("TMPDIR", "/dev/shm", 1);
}

// How long the program takes when nobody kills it: the median of a few runs.
inline std::chrono::microseconds MedianRunTime(const std::vector<std::string>& argv,
                                               const SProcessOptions& options, int runs = 5)
{
    std::vector<std::chrono::microseconds> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        RunProcess(argv, options);
        times.push_back(std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Starts the program and kills it after a delay drawn from [0, longest]. The result's
// exitCode is the program's own when it ended before the kill, -1 when the kill ended it.
inline SProcessResult RunKilledAtRandom(const std::vector<std::string>& argv,
                                        const SProcessOptions& options,
                                        std::chrono::microseconds longest, std::mt19937& random)
{
    CChildProcess child;
    if (!child.Start(argv, options))
        return {};
    std::uniform_int_distribution<long long> delay(0, longest.count());
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    child.Signal(SIGKILL);
    return child.Wait();
}

} // namespace tf::test
