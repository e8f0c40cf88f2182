// Tallyfern as it is installed: `cmake --install` of the build tree into a fresh prefix, and
// the installed programs run from there as a user runs them. Every installed program answers
// --version without a display, the desktop entry validates and starts the portfolio of the
// user's data folder, the icons have their sizes, and a HotSync through the installed tfsync
// loads only the installed conduit and kit while the build tree is still there.
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <thread>

#include "tests/support/process/ChildProcess.h"
#include "tests/support/tempdir/TempDir.h"

namespace fs = std::filesystem;
using tf::test::RunProcess;
using tf::test::SProcessOptions;
using tf::test::SProcessResult;

namespace {

const fs::path kBuildDir = TF_BUILD_DIR;
const std::string kLibDir = TF_INSTALL_LIBDIR;
// The sizes the icon theme gets, as the build draws them.
const int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
// How long the installed window may take to start, refresh and save.
constexpr auto kStartLimit = std::chrono::seconds(20);
// A signal must end the window within this.
constexpr auto kEndLimit = std::chrono::milliseconds(1000);

// The environment of a terminal without a desktop session: no display of any kind.
SProcessOptions NoDisplay()
{
    SProcessOptions options;
    options.unsetEnv = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LD_LIBRARY_PATH"};
    return options;
}

// The libraries the dynamic loader opened, by path, for a run with LD_DEBUG=files.
std::set<std::string> LoadedLibraries(const std::string& strDebugOutput)
{
    std::set<std::string> files;
    static const std::regex kOpened(R"(calling init: (\S+))");
    for (std::sregex_iterator it(strDebugOutput.begin(), strDebugOutput.end(), kOpened), end;
         it != end; ++it)
        files.insert(fs::path((*it)[1].str()).lexically_normal().string());
    return files;
}

// The width and height a PNG file declares in its header, or {0, 0}.
std::pair<int, int> PngSize(const fs::path& path)
{
    const std::string bytes = tf::test::ReadFileBytes(path);
    // Signature (8), chunk length (4), "IHDR" (4), then width and height, big-endian.
    constexpr std::size_t kHeaderEnd = 24;
    if (bytes.size() < kHeaderEnd || bytes.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    auto number = [&bytes](std::size_t at) {
        int n = 0;
        for (std::size_t i = 0; i < 4; ++i)
            n = (n << 8) | static_cast<unsigned char>(bytes[at + i]);
        return n;
    };
    return {number(16), number(20)};
}

class InstalledTallyfern : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        s_pPrefix = new tf::test::CTempDir("tf-install");
        SProcessOptions options;
        options.timeout = std::chrono::milliseconds(120000);
        options.mergeStderr = true;
        s_install = RunProcess(
            {"cmake", "--install", kBuildDir.string(), "--prefix", s_pPrefix->Path().string()},
            options);
    }
    static void TearDownTestSuite()
    {
        delete s_pPrefix;
        s_pPrefix = nullptr;
    }
    void SetUp() override { ASSERT_EQ(s_install.exitCode, 0) << s_install.out; }

    static fs::path Prefix() { return s_pPrefix->Path(); }
    static std::string Bin(const std::string& strProgram)
    {
        return (Prefix() / "bin" / strProgram).string();
    }

    static inline tf::test::CTempDir* s_pPrefix = nullptr;
    static inline SProcessResult s_install;
};

