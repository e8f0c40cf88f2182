// tfport as one of several writers of one portfolio: every writing command holds the lock
// from its read to its save, gives up with the holder's name when the wait runs out, keeps
// backups, follows links, never prints a control character raw, and names the damaged
// copy and the newest whole backup of a damaged file.
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "model/BlotterSpace.h"
#include "model/PortfolioFile.h"
#include "platform/fs/Backups.h"
#include "platform/fs/FileLock.h"
#include "platform/fs/FilePaths.h"
#include "tests/support/httpserver/ScriptedHttpServer.h"
#include "tests/support/process/ChildProcess.h"
#include "tests/support/tempdir/TempDir.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tf::test::SProcessOptions;
using tf::test::SProcessResult;

namespace {
class TfportSharing : public ::testing::Test
{
  protected:
    SProcessOptions Options() const
    {
        SProcessOptions options;
        options.workingDir = m_dir.Path().string();
        options.env = m_env;
        return options;
    }
    std::vector<std::string> Args(const std::vector<std::string>& args) const
    {
        std::vector<std::string> argv{TFPORT_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        return argv;
    }
    SProcessResult Run(const std::vector<std::string>& args) const
    {
        return tf::test::RunProcess(Args(args), Options());
    }
    std::string Path() const { return m_dir.File("info.kgw"); }
    CBlotterSpace ReadBack() const
    {
        CBlotterSpace doc;
        EXPECT_EQ(ReadPortfolioFile(Path(), doc).status, PortfolioReadStatus::Read);
        return doc;
    }
    std::size_t CountFiles(const std::string& part) const
    {
        std::size_t n = 0;
        for (const auto& entry : fs::directory_iterator(m_dir.Path()))
            n += entry.path().filename().string().find(part) != std::string::npos;
        return n;
    }

    tf::test::CTempDir m_dir{"tf-tfport-sharing"};
    std::vector<std::pair<std::string, std::string>> m_env;
};
} // namespace

TEST_F(TfportSharing, ALockHeldTooLongEndsTheCommandWithTheHoldersNameAndChangesNothing)
{
    // Trades to import: those of another portfolio, as tfport exports them.
    ASSERT_EQ(Run({"--file", "other.kgw", "init"}).exitCode, 0);
    ASSERT_EQ(Run({"--file", "other.kgw", "buy", "ORCL", "3", "30"}).exitCode, 0);
    SProcessResult exported = Run({"--file", "other.kgw", "export", "--format", "csv"});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    tf::test::WriteFileBytes(m_dir.File("trades.csv"), exported.out);

    ASSERT_EQ(Run({"init"}).exitCode, 0);
    ASSERT_EQ(Run({"buy", "IBM", "10", "100"}).exitCode, 0);
    const std::string before = tf::test::ReadFileBytes(Path());

    tf::fs::CFileLock held;
    ASSERT_TRUE(held.Acquire(Path(), 0ms));
    m_env.emplace_back("TALLYFERN_LOCK_WAIT", "0.3");
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"buy", "MSFT", "1", "1"},
          {"sell", "1", "5", "110"},
          {"sell", "IBM", "5", "110"},
          {"update", "1", "--fee", "2"},
          {"remove", "1"},
          {"settings", "--alert-percent", "3"},
          {"category", "add", "Retirement"},
          {"category", "rename", "Business", "Work"},
          {"category", "remove", "Business"},
          {"import", "trades.csv"},
          {"refresh", "--no-fetch"},
          {"init"}}) {
        SProcessResult busy = Run(command);
        EXPECT_EQ(busy.exitCode, 75) << command[0] << ": " << busy.err;
        EXPECT_EQ(busy.out, "");
        EXPECT_EQ(busy.err, "tfport: info.kgw is in use by " +
                                std::string(program_invocation_short_name) + " (process " +
                                std::to_string(::getpid()) +
                                "); gave up after 0.3 seconds and changed nothing (try again "
                                "when it is done)\n")
            << command[0];
    }
    EXPECT_EQ(tf::test::ReadFileBytes(Path()), before);
    // Reading needs no lock.
    SProcessResult show = Run({"show"});
    EXPECT_EQ(show.exitCode, 0) << show.err;
    EXPECT_NE(show.out.find("IBM"), std::string::npos);
    EXPECT_EQ(Run({"totals"}).exitCode, 0);
    EXPECT_EQ(Run({"category", "list"}).exitCode, 0);
    SProcessResult dryRun = Run({"import", "--dry-run", "trades.csv"});
    EXPECT_EQ(dryRun.exitCode, 0) << dryRun.err;
    EXPECT_NE(dryRun.out.find("Would add trade"), std::string::npos) << dryRun.out;
    EXPECT_EQ(tf::test::ReadFileBytes(Path()), before);

    held.Release();
    SProcessResult buy = Run({"buy", "MSFT", "1", "1"});
    EXPECT_EQ(buy.exitCode, 0) << buy.err;
    EXPECT_EQ(ReadBack().m_trades.GetCount(), 2u);
}

