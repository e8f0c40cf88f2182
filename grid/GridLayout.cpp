// The layout model: row and column counts, heights and widths, the column table, fitting.
#include <algorithm>

#include "grid/GridCtrl.h"

namespace {
// Pixels a drawn text may take beyond the sum of its characters' advances (kerning).
constexpr int kKerningSlack = 2;

// After the row or column count changed: the current cell and the selection's ends stay
// within the new count, and the current cell exists whenever any cell does.
template <class T> void ClampToCount(T count, T& current, T& selStart, T& selEnd)
{
    if (current >= count)
        current = count - 1;
    if (current < 0 && count > 0)
        current = 0;
    if (selStart >= count)
        selStart = count - 1;
    if (selEnd >= count)
        selEnd = count - 1;
}
} // namespace

int CGridCtrl::SetRowCount(long rows, bool bRedraw)
{
    if (rows < 0)
        return 1;
    if (rows > kMaxRowsWithHeights && !m_bUniformRowHeight)
        SetUniformRowHeight(true);
    if (!m_bUniformRowHeight)
        m_rowHeights.resize(static_cast<std::size_t>(rows), m_nDefRowHeight);
    const long oldRows = m_nNumRows;
    m_nNumRows = rows;
    if (rows < oldRows) {
        // Rows past the end are gone: left in the store they would come back into view
        // (and into a sort) when the grid grows again.
        for (const ColInfo& info : m_cols) {
            if (info.pStore && info.pStore != m_pStore.get())
                info.pStore->DeleteRowsFrom(rows);
        }
        m_pStore->DeleteRowsFrom(rows);
        for (auto it = m_overlays.begin(); it != m_overlays.end();)
            it = it->first.second >= rows ? m_overlays.erase(it) : std::next(it);
    }
    ClampToCount(rows, m_nCurrentRow, m_nSelStartRow, m_nSelEndRow);
    if (m_nTopRow > MaxTopRow())
        m_nTopRow = MaxTopRow();
    FinishCountChange(bRedraw);
    return 0;
}

void CGridCtrl::FinishCountChange(bool bRedraw)
{
    if (m_nSelStartRow < 0 || m_nSelStartCol < 0)
        CollapseSelection();
    UpdateScrollBars();
    if (bRedraw)
        RedrawAll();
}

int CGridCtrl::SetColCount(int cols, bool bRedraw)
{
    if (cols < 0 || cols > kMaxCols)
        return 1;
    const int oldCols = m_nNumCols;
    m_cols.resize(static_cast<std::size_t>(cols));
    for (int col = oldCols; col < cols; ++col) {
        ColInfo& info = m_cols[static_cast<std::size_t>(col)];
        info.nWidth = m_nDefColWidth;
        info.pStore = m_pStore.get();
        info.defaultCell.CopyInfoFrom(m_gridDefault);
        info.nDataCol = col;
    }
    m_nNumCols = cols;
    ClampToCount(cols, m_nCurrentCol, m_nSelStartCol, m_nSelEndCol);
    if (m_nLeftCol > MaxLeftCol())
        m_nLeftCol = MaxLeftCol();
    FinishCountChange(bRedraw);
    return 0;
}

int CGridCtrl::SetUniformRowHeight(bool bOn)
{
    m_bUniformRowHeight = bOn;
    m_rowHeights.clear();
    if (!bOn)
        m_rowHeights.assign(static_cast<std::size_t>(m_nNumRows), m_nDefRowHeight);
    UpdateScrollBars();
    return 0;
}

int CGridCtrl::SetDefRowHeight(int height)
{
    if (height < 1)
        return 1;
    m_nDefRowHeight = height;
    UpdateScrollBars();
    return 0;
}

int CGridCtrl::SetRowHeight(long row, int height)
{
    if (m_bUniformRowHeight || row < 0 || row >= m_nNumRows || height < 0)
        return 1;
    m_rowHeights[static_cast<std::size_t>(row)] = height;
    UpdateScrollBars();
    return 0;
}

int CGridCtrl::GetRowHeight(long row) const
{
    if (!m_bUniformRowHeight && row >= 0 && row < static_cast<long>(m_rowHeights.size()))
        return m_rowHeights[static_cast<std::size_t>(row)];
    return m_nDefRowHeight;
}

int CGridCtrl::SetDefColWidth(int width)
{
    if (width < 0)
        return 1;
    m_nDefColWidth = width;
    return 0;
}

int CGridCtrl::SetColWidth(int col, int width)
{
    if (col >= 0 && col < m_nNumCols) {
        if (width < 0)
            return 1;
        m_cols[static_cast<std::size_t>(col)].nWidth = width;
        UpdateScrollBars();
        return 0;
    }
    const int numSide = static_cast<int>(m_sideHeadingWidths.size());
    if (col < 0 && col >= -numSide) {
        if (width < 0 || width > kMaxSideHeadingWidth)
            return 1;
        m_sideHeadingWidths[static_cast<std::size_t>(-col - 1)] = width;
        AdjustComponentSizes();
        return 0;
    }
    return 1;
}

