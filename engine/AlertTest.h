// The pager alert test that the refresh cycle runs for every open position: when the
// position's value has moved by the document's threshold or more since the previous close,
// one mail goes to the pager address. Mail failures go to a callback (a message box in the
// window, a line on standard error in tfport), one text per failed step.
#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include "engine/AlertMailer.h"
#include "model/BlotterSpace.h"
#include "model/TradeRecord.h"

// Receives each failure text in the order connect, send, disconnect; the test waits for it
// to return before the next step.
using AlertFailureSink = std::function<void(const std::string& strText)>;

enum class AlertOutcome {
    kOff,            // alerts disabled, or a threshold of 0
    kBelowThreshold, // the move is smaller than the threshold
    kSent,           // connect, send and disconnect all succeeded
    kFailed,         // an alert was due and at least one step failed
};

// A due alert, ready to send: the message and the server it goes through.
struct SAlertMail
{
    CMailMessage message;
    std::string strSmtpServer;
    // The alert line the subject is made of ("XYZ position changed by 75.00 (6.3830%).").
    std::string strLine;
};

// The test without the mail: the alert for one record priced at dPrice with the day's
// change dChange when it is due, else nullopt (and the outcome says why). now dates the body.
std::optional<SAlertMail> PrepareAlert(const TradeRecord& trade, double dPrice, double dChange,
                                       const CBlotterSpace& doc, std::time_t now,
                                       AlertOutcome& outcome);

// Sends a due alert: connect, send, disconnect, each failure to the sink. kSent or kFailed.
AlertOutcome SendAlert(SAlertMail& mail, const AlertMailerFactory& makeMailer,
                       const AlertFailureSink& onFailure);

// Runs the test for one record priced at dPrice with the day's change dChange. now dates
// the body. The factory makes the mailer for doc.m_strSmtpServer; a null factory or a
// null mailer counts as a failed connect.
AlertOutcome RunAlertTest(const TradeRecord& trade, double dPrice, double dChange,
                          const CBlotterSpace& doc, std::time_t now,
                          const AlertMailerFactory& makeMailer, const AlertFailureSink& onFailure);