TEST_F(TfportSharing, TwentyBuysAtOnceAllLandOnceAndTheBackupsRotateToFive)
{
    ASSERT_EQ(Run({"init"}).exitCode, 0);
    // Writers killed mid-save left these; the first writer under the lock removes them.
    tf::test::CChildProcess gone;
    ASSERT_TRUE(gone.Start({"true"}));
    const pid_t deadPid = gone.Pid();
    gone.Wait();
    tf::test::WriteFileBytes(tf::fs::TemporaryPathFor(Path(), deadPid), "half a file");

    constexpr int kBuys = 20;
    std::vector<std::unique_ptr<tf::test::CChildProcess>> buyers;
    for (int i = 0; i < kBuys; ++i) {
        buyers.push_back(std::make_unique<tf::test::CChildProcess>());
        ASSERT_TRUE(buyers.back()->Start(
            Args({"buy", "S" + std::to_string(i), std::to_string(i + 1), "10"}), Options()));
    }
    std::set<std::string> reported;
    for (auto& buyer : buyers) {
        SProcessResult result = buyer->Wait();
        ASSERT_EQ(result.exitCode, 0) << result.err;
        reported.insert(result.out.substr(0, result.out.find(':')));
    }
    EXPECT_EQ(reported.size(), static_cast<std::size_t>(kBuys)); // every "Trade N" differs

    CBlotterSpace doc = ReadBack();
    ASSERT_EQ(doc.m_trades.GetCount(), static_cast<std::size_t>(kBuys));
    std::set<std::string> symbols;
    std::set<std::int32_t> ids;
    for (const TradeRecord& trade : doc.m_trades) {
        symbols.insert(TradeSymbol(trade));
        ids.insert(trade.id);
    }
    EXPECT_EQ(symbols.size(), static_cast<std::size_t>(kBuys));
    EXPECT_EQ(*ids.begin(), 1);
    EXPECT_EQ(*ids.rbegin(), kBuys);

    for (int n = 1; n <= tf::fs::kPortfolioBackups; ++n) {
        CBlotterSpace backup;
        ASSERT_EQ(ReadPortfolioFile(tf::fs::BackupPath(Path(), n), backup).status,
                  PortfolioReadStatus::Read)
            << n;
        EXPECT_EQ(backup.m_trades.GetCount(), static_cast<std::size_t>(kBuys - n)) << n;
    }
    EXPECT_FALSE(fs::exists(tf::fs::BackupPath(Path(), 6)));
    EXPECT_EQ(CountFiles(".tmp-"), 0u);
    EXPECT_TRUE(fs::exists(m_dir / ".info.kgw.lock"));

    // A backup reads as it is.
    SProcessResult old = Run({"--file", "info.kgw.~2~", "show"});
    EXPECT_EQ(old.exitCode, 0) << old.err;
    EXPECT_NE(old.out.find("Trades (18)"), std::string::npos) << old.out;
}

