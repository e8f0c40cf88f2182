#include "tools/tfport/CommandLine.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <ctime>
#include <limits>

#include "model/PortfolioFile.h"
#include "platform/text/DateTexts.h"
#include "platform/text/LocaleText.h"
#include "platform/text/Numbers.h"

bool CCommandLine::HasFlag(const std::string& flag) const
{
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

std::optional<std::string> CCommandLine::Option(const std::string& name) const
{
    auto it = options.find(name);
    if (it == options.end())
        return std::nullopt;
    return it->second;
}

CCommandLine ParseCommandLine(int argc, char** argv, const std::vector<std::string>& valued)
{
    CCommandLine line;
    bool onlyPositional = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (!onlyPositional && arg == "--") {
            onlyPositional = true;
            continue;
        }
        if (!onlyPositional && arg == "-h") {
            line.flags.push_back("--help");
            continue;
        }
        // "-5" is a number (a negative quantity is for the rules to judge), not an option.
        bool looksLikeOption = !onlyPositional && arg.size() > 2 && arg.rfind("--", 0) == 0;
        if (!looksLikeOption) {
            if (line.command.empty())
                line.command = arg;
            else
                line.positional.push_back(arg);
            continue;
        }
        std::string name = arg;
        std::optional<std::string> value;
        std::size_t eq = arg.find('=');
        if (eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        bool takesValue = std::find(valued.begin(), valued.end(), name) != valued.end();
        if (takesValue) {
            if (!value) {
                if (i + 1 >= argc)
                    throw CCommandError{name + " needs a value", 2};
                value = argv[++i];
            }
            line.options[name] = *value;
        } else {
            if (value)
                throw CCommandError{name + " takes no value", 2};
            line.flags.push_back(name);
        }
    }
    return line;
}

namespace {
std::string Converted(const std::string& text, const CLocaleText& locale)
{
    STextConversion result = locale.ToWindows1252(text);
    if (result.bOk)
        return result.text;
    std::string why = result.badCodePoint == 0
                          ? "bytes that are not " + locale.Codeset() + " text"
                          : "\"" + result.badCharacter + "\" (" +
                                CodePointName(result.badCodePoint) +
                                "), which a portfolio cannot store (it keeps Windows-1252 text)";
    // Quoted as given, in the locale's own encoding.
    throw CCommandError{"the argument \"" + text + "\" holds " + why, 2, true};
}
} // namespace

void ConvertArguments(CCommandLine& line, const CLocaleText& locale,
                      const std::set<std::string>& paths, bool bFirstIsPath, bool bSecondIsPath)
{
    line.command = Converted(line.command, locale);
    for (std::size_t i = 0; i < line.positional.size(); ++i)
        if (!(bFirstIsPath && i == 0) && !(bSecondIsPath && i == 1))
            line.positional[i] = Converted(line.positional[i], locale);
    for (auto& [name, value] : line.options)
        if (!paths.count(name))
            value = Converted(value, locale);
}

double RequireNumber(const std::string& text, const char* what)
{
    double value = 0;
    if (!ParseWholeDouble(text, value))
        throw CCommandError{std::string(what) + " is not a number: \"" + text + "\""};
    // "nan", "inf" and 1e999 read as numbers, but no amount is one.
    if (!std::isfinite(value))
        throw CCommandError{std::string(what) + " is not a finite number: \"" + text + "\""};
    return value;
}

bool IsTradeNumberText(const std::string& text)
{
    // More digits than a trade number can have is still meant as one (and refused as such).
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int RequireTradeId(const std::string& text)
{
    const std::size_t kMaxDigits = 10; // INT_MAX has ten
    if (!IsTradeNumberText(text) || text.size() > kMaxDigits || std::stoll(text) < 1 ||
        std::stoll(text) > INT_MAX)
        throw CCommandError{"not a trade number: \"" + text + "\""};
    return static_cast<int>(std::stoll(text));
}

std::int32_t Now()
{
    const std::time_t now = std::time(nullptr);
    // The record holds 32-bit times; past 2038 the latest one it can hold is stamped.
    return static_cast<std::int32_t>(
        std::min<std::time_t>(now, std::numeric_limits<std::int32_t>::max()));
}

std::int32_t TradeDate(const CCommandLine& line)
{
    auto text = line.Option("--date");
    if (!text)
        return Now();
    std::int32_t when = 0;
    std::string error;
    if (!ParseDateText(*text, when, error))
        throw CCommandError{"--date: " + error};
    if (when > Now())
        throw CCommandError{"--date: \"" + *text + "\" is in the future"};
    return when;
}

namespace {
// The read of every command, with or without the lock: a missing or damaged file ends it.
void RequireWhole(const std::string& path, const PortfolioReadResult& result)
{
    switch (result.status) {
    case PortfolioReadStatus::Read:
        return;
    case PortfolioReadStatus::Missing:
        throw CCommandError{"cannot read " + path + " (" + result.errorText +
                            "); \"tfport init\" makes a new portfolio"};
    case PortfolioReadStatus::Damaged:
        break;
    }
    std::string text = path + " is damaged: " + result.errorText;
    if (!result.damagedCopy.empty())
        text += "; its bytes are kept in " + result.damagedCopy;
    std::string backup = NewestWholeBackup(path);
    if (!backup.empty())
        text += "; the newest backup that reads whole is " + backup + " (\"tfport --file " +
                backup + " show\" shows it; copy it over " + path + " to go back to it)";
    else
        text += "; no backup of it reads whole";
    throw CCommandError{text};
}

void BeginOrGiveUp(CPortfolioTransaction& transaction)
{
    const std::chrono::milliseconds wait = DefaultLockWait();
    if (transaction.Begin(wait))
        return;
    if (!transaction.Busy())
        throw CCommandError{transaction.ErrorText() + "; nothing was changed"};
    throw CCommandError{transaction.ErrorText() + "; gave up after " + SecondsText(wait) +
                            " seconds and changed nothing (try again when it is done)",
                        kExitBusy};
}

void SaveOrFail(CPortfolioTransaction& transaction, CBlotterSpace& doc)
{
    PortfolioWriteResult result = transaction.Write(doc);
    if (!result.bOk)
        throw CCommandError{"cannot save " + transaction.Path() + ": " + result.errorText +
                            " (the file on disk is unchanged)"};
}
} // namespace

CBlotterSpace LoadForCommand(const std::string& path)
{
    CBlotterSpace doc;
    RequireWhole(path, ReadPortfolioFile(path, doc));
    return doc;
}

CLockedPortfolio::CLockedPortfolio(const std::string& path) : m_transaction(path)
{
    BeginOrGiveUp(m_transaction);
    RequireWhole(path, m_transaction.Read(m_doc));
}

void CLockedPortfolio::Save()
{
    SaveOrFail(m_transaction, m_doc);
}

void CreatePortfolio(const std::string& path, CBlotterSpace& doc)
{
    CPortfolioTransaction transaction(path);
    BeginOrGiveUp(transaction);
    if (tf::fs::FileExists(transaction.Target()))
        throw CCommandError{path + " already exists; it was left as it is"};
    SaveOrFail(transaction, doc);
}

std::string PortfolioPath(const CCommandLine& line)
{
    return line.Option("--file").value_or(kPortfolioFileName);
}
