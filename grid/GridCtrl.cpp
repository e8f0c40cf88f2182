#include "grid/GridCtrl.h"

#include <algorithm>

#include <QFontMetrics>
#include <QScrollBar>
#include <QStyle>
#include <QTabBar>

#include "grid/CheckBoxCellType.h"
#include "grid/DropListCellType.h"
#include "grid/GridParts.h"

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
