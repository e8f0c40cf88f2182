// tfport: the Tallyfern portfolio from the terminal. Works on info.kgw in the current
// folder unless --file names another.
#include <iostream>
#include <map>

#include "platform/text/ProgramVersion.h"
#include "tools/tfport/Commands.h"
#include "tools/tfport/TerminalText.h"

namespace {
using Command = int (*)(const CCommandLine&, std::ostream&);

const char* const kUsage =
    "usage: tfport [--file PATH] COMMAND [ARGUMENTS]\n"
    "       tfport --help | --version\n"
    "\n"
    "  init                                  write a new portfolio (never over an existing one)\n"
    "  show                                  settings, trades and categories\n"
    "  export [--format json|csv]            every field of every trade\n"
    "  totals [--category NAME]              the five totals from the stored prices\n"
    "  buy SYMBOL QTY PRICE [--fee F] [--category C] [--country X]\n"
    "  sell ID QTY PRICE [--fee F]           sell from the open buy ID\n"
    "  update ID [--symbol S] [--quantity Q] [--price P] [--fee F] [--category C] [--country X]\n"
    "  remove ID\n"
    "  quote SYMBOL [--country C] [--bid]    fetch one quote\n"
    "  refresh [--no-fetch] [--category C] [--jobs N]\n"
    "                                        price every open position, run the pager alerts,\n"
    "                                        save, and print the blotter and the totals; at most\n"
    "                                        N requests at once to one server (default 8);\n"
    "                                        exit 3 when a quote failed, 4 when a mail failed\n"
    "  settings [--auto-refresh on|off] [--interval MINUTES] [--deduct-fees on|off]\n"
    "           [--use-bid on|off] [--check-version on|off] [--base-country C]\n"
    "           [--external-ytd AMOUNT] [--alerts on|off] [--alert-percent 0-100]\n"
    "           [--smtp-server HOST[:PORT]] [--mail-from ADDRESS] [--pager ADDRESS]\n"
    "  mail login                            store the mail server's password in the keyring\n"
    "  mail logout                           remove it from the keyring\n"
    "  mail test                             send a test message to the pager address\n"
    "\n"
    "Commands that change the file wait up to 10 seconds (TALLYFERN_LOCK_WAIT=SECONDS) for\n"
    "another program's save of it; then they change nothing and exit with status 75.\n";

const std::map<std::string, Command>& Commands()
{
    static const std::map<std::string, Command> commands = {
        {"init", CmdInit},       {"show", CmdShow},         {"export", CmdExport},
        {"totals", CmdTotals},   {"buy", CmdBuy},           {"sell", CmdSell},
        {"update", CmdUpdate},   {"remove", CmdRemove},     {"quote", CmdQuote},
        {"refresh", CmdRefresh}, {"settings", CmdSettings}, {"mail", CmdMail},
    };
    return commands;
}
} // namespace

int main(int argc, char** argv)
{
    try {
        CCommandLine line = ParseCommandLine(
            argc, argv, {"--file",          "--format",       "--fee",          "--category",
                         "--country",       "--symbol",       "--quantity",     "--price",
                         "--auto-refresh",  "--interval",     "--deduct-fees",  "--use-bid",
                         "--check-version", "--base-country", "--external-ytd", "--alerts",
                         "--alert-percent", "--smtp-server",  "--mail-from",    "--pager",
                         "--jobs"});
        if (line.command.empty() && line.HasFlag("--version")) {
            std::cout << VersionLine("tfport");
            return 0;
        }
        if (line.command.empty() || line.HasFlag("--help") || line.command == "help") {
            std::cout << kUsage;
            return line.command.empty() && !line.HasFlag("--help") ? 2 : 0;
        }
        auto it = Commands().find(line.command);
        if (it == Commands().end())
            throw CCommandError{"unknown command \"" + line.command + "\"\n" + kUsage, 2};
        return it->second(line, std::cout);
    } catch (const CCommandError& error) {
        // Messages quote what the user typed and what the file holds: controls escaped.
        std::cerr << "tfport: " << EscapeControls(error.text, true) << "\n";
        return error.exitCode;
    }
}