TEST_F(TfportSharing, ABuyDuringASlowRefreshIsKeptAndTheRefreshStillPrices)
{
    CScriptedHttpServer server;
    ASSERT_TRUE(server.Start());
    ScriptedReply slow;
    slow.strBody = "\"IBM\",123.5,\"3/5/2026\",\"4:00pm\",-0.25,1,2,3,4\r\n";
    slow.nStallBeforeMs = 1500;
    server.Script("/d/quotes.csv", slow);
    m_env.emplace_back("TALLYFERN_US_QUOTE_SERVER", server.Address());
    ASSERT_EQ(Run({"init"}).exitCode, 0);
    ASSERT_EQ(Run({"buy", "IBM", "100", "100"}).exitCode, 0);

    tf::test::CChildProcess refresh;
    ASSERT_TRUE(refresh.Start(Args({"refresh"}), Options()));
    for (int i = 0; i < 500 && server.Requests().empty(); ++i)
        std::this_thread::sleep_for(5ms);
    ASSERT_FALSE(server.Requests().empty()) << "the refresh never asked for a quote";
    // The refresh waits on the quote server without the lock: a buy goes through at once.
    const auto start = std::chrono::steady_clock::now();
    SProcessResult buy = Run({"buy", "MSFT", "5", "300"});
    EXPECT_EQ(buy.exitCode, 0) << buy.err;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    SProcessResult refreshed = refresh.Wait();
    ASSERT_EQ(refreshed.exitCode, 0) << refreshed.err;
    EXPECT_NE(refreshed.out.find("123.5000"), std::string::npos) << refreshed.out;

    CBlotterSpace doc = ReadBack();
    ASSERT_EQ(doc.m_trades.GetCount(), 2u);
    EXPECT_EQ(doc.m_trades.begin()->currentPrice, 123.5);
    EXPECT_EQ(TradeSymbol(*(doc.m_trades.begin() + 1)), "MSFT");
}

