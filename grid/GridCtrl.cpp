#include "grid/GridCtrl.h"

#include <algorithm>
#include <cstdio>

#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTabBar>

#include "grid/CheckBoxCellType.h"
#include "grid/DropListCellType.h"
#include "grid/GridParts.h"
#include "grid/GridText.h"

namespace {
// Rows are this many pixels taller than the grid font's line.
constexpr int kRowPadding = 6;
// The smallest default row height, so small fonts still give clickable rows.
constexpr int kMinRowHeight = 20;
// The side heading is this wide until the owner sets it.
constexpr int kDefaultSideHeadingWidth = 40;
// The width of the grid's border line.
constexpr int kBorderWidth = 1;
} // namespace

CGridCtrl::CGridCtrl(QWidget* parent) : QFrame(parent), m_pStore(std::make_unique<CGridMemStore>())
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(kBorderWidth);
    setFocusPolicy(Qt::StrongFocus);

    const QFontMetrics metrics(font());
    m_nDefRowHeight = std::max(kMinRowHeight, metrics.height() + kRowPadding);
    m_sideHeadingWidths = {kDefaultSideHeadingWidth};
    m_topHeadingHeights = {m_nDefRowHeight};

    m_whitePen = QPen(Qt::white, 1);
    m_shadowPen = QPen(palette().color(QPalette::Dark), 1);
    m_defaultBorderPen = QPen(QColor(192, 192, 192), 1);

    m_headingDefault.SetAlignment(GridAlign::kCenter | GridAlign::kVCenter);
    m_headingDefault.SetBorder(GridBorder::k3DRaised);
    m_headingDefault.SetBackColor(palette().color(QPalette::Button));
    m_headingDefault.SetTextColor(palette().color(QPalette::ButtonText));

    m_cellTypes.push_back(std::make_unique<CNormalCellType>());
    m_cellTypes.push_back(std::make_unique<CCheckBoxCellType>());
    m_cellTypes.push_back(std::make_unique<CDropListCellType>());

    m_pCellArea = new CGridCellArea(this);
    m_pTopHeading = new CGridTopHeading(this);
    m_pSideHeading = new CGridSideHeading(this);
    m_pCorner = new CGridCornerButton(this);
    m_pVScroll = new QScrollBar(Qt::Vertical, this);
    m_pHScroll = new QScrollBar(Qt::Horizontal, this);
    m_pTabBar = new QTabBar(this);
    m_pTabBar->addTab(QStringLiteral("Sheet 1"));
    m_pTabBar->setVisible(false);
    m_pHint = new CGridHintWindow(this);
    m_pHint->hide();
    setFocusProxy(m_pCellArea);

    connect(m_pVScroll, &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_bUpdatingScrollBars)
            SetTopRow(value);
    });
    connect(m_pHScroll, &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_bUpdatingScrollBars)
            SetLeftCol(value);
    });
    m_dragTimer.setSingleShot(true);
    connect(&m_dragTimer, &QTimer::timeout, this, [this] { DragScrollStep(); });
    m_hintTimer.setSingleShot(true);
    connect(&m_hintTimer, &QTimer::timeout, this, [this] { ShowHint(m_hintPos); });
    m_keyTimer.start();
    AdjustComponentSizes();
}

CGridCtrl::~CGridCtrl() = default;

int CGridCtrl::AttachGrid(QWidget* parent, int controlId)
{
    if (!parent)
        return 1;
    QWidget* control = nullptr;
    const auto children = parent->findChildren<QWidget*>();
    for (QWidget* child : children) {
        QVariant id = child->property("controlId");
        if (id.isValid() && id.toInt() == controlId && child != this) {
            control = child;
            break;
        }
    }
    if (!control) {
        for (QWidget* child : children) {
            if (child != this && child->objectName() == QString::number(controlId)) {
                control = child;
                break;
            }
        }
    }
    if (!control)
        return 1;
    QWidget* holder = control->parentWidget();
    const QRect place = control->geometry();
    setParent(holder);
    setGeometry(place);
    setProperty("controlId", controlId);
    setObjectName(QString::number(controlId));
    // The grid takes the control's place in the tab order before the placeholder goes.
    QWidget::setTabOrder(control, this);
    control->hide();
    control->setProperty("controlId", QVariant());
    control->deleteLater();
    show();
    AdjustComponentSizes();
    OnSetup();
    return 0;
}

