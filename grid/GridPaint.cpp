// Drawing one cell: its type paints the content, then the borders, grid lines and focus.
#include <QPainter>

#include "grid/GridCtrl.h"
#include "grid/GridParts.h"

namespace {
// Line widths of the thin, medium and thick border styles.
constexpr int kThinLine = 1;
constexpr int kMediumLine = 2;
constexpr int kThickLine = 3;

int EdgeWidth(short style, short thin, short medium, short thick)
{
    if (style & thick)
        return kThickLine;
    if (style & medium)
        return kMediumLine;
    if (style & thin)
        return kThinLine;
    return 0;
}
} // namespace

QColor CGridCtrl::ResolveTextColor(const CGridCell& cell, bool bHighlight) const
{
    if (bHighlight)
        return cell.IsPropertySet(GridProp::kHTextColor)
                   ? cell.GetHTextColor()
                   : palette().color(QPalette::HighlightedText);
    return cell.IsPropertySet(GridProp::kTextColor) ? cell.GetTextColor()
                                                    : palette().color(QPalette::Text);
}

QColor CGridCtrl::ResolveBackColor(const CGridCell& cell, bool bHighlight) const
{
    if (bHighlight)
        return cell.IsPropertySet(GridProp::kHBackColor) ? cell.GetHBackColor()
                                                         : palette().color(QPalette::Highlight);
    return cell.IsPropertySet(GridProp::kBackColor) ? cell.GetBackColor()
                                                    : palette().color(QPalette::Base);
}

void CGridCtrl::DrawCell(QPainter& painter, int col, long row, const QRect& rect, bool bHeading)
{
    CGridCell cell;
    GetCellWithDefaults(col, row, cell);
    const bool bCurrent = !bHeading && col == m_nCurrentCol && row == m_nCurrentRow;
    const bool bSelected = !bHeading && IsSelected(col, row);
    GetCellType(cell.GetCellType())
        ->OnDraw(painter, *this, col, row, rect, cell, bSelected, bCurrent);
    DrawBorders(painter, rect, cell);
    const short border = cell.GetBorder();
    if (m_bGridLines && !(border & (GridBorder::k3DRecess | GridBorder::k3DRaised))) {
        painter.setPen(m_defaultBorderPen);
        painter.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
        painter.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
    }
    if (bCurrent && m_pCellArea->hasFocus())
        OnDrawFocusRect(painter, rect);
}

void CGridCtrl::DrawBorders(QPainter& painter, const QRect& rect, const CGridCell& cell)
{
    const short style = cell.GetBorder();
    if (style == 0)
        return;
    const QColor color = cell.IsPropertySet(GridProp::kBorderPen) ? cell.GetBorderPen().color()
                                                                  : m_defaultBorderPen.color();
    using namespace GridBorder;
    const int left = EdgeWidth(style, kThinLeft, kMediumLeft, kThickLeft);
    const int top = EdgeWidth(style, kThinTop, kMediumTop, kThickTop);
    const int right = EdgeWidth(style, kThinRight, kMediumRight, kThickRight);
    const int bottom = EdgeWidth(style, kThinBottom, kMediumBottom, kThickBottom);
    if (left)
        painter.fillRect(QRect(rect.left(), rect.top(), left, rect.height()), color);
    if (top)
        painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), top), color);
    if (right)
        painter.fillRect(
            QRect(rect.left() + rect.width() - right, rect.top(), right, rect.height()), color);
    if (bottom)
        painter.fillRect(
            QRect(rect.left(), rect.top() + rect.height() - bottom, rect.width(), bottom), color);

    if (style & (k3DRecess | k3DRaised)) {
        const bool bRecess = (style & k3DRecess) != 0;
        const QPen& upperLeft = bRecess ? m_shadowPen : m_whitePen;
        const QPen& lowerRight = bRecess ? m_whitePen : m_shadowPen;
        for (int ring = 0; ring < m_n3DThickness; ++ring) {
            const QRect r = rect.adjusted(ring, ring, -ring, -ring);
            if (r.width() <= 0 || r.height() <= 0)
                break;
            painter.setPen(upperLeft);
            painter.drawLine(r.left(), r.top(), r.right(), r.top());
            painter.drawLine(r.left(), r.top(), r.left(), r.bottom());
            painter.setPen(lowerRight);
            painter.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
            painter.drawLine(r.right(), r.top(), r.right(), r.bottom());
        }
    }
}
