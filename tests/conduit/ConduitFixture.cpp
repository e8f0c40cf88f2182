#include "tests/conduit/ConduitFixture.h"

#include <algorithm>

#include "conduit/ConduitSync.h"
#include "conduit/HandheldRecord.h"
#include "model/PortfolioFile.h"
#include "platform/synckit/SyncLog.h"

namespace tf::conduit::test {

TradeRecord MakeTrade(std::int32_t id, const char* symbol, double quantity, double price,
                      const char* category)
{
    TradeRecord trade = MakeEmptyTrade();
    trade.id = id;
    trade.status = kStatusAdded;
    SetTradeSymbol(trade, symbol);
    SetTradeCategory(trade, category);
    SetTradeCountry(trade, "United States");
    trade.quantity = quantity;
    trade.price = price;
    trade.costPrice = price;
    trade.buyDate = 1700000000;
    return trade;
}

std::vector<std::uint8_t> CategoryBlockBytes(const std::vector<std::string>& names)
{
    std::vector<std::uint8_t> block(278, 0);
    for (std::size_t slot = 0; slot < names.size() && slot < 16; ++slot) {
        if (names[slot].empty())
            continue;
        std::copy(names[slot].begin(), names[slot].end(), block.begin() + 2 + 16 * slot);
        block[258 + slot] = static_cast<std::uint8_t>(slot);
    }
    return block;
}

void ConduitFixture::SetUp()
{
    m_strDir = m_dir.Path().string();
    m_props.userDirectory = m_strDir + "/";
    m_props.databaseName = kViewerName;
    m_props.creator = synckit::FourCharCode("Tlyf");
    m_props.type = synckit::FourCharCode("DATA");
    m_props.card = 0;
    m_handheld.SetNow(kSyncTime);
    synckit::SelectHandheld(&m_handheld);
    synckit::ClearLog();
}

void ConduitFixture::TearDown()
{
    synckit::SelectHandheld(nullptr);
}

void ConduitFixture::WritePortfolio(CBlotterSpace& doc)
{
    ASSERT_TRUE(WritePortfolioFile(PortfolioPath(), doc).bOk);
}

CBlotterSpace ConduitFixture::ReadPortfolio()
{
    CBlotterSpace doc;
    EXPECT_EQ(ReadPortfolioFile(PortfolioPath(), doc).status, PortfolioReadStatus::Read);
    return doc;
}

std::string ConduitFixture::PortfolioBytes()
{
    return tf::test::ReadFileBytes(PortfolioPath());
}

void ConduitFixture::Sync()
{
    CConduitSync sync(m_doc, [] { return kSyncTime; });
    sync.Run(m_props);
}

LogLines ConduitFixture::Log()
{
    LogLines lines;
    for (const synckit::LogEntry& entry : synckit::LogEntries())
        lines.emplace_back(entry.text, entry.activity);
    return lines;
}

synckit::HandheldDatabase& ConduitFixture::Viewer()
{
    synckit::HandheldDatabase* db = m_handheld.FindDatabase(kViewerName);
    if (!db) {
        ADD_FAILURE() << "no viewer database";
        static synckit::HandheldDatabase none;
        return none;
    }
    return *db;
}

synckit::HandheldDatabase& ConduitFixture::MakeViewer(const std::vector<std::string>& categories)
{
    synckit::HandheldDatabase db;
    db.name = kViewerName;
    db.creator = m_props.creator;
    db.type = m_props.type;
    if (!categories.empty()) {
        db.bHasAppInfo = true;
        db.appInfo = CategoryBlockBytes(categories);
    }
    return m_handheld.PutDatabase(db);
}

std::uint32_t ConduitFixture::AddHandheldTrade(const char* symbol, double quantity, double price,
                                               std::uint8_t flags, std::uint8_t category,
                                               double lastPrice, const char* country)
{
    TradeRecord trade = MakeTrade(0, symbol, quantity, price, "");
    trade.currentPrice = lastPrice;
    trade.dayChange = 0.25;
    trade.brokerFee = 9.95;
    SetTradeCountry(trade, country);
    std::vector<std::uint8_t> buffer(kHandheldRecordSize);
    SkRecordBlock block{};
    block.buffer = buffer.data();
    block.bufferSize = static_cast<std::uint16_t>(buffer.size());
    PackHandheldRecord(trade, block);
    synckit::HandheldDatabase& db = Viewer();
    synckit::StoredRecord record;
    record.uid = db.NewRecordId();
    record.flags = flags;
    record.category = category;
    record.data = buffer;
    db.records.push_back(record);
    return record.uid;
}

} // namespace tf::conduit::test
