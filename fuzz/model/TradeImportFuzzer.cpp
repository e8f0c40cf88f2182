// Reads any bytes as a CSV file of trades into a portfolio that already holds trades. A
// refused file leaves the portfolio byte for byte as it was; a taken one leaves every buy
// holding a finite quantity of 0 or more and every live sale naming a buy.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/BlotterSpace.h"
#include "model/Ledger.h"
#include "model/PortfolioFile.h"
#include "model/TradeImport.h"
#include "platform/text/DateTexts.h"

namespace {
CBlotterSpace Start()
{
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    TradeValues buy;
    buy.symbol = "IBM";
    buy.quantity = 100;
    buy.price = 120;
    buy.category = "Unfiled";
    buy.country = "United States";
    AddBuy(doc, buy, 1767286800);
    return doc;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CBlotterSpace doc = Start();
    const std::string before = SerializeToBytes(doc);
    SImportResult result = ImportTradesCsv(doc, text);
    if (!result.bOk) {
        if (SerializeToBytes(doc) != before || result.error.empty())
            std::abort();
        return 0;
    }
    for (const TradeRecord& trade : doc.m_trades) {
        if (!std::isfinite(trade.quantity) || trade.quantity < 0)
            std::abort();
        TradeRecord buy = MakeEmptyTrade();
        if (trade.isSell && (!doc.FindTrade(trade.refId, buy) || buy.isSell))
            std::abort();
    }
    // The date reader on its own, with whatever the bytes hold.
    std::int32_t when = 0;
    std::string error;
    if (ParseDateText(text, when, error) && when <= 0)
        std::abort();
    return 0;
}
