// A memory handheld selected for the sync kit, a scratch user folder for the portfolio
// file, and a fixed clock: what every synchronisation test starts from.
#pragma once

#include <cstdint>
#include <ctime>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "conduit/ConduitProperties.h"
#include "model/BlotterSpace.h"
#include "platform/synckit/MemoryHandheld.h"
#include "tests/support/tempdir/TempDir.h"

namespace tf::conduit::test {

// 2026-03-15 12:00 in New York, where the tests run.
constexpr std::time_t kSyncTime = 1773590400;
constexpr const char* kViewerName = "TallyfernDB";

using LogLines = std::vector<std::pair<std::string, int>>;

// A trade as the desktop enters it.
TradeRecord MakeTrade(std::int32_t id, const char* symbol, double quantity, double price,
                      const char* category);

// The bytes of a category block with the given names in slots 0..15 (empty: unused) and
// identifiers equal to the slot number (0 for unused slots).
std::vector<std::uint8_t> CategoryBlockBytes(const std::vector<std::string>& names);

class ConduitFixture : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    std::string PortfolioPath() const { return m_strDir + "/Tallyfern.kgw"; }
    void WritePortfolio(CBlotterSpace& doc);
    CBlotterSpace ReadPortfolio();
    std::string PortfolioBytes();

    // One synchronisation on the process-wide-like document m_doc.
    void Sync();
    LogLines Log();

    synckit::HandheldDatabase& Viewer();
    // Puts a viewer database on the handheld with this category block (none if empty).
    synckit::HandheldDatabase& MakeViewer(const std::vector<std::string>& categories);
    // Adds a record made on the handheld: flags (high bits), category index.
    std::uint32_t AddHandheldTrade(const char* symbol, double quantity, double price,
                                   std::uint8_t flags, std::uint8_t category, double lastPrice = 0,
                                   const char* country = "Canada");

    synckit::CMemoryHandheld m_handheld;
    CBlotterSpace m_doc;
    ConduitProperties m_props;
    tf::test::CTempDir m_dir{"tfcond-test"};
    std::string m_strDir;
};

} // namespace tf::conduit::test
