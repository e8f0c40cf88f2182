#include "engine/AlertTest.h"

#include "engine/AlertTexts.h"
#include "notify/MailMessage.h"

AlertOutcome RunAlertTest(const TradeRecord& trade, double dPrice, double dChange,
                          const CBlotterSpace& doc, std::time_t now,
                          const AlertMailerFactory& makeMailer, const AlertFailureSink& onFailure)
{
    if (doc.m_bPagerAlerts != 1 || doc.m_nAlertPercent == 0)
        return AlertOutcome::kOff;

    CAlertFigures figures = ComputeAlertFigures(trade, dPrice, dChange);
    if (!AlertThresholdReached(figures.m_dMovePercent, doc.m_nAlertPercent))
        return AlertOutcome::kBelowThreshold;

    CAlertTexts texts = ComposeAlertTexts(trade, dPrice, dChange, figures, now);
    CMailMessage message;
    message.m_sFrom = doc.m_strMailFrom;
    // A malformed piece keeps the recipients before it; the client reports "No Recipients"
    // when none are left.
    (void)message.AddMultipleRecipients(doc.m_strPagerAddress);
    message.m_sSubject = texts.m_strSubject;
    message.m_sBody = texts.m_strBody;

    return SendThroughMailer(makeMailer, doc.m_strSmtpServer, message, onFailure)
               ? AlertOutcome::kSent
               : AlertOutcome::kFailed;
}
