// Cells: reading with and without the defaults, storing, overlays and the row sort.
#include "grid/GridCtrl.h"

int CGridCtrl::GetCell(int col, long row, CGridCell& cell)
{
    cell.ClearAll();
    if (col >= m_nNumCols)
        return 1;
    if (col < 0 || row < 0) {
        m_pStore->GetCell(col, row, cell);
        return 0;
    }
    const ColInfo& info = m_cols[static_cast<std::size_t>(col)];
    info.pStore->GetCell(info.nDataCol, row, cell);
    return 0;
}

int CGridCtrl::GetCellWithDefaults(int col, long row, CGridCell& cell)
{
    cell.ClearAll();
    const bool bHeading = col < 0 || row < 0 || col >= m_nNumCols;
    if (bHeading)
        cell.CopyInfoFrom(m_headingDefault);
    else
        cell.CopyInfoFrom(m_cols[static_cast<std::size_t>(col)].defaultCell);
    if (row >= m_nNumRows)
        return 0;
    int dataCol = col;
    if (bHeading) {
        m_pStore->GetCell(col, row, cell);
    } else {
        const ColInfo& info = m_cols[static_cast<std::size_t>(col)];
        dataCol = info.nDataCol;
        info.pStore->GetCell(dataCol, row, cell);
    }
    OnGetCell(dataCol, row, cell);
    if (!m_overlays.empty()) {
        auto it = m_overlays.find({col, row});
        if (it != m_overlays.end())
            cell.AddInfoFrom(it->second);
    }
    return 0;
}

int CGridCtrl::SetCell(int col, long row, const CGridCell& cell)
{
    const int numSide = static_cast<int>(m_sideHeadingWidths.size());
    const int numTop = static_cast<int>(m_topHeadingHeights.size());
    if (col >= m_nNumCols || col < -numSide || row < -numTop)
        return 1;
    OnSetCell(col, row, cell);
    if (col < 0 || row < 0) {
        m_pStore->SetCell(col, row, cell);
    } else {
        const ColInfo& info = m_cols[static_cast<std::size_t>(col)];
        info.pStore->SetCell(info.nDataCol, row, cell);
    }
    if (m_bWidenToFit && row >= 0)
        WidenToShow(col, row);
    return 0;
}

int CGridCtrl::QuickSetText(int col, long row, const std::string& text)
{
    CGridCell cell;
    if (GetCell(col, row, cell) != 0)
        return 1;
    cell.SetText(text);
    return SetCell(col, row, cell);
}

std::string CGridCtrl::QuickGetText(int col, long row)
{
    CGridCell cell;
    if (GetCell(col, row, cell) != 0)
        return {};
    return cell.GetText();
}

void CGridCtrl::SetCellOverlay(int col, long row, const CGridCell& cell)
{
    m_overlays[{col, row}] = cell;
}

int CGridCtrl::SortBy(int col, int flags)
{
    return SortBy(std::vector<int>{col}, flags);
}

int CGridCtrl::SortBy(const std::vector<int>& cols, int flags)
{
    std::vector<int> dataCols;
    for (int col : cols) {
        if (col >= m_nNumCols)
            return 1;
        dataCols.push_back(GetColDataNumber(col));
    }
    m_pStore->SortBy(
        dataCols, flags,
        [this](const CGridCell* a, const CGridCell* b, int f) { return OnSortCompare(a, b, f); },
        m_nNumRows);
    return 0;
}

void CGridCtrl::RestoreWrittenOrder()
{
    m_pStore->RestoreCreationOrder(m_nNumRows);
}
