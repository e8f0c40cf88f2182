#include "grid/DropListCellType.h"

#include <algorithm>

#include <QListWidget>
#include <QPainter>

#include "grid/GridCell.h"
#include "grid/GridCtrl.h"
#include "platform/framework/Ansi.h"

namespace {
// The drop button is square with the cell's height, but no wider than this.
constexpr int kMaxButtonWidth = 16;
// The open list shows at most this many choices before it scrolls.
constexpr int kMaxVisibleChoices = 10;
} // namespace

CDropListCellType::~CDropListCellType()
{
    CloseList();
}

std::string CDropListCellType::GetName() const
{
    return "Standard DropList";
}

std::vector<std::string> CDropListCellType::SplitChoices(const std::string& label)
{
    std::vector<std::string> choices;
    std::size_t start = 0;
    for (std::size_t pos = label.find('\n'); pos != std::string::npos;
         pos = label.find('\n', start)) {
        std::string line = label.substr(start, pos - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        choices.push_back(line);
        start = pos + 1;
    }
    return choices;
}

QRect CDropListCellType::ButtonRect(const QRect& cellRect)
{
    int width = std::min(cellRect.height(), kMaxButtonWidth);
    return QRect(cellRect.left() + cellRect.width() - width, cellRect.top(), width,
                 cellRect.height());
}

void CDropListCellType::OnDraw(QPainter& painter, CGridCtrl& grid, int, long, const QRect& rect,
                               const CGridCell& cell, bool bSelected, bool bCurrent)
{
    QRect button = ButtonRect(rect);
    QRect textRect = rect;
    textRect.setRight(button.left() - 1);
    DrawNormal(painter, grid, rect, textRect, cell, bSelected, bCurrent);
    painter.save();
    painter.setClipRect(rect);
    painter.fillRect(button, grid.palette().color(QPalette::Button));
    painter.setPen(grid.palette().color(QPalette::Light));
    painter.drawLine(button.topLeft(), button.topRight());
    painter.drawLine(button.topLeft(), button.bottomLeft());
    painter.setPen(grid.palette().color(QPalette::Dark));
    painter.drawLine(button.bottomLeft(), button.bottomRight());
    painter.drawLine(button.topRight(), button.bottomRight());
    // A small down arrow.
    painter.setPen(grid.palette().color(QPalette::ButtonText));
    QPoint c = button.center();
    for (int i = 0; i < 4; ++i)
        painter.drawLine(c.x() - 3 + i, c.y() - 1 + i, c.x() + 3 - i, c.y() - 1 + i);
    painter.restore();
}

void CDropListCellType::OpenList(CGridCtrl& grid, int col, long row)
{
    CloseList();
    CGridCell cell;
    grid.GetCellWithDefaults(col, row, cell);
    m_choices = SplitChoices(cell.GetLabelText());
    m_nCol = col;
    m_nRow = row;
    grid.OnCellTypeNotify(GridCellTypes::kDropList, col, row, GridNotify::kDropListStart,
                          cell.GetLabelText());

    m_pList = new QListWidget(&grid);
    m_pList->setWindowFlags(Qt::Popup);
    for (const std::string& choice : m_choices)
        m_pList->addItem(AnsiToQString(choice));
    QRect cellRect = grid.GetCellRectInGrid(col, row);
    int visible = std::clamp(static_cast<int>(m_choices.size()), 1, kMaxVisibleChoices);
    int height = visible * std::max(1, m_pList->sizeHintForRow(0)) + 4;
    m_pList->setGeometry(QRect(grid.mapToGlobal(cellRect.bottomLeft() + QPoint(0, 1)),
                               QSize(cellRect.width(), height)));
    QObject::connect(m_pList, &QListWidget::itemActivated, m_pList,
                     [this, &grid](QListWidgetItem* item) { Choose(grid, m_pList->row(item)); });
    m_pList->show();
}

void CDropListCellType::Choose(CGridCtrl& grid, int index)
{
    if (index < 0 || index >= static_cast<int>(m_choices.size()))
        return;
    const std::string choice = m_choices[static_cast<std::size_t>(index)];
    const int col = m_nCol;
    const long row = m_nRow;
    CloseList();
    if (grid.OnCellTypeNotify(GridCellTypes::kDropList, col, row, GridNotify::kDropListSelect,
                              choice) == 0)
        return;
    CGridCell cell;
    grid.GetCell(col, row, cell);
    cell.SetText(choice);
    grid.SetCell(col, row, cell);
    grid.RedrawCell(col, row);
}

void CDropListCellType::CloseList()
{
    if (m_pList) {
        m_pList->hide();
        m_pList->deleteLater();
        m_pList = nullptr;
    }
}

bool CDropListCellType::OnLClicked(CGridCtrl& grid, int col, long row, bool bPressed,
                                   const QRect& rect, const QPoint& point)
{
    if (!bPressed || !ButtonRect(rect).contains(point))
        return false;
    CGridCell cell;
    grid.GetCellWithDefaults(col, row, cell);
    if (cell.GetReadOnly())
        return false;
    OpenList(grid, col, row);
    return true;
}

bool CDropListCellType::OnKeyDown(CGridCtrl& grid, int col, long row, int* pKey)
{
    // Alt+Down and F4 open a drop-down list on this desktop as elsewhere.
    if (*pKey != Qt::Key_F4)
        return false;
    CGridCell cell;
    grid.GetCellWithDefaults(col, row, cell);
    if (cell.GetReadOnly())
        return false;
    OpenList(grid, col, row);
    *pKey = 0;
    return true;
}
