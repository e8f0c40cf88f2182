// Reading and saving info.kgw from the main window. The window keeps the version it last
// read or wrote (the base). A save takes the writers' lock only for its own length; when
// another program replaced the file since, it merges three ways (base, this window's
// document, the file) and saves the result. A failed save keeps everything in the window,
// says so in the status line (and once per kind of failure in a box), and is tried again at
// the next save.
#include <iostream>

#include "app/AppResources.h"
#include "app/BlotterDlg.h"
#include "app/PreferencesDlg.h"
#include "model/PortfolioFile.h"
#include "model/PortfolioMerge.h"
#include "platform/framework/MessageBox.h"

using namespace BlotterIds;

void CBlotterDlg::ApplyColumnWidths()
{
    // The side heading first, then data columns 0 to 4; column 5 takes what is left.
    m_grid.SetColWidth(-1, m_doc.m_nColumnWidth[0]);
    for (int i = 1; i < kColumnWidthCount; ++i)
        m_grid.SetColWidth(i - 1, m_doc.m_nColumnWidth[i]);
    // The stored widths leave column 5 as wide as the last fit; fitting again keeps the
    // columns inside the grid also when no rows are rebuilt (a first start).
    m_grid.FitColumns(0, kBlotterColumns - 1);
}

void CBlotterDlg::CaptureColumnWidths()
{
    int nWidth = 0;
    m_grid.GetColWidth(-1, nWidth);
    m_doc.m_nColumnWidth[0] = nWidth;
    for (int i = 1; i < kColumnWidthCount; ++i) {
        m_grid.GetColWidth(i - 1, nWidth);
        m_doc.m_nColumnWidth[i] = nWidth;
    }
}

void CBlotterDlg::LoadPortfolio()
{
    m_doc.m_strBaseCountry = "United States";
    m_doc.m_bDeductBrokerage = 0;

    const PortfolioReadResult read = ReadPortfolioFile(m_services.strPortfolioPath, m_doc);
    m_damagedStamp = {};
    if (read.status == PortfolioReadStatus::Missing) {
        m_fileStamp = {};
        if (m_doc.m_categories.empty())
            m_doc.AddDefaultCategories();
        FillCategoryBox();
        SelectCategory(kCategoryAll);
        m_doc.m_strCategoryFilter = ComboBox(kCategoryBox).GetWindowText();
        m_base = m_doc;
        return;
    }
    m_fileStamp = read.stamp;
    m_base = m_doc;
    if (read.status == PortfolioReadStatus::Damaged) {
        if (read.damagedCopy.empty())
            m_damagedStamp = read.stamp;
        ShowDamagedFileMessage(read.errorText, read.damagedCopy);
    }

    ApplyColumnWidths();
    RebuildRows();
    if (m_doc.m_categories.empty())
        m_doc.AddDefaultCategories();
    FillCategoryBox();
    SelectCategory(m_doc.m_strCategoryFilter);
    ApplyRefreshTimer(*this, m_doc.m_bAutoRefresh, m_doc.m_nRefreshMinutes, m_bTimerRunning);
    Refresh(true);
}

void CBlotterDlg::ShowDamagedFileMessage(const std::string& strError, const std::string& strCopy)
{
    std::string strText =
        "The portfolio file " + m_services.strPortfolioPath + " could not be read whole";
    if (!strError.empty())
        strText += " (" + strError + ")";
    strText += ".\n\n";
    if (!strCopy.empty())
        strText += "A copy of the file as it was has been kept as " + strCopy + ". ";
    else
        strText += "No copy of the file could be kept, so Tallyfern saves nothing over it "
                   "until one can be. ";
    strText += "Tallyfern goes on with the trades and settings that could be read.";
    TfMessageBox(strText, MB_OK | MB_ICONEXCLAMATION, {}, this);
}

bool CBlotterDlg::MergeFile(const CPortfolioTransaction* pTransaction, CBlotterSpace& target,
                            bool& bMerged, std::string& strError)
{
    bMerged = false;
    const bool bMoveBase = &target == &m_doc;
    const std::string& strPath = m_services.strPortfolioPath;
    const tf::fs::FileStamp now =
        tf::fs::StampFile(pTransaction ? pTransaction->Target() : strPath);
    if (!now.bExists || (now == m_fileStamp && now != m_damagedStamp))
        return true;
    CBlotterSpace disk;
    const PortfolioReadResult read =
        pTransaction ? pTransaction->Read(disk) : ReadPortfolioFile(strPath, disk);
    switch (read.status) {
    case PortfolioReadStatus::Missing:
        return true;
    case PortfolioReadStatus::Damaged:
        if (read.damagedCopy.empty()) {
            if (bMoveBase)
                m_damagedStamp = read.stamp;
            strError = read.errorText;
            return false;
        }
        // Kept aside: what this window holds is the better portfolio to save over it.
        if (bMoveBase) {
            m_damagedStamp = {};
            m_fileStamp = read.stamp;
        }
        ShowSaveNote("The portfolio file was damaged; its bytes are kept in " + read.damagedCopy +
                     ", and the portfolio of this window is saved.");
        return true;
    case PortfolioReadStatus::Read:
        break;
    }
    const CBlotterSpace before = target;
    PortfolioMergeResult merge = MergePortfolios(m_base, target, disk);
    target = std::move(merge.doc);
    if (target.m_categories.empty())
        target.AddDefaultCategories();
    if (bMoveBase) {
        m_base = disk;
        m_fileStamp = read.stamp;
        m_damagedStamp = {};
        ApplyMergedSettings(before);
    }
    if (!merge.conflicts.empty())
        ShowSaveNote(ConflictStatus(merge.conflicts));
    bMerged = true;
    return true;
}

