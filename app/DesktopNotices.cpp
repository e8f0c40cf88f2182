// Desktop notifications from the tray icon: each pager alert that was mailed, and each mail
// failure, so that a person at the computer sees them without a pager.
#include "app/BlotterDlg.h"
#include "platform/framework/MessageBox.h"

namespace {
// The title over a mail failure's text.
const char* const kMailFailureTitle = "Pager alert not mailed";
} // namespace

void CBlotterDlg::ShowAlertOnDesktop(const SAlertMail& mail, AlertOutcome outcome)
{
    if (outcome != AlertOutcome::kSent || m_bClosed)
        return;
    m_trayIcon.ShowBalloon(mail.message.m_sSubject, mail.strLine);
}

void CBlotterDlg::ShowMailFailure(const std::string& strText)
{
    // One box at a time, in the order the texts came: a text that arrives while a box is up
    // waits for it, rather than opening a second box inside the first one's loop.
    m_mailFailures.push_back(strText);
    if (m_bShowingMailFailure)
        return;
    m_bShowingMailFailure = true;
    while (!m_mailFailures.empty() && !m_bClosed) {
        const std::string strNext = m_mailFailures.front();
        m_mailFailures.pop_front();
        // The notification first: it stays in sight while the box waits for the user.
        m_trayIcon.ShowBalloon(kMailFailureTitle, strNext);
        TfMessageBox(strNext, MB_OK | MB_ICONEXCLAMATION, {}, this);
    }
    m_mailFailures.clear();
    m_bShowingMailFailure = false;
}
