// tfsync: the sync manager stand-in. Runs a HotSync of a handheld kept as a folder of PDB
// files through the conduit library, or edits the handheld's viewer database the way a
// user does on the handheld itself.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/text/ProgramVersion.h"
#include "tools/tfsync/Messages.h"
#include "tools/tfsync/Options.h"

namespace {
std::string UsageText()
{
    return std::string(
               "usage: tfsync --help | --version\n"
               "       tfsync --handheld DIR --user-dir DIR [--local-file NAME]\n"
               "              [--db NAME --creator CODE --type CODE --card N] [--conduit PATH]\n"
               "       tfsync handheld list   --handheld DIR [--db NAME]\n"
               "       tfsync handheld add    --handheld DIR [--db NAME] --symbol S --quantity Q\n"
               "                              --price P [--last P] [--change C] [--fee F]\n"
               "                              [--country NAME] [--category NAME] [--private]\n"
               "       tfsync handheld edit   --handheld DIR [--db NAME] --uid N\n"
               "                              [--category NAME] [--private | --public]\n"
               "       tfsync handheld delete --handheld DIR [--db NAME] --uid N\n"
               "\n"
               "A HotSync prints the conduit's log with its activity codes and exits with 0 when\n"
               "the portfolio file was written back and the handheld's databases were read and\n"
               "written whole, 1 otherwise. Defaults: --db ") +
           tfsync::kDefaultDatabase + ", --creator " + tfsync::kDefaultCreator + ",\n--type " +
           tfsync::kDefaultType +
           ", --card 0, --local-file empty (the conduit then uses Tallyfern.kgw).\n";
}

int Run(std::vector<std::string> args)
{
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::printf("%s", UsageText().c_str());
        return 0;
    }
    if (!args.empty() && args[0] == "--version") {
        std::printf("%s", VersionLine("tfsync").c_str());
        return 0;
    }
    std::string command;
    if (!args.empty() && args[0] == "handheld") {
        if (args.size() < 2) {
            tfsync::WriteError(UsageText());
            return 2;
        }
        command = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    tfsync::COptions options;
    if (!options.Parse(args)) {
        tfsync::WriteError("tfsync: " + options.Error() + "\n" + UsageText());
        return 2;
    }
    if (!options.Has("--handheld")) {
        tfsync::WriteError("tfsync: --handheld DIR is needed\n" + UsageText());
        return 2;
    }
    if (command.empty())
        return tfsync::RunHotSync(options);
    return tfsync::RunHandheldCommand(command, options);
}
} // namespace

int main(int argc, char** argv)
{
    int status = Run(std::vector<std::string>(argv + 1, argv + argc));
    if (!tfsync::OutputWritten() && status == 0)
        status = 1;
    return status;
}
