#include "engine/AlertTest.h"

#include "engine/AlertTexts.h"
#include "notify/MailMessage.h"

std::optional<SAlertMail> PrepareAlert(const TradeRecord& trade, double dPrice, double dChange,
                                       const CBlotterSpace& doc, std::time_t now,
                                       AlertOutcome& outcome)
{
    if (doc.m_bPagerAlerts != 1 || doc.m_nAlertPercent == 0) {
        outcome = AlertOutcome::kOff;
        return std::nullopt;
    }
    CAlertFigures figures = ComputeAlertFigures(trade, dPrice, dChange);
    if (!AlertThresholdReached(figures.m_dMovePercent, doc.m_nAlertPercent)) {
        outcome = AlertOutcome::kBelowThreshold;
        return std::nullopt;
    }

    CAlertTexts texts = ComposeAlertTexts(trade, dPrice, dChange, figures, now);
    SAlertMail mail;
    mail.message.m_sFrom = doc.m_strMailFrom;
    // A malformed piece keeps the recipients before it; the client reports "No Recipients"
    // when none are left.
    (void)mail.message.AddMultipleRecipients(doc.m_strPagerAddress);
    mail.message.m_sSubject = texts.m_strSubject;
    mail.message.m_sBody = texts.m_strBody;
    mail.strSmtpServer = doc.m_strSmtpServer;
    mail.strLine = texts.m_strLine;
    outcome = AlertOutcome::kSent;
    return mail;
}

AlertOutcome SendAlert(SAlertMail& mail, const AlertMailerFactory& makeMailer,
                       const AlertFailureSink& onFailure)
{
    return SendThroughMailer(makeMailer, mail.strSmtpServer, mail.message, onFailure)
               ? AlertOutcome::kSent
               : AlertOutcome::kFailed;
}

AlertOutcome RunAlertTest(const TradeRecord& trade, double dPrice, double dChange,
                          const CBlotterSpace& doc, std::time_t now,
                          const AlertMailerFactory& makeMailer, const AlertFailureSink& onFailure)
{
    AlertOutcome outcome = AlertOutcome::kOff;
    std::optional<SAlertMail> mail = PrepareAlert(trade, dPrice, dChange, doc, now, outcome);
    if (!mail)
        return outcome;
    return SendAlert(*mail, makeMailer, onFailure);
}
