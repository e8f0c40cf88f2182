// Every tfport command with its synopsis and help page.
#include <algorithm>
#include <iomanip>
#include <ostream>

#include "model/EntryChecks.h"
#include "platform/text/DateTexts.h"
#include "tools/tfport/Commands.h"

namespace {
// The longest command name and two blanks.
constexpr int kNameWidth = 10;
} // namespace

const std::vector<STfportCommand>& TfportCommands()
{
    static const std::vector<STfportCommand> commands = {
        {"init", CmdInit, "init", "write a new portfolio (never over an existing one)",
         "Writes a portfolio with the default settings and the six categories a new one\n"
         "starts with: All, Unfiled, 401(k), Stock Plan, Business, Personal.\n"},
        {"show", CmdShow, "show", "settings, trades and categories",
         "Prints every setting, every trade (number, the buy a sale refers to, kind, symbol,\n"
         "quantity, price, fee, category, country, dates, state) and the categories.\n"},
        {"export", CmdExport, "export [--format json|csv]", "every field of every trade",
         "Writes every field of every trade to standard output, as JSON (the default) or as\n"
         "CSV with a header line. Dates are ISO 8601 in local time with the UTC offset; a\n"
         "number that is not finite is written as null (JSON) or left empty (CSV). The CSV\n"
         "reads back with \"tfport import\".\n"},
        {"import", CmdImport, "import FILE [--dry-run]", "add the trades of a CSV file",
         "Reads trades from a CSV file with a header line: the columns \"tfport export\n"
         "--format csv\" writes, in any order. Needed: symbol, quantity, price, brokerFee\n"
         "(or fee), isSell (or side: 0 or buy, 1 or sell), buyDate and sellDate (or date),\n"
         "category and country. Optional: id and refId (a sale then names its buy, and an\n"
         "exported buy's quantity is what it still holds), currentPrice, dayChange,\n"
         "costPrice, auxValue1, auxValue2, status (4: deleted, skipped).\n"
         "\n"
         "Rows enter in date order by the same rules as buy and sell; a sale without a buy\n"
         "in the file sells from its symbol's open buys, oldest first. Rows identical to a\n"
         "trade already in the portfolio (side, date, symbol, quantity, price) are skipped\n"
         "and counted; missing categories are added. The whole file is checked first: the\n"
         "first bad row is named by its line and field, and the portfolio stays unchanged.\n"
         "--dry-run prints what would be added and changes nothing.\n",
         true, true, true},
        {"totals", CmdTotals, "totals [--category NAME]", "the five totals from the stored prices",
         "Prints Total Value, Position P/L, Total P/L Today and the realized P/L of the month\n"
         "and the year, from the prices the last refresh stored.\n"},
        {"buy", CmdBuy, "buy SYMBOL QTY PRICE [--fee F] [--category C] [--country X] [--date D]",
         "record a purchase: a new open position",
         "Records a purchase. QTY must be above 0, PRICE and --fee 0 or more. The category\n"
         "must be one of the portfolio's (not \"All\"; default Unfiled); the country one\n"
         "the quotes know (default: the base country). --date sets the purchase time\n"
         "(default now), so that an existing portfolio can be entered.\n",
         true, true},
        {"sell", CmdSell,
         "sell ID|SYMBOL QTY PRICE [--fee F] [--date D]\n"
         "       tfport sell --symbol SYMBOL QTY PRICE [--fee F] [--date D]",
         "sell from the open buy ID, or from a symbol's open buys",
         "With a trade number, sells QTY from that open buy. With a symbol, sells from the\n"
         "symbol's open buys, the oldest purchase first: one sale per buy touched, each\n"
         "costed at its own buy's price, the fee shared by quantity. An argument made only of\n"
         "digits is a trade number; to sell a symbol made only of digits, use --symbol.\n"
         "A sale within one part in a billion of what is held sells all of it and closes the\n"
         "buy. --date sets the sale time (default now); it cannot be before the purchase.\n",
         true},
        {"update", CmdUpdate,
         "update ID [--symbol S] [--quantity Q] [--price P] [--fee F] [--category C]\n"
         "       [--country X] [--date D]",
         "correct an open buy",
         "Rewrites the fields given of an open buy; sales and closed buys cannot be updated.\n"
         "A correction of the price leaves the realized P/L of earlier sales as it was.\n"
         "--date moves the purchase time; it cannot move after a sale from the buy.\n",
         true, true},
        {"remove", CmdRemove, "remove ID", "remove a trade",
         "Removes a trade. A removed sale gives its units back to its buy (which opens again);\n"
         "a buy that sales refer to cannot be removed until they are.\n"},
        {"category", CmdCategory, "category list|add NAME|remove NAME|rename OLD NEW",
         "list and edit the categories",
         "list      the categories and the number of trades in each\n"
         "add       a new category (at most 15 characters; at most 15 categories, All and\n"
         "          Unfiled included, since the handheld takes no more)\n"
         "remove    a category; its trades move to Unfiled\n"
         "rename    a category; its trades move with it\n"
         "All (every trade) and Unfiled (trades of no other category) cannot be changed.\n"},
        {"quote", CmdQuote, "quote SYMBOL [--country C] [--bid]", "fetch one quote",
         "Fetches one quote and prints the result code, the price and the day's change.\n", false,
         true},
        {"refresh", CmdRefresh, "refresh [--no-fetch] [--category C] [--jobs N]",
         "price every open position, run the pager alerts, save, and print the blotter",
         "Runs the window's refresh: fetches every open position's quote (unless\n"
         "--no-fetch), runs the pager alerts, saves, and prints the blotter and the totals,\n"
         "with the time each price arrived. --category filters this run only. At most N\n"
         "requests go to one server at once (default 8). A quote that fails keeps its stored\n"
         "price and is named on standard error. Exits 3 when a quote failed, 4 when a mail\n"
         "failed (4 when both did).\n"},
        {"settings", CmdSettings,
         "settings [--auto-refresh on|off] [--interval MINUTES] [--deduct-fees on|off]\n"
         "           [--use-bid on|off] [--check-version on|off] [--base-country C]\n"
         "           [--external-ytd AMOUNT] [--alerts on|off] [--alert-percent 0-100]\n"
         "           [--smtp-server HOST[:PORT]] [--mail-from ADDRESS] [--pager ADDRESS]",
         "change the settings",
         "Changes the settings named, within the bounds of the preferences dialogs.\n"},
        {"mail", CmdMail, "mail login|logout|test", "the mail server's password, and a test",
         "login     asks for the mail server's password and stores it in the desktop keyring\n"
         "logout    removes it from the keyring again\n"
         "test      sends one test message to the pager address, prints the server's reply\n"
         "          and exits 0, or prints what failed and exits 4\n"},
        {"history", CmdHistory,
         "history [--symbol S] [--since DATE] [--until DATE] [--daily]\n"
         "               [--format table|csv|json]\n"
         "       tfport history import FILE",
         "the value over time, or one symbol's prices, from the price history",
         "Every fetching refresh (of the window and of \"tfport refresh\") adds its totals and\n"
         "the prices that arrived to the price history, info.kgw.history.sqlite beside the\n"
         "portfolio. \"tfport history\" prints the totals of every refresh over time, or with\n"
         "--symbol the prices of one symbol. --since and --until bound the time (a day alone\n"
         "is the whole day); --daily keeps each day's last row. The table is for reading; csv\n"
         "(with a header line) and json are for spreadsheets and plotting tools.\n"
         "\n"
         "import    reads daily closes from a CSV file with the header date,symbol,close\n"
         "          (\"2025-03-04,IBM,131.20\"); the value of each day is then computed from\n"
         "          those closes and the trades held that day (by their buy and sell dates).\n"
         "          One bad line refuses the whole file, named by its line.\n",
         true, false, false, true},
    };
    return commands;
}