TEST_F(InstalledTallyfern, EveryInstalledProgramAnswersVersionWithoutADisplay)
{
    for (const std::string strProgram : {"tallyfern", "tfport", "tfquoted", "tfsync"}) {
        const SProcessResult run = RunProcess({Bin(strProgram), "--version"}, NoDisplay());
        EXPECT_EQ(run.exitCode, 0) << strProgram << ": " << run.err;
        EXPECT_EQ(run.out, strProgram + " 1.85\n");
        EXPECT_EQ(run.err, "");
    }

    // --help answers too; the window itself says in one line what it needs, and writes
    // nothing where it was started.
    tf::test::CTempDir cwd("tf-install-cwd");
    SProcessOptions options = NoDisplay();
    options.workingDir = cwd.Path().string();
    const SProcessResult help = RunProcess({Bin("tallyfern"), "--help"}, options);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("usage: tallyfern [--file PATH | --user-data]\n", 0), 0u) << help.out;
    const SProcessResult window = RunProcess({Bin("tallyfern")}, options);
    EXPECT_EQ(window.exitCode, 1);
    EXPECT_EQ(window.out, "");
    EXPECT_EQ(std::count(window.err.begin(), window.err.end(), '\n'), 1) << window.err;
    EXPECT_NE(window.err.find("desktop session"), std::string::npos) << window.err;
    EXPECT_NE(window.err.find("tfport refresh"), std::string::npos) << window.err;
    // A display that cannot be opened ends the same way, not in Qt's abort.
    int nDisplay = 65000;
    while (fs::exists("/tmp/.X11-unix/X" + std::to_string(nDisplay)))
        ++nDisplay;
    options.env = {{"DISPLAY", ":" + std::to_string(nDisplay)}};
    const SProcessResult unreachable = RunProcess({Bin("tallyfern")}, options);
    EXPECT_EQ(unreachable.exitCode, 1) << unreachable.err;
    EXPECT_NE(unreachable.err.find("tfport refresh"), std::string::npos) << unreachable.err;
    EXPECT_TRUE(fs::is_empty(cwd.Path()));
    // A command line that cannot be followed is a usage error.
    EXPECT_EQ(RunProcess({Bin("tallyfern"), "--frobnicate"}, options).exitCode, 2);
}

TEST_F(InstalledTallyfern, TheDesktopEntryValidatesAndTheIconsHaveTheirSizes)
{
    const fs::path entry = Prefix() / "share" / "applications" / "tallyfern.desktop";
    SProcessOptions options;
    options.mergeStderr = true;
    const SProcessResult validate = RunProcess({"desktop-file-validate", entry.string()}, options);
    ASSERT_TRUE(validate.started) << "desktop-file-validate is missing (scripts/setup installs it)";
    EXPECT_EQ(validate.exitCode, 0) << validate.out;
    EXPECT_EQ(validate.out, "") << "warnings or hints";
    const std::string text = tf::test::ReadFileBytes(entry);
    EXPECT_NE(text.find("\nExec=tallyfern --user-data\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nIcon=tallyfern\n"), std::string::npos) << text;

    for (int nSize : kIconSizes) {
        const fs::path icon = Prefix() / "share" / "icons" / "hicolor" /
                              (std::to_string(nSize) + "x" + std::to_string(nSize)) / "apps" /
                              "tallyfern.png";
        EXPECT_EQ(PngSize(icon), std::make_pair(nSize, nSize)) << icon;
    }
    EXPECT_EQ(PngSize(Prefix() / "share" / "pixmaps" / "tallyfern.png"), std::make_pair(256, 256));
}