bool CBlotterDlg::MergeReplacedFile(CBlotterSpace& target)
{
    bool bMerged = false;
    std::string strIgnored; // a damaged file is the save's to report
    MergeFile(nullptr, target, bMerged, strIgnored);
    return bMerged;
}

void CBlotterDlg::ApplyMergedSettings(const CBlotterSpace& before)
{
    if (m_bClosed)
        return;
    if (before.m_bAutoRefresh != m_doc.m_bAutoRefresh ||
        before.m_nRefreshMinutes != m_doc.m_nRefreshMinutes)
        ApplyRefreshTimer(*this, m_doc.m_bAutoRefresh, m_doc.m_nRefreshMinutes, m_bTimerRunning);
    if (!std::equal(std::begin(before.m_nColumnWidth), std::end(before.m_nColumnWidth),
                    m_doc.m_nColumnWidth))
        ApplyColumnWidths();
}

bool CBlotterDlg::SavePortfolio()
{
    CaptureColumnWidths();
    CPortfolioTransaction transaction(m_services.strPortfolioPath);
    if (!transaction.Begin(m_services.lockWait)) {
        ReportSaveFailure(transaction.Busy() ? ESaveFailure::Busy : ESaveFailure::Write,
                          transaction.ErrorText());
        return false;
    }
    // A save while a refresh's quotes are on their way (an accepted edit, the end of the
    // session): the document the refresh will price stays as it was asked for, the file is
    // merged into a copy, and the base is left alone so that the refresh's own save merges
    // again.
    CBlotterSpace copy;
    if (m_bRefreshing)
        copy = m_doc;
    CBlotterSpace& doc = m_bRefreshing ? copy : m_doc;
    bool bMerged = false;
    std::string strError;
    // Every report below comes after the lock is let go: a box runs a nested loop, and a
    // refresh run by a tick inside it saves too.
    if (!MergeFile(&transaction, doc, bMerged, strError)) {
        transaction.End();
        ReportSaveFailure(ESaveFailure::Damaged, strError);
        return false;
    }
    const PortfolioWriteResult written = transaction.Write(doc);
    transaction.End();
    if (!written.bOk) {
        ReportSaveFailure(ESaveFailure::Write, written.errorText);
        return false;
    }
    if (!m_bRefreshing || !bMerged) {
        m_base = doc;
        m_fileStamp = written.stamp;
    }
    ReportSaved();
    if (bMerged && !m_bRefreshing && !m_bClosed)
        ShowMergedLists();
    return true;
}

void CBlotterDlg::ReportSaveFailure(ESaveFailure kind, const std::string& strDetail)
{
    if (m_bClosed) {
        // The window is gone; the session may be ending, so no box waits for an answer.
        std::cerr << "tallyfern: " << SaveFailureStatus(kind, strDetail) << "\n";
        return;
    }
    ShowStatus(SaveFailureStatus(kind, strDetail));
    m_bSaveStatusShown = true;
    // Marked before the box opens: a refresh run by a tick inside the box's loop saves too,
    // and must not open a second box.
    if (!m_shownFailures.insert(kind).second)
        return;
    TfMessageBox(SaveFailureMessage(kind, m_services.strPortfolioPath, strDetail),
                 MB_OK | MB_ICONEXCLAMATION, {}, this);
}

void CBlotterDlg::ShowSaveNote(const std::string& strText)
{
    if (m_bClosed)
        return;
    // A note replaces a failure's status, which the next good save would clear: the note
    // stays until something else has to be said.
    ShowStatus(strText);
    m_bSaveStatusShown = false;
}

void CBlotterDlg::ReportSaved()
{
    m_shownFailures.clear();
    if (m_bSaveStatusShown && !m_bClosed)
        ShowStatus("");
    m_bSaveStatusShown = false;
}

void CBlotterDlg::ShowMergedLists()
{
    // The rows show the old list; show the merged one from the stored prices, without
    // mailing alerts a second time.
    FillCategoryBox();
    SelectCategory(m_doc.m_strCategoryFilter);
    RebuildRows();
    ShowRows(RunRefresh(m_doc, false, nullptr, nullptr, m_services.clock()));
}