int CGridCtrl::CreateGrid(QWidget* parent, const QRect& rect)
{
    if (parent)
        setParent(parent);
    setGeometry(rect);
    AdjustComponentSizes();
    OnSetup();
    return 0;
}

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
    if (m_nCurrentRow >= rows)
        m_nCurrentRow = rows - 1;
    if (m_nCurrentRow < 0 && rows > 0)
        m_nCurrentRow = 0;
    if (m_nSelStartRow >= rows)
        m_nSelStartRow = rows - 1;
    if (m_nSelEndRow >= rows)
        m_nSelEndRow = rows - 1;
    if (m_nTopRow > MaxTopRow())
        m_nTopRow = MaxTopRow();
    if (m_nSelStartRow < 0 || m_nSelStartCol < 0)
        CollapseSelection();
    UpdateScrollBars();
    if (bRedraw)
        RedrawAll();
    return 0;
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
    if (m_nCurrentCol >= cols)
        m_nCurrentCol = cols - 1;
    if (m_nCurrentCol < 0 && cols > 0)
        m_nCurrentCol = 0;
    if (m_nSelStartCol >= cols)
        m_nSelStartCol = cols - 1;
    if (m_nSelEndCol >= cols)
        m_nSelEndCol = cols - 1;
    if (m_nLeftCol > MaxLeftCol())
        m_nLeftCol = MaxLeftCol();
    if (m_nSelStartRow < 0 || m_nSelStartCol < 0)
        CollapseSelection();
    UpdateScrollBars();
    if (bRedraw)
        RedrawAll();
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

int CGridCtrl::GetCell(int col, long row, CGridCell& cell)
{
    cell.ClearAll();
    if (col >= m_nNumCols)
        return 1;
    if (col < 0 || row < 0) {
        m_pStore->GetCell(col, row, cell);
        return 0;
    }
    const ColInfo& info = m_cols[static_cast<std::size_t>(col)];
    info.pStore->GetCell(info.nDataCol, row, cell);
    return 0;
}

int CGridCtrl::GetCellWithDefaults(int col, long row, CGridCell& cell)
{
    cell.ClearAll();
    const bool bHeading = col < 0 || row < 0 || col >= m_nNumCols;
    if (bHeading)
        cell.CopyInfoFrom(m_headingDefault);
    else
        cell.CopyInfoFrom(m_cols[static_cast<std::size_t>(col)].defaultCell);
    if (row >= m_nNumRows)
        return 0;
    int dataCol = col;
    if (bHeading) {
        m_pStore->GetCell(col, row, cell);
    } else {
        const ColInfo& info = m_cols[static_cast<std::size_t>(col)];
        dataCol = info.nDataCol;
        info.pStore->GetCell(dataCol, row, cell);
    }
    OnGetCell(dataCol, row, cell);
    if (!m_overlays.empty()) {
        auto it = m_overlays.find({col, row});
        if (it != m_overlays.end())
            cell.AddInfoFrom(it->second);
    }
    return 0;
}

int CGridCtrl::SetCell(int col, long row, const CGridCell& cell)
{
    const int numSide = static_cast<int>(m_sideHeadingWidths.size());
    const int numTop = static_cast<int>(m_topHeadingHeights.size());
    if (col >= m_nNumCols || col < -numSide || row < -numTop)
        return 1;
    OnSetCell(col, row, cell);
    if (col < 0 || row < 0) {
        m_pStore->SetCell(col, row, cell);
    } else {
        const ColInfo& info = m_cols[static_cast<std::size_t>(col)];
        info.pStore->SetCell(info.nDataCol, row, cell);
    }
    return 0;
}

int CGridCtrl::QuickSetText(int col, long row, const std::string& text)
{
    CGridCell cell;
    if (GetCell(col, row, cell) != 0)
        return 1;
    cell.SetText(text);
    return SetCell(col, row, cell);
}

std::string CGridCtrl::QuickGetText(int col, long row)
{
    CGridCell cell;
    if (GetCell(col, row, cell) != 0)
        return {};
    return cell.GetText();
}

void CGridCtrl::SetCellOverlay(int col, long row, const CGridCell& cell)
{
    m_overlays[{col, row}] = cell;
}

int CGridCtrl::SortBy(int col, int flags)
{
    return SortBy(std::vector<int>{col}, flags);
}

int CGridCtrl::SortBy(const std::vector<int>& cols, int flags)
{
    std::vector<int> dataCols;
    for (int col : cols) {
        if (col >= m_nNumCols)
            return 1;
        dataCols.push_back(GetColDataNumber(col));
    }
    m_pStore->SortBy(
        dataCols, flags,
        [this](const CGridCell* a, const CGridCell* b, int f) { return OnSortCompare(a, b, f); },
        m_nNumRows);
    return 0;
}

void CGridCtrl::RestoreWrittenOrder()
{
    m_pStore->RestoreCreationOrder(m_nNumRows);
}

void CGridCtrl::SetKeyAcceleration(int n, int delayMs)
{
    m_nKeyAccel = std::max(0, n);
    m_nKeyDelay = std::max(0, delayMs);
}

void CGridCtrl::SetDragAcceleration(int exponent, int delayMs)
{
    m_nDragExponent = std::max(0, exponent);
    m_nDragDelay = std::max(0, delayMs);
}

void CGridCtrl::SetTabWidth(int width)
{
    m_nTabWidth = std::max(0, width);
    AdjustComponentSizes();
}

int CGridCtrl::AddCellType(std::unique_ptr<CGridCellType> pType)
{
    m_cellTypes.push_back(std::move(pType));
    return static_cast<int>(m_cellTypes.size()) - 1;
}