TEST_F(InstalledTallyfern, TheDesktopEntryStartsTheWindowOnTheUserDataPortfolio)
{
    tf::test::CTempDir home("tf-install-home");
    const fs::path data = home / "data" / "tallyfern";
    const std::string strPortfolio = (data / "info.kgw").string();
    fs::create_directories(data);
    ASSERT_EQ(RunProcess({Bin("tfport"), "--file", strPortfolio, "init"}).exitCode, 0);
    ASSERT_EQ(
        RunProcess({Bin("tfport"), "--file", strPortfolio, "buy", "IBM", "10", "100"}).exitCode, 0);
    struct stat before
    {
    };
    ASSERT_EQ(::stat(strPortfolio.c_str(), &before), 0);

    // As the desktop entry says, from a folder that is not the data folder; the quote
    // servers refuse at once, so the first refresh keeps the stored prices and saves.
    SProcessOptions options;
    options.workingDir = home.Path().string();
    const std::string strClosed = "127.0.0.1:" + std::to_string(tf::test::FreeLoopbackPort());
    options.env = {{"XDG_DATA_HOME", (home / "data").string()}, {"QT_QPA_PLATFORM", "offscreen"}};
    for (const char* pRole : {"US", "REGIONAL", "AUNZ", "SWISS", "OPTIONS"})
        options.env.emplace_back(std::string("TALLYFERN_") + pRole + "_QUOTE_SERVER", strClosed);
    options.env.emplace_back("TALLYFERN_MAKER_SERVER", strClosed);
    tf::test::CChildProcess window;
    ASSERT_TRUE(window.Start({Bin("tallyfern"), "--user-data"}, options));
    const auto started = std::chrono::steady_clock::now();
    bool bSaved = false;
    while (!bSaved && window.Running() &&
           std::chrono::steady_clock::now() - started < kStartLimit) {
        struct stat now
        {
        };
        bSaved = ::stat(strPortfolio.c_str(), &now) == 0 && now.st_ino != before.st_ino;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(bSaved) << "the window never saved " << strPortfolio << "\n" << window.Errors();

    const auto signalled = std::chrono::steady_clock::now();
    window.Signal(SIGTERM);
    const SProcessResult ended = window.Wait(std::chrono::milliseconds(10000));
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, kEndLimit);
    EXPECT_EQ(ended.exitCode, 0) << ended.err;
    EXPECT_FALSE(fs::exists(home / "info.kgw")) << "the start folder got a portfolio";
    const SProcessResult show = RunProcess({Bin("tfport"), "--file", strPortfolio, "show"});
    EXPECT_NE(show.out.find("IBM"), std::string::npos) << show.out;
}

TEST_F(InstalledTallyfern, AHotSyncThroughTheInstalledTfsyncLoadsOnlyInstalledParts)
{
    tf::test::CTempDir work("tf-install-sync");
    const std::string strHandheld = (work / "handheld").string();
    const std::string strUser = (work / "user").string() + "/";
    fs::create_directory(work / "user");
    const std::string strPortfolio = strUser + "info.kgw";
    ASSERT_EQ(RunProcess({Bin("tfport"), "--file", strPortfolio, "init"}).exitCode, 0);
    ASSERT_EQ(
        RunProcess({Bin("tfport"), "--file", strPortfolio, "buy", "IBM", "10", "100"}).exitCode, 0);

    auto hotSync = [&](const std::string& strTfsync) {
        SProcessOptions options = NoDisplay();
        options.env = {{"LD_DEBUG", "files"}};
        return RunProcess({strTfsync, "--handheld", strHandheld, "--user-dir", strUser,
                           "--local-file", "info.kgw"},
                          options);
    };
    const SProcessResult first = hotSync(Bin("tfsync"));
    ASSERT_EQ(first.exitCode, 0) << first.out << first.err;
    SProcessResult added = RunProcess({Bin("tfsync"), "handheld", "add", "--handheld", strHandheld,
                                       "--symbol", "NOK", "--quantity", "100", "--price", "4.10"});
    ASSERT_EQ(added.exitCode, 0) << added.out << added.err;
    const SProcessResult second = hotSync(Bin("tfsync"));
    ASSERT_EQ(second.exitCode, 0) << second.out << second.err;
    const SProcessResult exported =
        RunProcess({Bin("tfport"), "--file", strPortfolio, "export", "--format", "csv"});
    EXPECT_NE(exported.out.find(",NOK,"), std::string::npos) << exported.out;

    // The installed program found the installed conduit and kit, with the build tree there.
    const fs::path libDir = Prefix() / kLibDir;
    const std::set<std::string> installed = LoadedLibraries(second.err);
    EXPECT_EQ(installed.count((libDir / "libtfcond.so").string()), 1u) << second.err;
    EXPECT_EQ(installed.count((libDir / "libsynckit.so").string()), 1u) << second.err;
    for (const std::string& strFile : installed)
        EXPECT_NE(strFile.rfind(kBuildDir.string(), 0), 0u)
            << "an installed tfsync loaded " << strFile;

    // The build tree's tfsync keeps to the build tree's conduit.
    const SProcessResult built = hotSync((kBuildDir / "tools" / "tfsync" / "tfsync").string());
    ASSERT_EQ(built.exitCode, 0) << built.out << built.err;
    const std::set<std::string> fromBuild = LoadedLibraries(built.err);
    EXPECT_EQ(fromBuild.count((kBuildDir / "conduit" / "libtfcond.so").string()), 1u) << built.err;
    for (const std::string& strFile : fromBuild)
        EXPECT_NE(strFile.rfind(Prefix().string(), 0), 0u)
            << "the build tree's tfsync loaded " << strFile;
}

