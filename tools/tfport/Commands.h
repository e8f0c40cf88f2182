// The tfport commands. Each returns the process's exit status or throws CCommandError.
#pragma once

#include <iosfwd>

#include "tools/tfport/CommandLine.h"

int CmdInit(const CCommandLine& line, std::ostream& out);
int CmdShow(const CCommandLine& line, std::ostream& out);
int CmdExport(const CCommandLine& line, std::ostream& out);
int CmdTotals(const CCommandLine& line, std::ostream& out);
int CmdBuy(const CCommandLine& line, std::ostream& out);
int CmdSell(const CCommandLine& line, std::ostream& out);
int CmdUpdate(const CCommandLine& line, std::ostream& out);
int CmdRemove(const CCommandLine& line, std::ostream& out);
int CmdQuote(const CCommandLine& line, std::ostream& out);
int CmdRefresh(const CCommandLine& line, std::ostream& out);
int CmdSettings(const CCommandLine& line, std::ostream& out);
int CmdMail(const CCommandLine& line, std::ostream& out);
