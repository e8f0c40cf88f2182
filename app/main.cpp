// tallyfern: the desktop program. Its portfolio file is --file's, the user's data folder's
// with --user-data (the desktop entry), or info.kgw in the folder it is started in.
#include <cstdio>
#include <string>
#include <vector>

#include "app/BlotterApp.h"
#include "app/StartOptions.h"
#include "platform/text/ProgramVersion.h"

namespace {
// Exit status of a command line that cannot be followed.
constexpr int kUsageStatus = 2;
} // namespace

int main(int argc, char* argv[])
{
    const SStartOptions options =
        ParseStartOptions(std::vector<std::string>(argv + 1, argv + argc));
    switch (options.action) {
    case EStartAction::kHelp:
        std::fputs(kStartUsage, stdout);
        return 0;
    case EStartAction::kVersion:
        std::fputs(VersionLine("tallyfern").c_str(), stdout);
        return 0;
    case EStartAction::kUsageError:
        std::fprintf(stderr, "tallyfern: %s\n%s", options.strError.c_str(), kStartUsage);
        return kUsageStatus;
    case EStartAction::kRun:
        break;
    }
    std::string strError;
    const std::string strPath = ResolvePortfolioPath(options, ProcessEnvironment(), strError);
    if (strPath.empty()) {
        std::fprintf(stderr, "tallyfern: %s\n", strError.c_str());
        return 1;
    }
    CBlotterApp app(strPath);
    return app.Run(argc, argv);
}