TEST_F(TfportSharing, ControlCharactersFromTheFileAreShownEscapedInEveryOutput)
{
    CBlotterSpace doc;
    doc.m_strCategoryFilter = "All";
    doc.AddDefaultCategories();
    doc.m_categories.push_back("Bad\rName");
    doc.m_strSmtpServer = "mail\x1b]0;owned\x07";
    TradeRecord trade = MakeEmptyTrade();
    trade.id = 1;
    SetTradeSymbol(trade, "X\x1b[2J\n");
    SetTradeCategory(trade, "Bad\rName");
    SetTradeCountry(trade, "Ca\x90nada"); // a C1 control (DCS) once decoded
    trade.quantity = 1;
    trade.price = 1;
    doc.m_trades.AddTail(trade);
    ASSERT_TRUE(WritePortfolioFile(Path(), doc).bOk);

    auto clean = [](const std::string& text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            if ((c < 0x20 && c != '\n') || c == 0x7F)
                return false;
            if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0)
                return false;
        }
        return true;
    };
    SProcessResult show = Run({"show"});
    ASSERT_EQ(show.exitCode, 0) << show.err;
    EXPECT_TRUE(clean(show.out)) << show.out;
    EXPECT_NE(show.out.find("X\\x1b[2J\\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("Bad\\rName"), std::string::npos);
    EXPECT_NE(show.out.find("mail\\x1b]0;owned\\x07"), std::string::npos);
    EXPECT_NE(show.out.find("Ca\\x90nada"), std::string::npos) << show.out;

    SProcessResult json = Run({"export", "--format", "json"});
    EXPECT_TRUE(clean(json.out)) << json.out;
    EXPECT_NE(json.out.find("\"X\\u001b[2J\\n\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("Ca\\u0090nada"), std::string::npos) << json.out;
    SProcessResult csv = Run({"export", "--format", "csv"});
    // The CSV's own line ends are the only CRs it holds.
    std::string body = csv.out;
    for (std::size_t at; (at = body.find("\r\n")) != std::string::npos;)
        body.replace(at, 2, "\n");
    EXPECT_TRUE(clean(body)) << csv.out;
    EXPECT_NE(csv.out.find("X\\x1b[2J\\n"), std::string::npos) << csv.out;

    SProcessResult refresh = Run({"refresh", "--no-fetch"});
    EXPECT_EQ(refresh.exitCode, 0) << refresh.err;
    EXPECT_TRUE(clean(refresh.out)) << refresh.out;
    EXPECT_NE(refresh.out.find("X\\x1b[2J\\n"), std::string::npos) << refresh.out;
    SProcessResult sell = Run({"sell", "1", "1", "2"});
    EXPECT_EQ(sell.exitCode, 0) << sell.err;
    EXPECT_TRUE(clean(sell.out)) << sell.out;

    // Errors quote the file's and the user's texts escaped too.
    SProcessResult refused = Run({"buy", "NEW", "1", "1", "--category", "Nope\x1b[1m"});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(clean(refused.err)) << refused.err;
    EXPECT_NE(refused.err.find("Nope\\x1b[1m"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("Bad\\rName"), std::string::npos) << refused.err;

    // The category commands show the names they list and change escaped.
    SProcessResult categories = Run({"category", "list"});
    EXPECT_EQ(categories.exitCode, 0) << categories.err;
    EXPECT_TRUE(clean(categories.out)) << categories.out;
    EXPECT_NE(categories.out.find("Bad\\rName (2 trades)"), std::string::npos) << categories.out;
    SProcessResult renamed = Run({"category", "rename", "Bad\rName", "Fine"});
    EXPECT_EQ(renamed.exitCode, 0) << renamed.err;
    EXPECT_TRUE(clean(renamed.out)) << renamed.out;
}

TEST_F(TfportSharing, ADamagedFileIsCopiedOnceAndTheMessageNamesTheNewestWholeBackup)
{
    ASSERT_EQ(Run({"init"}).exitCode, 0);
    ASSERT_EQ(Run({"buy", "IBM", "10", "100"}).exitCode, 0);
    ASSERT_EQ(Run({"buy", "MSFT", "10", "100"}).exitCode, 0);
    const std::string whole = tf::test::ReadFileBytes(Path());
    tf::test::WriteFileBytes(Path(), whole.substr(0, whole.size() - 120));

    std::string firstError;
    for (int i = 0; i < 15; ++i) {
        SProcessResult show = Run({"show"});
        EXPECT_EQ(show.exitCode, 1);
        if (i == 0)
            firstError = show.err;
        else
            EXPECT_EQ(show.err, firstError);
    }
    EXPECT_EQ(CountFiles(".damaged-"), 1u);
    EXPECT_NE(firstError.find("info.kgw is damaged"), std::string::npos) << firstError;
    EXPECT_NE(firstError.find("its bytes are kept in info.kgw.damaged-"), std::string::npos)
        << firstError;
    EXPECT_NE(firstError.find("the newest backup that reads whole is info.kgw.~1~"),
              std::string::npos)
        << firstError;
    // A writer refuses it as well and leaves it alone.
    SProcessResult buy = Run({"buy", "AAPL", "1", "1"});
    EXPECT_EQ(buy.exitCode, 1);
    EXPECT_EQ(CountFiles(".damaged-"), 1u);
    EXPECT_EQ(tf::test::ReadFileBytes(Path()), whole.substr(0, whole.size() - 120));
    // Restoring the backup is a copy.
    fs::copy_file(m_dir / "info.kgw.~1~", Path(), fs::copy_options::overwrite_existing);
    SProcessResult show = Run({"show"});
    EXPECT_EQ(show.exitCode, 0) << show.err;
    EXPECT_NE(show.out.find("Trades (1)"), std::string::npos) << show.out;
}

TEST_F(TfportSharing, ALinkStaysALinkAndSharesTheLockOfTheFileItNames)
{
    ASSERT_EQ(Run({"init"}).exitCode, 0);
    fs::create_symlink("info.kgw", m_dir / "Tallyfern.kgw");
    ASSERT_EQ(Run({"--file", "Tallyfern.kgw", "buy", "IBM", "1", "1"}).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(m_dir / "Tallyfern.kgw"));
    EXPECT_EQ(ReadBack().m_trades.GetCount(), 1u);
    EXPECT_FALSE(fs::exists(m_dir / ".Tallyfern.kgw.lock"));

    tf::fs::CFileLock held;
    ASSERT_TRUE(held.Acquire(Path(), 0ms));
    m_env.emplace_back("TALLYFERN_LOCK_WAIT", "0");
    EXPECT_EQ(Run({"--file", "Tallyfern.kgw", "buy", "IBM", "1", "1"}).exitCode, 75);
}
