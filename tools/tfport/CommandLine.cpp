#include "tools/tfport/CommandLine.h"

#include <algorithm>
#include <climits>

#include "model/PortfolioFile.h"
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

double RequireNumber(const std::string& text, const char* what)
{
    double value = 0;
    if (!ParseWholeDouble(text, value))
        throw CCommandError{std::string(what) + " is not a number: \"" + text + "\""};
    return value;
}

int RequireTradeId(const std::string& text)
{
    double value = 0;
    if (!ParseWholeDouble(text, value) || value != static_cast<long long>(value) || value < 1 ||
        value > INT_MAX)
        throw CCommandError{"not a trade number: \"" + text + "\""};
    return static_cast<int>(value);
}

CBlotterSpace LoadForCommand(const std::string& path)
{
    CBlotterSpace doc;
    PortfolioReadResult result = ReadPortfolioFile(path, doc);
    switch (result.status) {
    case PortfolioReadStatus::Read:
        return doc;
    case PortfolioReadStatus::Missing:
        throw CCommandError{"cannot read " + path + " (" + result.errorText +
                            "); \"tfport init\" makes a new portfolio"};
    case PortfolioReadStatus::Damaged:
        break;
    }
    std::string text = path + " is damaged: " + result.errorText;
    if (!result.damagedCopy.empty())
        text += "; a copy was kept as " + result.damagedCopy;
    throw CCommandError{text};
}

void SaveForCommand(const std::string& path, CBlotterSpace& doc)
{
    PortfolioWriteResult result = WritePortfolioFile(path, doc);
    if (!result.bOk)
        throw CCommandError{"cannot save " + path + ": " + result.errorText +
                            " (the file on disk is unchanged)"};
}

std::string PortfolioPath(const CCommandLine& line)
{
    return line.Option("--file").value_or(kPortfolioFileName);
}
