// Moving the current cell, the keyboard, the mouse over cells and headings, column sizing,
// hints and the find.
#include <algorithm>
#include <cctype>
#include <cmath>

#include <QApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include "grid/GridCtrl.h"
#include "grid/GridParts.h"
#include "platform/framework/Ansi.h"

namespace {
// Heading presses and sizing react to the left button only.
bool IsLeft(QMouseEvent* event)
{
    return event->button() == Qt::LeftButton;
}

// The pointer's step beyond the cell area while dragging: m to the power x.
long DragStep(int distance, int unit, int exponent)
{
    if (exponent <= 0)
        return 1;
    const long m = 1 + distance / std::max(1, unit);
    // A step never needs to exceed the grid's limits; this keeps pow within a long.
    constexpr double kMaxStep = 1e6;
    return static_cast<long>(std::min(kMaxStep, std::pow(static_cast<double>(m), exponent)));
}

std::string Lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}
} // namespace

bool CGridCtrl::IsSelected(int col, long row) const
{
    if (m_nSelStartCol < 0 || m_nSelStartRow < 0)
        return false;
    return col >= std::min(m_nSelStartCol, m_nSelEndCol) &&
           col <= std::max(m_nSelStartCol, m_nSelEndCol) &&
           row >= std::min(m_nSelStartRow, m_nSelEndRow) &&
           row <= std::max(m_nSelStartRow, m_nSelEndRow);
}

void CGridCtrl::GetSelection(int& startCol, long& startRow, int& endCol, long& endRow) const
{
    startCol = std::min(m_nSelStartCol, m_nSelEndCol);
    endCol = std::max(m_nSelStartCol, m_nSelEndCol);
    startRow = std::min(m_nSelStartRow, m_nSelEndRow);
    endRow = std::max(m_nSelStartRow, m_nSelEndRow);
}

void CGridCtrl::CollapseSelection()
{
    if (m_nSelStartCol != m_nSelEndCol || m_nSelStartRow != m_nSelEndRow)
        RedrawAll();
    m_nSelStartCol = m_nSelEndCol = m_nCurrentCol;
    m_nSelStartRow = m_nSelEndRow = m_nCurrentRow;
}

int CGridCtrl::GotoCell(int col, long row)
{
    int result = MoveCurrentCol(col);
    int rowResult = MoveCurrentRow(row);
    return result != 0 ? result : rowResult;
}

int CGridCtrl::MoveCurrentCol(int col)
{
    if (col < 0)
        col = 0;
    if (col == m_nCurrentCol)
        return GridMove::kDone;
    if (col >= m_nNumCols) {
        if (m_nNumCols == 0 || m_nCurrentCol == m_nNumCols - 1)
            return GridMove::kAtEnd;
        col = m_nNumCols - 1;
    }
    if (!OnCanMove(m_nCurrentCol, m_nCurrentRow, col, m_nCurrentRow))
        return GridMove::kDeclined;
    const bool bExtend = m_bExtendSelection || m_bDragging;
    if (!bExtend)
        CollapseSelection();
    const int oldCol = m_nCurrentCol;
    RedrawCell(oldCol, m_nCurrentRow);
    m_nCurrentCol = col;
    if (bExtend) {
        m_nSelEndCol = col;
        m_nSelEndRow = m_nCurrentRow;
        RedrawAll();
    } else {
        m_nSelStartCol = m_nSelEndCol = col;
    }
    EnsureVisible(col, -1);
    RedrawCell(col, m_nCurrentRow);
    OnCellChange(oldCol, m_nCurrentRow, col, m_nCurrentRow);
    return GridMove::kDone;
}

int CGridCtrl::MoveCurrentRow(long row)
{
    if (row < 0)
        row = 0;
    if (row == m_nCurrentRow)
        return GridMove::kDone;
    if (row >= m_nNumRows) {
        // The owner may add the rows that are asked for (a grid that fills as it scrolls).
        OnHitBottom(m_nNumRows, row - m_nNumRows + 1);
        if (row >= m_nNumRows) {
            if (m_nNumRows == 0 || m_nCurrentRow == m_nNumRows - 1)
                return GridMove::kAtEnd;
            row = m_nNumRows - 1;
        }
    }
    if (!OnCanMove(m_nCurrentCol, m_nCurrentRow, m_nCurrentCol, row))
        return GridMove::kDeclined;
    const bool bExtend = m_bExtendSelection || m_bDragging;
    if (!bExtend)
        CollapseSelection();
    const long oldRow = m_nCurrentRow;
    RedrawCell(m_nCurrentCol, oldRow);
    m_nCurrentRow = row;
    if (bExtend) {
        m_nSelEndCol = m_nCurrentCol;
        m_nSelEndRow = row;
        RedrawAll();
    } else {
        m_nSelStartRow = m_nSelEndRow = row;
    }
    EnsureVisible(-1, row);
    RedrawCell(m_nCurrentCol, row);
    m_pSideHeading->update();
    OnCellChange(m_nCurrentCol, oldRow, m_nCurrentCol, row);
    return GridMove::kDone;
}

