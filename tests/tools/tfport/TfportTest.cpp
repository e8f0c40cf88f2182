// tfport from the outside: each command run as a process on a portfolio in a scratch folder.
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "model/BlotterSpace.h"
#include "model/PortfolioFile.h"
#include "tests/support/process/ChildProcess.h"
#include "tests/support/tempdir/TempDir.h"

namespace fs = std::filesystem;

namespace {
struct RunResult
{
    int exitCode = -1;
    std::string out; // standard output and standard error together
};

class TfportTest : public ::testing::Test
{
  protected:
    // args: tfport's arguments as a shell would split them; env: "NAME=VALUE ..." for it.
    RunResult Run(const std::string& args, const char* env = "")
    {
        std::vector<std::string> argv = tf::test::SplitCommandLine(args);
        argv.insert(argv.begin(), TFPORT_PATH);
        tf::test::SProcessOptions options;
        options.workingDir = m_dir.Path().string();
        options.mergeStderr = true;
        for (const std::string& assignment : tf::test::SplitCommandLine(env)) {
            std::size_t equals = assignment.find('=');
            options.env.emplace_back(assignment.substr(0, equals), assignment.substr(equals + 1));
        }
        tf::test::SProcessResult process = tf::test::RunProcess(argv, options);
        return {process.exitCode, process.out};
    }

    std::string FileBytes() { return tf::test::ReadFileBytes(m_dir / "info.kgw"); }

    tf::test::CTempDir m_dir{"tf-tfport"};
};
} // namespace

TEST_F(TfportTest, InitWritesTheNewPortfolioAndNeverOverwrites)
{
    RunResult first = Run("init");
    ASSERT_EQ(first.exitCode, 0) << first.out;
    std::string bytes = FileBytes();
    ASSERT_EQ(bytes.size(), 145u);
    CBlotterSpace doc;
    doc.m_strCategoryFilter = "All";
    doc.AddDefaultCategories();
    EXPECT_EQ(bytes, SerializeToBytes(doc));

    RunResult again = Run("init");
    EXPECT_NE(again.exitCode, 0);
    EXPECT_NE(again.out.find("already exists"), std::string::npos);
    EXPECT_EQ(FileBytes(), bytes);
}

TEST_F(TfportTest, LedgerCommandsChangeTheFileAndRefusalsLeaveIt)
{
    ASSERT_EQ(Run("init").exitCode, 0);
    ASSERT_EQ(Run("buy IBM 100 120.5 --fee 9.95 --category Business").exitCode, 0);
    RunResult sold = Run("sell 1 40 130");
    ASSERT_EQ(sold.exitCode, 0) << sold.out;
    EXPECT_NE(sold.out.find("realized 380.00"), std::string::npos);

    const std::string before = FileBytes();
    struct Bad
    {
        const char* args;
        const char* says;
    } bad[] = {
        {"sell 1 70 130", "Sell amount greater than current holding. Please re-enter position."},
        {"sell 2 1 1", "Position not open! Please select open position to sell."},
        {"update 2 --price 1", "Cannot update buy/sell change."},
        {"buy ABCDEFGHIJK 1 1", "longer than 10 characters"},
        {"buy X 1 1 --category ABCDEFGHIJKLMNOP", "longer than 15 characters"},
        {"buy X 1 1 --category Nope", "no category \"Nope\""},
        {"buy X 1 1 --country Atlantis", "unknown country"},
        {"buy X one 1", "not a number"},
        {"remove 99", "no trade number 99"},
        {"sell x 1 1", "no open buy of x"}, // not a trade number: a symbol
        {"buy X 1", "usage"},
        {"frobnicate", "unknown command"},
    };
    for (const Bad& b : bad) {
        RunResult r = Run(b.args);
        EXPECT_NE(r.exitCode, 0) << b.args;
        EXPECT_NE(r.out.find(b.says), std::string::npos) << b.args << " said: " << r.out;
        EXPECT_EQ(FileBytes(), before) << b.args;
    }

    ASSERT_EQ(Run("update 1 --quantity 50 --country Canada").exitCode, 0);
    ASSERT_EQ(Run("remove 2").exitCode, 0); // the sale's 40 units go back to the buy
    RunResult csv = Run("export --format csv");
    ASSERT_EQ(csv.exitCode, 0);
    EXPECT_NE(csv.out.find("\r\n1,0,1,2,0,Business,IBM,90,120.5,0,0,0,0,0,9.95,Canada,"),
              std::string::npos)
        << csv.out;
    EXPECT_EQ(csv.out.find("\r\n2,"), std::string::npos);
}

