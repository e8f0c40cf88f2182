#include "app/StartOptions.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

#include "model/PortfolioFile.h"

namespace fs = std::filesystem;

namespace {

const char* const kDataFolderName = "tallyfern";
// A folder holding the user's portfolio is the user's alone.
constexpr mode_t kPrivateFolderMode = 0700;

bool MakePrivateFolders(const fs::path& folder, std::string& strError)
{
    std::error_code error;
    if (fs::is_directory(folder, error))
        return true;
    const fs::path parent = folder.parent_path();
    if (!parent.empty() && parent != folder && !MakePrivateFolders(parent, strError))
        return false;
    if (::mkdir(folder.c_str(), kPrivateFolderMode) != 0 && errno != EEXIST) {
        strError = "cannot create the folder " + folder.string() + ": " + std::strerror(errno);
        return false;
    }
    if (!fs::is_directory(folder, error)) {
        strError = folder.string() + " is not a folder";
        return false;
    }
    return true;
}

} // namespace

const char* const kStartUsage =
    "usage: tallyfern [--file PATH | --user-data]\n"
    "       tallyfern --help | --version\n"
    "\n"
    "Opens the Tallyfern window on a portfolio file: PATH with --file, the one in the\n"
    "user's data folder ($XDG_DATA_HOME/tallyfern/info.kgw, by default\n"
    "~/.local/share/tallyfern/info.kgw) with --user-data, as the desktop menu starts it,\n"
    "or info.kgw in the current folder. The file is created at the first save.\n"
    "Without a desktop session, tfport refresh prices the portfolio from a terminal.\n";

SStartOptions ParseStartOptions(const std::vector<std::string>& args)
{
    SStartOptions options;
    auto fail = [&options](std::string strError) {
        options.action = EStartAction::kUsageError;
        options.strError = std::move(strError);
        return options;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& strArg = args[i];
        if (strArg == "--help" || strArg == "-h") {
            options.action = EStartAction::kHelp;
            return options;
        }
        if (strArg == "--version") {
            options.action = EStartAction::kVersion;
            return options;
        }
        if (strArg == "--user-data") {
            options.bUserData = true;
        } else if (strArg == "--file" || strArg.rfind("--file=", 0) == 0) {
            std::string strValue;
            if (strArg == "--file") {
                if (i + 1 >= args.size())
                    return fail("--file needs a path");
                strValue = args[++i];
            } else {
                strValue = strArg.substr(std::strlen("--file="));
            }
            if (strValue.empty())
                return fail("--file needs a path");
            options.strFile = strValue;
        } else if (strArg.rfind("--", 0) == 0) {
            return fail(strArg + ": unknown option");
        } else if (strArg.size() > 1 && strArg[0] == '-') {
            // Qt's own (-platform xcb, -style=fusion): it and its value are Qt's to read.
            if (i + 1 < args.size() && strArg.find('=') == std::string::npos &&
                !args[i + 1].empty() && args[i + 1][0] != '-')
                ++i;
        } else {
            return fail(strArg + ": unexpected argument");
        }
    }
    if (options.bUserData && !options.strFile.empty())
        return fail("--file and --user-data name two different files; give one");
    return options;
}

EnvironmentReader ProcessEnvironment()
{
    return [](const std::string& strName) {
        const char* pValue = std::getenv(strName.c_str());
        return pValue != nullptr ? std::string(pValue) : std::string();
    };
}

std::string UserDataFolder(const EnvironmentReader& env)
{
    const fs::path dataHome = env("XDG_DATA_HOME");
    if (dataHome.is_absolute())
        return (dataHome / kDataFolderName).string();
    const fs::path home = env("HOME");
    if (home.is_absolute())
        return (home / ".local" / "share" / kDataFolderName).string();
    return {};
}

std::string ResolvePortfolioPath(const SStartOptions& options, const EnvironmentReader& env,
                                 std::string& strError)
{
    std::error_code error;
    if (options.bUserData) {
        const std::string strFolder = UserDataFolder(env);
        if (strFolder.empty()) {
            strError = "no data folder: neither XDG_DATA_HOME nor HOME is an absolute path";
            return {};
        }
        if (!MakePrivateFolders(strFolder, strError))
            return {};
        return (fs::path(strFolder) / kPortfolioFileName).string();
    }
    const fs::path file = fs::absolute(
        options.strFile.empty() ? fs::path(kPortfolioFileName) : fs::path(options.strFile), error);
    if (error) {
        strError = "cannot use " + options.strFile + ": " + error.message();
        return {};
    }
    if (fs::is_directory(file, error)) {
        strError = file.string() + " is a folder, not a portfolio file";
        return {};
    }
    if (!fs::is_directory(file.parent_path(), error)) {
        strError = "cannot keep " + file.string() + ": the folder " + file.parent_path().string() +
                   " does not exist";
        return {};
    }
    return file.lexically_normal().string();
}
