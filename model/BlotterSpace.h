// CBlotterSpace: the portfolio document, the one object the system persists. It holds
// every user setting, two pieces of main-window state, the trades and the categories.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TradeList.h"

class CArchive;

// The program version stamped into every saved file.
constexpr double kProgramVersion = 1.85;

constexpr int kColumnWidthCount = 6;

class CBlotterSpace
{
  public:
    CBlotterSpace();
    CBlotterSpace(const CBlotterSpace& other) { CopyFrom(other); }
    CBlotterSpace& operator=(const CBlotterSpace& other)
    {
        if (this != &other)
            CopyFrom(other);
        return *this;
    }
    virtual ~CBlotterSpace() = default;

    // Copies every setting, then replaces both lists with copies of the other's.
    void CopyFrom(const CBlotterSpace& other);
    // Copies every setting member only; the lists are left as they are.
    void CopySettingsFrom(const CBlotterSpace& other);

    // Writes (storing archive) or reads (loading archive) the whole document. Reading past
    // the end of the data throws CArchiveException; what was read before stays in place.
    virtual void Serialize(CArchive& ar);

    // 1 + the largest number among all trades' ids and the refIds of their sales (deleted
    // ones included), so no number that a sale still names is handed out again; numbers
    // <= 0 are ignored.
    std::int32_t NextTradeId() const;
    // Copies the first trade with this id into out; false (out untouched) when none.
    bool FindTrade(std::int32_t id, TradeRecord& out) const;
    // Sets quantity and closed of the first trade with this id; nothing else changes.
    bool SetHolding(std::int32_t id, double quantity, std::int32_t closed);

    // Appends the six categories a new portfolio starts with.
    void AddDefaultCategories();

    std::int32_t m_bAutoRefresh;
    std::int32_t m_nRefreshMinutes;
    std::string m_strCategoryFilter;
    std::int32_t m_bDeductBrokerage;
    std::int32_t m_bUseBidForOptions;
    std::int32_t m_bCheckVersion;
    std::int32_t m_bShowClosedTrades;
    std::int32_t m_bPagerAlerts;
    std::string m_strMailFrom;
    std::string m_strSmtpServer;
    std::string m_strPagerAddress;
    std::int32_t m_nAlertPercent;
    std::int32_t m_nColumnWidth[kColumnWidthCount];
    std::string m_strBaseCountry;
    double m_dFileVersion;
    double m_dExternalYtdGains;
    CTradeList m_trades;
    std::vector<std::string> m_categories;
};

// The category every new portfolio filters by, and the six it starts with, in order.
extern const char* const kCategoryAll;
extern const char* const kCategoryUnfiled;
extern const char* const kDefaultCategories[6];
