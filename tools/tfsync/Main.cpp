// tfsync: the sync manager stand-in. Runs a HotSync of a handheld kept as a folder of PDB
// files through the conduit library, or edits the handheld's viewer database the way a
// user does on the handheld itself.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/text/ProgramVersion.h"
#include "tools/tfsync/Options.h"

namespace {
void PrintUsage(std::FILE* out)
{
    std::fprintf(
        out,
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
        "the portfolio file was written back, 1 otherwise. Defaults: --db %s, --creator %s,\n"
        "--type %s, --card 0, --local-file empty (the conduit then uses Tallyfern.kgw).\n",
        tfsync::kDefaultDatabase, tfsync::kDefaultCreator, tfsync::kDefaultType);
}
} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        PrintUsage(stdout);
        return 0;
    }
    if (!args.empty() && args[0] == "--version") {
        std::fputs(VersionLine("tfsync").c_str(), stdout);
        return 0;
    }
    std::string command;
    if (!args.empty() && args[0] == "handheld") {
        if (args.size() < 2) {
            PrintUsage(stderr);
            return 2;
        }
        command = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    tfsync::COptions options;
    if (!options.Parse(args)) {
        std::fprintf(stderr, "tfsync: %s\n", options.Error().c_str());
        PrintUsage(stderr);
        return 2;
    }
    if (!options.Has("--handheld")) {
        std::fprintf(stderr, "tfsync: --handheld DIR is needed\n");
        PrintUsage(stderr);
        return 2;
    }
    if (command.empty())
        return tfsync::RunHotSync(options);
    return tfsync::RunHandheldCommand(command, options);
}
