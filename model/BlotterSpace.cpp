#include "model/BlotterSpace.h"

#include <algorithm>
#include <climits>

#include "model/Archive.h"

const char* const kCategoryAll = "All";
const char* const kCategoryUnfiled = "Unfiled";
const char* const kDefaultCategories[6] = {"All",        "Unfiled",  "401(k)",
                                           "Stock Plan", "Business", "Personal"};

namespace {
constexpr std::int32_t kDefaultColumnWidths[kColumnWidthCount] = {75, 85, 80, 80, 80, 93};
constexpr std::int32_t kDefaultRefreshMinutes = 10;
constexpr std::int32_t kDefaultAlertPercent = 5;
} // namespace

CBlotterSpace::CBlotterSpace()
    : m_bAutoRefresh(0), m_nRefreshMinutes(kDefaultRefreshMinutes), m_bDeductBrokerage(0),
      m_bUseBidForOptions(0), m_bCheckVersion(1), m_bShowClosedTrades(0), m_bPagerAlerts(0),
      m_nAlertPercent(kDefaultAlertPercent), m_strBaseCountry("United States"),
      m_dFileVersion(kProgramVersion), m_dExternalYtdGains(0.0)
{
    std::copy(std::begin(kDefaultColumnWidths), std::end(kDefaultColumnWidths), m_nColumnWidth);
}

void CBlotterSpace::CopySettingsFrom(const CBlotterSpace& other)
{
    m_bAutoRefresh = other.m_bAutoRefresh;
    m_nRefreshMinutes = other.m_nRefreshMinutes;
    m_strCategoryFilter = other.m_strCategoryFilter;
    m_bDeductBrokerage = other.m_bDeductBrokerage;
    m_bUseBidForOptions = other.m_bUseBidForOptions;
    m_bCheckVersion = other.m_bCheckVersion;
    m_bShowClosedTrades = other.m_bShowClosedTrades;
    m_bPagerAlerts = other.m_bPagerAlerts;
    m_strMailFrom = other.m_strMailFrom;
    m_strSmtpServer = other.m_strSmtpServer;
    m_strPagerAddress = other.m_strPagerAddress;
    m_nAlertPercent = other.m_nAlertPercent;
    std::copy(std::begin(other.m_nColumnWidth), std::end(other.m_nColumnWidth), m_nColumnWidth);
    m_strBaseCountry = other.m_strBaseCountry;
    m_dFileVersion = other.m_dFileVersion;
    m_dExternalYtdGains = other.m_dExternalYtdGains;
}

void CBlotterSpace::CopyFrom(const CBlotterSpace& other)
{
    if (this == &other)
        return;
    CopySettingsFrom(other);
    m_trades.RemoveAll();
    for (const TradeRecord& trade : other.m_trades)
        m_trades.AddTail(trade);
    m_categories = other.m_categories;
}

void CBlotterSpace::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteInt32(m_bAutoRefresh);
        ar.WriteInt32(m_nRefreshMinutes);
        ar.WriteString(m_strCategoryFilter);
        ar.WriteString(m_strBaseCountry);
        ar.WriteInt32(m_bDeductBrokerage);
        ar.WriteInt32(m_bUseBidForOptions);
        ar.WriteDouble(m_dFileVersion);
        ar.WriteInt32(m_bCheckVersion);
        ar.WriteDouble(m_dExternalYtdGains);
        ar.WriteInt32(m_bShowClosedTrades);
        ar.WriteInt32(m_bPagerAlerts);
        ar.WriteString(m_strSmtpServer);
        ar.WriteString(m_strMailFrom);
        ar.WriteString(m_strPagerAddress);
        ar.WriteInt32(m_nAlertPercent);
        for (std::int32_t width : m_nColumnWidth)
            ar.WriteInt32(width);
        ar.WriteCount(static_cast<std::uint32_t>(m_trades.GetCount()));
        for (const TradeRecord& trade : m_trades)
            ar.WriteBytes(&trade, sizeof trade);
        ar.WriteCount(static_cast<std::uint32_t>(m_categories.size()));
        for (const std::string& category : m_categories)
            ar.WriteString(category);
        return;
    }

    m_bAutoRefresh = ar.ReadInt32();
    m_nRefreshMinutes = ar.ReadInt32();
    m_strCategoryFilter = ar.ReadString();
    m_strBaseCountry = ar.ReadString();
    m_bDeductBrokerage = ar.ReadInt32();
    m_bUseBidForOptions = ar.ReadInt32();
    m_dFileVersion = ar.ReadDouble();
    m_bCheckVersion = ar.ReadInt32();
    m_dExternalYtdGains = ar.ReadDouble();
    m_bShowClosedTrades = ar.ReadInt32();
    m_bPagerAlerts = ar.ReadInt32();
    m_strSmtpServer = ar.ReadString();
    m_strMailFrom = ar.ReadString();
    m_strPagerAddress = ar.ReadString();
    m_nAlertPercent = ar.ReadInt32();
    for (std::int32_t& width : m_nColumnWidth)
        width = ar.ReadInt32();
    // Counts come from the file: records are appended one by one as their bytes arrive, so a
    // count larger than the data costs nothing before the read runs out.
    std::uint32_t tradeCount = ar.ReadCount();
    m_trades.Reserve(m_trades.GetCount() +
                     static_cast<std::size_t>(std::min<std::uint64_t>(
                         tradeCount, ar.RemainingHint() / sizeof(TradeRecord))));
    for (std::uint32_t i = 0; i < tradeCount; ++i) {
        TradeRecord trade;
        ar.ReadBytes(&trade, sizeof trade);
        m_trades.AddTail(trade);
    }
    std::uint32_t categoryCount = ar.ReadCount();
    for (std::uint32_t i = 0; i < categoryCount; ++i)
        m_categories.push_back(ar.ReadString());
}

std::int32_t CBlotterSpace::NextTradeId() const
{
    // A sale whose buy was removed still names the buy's number: handing that number out
    // again would tie the old sale to the new trade.
    std::int32_t largest = 0;
    for (const TradeRecord& trade : m_trades)
        largest = std::max({largest, trade.id, trade.refId});
    if (largest < INT32_MAX)
        return largest + 1;
    // Only a damaged or hostile file gets here; hand out the smallest free number instead
    // of overflowing into a negative one.
    std::vector<std::int32_t> used;
    for (const TradeRecord& trade : m_trades) {
        for (std::int32_t number : {trade.id, trade.refId})
            if (number > 0)
                used.push_back(number);
    }
    std::sort(used.begin(), used.end());
    std::int32_t candidate = 1;
    for (std::int32_t id : used) {
        if (id > candidate)
            break;
        if (id == candidate)
            ++candidate;
    }
    return candidate;
}

bool CBlotterSpace::FindTrade(std::int32_t id, TradeRecord& out) const
{
    for (const TradeRecord& trade : m_trades) {
        if (trade.id == id) {
            out = trade;
            return true;
        }
    }
    return false;
}

bool CBlotterSpace::SetHolding(std::int32_t id, double quantity, std::int32_t closed)
{
    for (TradeRecord& trade : m_trades) {
        if (trade.id == id) {
            trade.quantity = quantity;
            trade.closed = closed;
            return true;
        }
    }
    return false;
}

void CBlotterSpace::AddDefaultCategories()
{
    for (const char* name : kDefaultCategories)
        m_categories.emplace_back(name);
}
