// The tfport commands. Each returns the process's exit status or throws CCommandError.
// The table in CommandTable.cpp names them, with their synopsis and help; a new command is
// one function here and one entry there.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "tools/tfport/CommandLine.h"

int CmdInit(const CCommandLine& line, std::ostream& out);
int CmdShow(const CCommandLine& line, std::ostream& out);
int CmdExport(const CCommandLine& line, std::ostream& out);
int CmdImport(const CCommandLine& line, std::ostream& out);
int CmdTotals(const CCommandLine& line, std::ostream& out);
int CmdBuy(const CCommandLine& line, std::ostream& out);
int CmdSell(const CCommandLine& line, std::ostream& out);
int CmdUpdate(const CCommandLine& line, std::ostream& out);
int CmdRemove(const CCommandLine& line, std::ostream& out);
int CmdCategory(const CCommandLine& line, std::ostream& out);
int CmdQuote(const CCommandLine& line, std::ostream& out);
int CmdRefresh(const CCommandLine& line, std::ostream& out);
int CmdSettings(const CCommandLine& line, std::ostream& out);
int CmdMail(const CCommandLine& line, std::ostream& out);
int CmdHistory(const CCommandLine& line, std::ostream& out);

struct STfportCommand
{
    const char* name;
    int (*run)(const CCommandLine&, std::ostream&);
    const char* synopsis;       // the arguments after "tfport"
    const char* summary;        // one line for the overview
    const char* details;        // the rest of its help page
    bool bDates = false;        // its help names the date format
    bool bCountries = false;    // its help names the countries
    bool bFirstIsPath = false;  // its first argument is a file name, not text
    bool bSecondIsPath = false; // its second argument is a file name ("history import FILE")
};

const std::vector<STfportCommand>& TfportCommands();
// nullptr when there is no such command.
const STfportCommand* FindTfportCommand(const std::string& name);
std::string CommandSynopsis(const std::string& name);
// The options that take a value, for ParseCommandLine.
const std::vector<std::string>& ValuedOptions();

// "tfport --help": every command's synopsis and summary.
void PrintUsage(std::ostream& out);
// "tfport help buy", "tfport buy --help".
void PrintCommandHelp(const STfportCommand& command, std::ostream& out);
