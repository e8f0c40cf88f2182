// CAboutDlg: the About box (template 100) with the program icon, the version line and the
// version status line; OK closes it.
#pragma once

#include <string>

#include "platform/framework/Dialog.h"

class CAboutDlg : public CDialog
{
  public:
    explicit CAboutDlg(CWnd* pParent = nullptr);

    // The version line is at most this long.
    static constexpr int kMaxVersionLine = 100;

    std::string m_strVersion;
    std::string m_strStatus;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
};

// Texts of the version check.
extern const char* const kVersionLineText;
// The About box's status line for the version the maker's site gave (0: nothing obtained).
std::string VersionStatusText(double dVersion);
// The start-up question for a version other than this one, and its caption.
std::string ObsoleteVersionText(double dVersion);
std::string ObsoleteVersionCaption();
