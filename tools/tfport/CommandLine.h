// The parsed command line of tfport and the checks every command shares: numbers, dates,
// trade numbers, the portfolio file, and one clear error line on standard error.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/BlotterSpace.h"
#include "model/PortfolioTransaction.h"

class CLocaleText;

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
// usage error, kExitBusy when another program held the portfolio too long). The text is
// Windows-1252 like every other output, unless bLocaleText says it already holds text in the
// locale's encoding (a character it could not convert).
struct CCommandError
{
    std::string text;
    int exitCode = 1;
    bool bLocaleText = false;
};

// The exit status of a command that gave up waiting for another writer and changed nothing;
// "try again later" by the sysexits convention, so a script can tell it from a refusal.
constexpr int kExitBusy = 75;

// Splits argv. Options that take a value are named in valued; "--name=value" works too.
// "-h" is the flag "--help".
CCommandLine ParseCommandLine(int argc, char** argv, const std::vector<std::string>& valued);

// Converts every text of the line from the locale's encoding to Windows-1252, the model's,
// except the values of the options in `paths` and, with bFirstIsPath or bSecondIsPath, the
// first or second positional argument: file names stay as the file system spells them. Text
// without a Windows-1252 form is refused, naming the character.
void ConvertArguments(CCommandLine& line, const CLocaleText& locale,
                      const std::set<std::string>& paths, bool bFirstIsPath,
                      bool bSecondIsPath = false);

// A finite number, or an error naming `what`.
double RequireNumber(const std::string& text, const char* what);
// A text made only of digits is a trade number; anything else is not.
bool IsTradeNumberText(const std::string& text);
int RequireTradeId(const std::string& text);
// The --date option as a trade date (not in the future), or now.
std::int32_t TradeDate(const CCommandLine& line);
std::int32_t Now();

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