void CGridCtrl::KeyPressed(QKeyEvent* event)
{
    int key = event->key();
    if (event->isAutoRepeat() && key == m_nLastKey)
        ++m_nKeyRepeats;
    else
        m_nKeyRepeats = 0;
    m_nLastKey = key;

    bool bProcessed = false;
    if (m_nCurrentCol >= 0 && m_nCurrentRow >= 0) {
        CGridCell cell;
        GetCellWithDefaults(m_nCurrentCol, m_nCurrentRow, cell);
        bProcessed =
            GetCellType(cell.GetCellType())->OnKeyDown(*this, m_nCurrentCol, m_nCurrentRow, &key);
    }
    OnKeyDown(&key, bProcessed);
    if (key == 0)
        return;

    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool bCtrl = (mods & Qt::ControlModifier) != 0;
    if (bCtrl && key == Qt::Key_F) {
        bool bOk = false;
        QString text =
            QInputDialog::getText(this, QStringLiteral("Find"), QStringLiteral("Find what:"),
                                  QLineEdit::Normal, QString(), &bOk);
        if (bOk && !text.isEmpty())
            FindNext(QStringToAnsi(text), false);
        return;
    }

    long step = 1;
    if (m_nKeyAccel >= 1) {
        const long k = m_nKeyRepeats / m_nKeyAccel;
        step = k * k * k + 1;
        // Early repeats are held back so a short press moves one cell at a time.
        if (m_nKeyDelay > 0 && m_nKeyRepeats >= 1 && k == 0 && m_keyTimer.elapsed() < m_nKeyDelay)
            return;
    }
    m_bExtendSelection = (mods & (Qt::ShiftModifier | Qt::ControlModifier)) != 0;
    bool bMoved = true;
    switch (key) {
    case Qt::Key_Left:
        MoveCurrentCol(static_cast<int>(std::max<long>(m_nCurrentCol - step, -1)));
        break;
    case Qt::Key_Right:
        MoveCurrentCol(static_cast<int>(std::min<long>(m_nCurrentCol + step, kMaxCols)));
        break;
    case Qt::Key_Up:
        MoveCurrentRow(m_nCurrentRow - step);
        break;
    case Qt::Key_Down:
        MoveCurrentRow(m_nCurrentRow + step);
        break;
    case Qt::Key_PageUp:
        MoveCurrentRow(m_nCurrentRow - RowsPerPage(m_nCurrentRow, false));
        break;
    case Qt::Key_PageDown:
        MoveCurrentRow(m_nCurrentRow + RowsPerPage(m_nCurrentRow, true));
        break;
    case Qt::Key_Home:
        if (bCtrl)
            MoveCurrentRow(0);
        else
            MoveCurrentCol(0);
        break;
    case Qt::Key_End:
        if (bCtrl)
            MoveCurrentRow(m_nNumRows - 1);
        else
            MoveCurrentCol(m_nNumCols - 1);
        break;
    default:
        bMoved = false;
        break;
    }
    m_bExtendSelection = false;
    if (bMoved)
        m_keyTimer.restart();
    event->setAccepted(bMoved || bProcessed);
}

void CGridCtrl::CellAreaMouse(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    int left = 0;
    int top = 0;
    const int col = ColFromX(pos.x(), &left);
    const long row = RowFromY(pos.y(), &top);
    const bool bInside = m_pCellArea->rect().contains(pos);

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        m_pHint->hide();
        m_hintTimer.stop();
        if (!IsLeft(event))
            return;
        if (col < 0 || row < 0)
            return;
        m_bExtendSelection = (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) != 0;
        GotoCell(col, row);
        if (!m_bExtendSelection)
            CollapseSelection();
        m_bExtendSelection = false;
        m_bDragging = true;
        const QRect rect(left, top, ColWidthOrZero(col), GetRowHeight(row));
        CGridCell cell;
        GetCellWithDefaults(col, row, cell);
        const bool bProcessed =
            GetCellType(cell.GetCellType())->OnLClicked(*this, col, row, true, rect, pos);
        OnLClicked(col, row, true, rect, pos, bProcessed);
        return;
    }
    case QEvent::MouseMove:
        if (m_bDragging && (event->buttons() & Qt::LeftButton)) {
            if (bInside) {
                m_dragTimer.stop();
                if (col >= 0)
                    MoveCurrentCol(col);
                if (row >= 0)
                    MoveCurrentRow(row);
            } else {
                m_dragPos = pos;
                if (!m_dragTimer.isActive())
                    m_dragTimer.start(0);
            }
        } else if (m_bHints) {
            m_pHint->hide();
            m_hintPos = pos;
            m_hintTimer.start(m_nHintDelay);
        }
        return;
    case QEvent::MouseButtonRelease: {
        if (!IsLeft(event) || !m_bDragging)
            return;
        m_bDragging = false;
        m_dragTimer.stop();
        // A release outside the cells belongs to the cell the drag ended on.
        const int releaseCol = (bInside && col >= 0) ? col : m_nCurrentCol;
        const long releaseRow = (bInside && row >= 0) ? row : m_nCurrentRow;
        if (releaseCol < 0 || releaseRow < 0)
            return;
        const QRect rect(ColLeft(releaseCol), static_cast<int>(RowTop(releaseRow)),
                         ColWidthOrZero(releaseCol), GetRowHeight(releaseRow));
        CGridCell cell;
        GetCellWithDefaults(releaseCol, releaseRow, cell);
        const bool bProcessed = GetCellType(cell.GetCellType())
                                    ->OnLClicked(*this, releaseCol, releaseRow, false, rect, pos);
        OnLClicked(releaseCol, releaseRow, false, rect, pos, bProcessed);
        return;
    }
    default:
        return;
    }
}

