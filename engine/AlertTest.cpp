#include "engine/AlertTest.h"

#include <memory>

#include "engine/AlertTexts.h"
#include "notify/MailMessage.h"

namespace {

// Shown when no mailer could be made at all; the same words a refused connect gives.
constexpr const char* kNoMailerText = "Unable to connect to server";
// A send after a connect that never happened fails this way in the real client too.
constexpr const char* kNotConnectedText = "Must be connected";

void Report(const AlertFailureSink& onFailure, const std::string& text)
{
    if (onFailure)
        onFailure(text);
}

} // namespace

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
    outcome = AlertOutcome::kSent;
    return mail;
}

AlertOutcome SendAlert(SAlertMail& mail, const AlertMailerFactory& makeMailer,
                       const AlertFailureSink& onFailure)
{
    std::unique_ptr<CAlertMailer> mailer = makeMailer ? makeMailer(mail.strSmtpServer) : nullptr;
    if (!mailer) {
        Report(onFailure, kNoMailerText);
        Report(onFailure, kNotConnectedText);
        return AlertOutcome::kFailed;
    }

    bool ok = true;
    if (!mailer->Connect()) {
        ok = false;
        Report(onFailure, mailer->GetLastErrorText());
    }
    if (!mailer->SendMail(mail.message)) {
        ok = false;
        Report(onFailure, mailer->GetLastErrorText());
    }
    if (!mailer->Disconnect()) {
        ok = false;
        Report(onFailure, mailer->GetLastErrorText());
    }
    return ok ? AlertOutcome::kSent : AlertOutcome::kFailed;
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
