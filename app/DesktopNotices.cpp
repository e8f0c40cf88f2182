// Desktop notifications from the tray icon: each pager alert that was mailed, and each mail
// failure, so that a person at the computer sees them without a pager.
#include "app/BlotterDlg.h"
#include "engine/AlertTexts.h"
#include "platform/framework/MessageBox.h"

namespace {
// The title over a mail failure's text.
const char* const kMailFailureTitle = "Pager alert not mailed";
} // namespace

void CBlotterDlg::ShowAlertOnDesktop(AlertOutcome outcome, const TradeRecord& trade, double dPrice,
                                     double dChange, std::time_t now)
{
    if (outcome != AlertOutcome::kSent)
        return;
    const CAlertTexts texts =
        ComposeAlertTexts(trade, dPrice, dChange, ComputeAlertFigures(trade, dPrice, dChange), now);
    m_trayIcon.ShowBalloon(texts.m_strSubject, texts.m_strLine);
}

void CBlotterDlg::ShowMailFailure(const std::string& strText)
{
    // The notification first: it stays in sight while the box waits for the user.
    m_trayIcon.ShowBalloon(kMailFailureTitle, strText);
    TfMessageBox(strText, MB_OK | MB_ICONEXCLAMATION, {}, this);
}
