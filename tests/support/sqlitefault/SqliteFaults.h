// A disk that fails on request, for tests of the price history: a SQLite file layer over the
// system's own, installed as SQLite's default in the test process, that can make the N-th
// write from now on fail as a full disk does, or make every open of a database fail as an
// unwritable folder does. Each fault plan is cleared by Reset (a CSqliteFaultScope calls it).
#pragma once

namespace tf::test {

class CSqliteFaults
{
  public:
    // Installs the layer once; later calls do nothing.
    static void Install();
    // The nth write from now (1 = the next one) and every write after it fail with
    // SQLITE_FULL; 0 lets every write through.
    static void FailWritesFrom(int nth);
    // Every open of a main database file fails (its folder cannot be written).
    static void FailOpens(bool bFail);
    // Writes that reached the disk since Install or the last Reset.
    static int WritesSeen();
    static void Reset();
};

// Clears every fault plan when the test leaves the scope, so one failing test cannot leave a
// broken disk behind for the next.
struct CSqliteFaultScope
{
    CSqliteFaultScope()
    {
        CSqliteFaults::Install();
        CSqliteFaults::Reset();
    }
    ~CSqliteFaultScope() { CSqliteFaults::Reset(); }
};

} // namespace tf::test
