// tallyfern's command line: which portfolio file the window keeps, or a question that is
// answered without a window (--help, --version). The file is the one named by --file, the
// user's data folder's with --user-data (what the desktop entry starts), or info.kgw in the
// current folder when neither is given.
#pragma once

#include <functional>
#include <string>
#include <vector>

enum class EStartAction {
    kRun,        // open the window on strPortfolioPath
    kHelp,       // print the usage, exit 0
    kVersion,    // print "tallyfern 1.85", exit 0
    kUsageError, // strError and the usage on standard error, exit 2
};

struct SStartOptions
{
    EStartAction action = EStartAction::kRun;
    // --file's path as given; empty when not named.
    std::string strFile;
    // --user-data: the portfolio in the user's data folder.
    bool bUserData = false;
    std::string strError;
};

// What tallyfern --help prints.
extern const char* const kStartUsage;

// args without the program's name. Arguments with a single dash (Qt's own -platform, -style
// and the like), with the value after one, are left for Qt.
SStartOptions ParseStartOptions(const std::vector<std::string>& args);

// Reads one environment variable; empty when unset.
using EnvironmentReader = std::function<std::string(const std::string& strName)>;
EnvironmentReader ProcessEnvironment();

// $XDG_DATA_HOME/tallyfern, or ~/.local/share/tallyfern when XDG_DATA_HOME is unset, empty or
// not an absolute path. Empty when neither XDG_DATA_HOME nor HOME gives an absolute path.
std::string UserDataFolder(const EnvironmentReader& env);

// The portfolio file the window is to keep, as an absolute path so that nothing later depends
// on the current folder. With --user-data the data folder is created (mode 0700, as are
// missing folders above it) when it does not exist. Empty, with strError set, when the file
// cannot be kept there: no usable home, a folder that cannot be made, or --file in a folder
// that does not exist.
std::string ResolvePortfolioPath(const SStartOptions& options, const EnvironmentReader& env,
                                 std::string& strError);
