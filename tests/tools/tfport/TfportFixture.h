// What the ledger and import tests of tfport share: a scratch folder holding the portfolio,
// tfport run in it with its output kept apart, and the portfolio read back.
#pragma once

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "model/BlotterSpace.h"
#include "tests/support/process/ChildProcess.h"
#include "tests/support/tempdir/TempDir.h"

class CTfportFixture : public ::testing::Test
{
  protected:
    // tfport with these arguments, in the scratch folder.
    tf::test::SProcessResult Tfport(const std::vector<std::string>& args,
                                    tf::test::SProcessOptions options = {});
    // Runs and expects success; returns standard output.
    std::string Ok(const std::vector<std::string>& args);
    // Runs and expects a refusal that says `says` on standard error, with the file unchanged.
    void Refused(const std::vector<std::string>& args, const std::string& says);

    CBlotterSpace Portfolio() const;
    void WritePortfolio(CBlotterSpace& doc) const;
    TradeRecord Trade(std::int32_t id) const;
    std::string FileBytes() const { return tf::test::ReadFileBytes(m_dir / "info.kgw"); }

    tf::test::CTempDir m_dir{"tf-tfport-ledger"};
};
