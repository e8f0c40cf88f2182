// The parsed command line of tfport and the checks every command shares: numbers, the
// portfolio file, and one clear error line on standard error.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/BlotterSpace.h"
#include "model/PortfolioTransaction.h"

struct CCommandLine
{
    std::string command;
    std::vector<std::string> positional;
    std::map<std::string, std::string> options; // "--fee" -> "1.5"
    std::vector<std::string> flags;             // "--no-fetch"

    bool HasFlag(const std::string& flag) const;
    std::optional<std::string> Option(const std::string& name) const;
};

// A failure that ends the command: printed as "tfport: <text>" and exit status 1 (2 for a
// usage error, kExitBusy when another program held the portfolio too long).
struct CCommandError
{
    std::string text;
    int exitCode = 1;
};

// The exit status of a command that gave up waiting for another writer and changed nothing;
// "try again later" by the sysexits convention, so a script can tell it from a refusal.
constexpr int kExitBusy = 75;

// Splits argv. Options that take a value are named in valued; "--name=value" works too.
CCommandLine ParseCommandLine(int argc, char** argv, const std::vector<std::string>& valued);

double RequireNumber(const std::string& text, const char* what);
int RequireTradeId(const std::string& text);

// Reads the portfolio file for a command that only reads (no lock: a save replaces the file
// by rename, so a reader sees one whole version); a missing or damaged file is an error.
CBlotterSpace LoadForCommand(const std::string& path);

// The read-change-write of every command that writes: the writers' lock from the read to
// the save, so no other program's change can fall between them and be lost. The
// constructor waits for the lock (DefaultLockWait) and reads; Save saves. Every failure is
// a CCommandError, and the file is then as it was.
class CLockedPortfolio
{
  public:
    explicit CLockedPortfolio(const std::string& path);
    CBlotterSpace& Doc() { return m_doc; }
    void Save();

  private:
    CPortfolioTransaction m_transaction;
    CBlotterSpace m_doc;
};

// The one way a new portfolio is written: under the lock, and never over an existing file.
void CreatePortfolio(const std::string& path, CBlotterSpace& doc);

// The portfolio file the command works on: --file or info.kgw in the current folder.
std::string PortfolioPath(const CCommandLine& line);
