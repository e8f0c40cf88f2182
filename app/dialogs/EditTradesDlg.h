// CEditTradesDlg: the dialog in which the user browses the trades of a private copy of the
// portfolio and adds, sells from, updates and removes them by the ledger rules. The window
// fills m_doc and m_bShowClosed before DoModal and takes both back only on IDOK ("A&pply").
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "model/BlotterSpace.h"
#include "model/Ledger.h"
#include "model/TradeRecord.h"
#include "platform/framework/Dialog.h"

class CEditTradesDlg : public CDialog
{
  public:
    // Control identifiers of template 131.
    static constexpr int kIdSymbol = 1011;
    static constexpr int kIdQuantity = 1012;
    static constexpr int kIdPrice = 1013;
    static constexpr int kIdBrokerFee = 1014;
    static constexpr int kIdTradeList = 1015;
    static constexpr int kIdPurchased = 1016;
    static constexpr int kIdAddTrade = 1017;
    static constexpr int kIdSold = 1018;
    static constexpr int kIdRealizedPL = 1019;
    static constexpr int kIdCategory = 1020;
    static constexpr int kIdCountry = 1021;
    static constexpr int kIdBuy = 1035;
    static constexpr int kIdSell = 1036;
    static constexpr int kIdShowClosed = 1037;
    static constexpr int kIdStatusGroup = 1038;
    static constexpr int kIdUpdateTrade = 4;
    static constexpr int kIdRemoveTrade = 3;

    explicit CEditTradesDlg(CWnd* pParent = nullptr);

    CBlotterSpace m_doc;
    // The trade shown in the fields (the selected row's).
    TradeRecord m_current;
    std::string m_strSymbol;
    double m_dQuantity = 0;
    double m_dPrice = 0;
    double m_dBrokerFee = 0;
    std::string m_strPurchased;
    std::string m_strSold;
    std::int32_t m_bShowClosed = 0;
    double m_dRealizedPL = 0;

    // The clock that stamps new trades (seconds since 1970); the system clock by default.
    void SetClock(std::function<std::int32_t()> clock) { m_clock = std::move(clock); }

    void FillTradeList();
    void ShowSelectedTrade();

  protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

  private:
    void OnAddTrade();
    void OnUpdateTrade();
    void OnRemoveTrade();
    void OnShowClosed();

    // The trade values as the rules take them: the fields and the two boxes' texts.
    TradeValues CollectValues() const;
    void ChooseBuy(bool bBuy);
    void SelectCategoryAndCountry(const std::string& strCategory, const std::string& strCountry);
    void ClearFields();
    void ShowRefusal(const LedgerResult& result);

    std::function<std::int32_t()> m_clock;
    // False when no trade is shown (no rows, or a row whose trade was not found): the rules
    // then act on no trade rather than on whatever m_current held before.
    bool m_bCurrentValid = false;
};
