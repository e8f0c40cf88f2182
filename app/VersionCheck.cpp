// The main window's version check at start and its About commands. The maker's site is
// asked on a worker thread; the answer comes back to the interface thread, which shows the
// question or fills the About box's status line if the box is still open.
#include "app/AboutDlg.h"
#include "app/AppResources.h"
#include "app/BlotterDlg.h"
#include "model/BlotterSpace.h"
#include "platform/framework/MessageBox.h"

void CBlotterDlg::AskVersion(std::jthread& worker, std::shared_ptr<CHttpCancel>& pCancel,
                             std::function<void(double dVersion)> onAnswer)
{
    // A question still open is not needed any more: stop it, so that the join is short.
    if (pCancel)
        pCancel->Cancel();
    pCancel = std::make_shared<CHttpCancel>();
    SQuoteBatchOptions options = QuoteBatchOptionsFromEnvironment();
    options.pCancel = pCancel;
    worker = std::jthread(
        [this, fetch = m_services.fetchVersion, options, onAnswer = std::move(onAnswer)] {
            double dVersion = 0;
            fetch(dVersion, options);
            if (options.pCancel->IsCancelled())
                return;
            QMetaObject::invokeMethod(
                this, [onAnswer, dVersion] { onAnswer(dVersion); }, Qt::QueuedConnection);
        });
}

void CBlotterDlg::CheckVersion()
{
    if (m_doc.m_bCheckVersion != 1)
        return;
    m_bStartVersionPending = true;
    AskVersion(m_startVersionWorker, m_pStartVersionCancel,
               [this](double dVersion) { OnStartVersion(dVersion); });
}

void CBlotterDlg::OnStartVersion(double dVersion)
{
    m_bStartVersionPending = false;
    if (m_bClosed || dVersion == kProgramVersion || dVersion == 0)
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
        m_pAboutDlg = &dlg;
        AskVersion(m_aboutVersionWorker, m_pAboutVersionCancel, [this](double dVersion) {
            if (m_pAboutDlg == nullptr)
                return;
            m_pAboutDlg->m_strStatus = VersionStatusText(dVersion);
            m_pAboutDlg->SetDlgItemText(BlotterIds::kVersionStatus, m_pAboutDlg->m_strStatus);
        });
    }
    dlg.DoModal();
    m_pAboutDlg = nullptr;
    if (bAskVersion && m_pAboutVersionCancel)
        m_pAboutVersionCancel->Cancel();
}
