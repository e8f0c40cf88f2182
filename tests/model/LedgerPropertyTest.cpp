// Random sequences of buys, partial sales, updates and removals, checked after every step:
// no unit is lost or made, realized P/L does not move when a buy's price is corrected, and a
// buy's fee is never taken more than once over its sales and its open remainder.
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <random>

#include "model/Ledger.h"
#include "model/Valuation.h"
#include "tests/model/TradeValuesForTests.h"

namespace {
constexpr std::int32_t kStart = 1767286800; // 2026-01-01 12:00 New York
constexpr std::time_t kNow = kStart + 300 * 86400;
constexpr int kSequences = 150;
constexpr int kSteps = 80;

class CRandomLedger
{
  public:
    explicit CRandomLedger(unsigned seed) : m_random(seed)
    {
        m_doc.m_bDeductBrokerage = static_cast<std::int32_t>(seed % 2);
    }

    void Step()
    {
        m_clock += Uniform(0, 3) * 3600;
        switch (Uniform(0, 9)) {
        case 0:
        case 1:
        case 2:
            Buy();
            break;
        case 3:
        case 4:
        case 5:
            Sell();
            break;
        case 6:
            CorrectPrice();
            break;
        case 7:
            CorrectQuantity();
            break;
        default:
            Remove();
            break;
        }
    }

    // Every buy holds what was bought less what its live sales took.
    void CheckUnits() const
    {
        std::map<std::int32_t, double> sold;
        for (const TradeRecord& t : m_doc.m_trades) {
            if (t.isSell) {
                ASSERT_TRUE(m_bought.count(t.refId)) << "sale " << t.id << " names no buy";
                sold[t.refId] += t.quantity;
            }
        }
        for (const auto& [id, bought] : m_bought) {
            TradeRecord buy = MakeEmptyTrade();
            ASSERT_TRUE(m_doc.FindTrade(id, buy));
            EXPECT_NEAR(buy.quantity + sold[id], bought, 1e-9 * bought) << "buy " << id;
            EXPECT_GE(buy.quantity, 0);
            EXPECT_EQ(buy.closed == 1, buy.quantity == 0) << "buy " << id;
        }
    }

    // Over its sales and what it still holds, a buy's fee is taken once, never more.
    void CheckFees() const
    {
        const CBuyFees fees(m_doc);
        std::map<std::int32_t, double> taken;
        for (const TradeRecord& t : m_doc.m_trades) {
            if (!t.isSell)
                continue;
            TradeRecord buy = MakeEmptyTrade();
            ASSERT_TRUE(m_doc.FindTrade(t.refId, buy));
            taken[buy.id] += fees.SaleShare(buy, t.quantity);
        }
        for (const TradeRecord& buy : m_doc.m_trades) {
            if (buy.isSell)
                continue;
            const double total = taken[buy.id] + fees.OpenShare(buy);
            EXPECT_LE(total, buy.brokerFee * (1 + 1e-12)) << "buy " << buy.id;
            EXPECT_NEAR(total, buy.brokerFee, 1e-12 * (1 + buy.brokerFee)) << "buy " << buy.id;
        }
    }

    void CheckNumbers() const
    {
        const std::int32_t next = m_doc.NextTradeId();
        for (const TradeRecord& t : m_doc.m_trades) {
            EXPECT_NE(t.id, next);
            EXPECT_NE(t.refId, next);
        }
    }

  private:
    int Uniform(int low, int high) { return std::uniform_int_distribution<>(low, high)(m_random); }
    // Decimal amounts as people type them: a few decimals, rarely round in binary.
    double Decimal(int low, int high, int decimals)
    {
        const double scale = std::pow(10.0, decimals);
        return Uniform(static_cast<int>(low * scale), static_cast<int>(high * scale)) / scale;
    }

    std::vector<TradeRecord> Trades(bool sales, bool openOnly) const
    {
        std::vector<TradeRecord> found;
        for (const TradeRecord& t : m_doc.m_trades)
            if ((t.isSell != 0) == sales && (!openOnly || t.closed == 0))
                found.push_back(t);
        return found;
    }

    static TradeValues Values(const std::string& symbol, double quantity, bool sell)
    {
        return MakeTradeValues(symbol, quantity, 0, 0, sell);
    }

