// Reads any bytes as a file of daily closes; whatever is accepted must be what an import may
// store: real dates up to today, symbols fit for a trade, positive prices, no day twice.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "engine/history/CloseCsv.h"
#include "model/TradeRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const SLocalDate today{2026, 3, 5};
    const SCloseCsv csv =
        ParseCloseCsv(std::string_view(reinterpret_cast<const char*>(data), size), today);
    if (csv.bOk != csv.error.empty() || (!csv.bOk && !csv.rows.empty()))
        std::abort();
    std::set<std::pair<SLocalDate, std::string>> seen;
    for (const SCloseRow& row : csv.rows) {
        SLocalDate again;
        std::string error;
        if (!ParseLocalDate(IsoDateText(row.date), again, error) || !(again == row.date) ||
            today < row.date)
            std::abort();
        if (row.symbol.empty() || row.symbol.size() > kSymbolMax)
            std::abort();
        for (unsigned char c : row.symbol) {
            if (c < 0x20 || c == 0x7F || c == ',')
                std::abort();
        }
        if (!std::isfinite(row.close) || row.close <= 0 || row.close > kMaxClosePrice)
            std::abort();
        if (!seen.emplace(row.date, row.symbol).second)
            std::abort();
    }
    return 0;
}
