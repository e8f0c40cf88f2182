// The mouse over the headings and the corner: heading clicks, and sizing columns and the
// heading row by dragging their borders.
#include <algorithm>
#include <cstdlib>

#include <QMouseEvent>

#include "grid/GridCtrl.h"
#include "grid/GridParts.h"

namespace {
// Heading presses and sizing react to the left button only.
bool IsLeft(QMouseEvent* event)
{
    return event->button() == Qt::LeftButton;
}
} // namespace

int CGridCtrl::SizingColAt(int x) const
{
    int right = 0;
    for (int col = m_nLeftCol; col < m_nNumCols; ++col) {
        right += m_cols[static_cast<std::size_t>(col)].nWidth;
        if (std::abs(x - right) <= kSizingSlack) {
            // A hidden column right of this border is what the user wants to pull open.
            while (col + 1 < m_nNumCols && m_cols[static_cast<std::size_t>(col + 1)].nWidth == 0)
                ++col;
            return col;
        }
        if (right > x + kSizingSlack)
            break;
    }
    return kNoColumn;
}

int CGridCtrl::SizingTopRowAt(int y) const
{
    return std::abs(y - GetTopHeadingHeight()) <= kSizingSlack ? -1 : 0;
}

void CGridCtrl::TopHeadingMouse(QMouseEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
        TopHeadingMove(event);
        return;
    case QEvent::MouseButtonPress:
        if (IsLeft(event))
            TopHeadingPress(event);
        return;
    case QEvent::MouseButtonRelease:
        if (IsLeft(event))
            TopHeadingRelease(event);
        return;
    default:
        return;
    }
}

// While sizing: the new width follows the pointer. Otherwise: the cursor tells whether a
// border under the pointer can be dragged.
void CGridCtrl::TopHeadingMove(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_bSizing) {
        const int delta = m_bSizingRow ? pos.y() - m_nSizingStartX : pos.x() - m_nSizingStartX;
        int size = std::max(0, m_nSizingStartWidth + delta);
        if (m_bSizingRow) {
            m_topHeadingHeights[0] = size;
            AdjustComponentSizes();
            RedrawAll();
            return;
        }
        OnColSizing(m_nSizingCol, &size);
        m_cols[static_cast<std::size_t>(m_nSizingCol)].nWidth = std::max(0, size);
        m_pTopHeading->update();
        if (m_sizingMode == EUserSizing::kMarkerLine) {
            m_nSizingMarkerX = ColLeft(m_nSizingCol) + std::max(0, size) - 1;
            m_pCellArea->update();
        } else {
            UpdateScrollBars();
            RedrawAll();
        }
        return;
    }
    if (event->buttons() != Qt::NoButton || m_sizingMode == EUserSizing::kOff)
        return;
    const int col = SizingColAt(pos.x());
    if (col >= 0 && OnCanSizeCol(col))
        m_pTopHeading->setCursor(Qt::SplitHCursor);
    else if (SizingTopRowAt(pos.y()) != 0 && OnCanSizeTopHdg())
        m_pTopHeading->setCursor(Qt::SplitVCursor);
    else
        m_pTopHeading->unsetCursor();
}

// A press on a border starts sizing it; anywhere else it presses the heading under it.
void CGridCtrl::TopHeadingPress(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_sizingMode != EUserSizing::kOff) {
        const int col = SizingColAt(pos.x());
        if (col >= 0 && OnCanSizeCol(col)) {
            m_bSizing = true;
            m_bSizingRow = false;
            m_nSizingCol = col;
            m_nSizingStartX = pos.x();
            m_nSizingStartWidth = m_cols[static_cast<std::size_t>(col)].nWidth;
            // With the marker line the cells stay as they were while dragging: a picture of
            // them stands in, with the line over it.
            if (m_sizingMode == EUserSizing::kMarkerLine)
                m_sizingSnapshot = m_pCellArea->grab();
            return;
        }
        if (SizingTopRowAt(pos.y()) != 0 && OnCanSizeTopHdg()) {
            m_bSizing = true;
            m_bSizingRow = true;
            m_nSizingStartX = pos.y();
            m_nSizingStartWidth = m_topHeadingHeights[0];
            return;
        }
    }
    int left = 0;
    const int col = ColFromX(pos.x(), &left);
    if (col < 0)
        return;
    m_nPressedTopCol = col;
    m_nPressedTopRow = -1;
    const QRect rect(left, 0, ColWidthOrZero(col), GetTopHeadingHeight());
    CGridCell cell;
    GetCellWithDefaults(col, -1, cell);
    const bool bProcessed =
        GetCellType(cell.GetCellType())->OnLClicked(*this, col, -1, true, rect, pos);
    OnTopHeadingClick(col, -1, true, rect, pos, bProcessed);
}

// Ends a sizing with the column-sized event, or lets go of the pressed heading.
void CGridCtrl::TopHeadingRelease(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_bSizing) {
        m_bSizing = false;
        if (!m_bSizingRow) {
            int width = m_cols[static_cast<std::size_t>(m_nSizingCol)].nWidth;
            const int before = width;
            OnColSized(m_nSizingCol, &width);
            if (width != before)
                m_cols[static_cast<std::size_t>(m_nSizingCol)].nWidth = std::max(0, width);
        }
        m_nSizingMarkerX = -1;
        m_nSizingCol = kNoColumn;
        m_sizingSnapshot = QPixmap();
        UpdateScrollBars();
        RedrawAll();
        return;
    }
    // The release belongs to the heading that was pressed, so it is always let go.
    const int col = m_nPressedTopCol;
    m_nPressedTopCol = kNoColumn;
    if (col < 0 || col >= m_nNumCols)
        return;
    const QRect rect(ColLeft(col), 0, ColWidthOrZero(col), GetTopHeadingHeight());
    CGridCell cell;
    GetCellWithDefaults(col, -1, cell);
    const bool bProcessed =
        GetCellType(cell.GetCellType())->OnLClicked(*this, col, -1, false, rect, pos);
    OnTopHeadingClick(col, m_nPressedTopRow, false, rect, pos, bProcessed);
}

void CGridCtrl::SideHeadingMouse(QMouseEvent* event)
{
    if (!IsLeft(event))
        return;
    const QPoint pos = event->position().toPoint();
    int top = 0;
    const long row = RowFromY(pos.y(), &top);
    if (row < 0)
        return;
    const bool bPressed = event->type() == QEvent::MouseButtonPress;
    if (bPressed && m_nCurrentCol >= 0)
        MoveCurrentRow(row);
    const QRect rect(0, top, GetSideHeadingWidth(), GetRowHeight(row));
    OnSideHeadingClick(-1, row, bPressed, rect, pos, false);
}

void CGridCtrl::CornerMouse(QMouseEvent* event)
{
    if (!IsLeft(event))
        return;
    OnCornerButtonClick(event->type() == QEvent::MouseButtonPress, m_pCorner->rect(),
                        event->position().toPoint());
}
