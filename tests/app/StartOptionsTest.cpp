// tallyfern's command line and the portfolio file it leads to: --file, --user-data in the
// user's data folder (made private when it is made), the current folder otherwise.
#include "app/StartOptions.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

#include "model/BlotterSpace.h"
#include "platform/text/ProgramVersion.h"
#include "tests/support/tempdir/TempDir.h"

namespace fs = std::filesystem;

namespace {

EnvironmentReader Env(std::map<std::string, std::string> values)
{
    return [values = std::move(values)](const std::string& strName) {
        const auto it = values.find(strName);
        return it != values.end() ? it->second : std::string();
    };
}

unsigned ModeOf(const fs::path& path)
{
    struct stat info
    {
    };
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// Runs the body with the given current folder, then goes back.
template <class F> void InFolder(const fs::path& folder, F body)
{
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    body();
    fs::current_path(previous);
}

} // namespace

TEST(StartOptionsTest, TheCommandLineNamesTheFileOrAsksAQuestion)
{
    EXPECT_EQ(ParseStartOptions({}).action, EStartAction::kRun);
    EXPECT_EQ(ParseStartOptions({"--help"}).action, EStartAction::kHelp);
    EXPECT_EQ(ParseStartOptions({"-h"}).action, EStartAction::kHelp);
    EXPECT_EQ(ParseStartOptions({"--version"}).action, EStartAction::kVersion);
    // A question is answered whatever else the line holds.
    EXPECT_EQ(ParseStartOptions({"--file", "a.kgw", "--version"}).action, EStartAction::kVersion);

    SStartOptions file = ParseStartOptions({"--file", "/tmp/x/info.kgw"});
    EXPECT_EQ(file.action, EStartAction::kRun);
    EXPECT_EQ(file.strFile, "/tmp/x/info.kgw");
    EXPECT_EQ(ParseStartOptions({"--file=other.kgw"}).strFile, "other.kgw");
    EXPECT_TRUE(ParseStartOptions({"--user-data"}).bUserData);
    // Qt's own options pass.
    EXPECT_EQ(ParseStartOptions({"-platform", "offscreen", "--user-data"}).action,
              EStartAction::kRun);
    EXPECT_EQ(ParseStartOptions({"-style=fusion"}).action, EStartAction::kRun);

    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"--file"},
                                               {"--file="},
                                               {"--frobnicate"},
                                               {"info.kgw"},
                                               {"--file", "a.kgw", "--user-data"}}) {
        const SStartOptions options = ParseStartOptions(bad);
        EXPECT_EQ(options.action, EStartAction::kUsageError) << bad.front();
        EXPECT_FALSE(options.strError.empty());
    }
}

TEST(StartOptionsTest, TheVersionAnsweredIsTheOneStampedIntoFiles)
{
    EXPECT_EQ(VersionLine("tallyfern"), "tallyfern 1.85\n");
    EXPECT_EQ(std::stod(kProgramVersionText), kProgramVersion);
}

TEST(StartOptionsTest, UserDataIsTheXdgDataFolderMadePrivate)
{
    tf::test::CTempDir temp("tf-start");
    const fs::path dataHome = temp / "data";
    std::string strError;

    SStartOptions options;
    options.bUserData = true;
    const std::string strPath = ResolvePortfolioPath(
        options, Env({{"XDG_DATA_HOME", dataHome.string()}, {"HOME", "/nowhere"}}), strError);
    EXPECT_EQ(strPath, (dataHome / "tallyfern" / "info.kgw").string()) << strError;
    // Every folder the program made is the user's alone; the file itself waits for a save.
    EXPECT_EQ(ModeOf(dataHome), 0700u);
    EXPECT_EQ(ModeOf(dataHome / "tallyfern"), 0700u);
    EXPECT_FALSE(fs::exists(strPath));

    // An existing folder is left as it is.
    fs::permissions(dataHome / "tallyfern", fs::perms(0750));
    EXPECT_EQ(ResolvePortfolioPath(options, Env({{"XDG_DATA_HOME", dataHome.string()}}), strError),
              strPath);
    EXPECT_EQ(ModeOf(dataHome / "tallyfern"), 0750u);

    // Without XDG_DATA_HOME (or with a relative one) the folder lies under ~/.local/share.
    const fs::path home = temp / "home";
    fs::create_directory(home);
    for (const std::string& strDataHome : {std::string(), std::string("relative/data")}) {
        EXPECT_EQ(
            ResolvePortfolioPath(
                options, Env({{"XDG_DATA_HOME", strDataHome}, {"HOME", home.string()}}), strError),
            (home / ".local" / "share" / "tallyfern" / "info.kgw").string());
    }
    EXPECT_EQ(ModeOf(home / ".local" / "share" / "tallyfern"), 0700u);

    // No home at all, or a data folder that cannot be made: an error, no path.
    strError.clear();
    EXPECT_EQ(ResolvePortfolioPath(options, Env({}), strError), "");
    EXPECT_FALSE(strError.empty());
    tf::test::WriteFileBytes(temp / "file", "x");
    strError.clear();
    EXPECT_EQ(
        ResolvePortfolioPath(options, Env({{"XDG_DATA_HOME", (temp / "file").string()}}), strError),
        "");
    EXPECT_FALSE(strError.empty());
}

TEST(StartOptionsTest, FileAndCurrentFolderBecomeAbsolutePaths)
{
    tf::test::CTempDir temp("tf-start");
    const fs::path folder = fs::canonical(temp.Path());
    std::string strError;
    InFolder(folder, [&] {
        // Neither option: info.kgw of the folder started in, held as an absolute path so
        // that nothing later depends on the current folder.
        EXPECT_EQ(ResolvePortfolioPath({}, Env({{"XDG_DATA_HOME", "/x"}}), strError),
                  (folder / "info.kgw").string());
        SStartOptions options;
        fs::create_directory("sub");
        options.strFile = "sub/../mine.kgw";
        EXPECT_EQ(ResolvePortfolioPath(options, Env({}), strError), (folder / "mine.kgw").string());
        // A folder that does not exist, or a folder named as the file: an error.
        options.strFile = "missing/info.kgw";
        strError.clear();
        EXPECT_EQ(ResolvePortfolioPath(options, Env({}), strError), "");
        EXPECT_NE(strError.find("does not exist"), std::string::npos) << strError;
        options.strFile = ".";
        strError.clear();
        EXPECT_EQ(ResolvePortfolioPath(options, Env({}), strError), "");
        EXPECT_FALSE(strError.empty());
    });
    EXPECT_FALSE(fs::exists(folder / "info.kgw"));
}