    void Buy()
    {
        TradeValues v = Values(std::string(1, static_cast<char>('A' + Uniform(0, 3))),
                               Decimal(1, 500, Uniform(0, 3)), false);
        v.price = Decimal(1, 300, 2);
        v.brokerFee = Decimal(0, 20, 2);
        LedgerResult r = AddBuy(m_doc, v, m_clock);
        ASSERT_TRUE(r.bChanged) << r.message;
        m_bought[r.newId] = v.quantity;
    }

    void Sell()
    {
        std::vector<TradeRecord> open = Trades(false, true);
        if (open.empty())
            return;
        const TradeRecord& buy = open[static_cast<std::size_t>(Uniform(0, int(open.size()) - 1))];
        double quantity = buy.quantity;
        switch (Uniform(0, 3)) {
        case 0: // everything, as the user reads it
            quantity = std::max(0.001, std::round(buy.quantity * 1000) / 1000);
            break;
        case 1:
            break;
        default:
            quantity = std::max(0.001, Decimal(0, 1, 3) * buy.quantity);
            break;
        }
        TradeValues v = Values(TradeSymbol(buy), quantity, true);
        v.price = Decimal(1, 300, 2);
        v.brokerFee = Decimal(0, 10, 2);
        LedgerResult r =
            Uniform(0, 1) ? AddSell(m_doc, &buy, v, m_clock) : SellBySymbol(m_doc, v, m_clock);
        if (r.Refused()) {
            EXPECT_EQ(r.message, kMsgSellAmount) << quantity << " of " << buy.quantity;
        }
    }

    void CorrectPrice()
    {
        std::vector<TradeRecord> open = Trades(false, true);
        if (open.empty())
            return;
        const TradeRecord& buy = open[static_cast<std::size_t>(Uniform(0, int(open.size()) - 1))];
        TradeValues v = Values(TradeSymbol(buy), buy.quantity, false);
        v.price = Decimal(1, 300, 2);
        v.brokerFee = buy.brokerFee;
        const RealizedPL before = ComputeRealizedPL(m_doc, kNow);
        ASSERT_TRUE(UpdateTrade(m_doc, buy, v).bChanged);
        const RealizedPL after = ComputeRealizedPL(m_doc, kNow);
        EXPECT_EQ(after.ytd, before.ytd);
        EXPECT_EQ(after.mtd, before.mtd);
    }

    void CorrectQuantity()
    {
        std::vector<TradeRecord> open = Trades(false, true);
        if (open.empty())
            return;
        const TradeRecord& buy = open[static_cast<std::size_t>(Uniform(0, int(open.size()) - 1))];
        TradeValues v = Values(TradeSymbol(buy), Decimal(1, 500, 2), false);
        v.price = buy.price;
        v.brokerFee = buy.brokerFee;
        ASSERT_TRUE(UpdateTrade(m_doc, buy, v).bChanged);
        m_bought[buy.id] += v.quantity - buy.quantity;
    }

    void Remove()
    {
        if (m_doc.m_trades.IsEmpty())
            return;
        const TradeRecord trade =
            m_doc.m_trades.begin()[Uniform(0, int(m_doc.m_trades.GetCount()) - 1)];
        bool hasSales = false;
        for (const TradeRecord& t : m_doc.m_trades)
            hasSales |= t.isSell && t.refId == trade.id;
        LedgerResult r = RemoveTrade(m_doc, trade);
        EXPECT_EQ(r.Refused(), !trade.isSell && hasSales);
        if (r.bChanged && !trade.isSell)
            m_bought.erase(trade.id);
    }

    std::mt19937 m_random;
    CBlotterSpace m_doc;
    std::map<std::int32_t, double> m_bought; // what each live buy was bought with
    std::int32_t m_clock = kStart;
};
} // namespace

TEST(LedgerProperty, UnitsFeesAndRealizedPLHoldOverRandomSequences)
{
    for (unsigned seed = 1; seed <= kSequences; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        CRandomLedger ledger(seed);
        for (int step = 0; step < kSteps; ++step) {
            ledger.Step();
            ledger.CheckUnits();
            ledger.CheckFees();
            ledger.CheckNumbers();
            if (::testing::Test::HasFailure())
                return;
        }
    }
}
