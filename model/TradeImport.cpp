#include "model/TradeImport.h"

#include <algorithm>
#include <bit>
#include <numeric>
#include <unordered_map>

#include "model/CategoryRules.h"
#include "model/ImportRows.h"
#include "model/Ledger.h"

namespace {
// What makes two trades the same for an import: side, date, symbol, quantity and price.
std::string SameTradeKey(bool bSell, std::int32_t date, const std::string& symbol, double quantity,
                         double price)
{
    return std::to_string(bSell) + '|' + std::to_string(date) + '|' + symbol + '|' +
           std::to_string(std::bit_cast<std::uint64_t>(quantity)) + '|' +
           std::to_string(std::bit_cast<std::uint64_t>(price));
}

class CImport
{
  public:
    CImport(const CBlotterSpace& doc, std::vector<SImportRow>& rows)
        : m_work(doc), m_rows(rows), m_rowTrade(rows.size(), 0), m_linkedBuy(rows.size(), -1)
    {
        for (const TradeRecord& t : doc.m_trades)
            if (t.status != kStatusDeleted)
                m_existing.emplace(SameTradeKey(t.isSell != 0, t.isSell ? t.sellDate : t.buyDate,
                                                TradeSymbol(t), t.quantity, t.price),
                                   t.id);
    }

    // What each buy row was bought with; with bUseRefIds, each sale is tied to the buy row
    // its refId names, and that buy gets the sale's units back.
    void Link(bool bUseRefIds)
    {
        std::unordered_map<std::int32_t, std::size_t> buyRows;
        for (std::size_t i = 0; i < m_rows.size(); ++i)
            if (!m_rows[i].bDeleted && !m_rows[i].values.bSell && m_rows[i].fileId > 0)
                buyRows.emplace(m_rows[i].fileId, i);
        m_bought.resize(m_rows.size());
        for (std::size_t i = 0; i < m_rows.size(); ++i)
            m_bought[i] = m_rows[i].values.quantity;
        for (std::size_t i = 0; bUseRefIds && i < m_rows.size(); ++i) {
            const SImportRow& row = m_rows[i];
            if (row.bDeleted || !row.values.bSell)
                continue;
            auto buy = buyRows.find(row.fileRefId);
            if (buy == buyRows.end())
                continue;
            m_linkedBuy[i] = static_cast<long>(buy->second);
            m_bought[buy->second] += row.values.quantity;
        }
    }

