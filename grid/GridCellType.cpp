#include "grid/GridCellType.h"

#include <QFontMetrics>
#include <QPainter>

#include "grid/GridCell.h"
#include "grid/GridCtrl.h"
#include "platform/framework/Ansi.h"

namespace {
// The "..." of a cut text stands this many pixels clear of the text before it.
constexpr int kEllipsisGap = 3;
// A cell narrower than its text plus this many pixels has its text cut.
constexpr int kEllipsisSlack = 6;
} // namespace

namespace {
const QFont& CellFont(const CGridCtrl& grid, const CGridCell& cell)
{
    return cell.IsPropertySet(GridProp::kFont) ? cell.GetFont() : grid.font();
}

int BitmapWidth(const CGridCell& cell)
{
    if (!cell.IsPropertySet(GridProp::kBitmap) || cell.GetBitmap().isNull())
        return 0;
    // The bitmap sits one pixel in from the left edge.
    return 1 + cell.GetBitmap().width();
}
} // namespace

int CGridCellType::WidthToShow(const CGridCtrl& grid, const CGridCell& cell)
{
    if (!cell.HasText())
        return 0;
    return BitmapWidth(cell) + 2 * grid.GetMargin() +
           grid.MeasureFor(CellFont(grid, cell)).Width(cell.GetText());
}

int CGridCellType::QuickWidthToShow(const CGridCtrl& grid, const CGridCell& cell)
{
    if (!cell.HasText())
        return 0;
    return BitmapWidth(cell) + 2 * grid.GetMargin() +
           grid.MeasureFor(CellFont(grid, cell)).QuickWidth(cell.GetText());
}

QString CGridCellType::OverflowText(const QFontMetrics& metrics, int nWidth)
{
    const int nHash = metrics.horizontalAdvance(QLatin1Char('#'));
    if (nHash <= 0 || nWidth < nHash)
        return {};
    return QString(nWidth / nHash, QLatin1Char('#'));
}

std::string CGridCellType::GetName() const
{
    return "Cell Type";
}

void CGridCellType::OnDraw(QPainter& painter, CGridCtrl& grid, int, long, const QRect& rect,
                           const CGridCell& cell, bool bSelected, bool bCurrent)
{
    DrawNormal(painter, grid, rect, rect, cell, bSelected, bCurrent);
}

bool CGridCellType::OnLClicked(CGridCtrl&, int, long, bool, const QRect&, const QPoint&)
{
    return false;
}

bool CGridCellType::OnDClicked(CGridCtrl&, int, long, const QRect&, const QPoint&)
{
    return false;
}

bool CGridCellType::OnKeyDown(CGridCtrl&, int, long, int*)
{
    return false;
}

void CGridCellType::DrawNormal(QPainter& painter, CGridCtrl& grid, const QRect& rect,
                               const QRect& textRect, const CGridCell& cell, bool bSelected,
                               bool bCurrent)
{
    painter.save();
    painter.setClipRect(rect);
    painter.setFont(CellFont(grid, cell));

    const bool bHighlight = bCurrent || (bSelected && grid.GetHighlightSelected());
    QColor textColor = grid.ResolveTextColor(cell, bHighlight);
    QColor backColor = grid.ResolveBackColor(cell, bHighlight);
    painter.fillRect(rect, backColor);

    QRect area = textRect;
    if (const int nBitmap = BitmapWidth(cell); nBitmap > 0) {
        const QPixmap& bitmap = cell.GetBitmap();
        int y = area.top() + (area.height() - bitmap.height()) / 2;
        painter.drawPixmap(area.left() + 1, y, bitmap);
        area.setLeft(area.left() + nBitmap);
    }

    if (!cell.HasText()) {
        painter.restore();
        return;
    }
    painter.setPen(textColor);
    QString text = AnsiToQString(cell.GetText());
    const QFontMetrics metrics(painter.font());
    const short align = cell.GetAlignment();
    const int margin = grid.GetMargin();

    if (cell.GetCellTypeEx() & GridCellTypeEx::kMultiLine) {
        int flags = Qt::TextWordWrap;
        flags |= (align & GridAlign::kRight)    ? Qt::AlignRight
                 : (align & GridAlign::kCenter) ? Qt::AlignHCenter
                                                : Qt::AlignLeft;
        flags |= (align & GridAlign::kBottom)    ? Qt::AlignBottom
                 : (align & GridAlign::kVCenter) ? Qt::AlignVCenter
                                                 : Qt::AlignTop;
        painter.drawText(area.adjusted(margin, 1, -margin, -1), flags, text);
        painter.restore();
        return;
    }

    int textWidth = metrics.horizontalAdvance(text);
    if ((cell.GetCellTypeEx() & GridCellTypeEx::kOverflowHashes) &&
        textWidth + 2 * margin > area.width()) {
        text = OverflowText(metrics, area.width() - 2 * margin);
        textWidth = metrics.horizontalAdvance(text);
    }
    const int textHeight = metrics.height();
    // Qt's right() and bottom() are the last pixel; the edge arithmetic wants one past it.
    const int right = area.left() + area.width();
    const int bottom = area.top() + area.height();
    int x;
    if (align & GridAlign::kCenter)
        x = area.left() + (area.width() - textWidth) / 2;
    else if (align & GridAlign::kRight)
        x = right - margin - textWidth;
    else
        x = area.left() + margin;
    int y;
    if (align & GridAlign::kVCenter)
        y = area.top() + (area.height() - textHeight) / 2;
    else if (align & GridAlign::kBottom)
        y = bottom - textHeight - 1;
    else
        y = area.top() + 1;

    if ((cell.GetCellTypeEx() & GridCellTypeEx::kEllipsis) &&
        area.width() < textWidth + kEllipsisSlack) {
        const QString dots = QStringLiteral("...");
        const int dotsWidth = metrics.horizontalAdvance(dots);
        const int dotsX = right - dotsWidth;
        const int textLeft = area.left() + margin;
        painter.save();
        painter.setClipRect(QRect(area.left(), area.top(),
                                  std::max(0, dotsX - kEllipsisGap - area.left()), area.height())
                                .intersected(rect));
        painter.drawText(textLeft, y + metrics.ascent(), text);
        painter.restore();
        painter.drawText(dotsX, y + metrics.ascent(), dots);
    } else {
        painter.drawText(x, y + metrics.ascent(), text);
    }
    painter.restore();
}

std::string CNormalCellType::GetName() const
{
    return "Normal Cell Type (default)";
}