TEST_F(TfportTest, ExportAndShowDecodeTextsAndDatesInLocalTime)
{
    ASSERT_EQ(Run("init").exitCode, 0);
    ASSERT_EQ(Run("buy 'X\"Y' 1 2").exitCode, 0);
    RunResult json = Run("export --format json", "TZ=America/New_York");
    ASSERT_EQ(json.exitCode, 0);
    EXPECT_NE(json.out.find("\"symbol\": \"X\\\"Y\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"sellDate\": null"), std::string::npos);
    EXPECT_TRUE(json.out.find("-05:00\"") != std::string::npos ||
                json.out.find("-04:00\"") != std::string::npos)
        << json.out;

    RunResult show = Run("show");
    EXPECT_EQ(show.exitCode, 0);
    EXPECT_NE(show.out.find("Categories (6)"), std::string::npos);
    EXPECT_NE(show.out.find("X\"Y"), std::string::npos);

    RunResult totals = Run("totals");
    EXPECT_NE(totals.out.find("Position P/L:      -2.00"), std::string::npos) << totals.out;
}

TEST_F(TfportTest, MissingAndDamagedFilesAreClearErrors)
{
    RunResult missing = Run("show");
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_NE(missing.out.find("tfport init"), std::string::npos);

    ASSERT_EQ(Run("init").exitCode, 0);
    fs::resize_file(m_dir / "info.kgw", 60);
    RunResult damaged = Run("buy X 1 1");
    EXPECT_NE(damaged.exitCode, 0);
    EXPECT_NE(damaged.out.find("damaged"), std::string::npos);
    EXPECT_NE(damaged.out.find("info.kgw.damaged-"), std::string::npos);
    EXPECT_EQ(fs::file_size(m_dir / "info.kgw"), 60u);

    RunResult other = Run("--file elsewhere.kgw init");
    EXPECT_EQ(other.exitCode, 0);
    EXPECT_TRUE(fs::exists(m_dir / "elsewhere.kgw"));
}

TEST_F(TfportTest, SettingsChangeWithinTheirBoundsOnly)
{
    ASSERT_EQ(Run("init").exitCode, 0);
    RunResult ok = Run("settings --alerts on --alert-percent 100 --smtp-server mail.local "
                       "--pager 'a@b;c@d' --interval 0 --external-ytd -12.5");
    ASSERT_EQ(ok.exitCode, 0) << ok.out;
    CBlotterSpace doc;
    ASSERT_EQ(ReadPortfolioFile((m_dir / "info.kgw").string(), doc).status,
              PortfolioReadStatus::Read);
    EXPECT_EQ(doc.m_bPagerAlerts, 1);
    EXPECT_EQ(doc.m_nAlertPercent, 100);
    EXPECT_EQ(doc.m_strSmtpServer, "mail.local");
    EXPECT_EQ(doc.m_strPagerAddress, "a@b;c@d");
    EXPECT_EQ(doc.m_nRefreshMinutes, 0);
    EXPECT_EQ(doc.m_dExternalYtdGains, -12.5);

    const std::string before = FileBytes();
    for (const char* bad :
         {"settings --alert-percent 101", "settings --alert-percent 2.5", "settings --alerts maybe",
          "settings --interval 35792", "settings --pager 'a\r\nRCPT TO:<x>'", "settings"}) {
        RunResult r = Run(bad);
        EXPECT_NE(r.exitCode, 0) << bad;
        EXPECT_EQ(FileBytes(), before) << bad;
    }
}
