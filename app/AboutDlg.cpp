#include "app/AboutDlg.h"

#include "app/AppResources.h"
#include "model/BlotterSpace.h"
#include "platform/framework/DataExchange.h"
#include "platform/text/Numbers.h"
#include "quotes/QuoteServers.h"

const char* const kVersionLineText = "Brackwel Tallyfern, Version 1.85";

CAboutDlg::CAboutDlg(CWnd* pParent) : CDialog(AboutDlgTemplate(), pParent) {}

void CAboutDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, BlotterIds::kVersionLine, m_strVersion);
    DDV_MaxChars(pDX, m_strVersion, kMaxVersionLine);
    DDX_Text(pDX, BlotterIds::kVersionStatus, m_strStatus);
}

std::string VersionStatusText(double dVersion)
{
    if (dVersion == 0)
        return {};
    if (dVersion == kProgramVersion)
        return "This is the current version of Tallyfern.";
    return "Current version of Tallyfern is " + FormatFixed(dVersion, 2) + ".";
}

std::string ObsoleteVersionText(double dVersion)
{
    return "This version is obsolete! Current version of Tallyfern is " + FormatFixed(dVersion, 2) +
           ". Click No to disable this message in the future.";
}

std::string ObsoleteVersionCaption()
{
    return "Please visit " + GetMakerHost() + " for update information.";
}
