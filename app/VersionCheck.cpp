// The main window's version check at start and its About commands.
#include "app/AboutDlg.h"
#include "app/BlotterDlg.h"
#include "model/BlotterSpace.h"
#include "platform/framework/MessageBox.h"

void CBlotterDlg::CheckVersion()
{
    if (m_doc.m_bCheckVersion != 1)
        return;
    double dVersion = 0;
    m_services.fetchVersion(dVersion);
    if (dVersion == kProgramVersion || dVersion == 0)
        return;
    if (TfMessageBox(ObsoleteVersionText(dVersion), MB_YESNO | MB_ICONINFORMATION,
                     ObsoleteVersionCaption(), this) == IDNO)
        m_doc.m_bCheckVersion = 0;
}

void CBlotterDlg::OnAbout(bool bAskVersion)
{
    CAboutDlg dlg(this);
    if (bAskVersion) {
        dlg.m_strVersion = kVersionLineText;
        double dVersion = 0;
        m_services.fetchVersion(dVersion);
        dlg.m_strStatus = VersionStatusText(dVersion);
    }
    dlg.DoModal();
}