CGridCellType* CGridCtrl::GetCellType(int index)
{
    if (index < 0 || index >= static_cast<int>(m_cellTypes.size()))
        return m_cellTypes[0].get();
    return m_cellTypes[static_cast<std::size_t>(index)].get();
}

void CGridCtrl::AdjustComponentSizes()
{
    const QRect inner = contentsRect();
    const int scrollExtent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int side = GetSideHeadingWidth();
    const int top = GetTopHeadingHeight();
    const int cellWidth = GetCellAreaWidth();
    const int cellHeight = GetCellAreaHeight();
    const int x0 = inner.left();
    const int y0 = inner.top();

    m_pCorner->setGeometry(x0, y0, side, top);
    m_pTopHeading->setGeometry(x0 + side, y0, cellWidth, top);
    m_pSideHeading->setGeometry(x0, y0 + top, side, cellHeight);
    m_pCellArea->setGeometry(x0 + side, y0 + top, cellWidth, cellHeight);
    m_pVScroll->setGeometry(x0 + side + cellWidth, y0, scrollExtent, top + cellHeight);
    const int tabWidth = std::min(m_nTabWidth, inner.width() - scrollExtent);
    m_pTabBar->setVisible(tabWidth > 0);
    m_pTabBar->setGeometry(x0, y0 + top + cellHeight, std::max(0, tabWidth), scrollExtent);
    m_pHScroll->setGeometry(x0 + std::max(0, tabWidth), y0 + top + cellHeight,
                            std::max(0, inner.width() - scrollExtent - std::max(0, tabWidth)),
                            scrollExtent);
    UpdateScrollBars();
}

// From the grid's own size rather than the cell window's: a hidden window gets its resize
// event only when shown, and the owner fits columns before that.
int CGridCtrl::GetCellAreaWidth() const
{
    const int scrollExtent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return std::max(0, contentsRect().width() - GetSideHeadingWidth() - scrollExtent);
}

int CGridCtrl::GetCellAreaHeight() const
{
    const int scrollExtent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return std::max(0, contentsRect().height() - GetTopHeadingHeight() - scrollExtent);
}
QWidget* CGridCtrl::GetCellAreaWidget() const
{
    return m_pCellArea;
}
QWidget* CGridCtrl::GetTopHeadingWidget() const
{
    return m_pTopHeading;
}
QWidget* CGridCtrl::GetSideHeadingWidget() const
{
    return m_pSideHeading;
}

void CGridCtrl::RedrawAll()
{
    if (!m_bPaintingOn)
        return;
    m_pCellArea->update();
    m_pTopHeading->update();
    m_pSideHeading->update();
    m_pCorner->update();
    m_pVScroll->update();
    m_pHScroll->update();
    m_pTabBar->update();
}

void CGridCtrl::RedrawCell(int col, long row)
{
    RedrawRange(col, row, col, row);
}

void CGridCtrl::RedrawRange(int startCol, long startRow, int endCol, long endRow)
{
    if (!m_bPaintingOn)
        return;
    QRect area;
    for (int col = std::min(startCol, endCol); col <= std::max(startCol, endCol); ++col) {
        for (long row = std::min(startRow, endRow); row <= std::max(startRow, endRow); ++row) {
            if (col >= 0 && row >= 0) {
                int w = ColWidthOrZero(col);
                area |= QRect(ColLeft(col), static_cast<int>(RowTop(row)), w, GetRowHeight(row));
            }
        }
    }
    if (startCol < 0 || endCol < 0)
        m_pSideHeading->update();
    if (startRow < 0 || endRow < 0)
        m_pTopHeading->update();
    if (!area.isEmpty())
        m_pCellArea->update(area);
}

QRect CGridCtrl::GetCellRectInGrid(int col, long row)
{
    int x;
    int y;
    int w;
    const QPoint area = m_pCellArea->pos();
    if (col >= 0) {
        x = area.x() + ColLeft(col);
        w = ColWidthOrZero(col);
    } else {
        x = m_pSideHeading->x() + SideHeadingColLeft(col);
        w = ColWidthOrZero(col);
    }
    int h;
    if (row >= 0) {
        y = area.y() + static_cast<int>(RowTop(row));
        h = GetRowHeight(row);
    } else {
        y = m_pTopHeading->y();
        h = GetTopHeadingHeight();
    }
    return QRect(x, y, w, h);
}

int CGridCtrl::SideHeadingColLeft(int col) const
{
    int x = 0;
    for (int c = static_cast<int>(m_sideHeadingWidths.size()); c > -col; --c)
        x += m_sideHeadingWidths[static_cast<std::size_t>(c - 1)];
    return x;
}

void CGridCtrl::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    AdjustComponentSizes();
}

void CGridCtrl::focusInEvent(QFocusEvent* event)
{
    QFrame::focusInEvent(event);
    m_pCellArea->setFocus();
}

// Default events.

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
    QMessageBox::information(this, GridText::ToQString(caption), GridText::ToQString(text));
}
