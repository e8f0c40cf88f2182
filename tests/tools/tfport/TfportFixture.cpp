#include "tests/tools/tfport/TfportFixture.h"

#include "model/PortfolioFile.h"

tf::test::SProcessResult CTfportFixture::Tfport(const std::vector<std::string>& args,
                                                tf::test::SProcessOptions options)
{
    std::vector<std::string> argv = {TFPORT_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    options.workingDir = m_dir.Path().string();
    tf::test::SProcessResult result = tf::test::RunProcess(argv, options);
    EXPECT_TRUE(result.started) << "tfport could not be started";
    return result;
}

std::string CTfportFixture::Ok(const std::vector<std::string>& args)
{
    tf::test::SProcessResult r = Tfport(args);
    EXPECT_EQ(r.exitCode, 0) << args[0] << ": " << r.err;
    return r.out;
}

void CTfportFixture::Refused(const std::vector<std::string>& args, const std::string& says)
{
    const std::string before = FileBytes();
    tf::test::SProcessResult r = Tfport(args);
    std::string line;
    for (const std::string& a : args)
        line += a + " ";
    EXPECT_NE(r.exitCode, 0) << line;
    EXPECT_NE(r.err.find(says), std::string::npos) << line << "said: " << r.err;
    EXPECT_EQ(FileBytes(), before) << line;
}

CBlotterSpace CTfportFixture::Portfolio() const
{
    CBlotterSpace doc;
    EXPECT_EQ(ReadPortfolioFile(m_dir.File("info.kgw"), doc).status, PortfolioReadStatus::Read);
    return doc;
}

void CTfportFixture::WritePortfolio(CBlotterSpace& doc) const
{
    ASSERT_TRUE(WritePortfolioFile(m_dir.File("info.kgw"), doc).bOk);
}

TradeRecord CTfportFixture::Trade(std::int32_t id) const
{
    TradeRecord trade = MakeEmptyTrade();
    EXPECT_TRUE(Portfolio().FindTrade(id, trade)) << "trade " << id;
    return trade;
}
