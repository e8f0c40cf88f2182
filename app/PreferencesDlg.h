// CPreferencesDlg: the refresh timer, valuation options, default base country and external
// capital gains. The window fills the members from the document (LoadFrom), runs DoModal,
// and on IDOK copies them back (StoreTo) and applies the timer rule (ApplyRefreshTimer).
// The dialog itself saves nothing and starts no refresh.
#pragma once

#include <cstdint>
#include <string>

#include "model/BlotterSpace.h"
#include "platform/framework/Dialog.h"

// Arms, re-arms or stops the refresh timer (BlotterIds::kRefreshTimer) of the window by the
// auto-refresh setting, and keeps the window's timer-running flag in step: on, the timer is
// (re)started with the new interval; off while it runs, it is killed.
void ApplyRefreshTimer(CDialog& wnd, std::int32_t bAutoRefresh, std::int32_t nRefreshMinutes,
                       std::int32_t& bTimerRunning);

class CPreferencesDlg : public CDialog
{
  public:
    // Control identifiers of template 130.
    static constexpr int kIdInterval = 1010;
    static constexpr int kIdAutoRefresh = 1005;
    static constexpr int kIdBaseCountry = 1021;
    static constexpr int kIdDeductBrokerage = 1027;
    static constexpr int kIdUseBid = 1028;
    static constexpr int kIdExternalGains = 1011;

    explicit CPreferencesDlg(CWnd* pParent = nullptr);

    std::int32_t m_nRefreshMinutes = 10;
    std::int32_t m_bAutoRefresh = 0;
    std::string m_strBaseCountry = "United States";
    std::int32_t m_bDeductBrokerage = 0;
    std::int32_t m_bUseBidForOptions = 0;
    double m_dExternalYtdGains = 0;

    // The six settings from and to the document.
    void LoadFrom(const CBlotterSpace& doc);
    void StoreTo(CBlotterSpace& doc) const;

  protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
};