    bool Apply(SImportResult& result)
    {
        std::vector<std::size_t> order(m_rows.size());
        std::iota(order.begin(), order.end(), 0);
        // Date order; a buy before a sale of the same moment; file order among equals.
        std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
            const SImportRow& x = m_rows[a];
            const SImportRow& y = m_rows[b];
            if (x.date != y.date)
                return x.date < y.date;
            return !x.values.bSell && y.values.bSell;
        });
        for (std::size_t i : order) {
            SImportRow& row = m_rows[i];
            if (row.bDeleted) {
                ++result.nDeleted;
                continue;
            }
            auto same = m_existing.find(SameTradeKey(row.values.bSell, row.date, row.values.symbol,
                                                     row.values.quantity, row.values.price));
            if (same != m_existing.end()) {
                ++result.nDuplicates;
                m_rowTrade[i] = same->second;
                continue;
            }
            if (!EnsureCategory(row, result))
                return false;
            if (!(row.values.bSell ? AddSale(i, result) : AddPurchase(i, result)))
                return false;
        }
        return true;
    }

    const CBlotterSpace& Result() const { return m_work; }

  private:
    std::string Where(const SImportRow& row) const
    {
        return "line " + std::to_string(row.line) + ": ";
    }

    bool Refused(const SImportRow& row, const LedgerResult& ledger, SImportResult& result)
    {
        result.error = Where(row) + ledger.caption + ": " + ledger.message;
        return false;
    }

    bool EnsureCategory(const SImportRow& row, SImportResult& result)
    {
        const std::string& name = row.values.category;
        const auto& list = m_work.m_categories;
        if (std::find(list.begin(), list.end(), name) != list.end())
            return true;
        const CategoryResult added = AddTradeCategory(m_work, name);
        if (added.Refused()) {
            result.error =
                Where(row) + "cannot add the category \"" + name + "\": " + added.message;
            return false;
        }
        result.addedCategories.push_back(name);
        return true;
    }

    TradeRecord* Stored(std::int32_t id)
    {
        for (TradeRecord& trade : m_work.m_trades)
            if (trade.id == id)
                return &trade;
        return nullptr;
    }

    bool AddPurchase(std::size_t i, SImportResult& result)
    {
        SImportRow& row = m_rows[i];
        TradeValues values = row.values;
        values.quantity = m_bought[i];
        LedgerResult added = AddBuy(m_work, values, row.date);
        if (added.Refused())
            return Refused(row, added, result);
        TradeRecord* buy = Stored(added.newId);
        buy->currentPrice = row.currentPrice.value_or(0);
        buy->dayChange = row.dayChange.value_or(0);
        buy->costPrice = row.costPrice.value_or(buy->costPrice);
        buy->auxValue1 = row.auxValue1.value_or(0);
        buy->auxValue2 = row.auxValue2.value_or(0);
        m_rowTrade[i] = added.newId;
        result.addedIds.push_back(added.newId);
        ++result.nBuys;
        return true;
    }

    bool AddSale(std::size_t i, SImportResult& result)
    {
        SImportRow& row = m_rows[i];
        LedgerResult sold;
        if (m_linkedBuy[i] >= 0) {
            const std::int32_t buyId = m_rowTrade[static_cast<std::size_t>(m_linkedBuy[i])];
            if (buyId == 0) {
                // Rows enter in date order: its buy comes later.
                result.error = Where(row) + kCapDateError + ": " + kMsgSaleBeforeBuy;
                return false;
            }
            TradeRecord* buy = Stored(buyId);
            if (buy && TradeSymbol(*buy) != row.values.symbol) {
                result.error = Where(row) + "the sale of " + row.values.symbol +
                               " names a buy of " + TradeSymbol(*buy);
                return false;
            }
            const TradeRecord target = buy ? *buy : MakeEmptyTrade();
            sold = AddSell(m_work, buy ? &target : nullptr, row.values, row.date);
            if (sold.bChanged && row.costPrice) {
                // Costed as it was sold, whatever the buy's price became later.
                TradeRecord* sale = Stored(sold.newId);
                sale->costPrice = *row.costPrice;
                sale->realizedPL = (sale->price - sale->costPrice) * sale->quantity;
            }
        } else {
            sold = SellBySymbol(m_work, row.values, row.date);
            if (sold.message == kMsgPositionNotOpen) {
                result.error = Where(row) + "no open buy of " + row.values.symbol +
                               " to sell from at that date";
                return false;
            }
        }
        if (sold.Refused())
            return Refused(row, sold, result);
        for (std::int32_t id : sold.newIds) {
            TradeRecord* sale = Stored(id);
            if (row.auxValue1)
                sale->auxValue1 = *row.auxValue1;
            if (row.auxValue2)
                sale->auxValue2 = *row.auxValue2;
        }
        result.addedIds.insert(result.addedIds.end(), sold.newIds.begin(), sold.newIds.end());
        ++result.nSales;
        return true;
    }

    CBlotterSpace m_work;
    std::vector<SImportRow>& m_rows;
    std::vector<std::int32_t> m_rowTrade; // the trade each row became (or was the same as)
    std::vector<long> m_linkedBuy;        // the buy row each sale names, or -1
    std::vector<double> m_bought;         // what each buy row was bought with
    std::unordered_map<std::string, std::int32_t> m_existing;
};
} // namespace

SImportResult ImportTradesCsv(CBlotterSpace& doc, std::string_view csv)
{
    SImportResult result;
    SImportRows read = ReadImportRows(csv);
    if (read.Failed()) {
        result.error = read.error;
        return result;
    }
    CImport import(doc, read.rows);
    import.Link(read.bHasLinks);
    if (!import.Apply(result)) {
        result.addedIds.clear();
        return result;
    }
    doc = import.Result();
    result.bOk = true;
    return result;
}
