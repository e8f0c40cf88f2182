// Reading and saving info.kgw from the main window, and taking in what another program (the
// conduit during a HotSync) wrote into the file meanwhile.
#include "app/AppResources.h"
#include "app/BlotterDlg.h"
#include "app/PreferencesDlg.h"
#include "model/PortfolioFile.h"
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

void CBlotterDlg::LoadPortfolio()
{
    m_doc.m_strBaseCountry = "United States";
    m_doc.m_bDeductBrokerage = 0;

    const PortfolioReadResult read = ReadPortfolioFile(m_services.strPortfolioPath, m_doc);
    if (read.status == PortfolioReadStatus::Missing) {
        m_fileStamp = {};
        if (m_doc.m_categories.empty())
            m_doc.AddDefaultCategories();
        FillCategoryBox();
        SelectCategory(kCategoryAll);
        m_doc.m_strCategoryFilter = ComboBox(kCategoryBox).GetWindowText();
        return;
    }
    m_fileStamp = read.stamp;
    if (read.status == PortfolioReadStatus::Damaged)
        ShowDamagedFileMessage(read.errorText, read.damagedCopy);

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
        strText += "No copy of the file could be kept. ";
    strText += "Tallyfern goes on with the trades and settings that could be read.";
    TfMessageBox(strText, MB_OK | MB_ICONEXCLAMATION, {}, this);
}

bool CBlotterDlg::MergeReplacedFile(CBlotterSpace& target)
{
    const tf::fs::FileStamp now = tf::fs::StampFile(m_services.strPortfolioPath);
    if (!now.bExists || now == m_fileStamp)
        return false;
    CBlotterSpace disk;
    const PortfolioReadResult read = ReadPortfolioFile(m_services.strPortfolioPath, disk);
    // A file that cannot be read whole has been copied aside by the reader; this program's
    // lists are then the better ones to save.
    if (read.status != PortfolioReadStatus::Read)
        return false;
    target.m_trades = disk.m_trades;
    target.m_categories = disk.m_categories;
    if (target.m_categories.empty())
        target.AddDefaultCategories();
    return true;
}

void CBlotterDlg::SavePortfolio()
{
    int nWidth = 0;
    m_grid.GetColWidth(-1, nWidth);
    m_doc.m_nColumnWidth[0] = nWidth;
    for (int i = 1; i < kColumnWidthCount; ++i) {
        m_grid.GetColWidth(i - 1, nWidth);
        m_doc.m_nColumnWidth[i] = nWidth;
    }

    if (m_bRefreshing) {
        // A close inside a refresh that waits in a mail error box: the refresh is walking the
        // document's trades, so a replaced file is merged into a copy, and the stamp is left
        // alone so that the refresh's own save merges again.
        CBlotterSpace copy(m_doc);
        const bool bMerged = MergeReplacedFile(copy);
        const PortfolioWriteResult written =
            WritePortfolioFile(m_services.strPortfolioPath, bMerged ? copy : m_doc);
        if (written.bOk && !bMerged)
            m_fileStamp = written.stamp;
        return;
    }

    const bool bMerged = MergeReplacedFile(m_doc);
    const PortfolioWriteResult written = WritePortfolioFile(m_services.strPortfolioPath, m_doc);
    if (written.bOk)
        m_fileStamp = written.stamp;
    if (bMerged && !m_bClosed)
        ShowMergedLists();
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