const STfportCommand* FindTfportCommand(const std::string& name)
{
    const auto& commands = TfportCommands();
    auto it = std::find_if(commands.begin(), commands.end(),
                           [&name](const STfportCommand& c) { return name == c.name; });
    return it == commands.end() ? nullptr : &*it;
}

std::string CommandSynopsis(const std::string& name)
{
    const STfportCommand* command = FindTfportCommand(name);
    return command ? command->synopsis : name;
}

const std::vector<std::string>& ValuedOptions()
{
    static const std::vector<std::string> valued = {
        "--file",         "--format",      "--fee",           "--category",      "--country",
        "--symbol",       "--quantity",    "--price",         "--date",          "--auto-refresh",
        "--interval",     "--deduct-fees", "--use-bid",       "--check-version", "--base-country",
        "--external-ytd", "--alerts",      "--alert-percent", "--smtp-server",   "--mail-from",
        "--pager",        "--jobs",        "--since",         "--until"};
    return valued;
}

void PrintUsage(std::ostream& out)
{
    out << "usage: tfport [--file PATH] COMMAND [ARGUMENTS]\n"
        << "       tfport help COMMAND | COMMAND --help | --version\n\n";
    for (const STfportCommand& command : TfportCommands())
        out << "  " << std::left << std::setw(kNameWidth) << command.name << command.summary
            << "\n";
    out << "\nThe portfolio is info.kgw in the current folder unless --file names another.\n"
        << "Commands that change the file wait up to 10 seconds (TALLYFERN_LOCK_WAIT=SECONDS) for\n"
        << "another program's save of it; then they change nothing and exit with status 75.\n";
}

void PrintCommandHelp(const STfportCommand& command, std::ostream& out)
{
    out << "usage: tfport " << command.synopsis << "\n\n" << command.details;
    if (command.bDates)
        out << "\nDates: " << kDateFormatText << ", e.g. 2026-03-02 or 2026-03-02T10:30.\n";
    if (command.bCountries)
        out << "\nCountries: " << TradeCountriesText() << ".\n";
}
