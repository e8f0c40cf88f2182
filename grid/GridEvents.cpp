// The grid's events with the control's own defaults: what a grid does when a derived grid
// leaves an event alone.
#include <cstdio>
#include <utility>

#include <QMessageBox>
#include <QPainter>

#include "grid/GridCtrl.h"
#include "platform/framework/Ansi.h"

void CGridCtrl::OnTopHeadingClick(int, long, bool, const QRect&, const QPoint&, bool) {}

void CGridCtrl::OnSideHeadingClick(int, long, bool, const QRect&, const QPoint&, bool) {}

void CGridCtrl::OnCornerButtonClick(bool, const QRect&, const QPoint&) {}

void CGridCtrl::OnLClicked(int, long, bool, const QRect&, const QPoint&, bool) {}

void CGridCtrl::OnDClicked(int, long, const QRect&, const QPoint&, bool) {}

void CGridCtrl::OnKeyDown(int*, bool) {}

void CGridCtrl::OnGetCell(int, long, CGridCell&) {}

void CGridCtrl::OnSetCell(int, long, const CGridCell&) {}

int CGridCtrl::OnCellTypeNotify(int, int, long, int, const std::string&)
{
    return 1;
}

bool CGridCtrl::OnCanMove(int, long, int, long)
{
    return true;
}

void CGridCtrl::OnCellChange(int, long, int, long) {}

int CGridCtrl::OnHint(int col, long row, int, std::string& text)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "Col:%d Row:%ld", col, row);
    text = buffer;
    return 1;
}

int CGridCtrl::OnSortCompare(const CGridCell* pFirst, const CGridCell* pSecond, int flags)
{
    if (flags & GridSort::kDescending)
        std::swap(pFirst, pSecond);
    // A missing cell sorts before a present one, a cell without text before one with text.
    if (!pFirst || !pSecond) {
        if (!pFirst && !pSecond)
            return 0;
        return pFirst ? 1 : -1;
    }
    const bool bFirstText = pFirst->HasText();
    const bool bSecondText = pSecond->HasText();
    if (!bFirstText || !bSecondText) {
        if (!bFirstText && !bSecondText)
            return 0;
        return bFirstText ? 1 : -1;
    }
    switch (pFirst->GetDataType()) {
    case GridData::kNumber:
    case GridData::kTime:
    case GridData::kCurrency: {
        const double a = pFirst->GetNumber();
        const double b = pSecond->GetNumber();
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    default: {
        const int result = pFirst->GetText().compare(pSecond->GetText());
        return result < 0 ? -1 : (result > 0 ? 1 : 0);
    }
    }
}

QColor CGridCtrl::OnGetDefaultBackColor(int section)
{
    return section == GridSection::kCellArea ? palette().color(QPalette::Base)
                                             : palette().color(QPalette::Button);
}

void CGridCtrl::OnDrawFocusRect(QPainter& painter, const QRect& rect)
{
    painter.save();
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    // One pixel in from the right and bottom so the grid lines stay visible.
    painter.drawRect(QRect(rect.left(), rect.top(), rect.width() - 2, rect.height() - 2));
    painter.restore();
}

void CGridCtrl::ShowMessage(const std::string& text, const std::string& caption)
{
    QMessageBox::information(this, AnsiToQString(caption), AnsiToQString(text));
}
