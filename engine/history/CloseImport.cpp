#include "engine/history/CloseImport.h"

#include <map>

#include "engine/history/HistoryStore.h"

namespace {

// The country of each symbol the portfolio's live trades name.
std::map<std::string, std::string> CountriesOf(const CBlotterSpace& doc)
{
    std::map<std::string, std::string> countries;
    for (const TradeRecord& trade : doc.m_trades) {
        if (trade.status != kStatusDeleted)
            countries.emplace(TradeSymbol(trade), TradeCountry(trade));
    }
    return countries;
}

} // namespace

bool ImportCloses(CHistoryDb& db, const CBlotterSpace& doc, const std::vector<SCloseRow>& rows,
                  SImportSummary& summary)
{
    summary = {};
    const std::map<std::string, std::string> countries = CountriesOf(doc);
    std::map<std::string, bool> symbols; // symbol -> held by a trade
    std::vector<SPricePoint> closes;
    closes.reserve(rows.size());
    for (const SCloseRow& row : rows) {
        SPricePoint close;
        close.time = EndOfLocalDay(row.date);
        close.symbol = row.symbol;
        const auto it = countries.find(row.symbol);
        close.country = it != countries.end() ? it->second : doc.m_strBaseCountry;
        close.price = row.close;
        close.bImported = true;
        closes.push_back(std::move(close));
        symbols[row.symbol] = it != countries.end();
        if (summary.nCloses == 0 || row.date < summary.first)
            summary.first = row.date;
        if (summary.nCloses == 0 || summary.last < row.date)
            summary.last = row.date;
        ++summary.nCloses;
    }
    for (const auto& [strSymbol, bHeld] : symbols) {
        summary.symbols.push_back(strSymbol);
        if (!bHeld)
            summary.notInPortfolio.push_back(strSymbol);
    }
    return WriteImportedCloses(db, closes);
}
