#include "grid/GridParts.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "grid/GridCtrl.h"

CGridCellArea::CGridCellArea(CGridCtrl* grid) : QWidget(grid), m_pGrid(grid)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

void CGridCellArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    CGridCtrl& g = *m_pGrid;
    const int width = this->width();
    const int height = this->height();
    if (!g.m_sizingSnapshot.isNull()) {
        painter.fillRect(rect(), g.OnGetDefaultBackColor(GridSection::kCellArea));
        painter.drawPixmap(0, 0, g.m_sizingSnapshot);
        if (g.m_nSizingMarkerX >= 0) {
            painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
            painter.drawLine(g.m_nSizingMarkerX, 0, g.m_nSizingMarkerX, height);
        }
        return;
    }
    int y = 0;
    long row = g.m_nTopRow;
    int right = 0;
    for (; row < g.m_nNumRows && y < height; ++row) {
        const int rowHeight = g.GetRowHeight(row);
        int x = 0;
        for (int col = g.m_nLeftCol; col < g.m_nNumCols && x < width; ++col) {
            const int colWidth = g.m_cols[static_cast<std::size_t>(col)].nWidth;
            if (colWidth > 0)
                g.DrawCell(painter, col, row, QRect(x, y, colWidth, rowHeight), false);
            x += colWidth;
        }
        right = x;
        y += rowHeight;
    }
    if (g.m_nNumRows <= g.m_nTopRow) {
        for (int col = g.m_nLeftCol; col < g.m_nNumCols && right < width; ++col)
            right += g.m_cols[static_cast<std::size_t>(col)].nWidth;
    }
    // Beyond the last column and below the last row there are no cells.
    const QColor back = g.OnGetDefaultBackColor(GridSection::kCellArea);
    if (right < width)
        painter.fillRect(QRect(right, 0, width - right, height), back);
    if (y < height)
        painter.fillRect(QRect(0, y, std::min(right, width), height - y), back);
}

void CGridCellArea::mousePressEvent(QMouseEvent* event)
{
    m_pGrid->CellAreaMouse(event);
}
void CGridCellArea::mouseMoveEvent(QMouseEvent* event)
{
    m_pGrid->CellAreaMouse(event);
}
void CGridCellArea::mouseReleaseEvent(QMouseEvent* event)
{
    m_pGrid->CellAreaMouse(event);
}
void CGridCellArea::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_pGrid->CellAreaDoubleClick(event);
}
void CGridCellArea::keyPressEvent(QKeyEvent* event)
{
    m_pGrid->KeyPressed(event);
}

void CGridCellArea::wheelEvent(QWheelEvent* event)
{
    // Three rows a notch, as the desktop scrolls lists.
    constexpr int kRowsPerNotch = 3;
    const int notches = event->angleDelta().y() / 120;
    if (notches != 0)
        m_pGrid->SetTopRow(m_pGrid->GetTopRowLong() - notches * kRowsPerNotch);
    event->accept();
}

void CGridCellArea::leaveEvent(QEvent*)
{
    m_pGrid->m_hintTimer.stop();
}

CGridTopHeading::CGridTopHeading(CGridCtrl* grid) : QWidget(grid), m_pGrid(grid)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void CGridTopHeading::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    CGridCtrl& g = *m_pGrid;
    const int width = this->width();
    int x = 0;
    for (int col = g.m_nLeftCol; col < g.m_nNumCols && x < width; ++col) {
        const int colWidth = g.m_cols[static_cast<std::size_t>(col)].nWidth;
        int y = 0;
        // The heading row nearest the cells is row -1; rows further up count down from it.
        for (int r = static_cast<int>(g.m_topHeadingHeights.size()); r >= 1; --r) {
            const int h = g.m_topHeadingHeights[static_cast<std::size_t>(r - 1)];
            if (colWidth > 0 && h > 0)
                g.DrawCell(painter, col, -r, QRect(x, y, colWidth, h), true);
            y += h;
        }
        x += colWidth;
    }
    if (x < width)
        painter.fillRect(QRect(x, 0, width - x, height()),
                         g.OnGetDefaultBackColor(GridSection::kTopHeading));
}

void CGridTopHeading::mousePressEvent(QMouseEvent* event)
{
    m_pGrid->TopHeadingMouse(event);
}
void CGridTopHeading::mouseMoveEvent(QMouseEvent* event)
{
    m_pGrid->TopHeadingMouse(event);
}
void CGridTopHeading::mouseReleaseEvent(QMouseEvent* event)
{
    m_pGrid->TopHeadingMouse(event);
}

CGridSideHeading::CGridSideHeading(CGridCtrl* grid) : QWidget(grid), m_pGrid(grid)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CGridSideHeading::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    CGridCtrl& g = *m_pGrid;
    const int height = this->height();
    int y = 0;
    for (long row = g.m_nTopRow; row < g.m_nNumRows && y < height; ++row) {
        const int rowHeight = g.GetRowHeight(row);
        int x = 0;
        // The side heading column nearest the cells is column -1.
        for (int c = static_cast<int>(g.m_sideHeadingWidths.size()); c >= 1; --c) {
            const int w = g.m_sideHeadingWidths[static_cast<std::size_t>(c - 1)];
            if (w > 0 && rowHeight > 0)
                g.DrawCell(painter, -c, row, QRect(x, y, w, rowHeight), true);
            x += w;
        }
        y += rowHeight;
    }
    if (y < height)
        painter.fillRect(QRect(0, y, width(), height - y),
                         g.OnGetDefaultBackColor(GridSection::kSideHeading));
}

void CGridSideHeading::mousePressEvent(QMouseEvent* event)
{
    m_pGrid->SideHeadingMouse(event);
}
void CGridSideHeading::mouseReleaseEvent(QMouseEvent* event)
{
    m_pGrid->SideHeadingMouse(event);
}

CGridCornerButton::CGridCornerButton(CGridCtrl* grid) : QWidget(grid), m_pGrid(grid)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CGridCornerButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    CGridCtrl& g = *m_pGrid;
    painter.fillRect(rect(), g.OnGetDefaultBackColor(GridSection::kCornerButton));
    int x = 0;
    for (int c = static_cast<int>(g.m_sideHeadingWidths.size()); c >= 1; --c) {
        const int w = g.m_sideHeadingWidths[static_cast<std::size_t>(c - 1)];
        int y = 0;
        for (int r = static_cast<int>(g.m_topHeadingHeights.size()); r >= 1; --r) {
            const int h = g.m_topHeadingHeights[static_cast<std::size_t>(r - 1)];
            if (w > 0 && h > 0)
                g.DrawCell(painter, -c, -r, QRect(x, y, w, h), true);
            y += h;
        }
        x += w;
    }
}

void CGridCornerButton::mousePressEvent(QMouseEvent* event)
{
    m_pGrid->CornerMouse(event);
}
void CGridCornerButton::mouseReleaseEvent(QMouseEvent* event)
{
    m_pGrid->CornerMouse(event);
}

CGridHintWindow::CGridHintWindow(QWidget* parent) : QLabel(parent, Qt::ToolTip)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setMargin(2);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 225));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
}
