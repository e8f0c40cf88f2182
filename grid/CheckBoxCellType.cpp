#include "grid/CheckBoxCellType.h"

#include <algorithm>
#include <cctype>

#include <QPainter>

#include "grid/GridCell.h"
#include "grid/GridCtrl.h"
#include "platform/framework/Ansi.h"

namespace {
// The box is the cell height less this, but never larger than kMaxBoxSide.
constexpr int kBoxShrink = 6;
constexpr int kMaxBoxSide = 12;
// Distance of the box from the cell's left edge.
constexpr int kBoxLeft = 3;

// The leading whole number of a text, as the C library's text-to-integer reads it (so the
// "1.000000" that storing the number 1 prints reads as 1).
bool ReadWholeNumber(const std::string& text, long long& value)
{
    std::size_t pos = 0;
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
        ++pos;
    bool bNegative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        bNegative = text[pos++] == '-';
    std::size_t digits = 0;
    long long result = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        // Only zero versus non-zero matters, so saturating is enough.
        result = std::min<long long>(result * 10 + (text[pos] - '0'), 1000000000LL);
        ++pos;
        ++digits;
    }
    if (digits == 0)
        return false;
    value = bNegative ? -result : result;
    return true;
}
} // namespace

std::string CCheckBoxCellType::GetName() const
{
    return "Standard CheckBox Type";
}

bool CCheckBoxCellType::IsChecked(const CGridCell& cell)
{
    if (!cell.HasText())
        return false;
    const std::string& text = cell.GetText();
    if (text[0] == 'T' || text[0] == 't')
        return true;
    long long value = 0;
    return ReadWholeNumber(text, value) && value != 0;
}

QRect CCheckBoxCellType::BoxRect(const QRect& cellRect)
{
    int side = std::min(cellRect.height() - kBoxShrink, kMaxBoxSide);
    side = std::max(side, 0);
    int top = cellRect.top() + (cellRect.height() - side) / 2;
    return QRect(cellRect.left() + kBoxLeft, top, side, side);
}

void CCheckBoxCellType::OnDraw(QPainter& painter, CGridCtrl& grid, int, long, const QRect& rect,
                               const CGridCell& cell, bool bSelected, bool bCurrent)
{
    QRect box = BoxRect(rect);
    // The label text is what stands beside the box; the cell text only holds the state.
    CGridCell shown = cell;
    shown.SetText(cell.GetLabelText());
    QRect textRect = rect;
    textRect.setLeft(box.right() + 1 + kBoxLeft);
    DrawNormal(painter, grid, rect, textRect, shown, bSelected, bCurrent);

    painter.save();
    painter.setClipRect(rect);
    painter.fillRect(box, Qt::white);
    painter.setPen(QPen(QColor(64, 64, 64), 1));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    if (IsChecked(cell) && box.width() > 4) {
        painter.setPen(QPen(Qt::black, 2));
        QRect in = box.adjusted(3, 3, -3, -3);
        painter.drawLine(in.left(), in.center().y(), in.center().x(), in.bottom());
        painter.drawLine(in.center().x(), in.bottom(), in.right(), in.top());
    }
    painter.restore();
}

void CCheckBoxCellType::Store(CGridCtrl& grid, int col, long row, CGridCell& cell, double value)
{
    cell.SetNumber(value);
    grid.SetCell(col, row, cell);
    grid.RedrawCell(col, row);
    grid.OnCellTypeNotify(GridCellTypes::kCheckBox, col, row, GridNotify::kCheckBoxSet, "");
}

bool CCheckBoxCellType::OnLClicked(CGridCtrl& grid, int col, long row, bool bPressed,
                                   const QRect& rect, const QPoint& point)
{
    if (bPressed || !BoxRect(rect).contains(point))
        return false;
    CGridCell shown;
    grid.GetCellWithDefaults(col, row, shown);
    if (shown.GetReadOnly())
        return false;
    CGridCell stored;
    grid.GetCell(col, row, stored);
    Store(grid, col, row, stored, shown.GetNumber() == 0 ? 1 : 0);
    return true;
}

bool CCheckBoxCellType::OnKeyDown(CGridCtrl& grid, int col, long row, int* pKey)
{
    if (*pKey != Qt::Key_Space)
        return false;
    CGridCell shown;
    grid.GetCellWithDefaults(col, row, shown);
    if (shown.GetReadOnly())
        return false;
    CGridCell stored;
    grid.GetCell(col, row, stored);
    Store(grid, col, row, stored, IsChecked(shown) ? 0 : 1);
    *pKey = 0;
    return true;
}
