// CPagerPrefsDlg: the pager alert settings. The window fills the members from the document
// (LoadFrom), runs DoModal, and on IDOK copies them back (StoreTo); nothing is saved or
// refreshed until the next refresh.
#pragma once

#include <cstdint>
#include <string>

#include "model/BlotterSpace.h"
#include "platform/framework/Dialog.h"

class CPagerPrefsDlg : public CDialog
{
  public:
    // Control identifiers of template 140.
    static constexpr int kIdEnable = 1029;
    static constexpr int kIdMailFrom = 1031;
    static constexpr int kIdAlertPercent = 1033;
    static constexpr int kIdSmtpServer = 1030;
    static constexpr int kIdPagerAddress = 1032;

    explicit CPagerPrefsDlg(CWnd* pParent = nullptr);

    std::int32_t m_bPagerAlerts = 0;
    std::string m_strMailFrom;
    unsigned m_nAlertPercent = 5;
    std::string m_strSmtpServer;
    std::string m_strPagerAddress;

    // The five settings from and to the document.
    void LoadFrom(const CBlotterSpace& doc);
    void StoreTo(CBlotterSpace& doc) const;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