void CGridCtrl::CellAreaDoubleClick(QMouseEvent* event)
{
    if (!IsLeft(event))
        return;
    const QPoint pos = event->position().toPoint();
    int left = 0;
    int top = 0;
    const int col = ColFromX(pos.x(), &left);
    const long row = RowFromY(pos.y(), &top);
    if (col < 0 || row < 0)
        return;
    const QRect rect(left, top, ColWidthOrZero(col), GetRowHeight(row));
    CGridCell cell;
    GetCellWithDefaults(col, row, cell);
    const bool bProcessed = GetCellType(cell.GetCellType())->OnDClicked(*this, col, row, rect, pos);
    OnDClicked(col, row, rect, pos, bProcessed);
}

void CGridCtrl::DragScrollStep()
{
    if (!m_bDragging)
        return;
    const int width = GetCellAreaWidth();
    const int height = GetCellAreaHeight();
    long colStep = 0;
    long rowStep = 0;
    if (m_dragPos.x() < 0)
        colStep = -DragStep(-m_dragPos.x(), m_nDefColWidth, m_nDragExponent);
    else if (m_dragPos.x() >= width)
        colStep = DragStep(m_dragPos.x() - width, m_nDefColWidth, m_nDragExponent);
    if (m_dragPos.y() < 0)
        rowStep = -DragStep(-m_dragPos.y(), m_nDefRowHeight, m_nDragExponent);
    else if (m_dragPos.y() >= height)
        rowStep = DragStep(m_dragPos.y() - height, m_nDefRowHeight, m_nDragExponent);
    if (colStep == 0 && rowStep == 0)
        return;
    if (colStep != 0)
        MoveCurrentCol(static_cast<int>(
            std::clamp<long>(m_nCurrentCol + colStep, -1, static_cast<long>(kMaxCols))));
    if (rowStep != 0)
        MoveCurrentRow(m_nCurrentRow + rowStep);
    const bool bSingle = std::labs(colStep) <= 1 && std::labs(rowStep) <= 1;
    m_dragTimer.start(bSingle ? m_nDragDelay : 0);
}

void CGridCtrl::ShowHint(const QPoint& cellAreaPos)
{
    const int col = ColFromX(cellAreaPos.x());
    const long row = RowFromY(cellAreaPos.y());
    if (col < 0 || row < 0)
        return;
    std::string text;
    if (OnHint(col, row, GridSection::kCellArea, text) == 0 || text.empty())
        return;
    m_pHint->setText(AnsiToQString(text));
    m_pHint->adjustSize();
    // Just below and right of the pointer, where the pointer does not cover it.
    m_pHint->move(m_pCellArea->mapToGlobal(cellAreaPos + QPoint(12, 16)));
    m_pHint->show();
}

int CGridCtrl::FindNext(const std::string& text, bool bMatchCase)
{
    const std::string wanted = bMatchCase ? text : Lowered(text);
    const long total = static_cast<long>(m_nNumCols) * m_nNumRows;
    if (!wanted.empty() && total > 0) {
        const long start = std::max(0L, m_nCurrentRow) * m_nNumCols + std::max(0, m_nCurrentCol);
        for (long i = 1; i <= total; ++i) {
            const long index = (start + i) % total;
            const int col = static_cast<int>(index % m_nNumCols);
            const long row = index / m_nNumCols;
            CGridCell cell;
            GetCellWithDefaults(col, row, cell);
            const std::string cellText = bMatchCase ? cell.GetText() : Lowered(cell.GetText());
            if (cell.HasText() && cellText.find(wanted) != std::string::npos) {
                GotoCell(col, row);
                return 0;
            }
        }
    }
    ShowMessage("Item not found", "Not Found");
    return 1;
}