int CGridCtrl::GetColWidth(int col, int& width) const
{
    if (col >= 0 && col < m_nNumCols) {
        width = m_cols[static_cast<std::size_t>(col)].nWidth;
        return 0;
    }
    // The side heading columns answer too, so a window can save the heading width it set.
    const int numSide = static_cast<int>(m_sideHeadingWidths.size());
    if (col < 0 && col >= -numSide) {
        width = m_sideHeadingWidths[static_cast<std::size_t>(-col - 1)];
        return 0;
    }
    return 1;
}

int CGridCtrl::ColWidthOrZero(int col) const
{
    int width = 0;
    GetColWidth(col, width);
    return width;
}

int CGridCtrl::SetTopHeadingHeight(int height)
{
    if (height < 0)
        return 1;
    m_topHeadingHeights[0] = height;
    AdjustComponentSizes();
    return 0;
}

int CGridCtrl::GetTopHeadingHeight() const
{
    int total = 0;
    for (int h : m_topHeadingHeights)
        total += h;
    return total;
}

int CGridCtrl::GetSideHeadingWidth() const
{
    int total = 0;
    for (int w : m_sideHeadingWidths)
        total += w;
    return total;
}

int CGridCtrl::FitColumns(int first, int last)
{
    if (first < 0 || last < first || last >= m_nNumCols)
        return 1;
    const int areaWidth = GetCellAreaWidth();
    // With no room yet (a window not laid out), fitting would zero every width and lose the
    // proportions for good; keep them for the next fit.
    if (areaWidth <= 0)
        return 0;
    long long sum = 0;
    for (int col = first; col <= last; ++col)
        sum += m_cols[static_cast<std::size_t>(col)].nWidth;
    // All columns hidden: share the width evenly instead of dividing by zero.
    const bool bEven = sum <= 0;
    if (bEven)
        sum = last - first + 1;
    const float scale = static_cast<float>(areaWidth) / static_cast<float>(sum);
    int given = 0;
    for (int col = first; col < last; ++col) {
        ColInfo& info = m_cols[static_cast<std::size_t>(col)];
        const int base = bEven ? 1 : info.nWidth;
        info.nWidth = static_cast<int>(static_cast<float>(base) * scale);
        given += info.nWidth;
    }
    m_cols[static_cast<std::size_t>(last)].nWidth = areaWidth - given;
    AdjustComponentSizes();
    RedrawAll();
    return 0;
}

CGridTextMeasure& CGridCtrl::MeasureFor(const QFont& font) const
{
    if (!m_measure || m_measure->Font() != font)
        m_measure.emplace(font);
    return *m_measure;
}

void CGridCtrl::WidenToShow(int col, long row)
{
    CGridCell cell;
    GetCellWithDefaults(col, row, cell);
    if (cell.GetCellType() != GridCellTypes::kNormal ||
        (cell.GetCellTypeEx() & GridCellTypeEx::kMultiLine))
        return;
    const int width = ColWidthOrZero(col);
    // Most texts are no wider than what the column already shows; adding up advances (with
    // room for kerning and rounding) settles those without shaping the text.
    if (CGridCellType::QuickWidthToShow(*this, cell) + kKerningSlack <= width)
        return;
    int needed = CGridCellType::WidthToShow(*this, cell);
    // A column wider than the cell area could never be scrolled into view whole; such a text
    // is left to the cell's own overflow look.
    const int areaWidth = GetCellAreaWidth();
    if (areaWidth > 0)
        needed = std::min(needed, areaWidth);
    if (col < 0)
        needed = std::min(needed, kMaxSideHeadingWidth);
    if (needed > width)
        SetColWidth(col, needed);
}

int CGridCtrl::SetColStore(int col, CGridMemStore* pStore)
{
    if (col < 0 || col >= m_nNumCols || !pStore)
        return 1;
    m_cols[static_cast<std::size_t>(col)].pStore = pStore;
    return 0;
}

int CGridCtrl::SetColDataNumber(int col, int dataCol)
{
    if (col < 0 || col >= m_nNumCols)
        return 1;
    m_cols[static_cast<std::size_t>(col)].nDataCol = dataCol;
    return 0;
}

int CGridCtrl::GetColDataNumber(int col) const
{
    if (col >= 0 && col < m_nNumCols)
        return m_cols[static_cast<std::size_t>(col)].nDataCol;
    return col;
}

int CGridCtrl::SetColDefault(int col, const CGridCell& cell)
{
    if (col < 0 || col >= m_nNumCols)
        return 1;
    m_cols[static_cast<std::size_t>(col)].defaultCell.CopyInfoFrom(cell);
    return 0;
}
