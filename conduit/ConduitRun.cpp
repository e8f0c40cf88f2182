// One HotSync as a whole: the portfolio locked from its read to its last write, the
// handheld's changes taken in, the portfolio saved, and only then the handheld rewritten and
// the list of the records written kept for the next HotSync.
#include <vector>

#include "conduit/ConduitDocument.h"
#include "conduit/ConduitLog.h"
#include "conduit/ConduitSync.h"
#include "model/PortfolioTransaction.h"
#include "platform/fs/FileStore.h"
#include "platform/synckit/SyncKit.h"

namespace tf::conduit {

namespace {
// Closes the viewer database; false (logged) when the handheld could not store it.
bool CloseViewer(std::uint8_t handle)
{
    // A handheld stores its database when it is closed; a failure there loses the work.
    if (handle != 0 && SkCloseDatabase(handle) != kSkOk) {
        LogSync("Could not save the database on the Viewer.", kActivityWarning);
        return false;
    }
    return true;
}

std::vector<std::int16_t> Statuses(const CBlotterSpace& doc)
{
    std::vector<std::int16_t> statuses;
    for (const TradeRecord& trade : doc.m_trades)
        statuses.push_back(trade.status);
    return statuses;
}
} // namespace

CConduitSync::CConduitSync(CBlotterSpace& doc, Clock clock)
    : m_doc(doc), m_clock(std::move(clock)), m_lockWait(DefaultLockWait())
{
}

std::time_t CConduitSync::Now() const
{
    return m_clock ? m_clock() : std::time(nullptr);
}

void CConduitSync::Run(const ConduitProperties& properties)
{
    LogSync(kLogStart, kActivityStart);
    std::uint8_t handle = OpenViewerDatabase(properties);
    std::string path = PortfolioPath(properties);
    CPortfolioTransaction transaction(path);
    // No lock for a file that is not there: nothing is read or written then.
    if (tf::fs::FileExists(transaction.Target()) && !transaction.Begin(m_lockWait)) {
        std::string text = "Nothing was synchronized: " + transaction.ErrorText();
        if (transaction.Busy())
            text += " (waited " + SecondsText(m_lockWait) + " seconds)";
        text += "; the portfolio and the Viewer were left as they were.";
        LogSync(text.c_str(), kActivityWarning);
        CloseViewer(handle);
        return;
    }
    m_pTransaction = transaction.Active() ? &transaction : nullptr;
    bool bRead = LoadConduitPortfolio(path);
    bool bWritten = false;
    bool bExported = false;
    if (bRead) {
        ReadKnownRecords(transaction.Target(), properties);
        ImportHandheldRecords(properties, handle);
        const bool bExport = handle == 0 || m_bImportComplete;
        if (bExport)
            PrepareExport();
        else
            LogSync("The Viewer was left as it was; its changes are read again at the next "
                    "HotSync.",
                    kActivityWarning);
        // The portfolio is saved before the handheld is rewritten: rewriting clears the
        // handheld's changed marks, and a save that then failed would lose its changes.
        bWritten = StoreConduitPortfolio(path);
        if (!bWritten) {
            LogSync(("The portfolio file " + path + " could not be saved (" + m_strStoreError +
                     "); the Viewer was left as it was, and its changes are read again at the "
                     "next HotSync.")
                        .c_str(),
                    kActivityWarning);
        } else if (bExport) {
            const std::vector<std::int16_t> saved = Statuses(m_doc);
            ExportPortfolio(properties, handle);
            bExported = handle != 0;
            // A write-back that stopped early leaves later trades changed: say so in the file.
            if (Statuses(m_doc) != saved)
                StoreConduitPortfolio(path);
        }
    }
    const bool bClosed = CloseViewer(handle);
    if (bExported && bClosed)
        WriteKnownRecords(transaction.Target());
    if (bRead)
        LogSync(kLogConduitName, bWritten ? kActivityDone : kActivityNotSaved);
    m_pTransaction = nullptr;
}

void CConduitSync::PrepareExport()
{
    RenumberTradesForTheHandheld();
    // As a complete write-back leaves them: every open trade's record written.
    for (TradeRecord& trade : m_doc.m_trades)
        trade.status = trade.closed == 1 ? kStatusChanged : kStatusInStep;
}

void CConduitSync::ReadKnownRecords(const std::string& target, const ConduitProperties& properties)
{
    m_known = {};
    m_written = {};
    m_written.database = properties.databaseName;
    const std::string statePath = HotSyncStatePath(target);
    std::string error;
    if (!ReadHotSyncState(statePath, m_known, &error)) {
        LogSync(("The record list " + statePath + " could not be read (" + error +
                 "); changed records are matched by symbol, price and quantity this time.")
                    .c_str(),
                kActivityWarning);
        m_known = {};
    } else if (m_known.database != properties.databaseName) {
        // Written for another viewer database: its identifiers mean nothing here.
        m_known = {};
    }
}

void CConduitSync::WriteKnownRecords(const std::string& target)
{
    std::string error;
    const std::string statePath = HotSyncStatePath(target);
    if (!WriteHotSyncState(statePath, m_written, &error))
        LogSync(("The record list " + statePath + " could not be saved (" + error +
                 "); records changed on the Viewer are matched by symbol, price and quantity "
                 "at the next HotSync.")
                    .c_str(),
                kActivityWarning);
}

bool CConduitSync::TakeKnownRecord(std::uint32_t recordId, std::int32_t category,
                                   const TradeRecord& candidate)
{
    const SWrittenRecord* known = m_known.Find(recordId);
    if (!known)
        return false;
    TradeRecord* trade = FindLiveTrade(m_doc, known->tradeId);
    if (trade && trade->buyDate == known->buyDate) {
        if (category != known->category)
            RefileTrade(*trade, candidate);
        else
            trade->privateFlag = candidate.privateFlag;
        return true;
    }
    LogSync(("The Viewer's record of " + TradeSymbol(candidate) + " (trade " +
             std::to_string(known->tradeId) +
             ") was changed there, but its trade was removed on the desktop; it was not "
             "taken in again.")
                .c_str(),
            kActivityWarning);
    return true;
}

} // namespace tf::conduit
