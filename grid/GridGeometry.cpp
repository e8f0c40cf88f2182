// Where rows and columns lie in the cell area, and the scroll position that follows.
#include <algorithm>

#include <QScrollBar>

#include "grid/GridCtrl.h"
#include "grid/GridParts.h"

int CGridCtrl::ColLeft(int col) const
{
    int x = 0;
    if (col >= m_nLeftCol) {
        for (int c = m_nLeftCol; c < col && c < m_nNumCols; ++c)
            x += m_cols[static_cast<std::size_t>(c)].nWidth;
    } else {
        for (int c = col; c < m_nLeftCol; ++c)
            x -= ColWidthOrZero(c);
    }
    return x;
}

long CGridCtrl::RowTop(long row) const
{
    if (m_bUniformRowHeight)
        return (row - m_nTopRow) * m_nDefRowHeight;
    long y = 0;
    if (row >= m_nTopRow) {
        for (long r = m_nTopRow; r < row; ++r)
            y += GetRowHeight(r);
    } else {
        for (long r = row; r < m_nTopRow; ++r)
            y -= GetRowHeight(r);
    }
    return y;
}

int CGridCtrl::ColFromX(int x, int* pLeft) const
{
    if (x < 0)
        return -1;
    int left = 0;
    for (int col = m_nLeftCol; col < m_nNumCols; ++col) {
        const int width = m_cols[static_cast<std::size_t>(col)].nWidth;
        if (x < left + width) {
            if (pLeft)
                *pLeft = left;
            return col;
        }
        left += width;
    }
    return -1;
}

long CGridCtrl::RowFromY(int y, int* pTop) const
{
    if (y < 0)
        return -1;
    if (m_bUniformRowHeight) {
        const long row = m_nTopRow + y / m_nDefRowHeight;
        if (row >= m_nNumRows)
            return -1;
        if (pTop)
            *pTop = static_cast<int>((row - m_nTopRow) * m_nDefRowHeight);
        return row;
    }
    int top = 0;
    for (long row = m_nTopRow; row < m_nNumRows; ++row) {
        const int height = GetRowHeight(row);
        if (y < top + height) {
            if (pTop)
                *pTop = top;
            return row;
        }
        top += height;
    }
    return -1;
}

long CGridCtrl::MaxTopRow() const
{
    const int height = GetCellAreaHeight();
    if (m_bUniformRowHeight) {
        const long fit = std::max(1, height / std::max(1, m_nDefRowHeight));
        return std::max(0L, m_nNumRows - fit);
    }
    long row = m_nNumRows - 1;
    int used = 0;
    while (row >= 0 && used + GetRowHeight(row) <= height) {
        used += GetRowHeight(row);
        --row;
    }
    return std::clamp(row + 1, 0L, std::max(0L, m_nNumRows - 1));
}

int CGridCtrl::MaxLeftCol() const
{
    const int width = GetCellAreaWidth();
    int col = m_nNumCols - 1;
    int used = 0;
    while (col >= 0 && used + m_cols[static_cast<std::size_t>(col)].nWidth <= width) {
        used += m_cols[static_cast<std::size_t>(col)].nWidth;
        --col;
    }
    return std::clamp(col + 1, 0, std::max(0, m_nNumCols - 1));
}

void CGridCtrl::UpdateScrollBars()
{
    if (!m_pVScroll)
        return;
    m_bUpdatingScrollBars = true;
    const long maxTop = MaxTopRow();
    m_pVScroll->setRange(0, static_cast<int>(std::min<long>(maxTop, INT32_MAX)));
    m_pVScroll->setPageStep(std::max(1, GetCellAreaHeight() / std::max(1, m_nDefRowHeight)));
    m_pVScroll->setSingleStep(1);
    m_pVScroll->setValue(static_cast<int>(m_nTopRow));
    m_pVScroll->setEnabled(maxTop > 0);
    const int maxLeft = MaxLeftCol();
    m_pHScroll->setRange(0, maxLeft);
    m_pHScroll->setPageStep(std::max(1, maxLeft / 2));
    m_pHScroll->setSingleStep(1);
    m_pHScroll->setValue(m_nLeftCol);
    m_pHScroll->setEnabled(maxLeft > 0);
    m_bUpdatingScrollBars = false;
}

int CGridCtrl::SetTopRow(long row)
{
    row = std::clamp(row, 0L, MaxTopRow());
    if (row != m_nTopRow) {
        m_nTopRow = row;
        UpdateScrollBars();
        RedrawAll();
    }
    return 0;
}

int CGridCtrl::SetLeftCol(int col)
{
    col = std::clamp(col, 0, MaxLeftCol());
    if (col != m_nLeftCol) {
        m_nLeftCol = col;
        UpdateScrollBars();
        RedrawAll();
    }
    return 0;
}

void CGridCtrl::EnsureVisible(int col, long row)
{
    if (row >= 0 && row < m_nNumRows) {
        if (row < m_nTopRow) {
            SetTopRow(row);
        } else {
            // The highest top row that still shows the whole row, walking up from it.
            const int height = GetCellAreaHeight();
            long top = row;
            int used = GetRowHeight(row);
            while (top > m_nTopRow && used + GetRowHeight(top - 1) <= height) {
                --top;
                used += GetRowHeight(top);
            }
            SetTopRow(top);
        }
    }
    if (col >= 0 && col < m_nNumCols) {
        if (col < m_nLeftCol) {
            SetLeftCol(col);
        } else {
            const int width = GetCellAreaWidth();
            int left = col;
            int used = ColWidthOrZero(col);
            while (left > m_nLeftCol && used + ColWidthOrZero(left - 1) <= width) {
                --left;
                used += ColWidthOrZero(left);
            }
            SetLeftCol(left);
        }
    }
}

long CGridCtrl::RowsPerPage(long fromRow, bool bDown) const
{
    const int height = GetCellAreaHeight();
    long count = 0;
    int used = 0;
    long row = fromRow;
    while (true) {
        // Rows beyond the grid count with the default height.
        const int h = (row >= 0 && row < m_nNumRows) ? GetRowHeight(row) : m_nDefRowHeight;
        if (used + h > height || h <= 0)
            break;
        used += h;
        ++count;
        row += bDown ? 1 : -1;
        if (!bDown && row < 0)
            break;
    }
    return std::max(1L, count);
}