// The files the install rules copy out of the build tree.
std::set<std::string> InstalledBuildFiles()
{
    std::set<std::string> files;
    static const std::regex kFiles(R"re(file\(INSTALL [^\n]*FILES "([^"]+)")re");
    for (const auto& entry : fs::recursive_directory_iterator(kBuildDir)) {
        if (entry.path().filename() != "cmake_install.cmake")
            continue;
        const std::string text = tf::test::ReadFileBytes(entry.path());
        for (std::sregex_iterator it(text.begin(), text.end(), kFiles), end; it != end; ++it) {
            const fs::path file = (*it)[1].str();
            const fs::path relative = file.lexically_relative(kBuildDir);
            if (!relative.empty() && *relative.begin() != "..")
                files.insert(relative.string());
        }
    }
    return files;
}

// Every file ninja builds on the way to the target, found by walking its inputs (order-only
// ones too) with `ninja -t query`.
std::set<std::string> BuiltFor(const std::string& strTarget)
{
    std::set<std::string> seen = {strTarget};
    std::vector<std::string> pending = {strTarget};
    while (!pending.empty()) {
        std::vector<std::string> argv = {"ninja", "-C", kBuildDir.string(), "-t", "query"};
        argv.insert(argv.end(), pending.begin(), pending.end());
        pending.clear();
        const SProcessResult query = RunProcess(argv);
        EXPECT_EQ(query.exitCode, 0) << query.out << query.err;
        std::istringstream lines(query.out);
        std::string strLine;
        bool bInputs = false;
        while (std::getline(lines, strLine)) {
            if (strLine.empty() || strLine[0] != ' ') {
                bInputs = false;
                continue;
            }
            const std::string strItem = strLine.substr(strLine.find_first_not_of(' '));
            if (strItem.rfind("input:", 0) == 0) {
                bInputs = true;
                continue;
            }
            if (strItem.rfind("outputs:", 0) == 0) {
                bInputs = false;
                continue;
            }
            if (!bInputs)
                continue;
            std::string strInput = strItem;
            if (strInput.rfind("|| ", 0) == 0)
                strInput = strInput.substr(3);
            else if (strInput.rfind("| ", 0) == 0)
                strInput = strInput.substr(2);
            if (strInput.rfind("/usr/", 0) != 0 && seen.insert(strInput).second)
                pending.push_back(strInput);
        }
    }
    return seen;
}

TEST(InstallableTarget, WhatScriptsRunBuildsIsEverythingTheInstallCopies)
{
    const std::set<std::string> installed = InstalledBuildFiles();
    ASSERT_GE(installed.size(), 10u);
    const std::set<std::string> built = BuiltFor("tf_installable");
    for (const std::string& strFile : installed) {
        const bool bBuilt =
            built.count(strFile) != 0 || built.count((kBuildDir / strFile).string()) != 0;
        EXPECT_TRUE(bBuilt) << strFile << " is installed but not built by tf_installable";
    }
    // scripts/run builds that target and no list of its own.
    const std::string run = tf::test::ReadFileBytes(fs::path(TF_SOURCE_DIR) / "scripts" / "run");
    EXPECT_NE(run.find("--target tf_installable"), std::string::npos);
}

} // namespace
