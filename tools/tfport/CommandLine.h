// The parsed command line of tfport and the checks every command shares: numbers, the
// portfolio file, and one clear error line on standard error.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/BlotterSpace.h"

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
// usage error).
struct CCommandError
{
    std::string text;
    int exitCode = 1;
};

// Splits argv. Options that take a value are named in valued; "--name=value" works too.
CCommandLine ParseCommandLine(int argc, char** argv, const std::vector<std::string>& valued);

double RequireNumber(const std::string& text, const char* what);
int RequireTradeId(const std::string& text);

// Reads the portfolio file; a missing or damaged file is an error (nothing is written).
CBlotterSpace LoadForCommand(const std::string& path);
// Saves atomically; a failure is an error.
void SaveForCommand(const std::string& path, CBlotterSpace& doc);

// The portfolio file the command works on: --file or info.kgw in the current folder.
std::string PortfolioPath(const CCommandLine& line);
