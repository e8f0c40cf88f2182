// The grid control's operations with their refusals, the cell fetch order, fitting, the
// keyboard and mouse, column sizing, the cell types and the find.
#include "grid/GridCtrl.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QScrollBar>
#include <QTest>

#include "grid/CheckBoxCellType.h"
#include "grid/DropListCellType.h"
#include "tests/grid/QtTestApp.h"

namespace {

// A grid that records what the control asks of it.
class CProbeGrid : public CGridCtrl
{
  public:
    void OnGetCell(int col, long row, CGridCell& cell) override
    {
        ++m_nGetCellCalls;
        m_nLastGetCol = col;
        m_bSawStoredText = cell.IsPropertySet(GridProp::kText);
        if (col >= 0 && row >= 0)
            cell.SetTextColor(Qt::darkGreen);
    }
    void OnSetCell(int col, long row, const CGridCell& cell) override
    {
        // Called before the store changes: the old text is still there.
        m_strSeenBeforeStore = QuickGetText(col, row);
        m_strSetText = cell.GetText();
    }
    int OnCellTypeNotify(int, int, long, int message, const std::string& param) override
    {
        m_notes.push_back(std::to_string(message) + ":" + param);
        return m_nNotifyResult;
    }
    void ShowMessage(const std::string& text, const std::string& caption) override
    {
        m_messages.push_back(caption + ": " + text);
    }
    void OnColSized(int, int* pWidth) override
    {
        if (m_nForceWidth >= 0)
            *pWidth = m_nForceWidth;
    }

    int m_nGetCellCalls = 0;
    int m_nLastGetCol = -99;
    bool m_bSawStoredText = false;
    std::string m_strSeenBeforeStore;
    std::string m_strSetText;
    std::vector<std::string> m_notes;
    std::vector<std::string> m_messages;
    int m_nNotifyResult = 1;
    int m_nForceWidth = -1;
};

// Sizes the grid so that its cell area is exactly `width` x `height` pixels.
void SetCellArea(CGridCtrl& grid, int width, int height)
{
    grid.resize(width + 200, height + 200);
    grid.resize(grid.width() + width - grid.GetCellAreaWidth(),
                grid.height() + height - grid.GetCellAreaHeight());
    grid.AdjustComponentSizes();
}

} // namespace

TEST(GridCtrl, RowCountRefusalsHeightsAndCurrentRow)
{
    CProbeGrid grid;
    grid.SetColCount(3);
    EXPECT_EQ(grid.GetCurrentRow(), -1);
    EXPECT_NE(grid.SetRowCount(-1), 0);
    EXPECT_EQ(grid.GetRowCount(), 0);
    ASSERT_EQ(grid.SetRowCount(10), 0);
    EXPECT_EQ(grid.GetCurrentRow(), 0); // no current row before, rows now
    grid.GotoCell(2, 8);
    EXPECT_EQ(grid.GetCurrentRow(), 8);
    grid.SetRowCount(5);
    EXPECT_EQ(grid.GetCurrentRow(), 4);
    grid.SetRowCount(0);
    EXPECT_EQ(grid.GetCurrentRow(), -1);

    // Per-row heights survive a resize of the table; new rows take the default.
    grid.SetUniformRowHeight(false);
    grid.SetRowCount(3);
    grid.SetRowHeight(1, 40);
    grid.SetRowCount(6);
    EXPECT_EQ(grid.GetRowHeight(1), 40);
    EXPECT_EQ(grid.GetRowHeight(5), grid.GetDefRowHeight());
    grid.SetRowCount(CGridCtrl::kMaxRowsWithHeights + 1);
    EXPECT_TRUE(grid.GetUniformRowHeight());
    EXPECT_EQ(grid.GetRowHeight(1), grid.GetDefRowHeight());

    // Cells of rows that were cut away do not come back when the grid grows again.
    grid.SetRowCount(4);
    grid.QuickSetText(0, 3, "old");
    grid.SetRowCount(2);
    grid.SetRowCount(4);
    EXPECT_EQ(grid.QuickGetText(0, 3), "");
}

TEST(GridCtrl, ColCountRefusalsAndNewColumns)
{
    CProbeGrid grid;
    grid.GetGridDefault().SetBackColor(Qt::cyan);
    ASSERT_EQ(grid.SetColCount(4), 0);
    EXPECT_EQ(grid.GetCurrentCol(), 0);
    EXPECT_NE(grid.SetColCount(CGridCtrl::kMaxCols + 1), 0);
    EXPECT_NE(grid.SetColCount(-1), 0);
    EXPECT_EQ(grid.GetColCount(), 4);
    EXPECT_EQ(grid.SetColCount(CGridCtrl::kMaxCols), 0);
    EXPECT_EQ(grid.SetColCount(4), 0);

    grid.SetColWidth(1, 33);
    grid.GotoCell(3, 0);
    grid.SetColCount(2);
    EXPECT_EQ(grid.GetCurrentCol(), 1);
    grid.SetColCount(5);
    int width = 0;
    ASSERT_EQ(grid.GetColWidth(1, width), 0);
    EXPECT_EQ(width, 33); // kept
    ASSERT_EQ(grid.GetColWidth(4, width), 0);
    EXPECT_GT(width, 0); // the default
    EXPECT_EQ(grid.GetColDataNumber(4), 4);
    grid.SetRowCount(1);
    CGridCell cell;
    grid.GetCellWithDefaults(4, 0, cell);
    EXPECT_EQ(cell.GetBackColor(), QColor(Qt::cyan)); // copied from the grid's default cell
    EXPECT_NE(grid.GetColWidth(5, width), 0);
    EXPECT_NE(grid.GetColWidth(-2, width), 0);

    grid.SetColCount(0);
    EXPECT_EQ(grid.GetCurrentCol(), -1);
}

TEST(GridCtrl, CellFetchOrderSetCellAndWidths)
{
    CProbeGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(2);
    CGridCell def;
    def.SetAlignment(GridAlign::kCenter);
    def.SetText("default");
    grid.SetColDefault(1, def);
    grid.QuickSetText(1, 1, "stored");

    CGridCell cell;
    grid.m_nGetCellCalls = 0;
    grid.GetCellWithDefaults(1, 5, cell); // past the last row: the column's default only
    EXPECT_EQ(grid.m_nGetCellCalls, 0);
    EXPECT_EQ(cell.GetText(), "default");
    EXPECT_FALSE(cell.IsPropertySet(GridProp::kTextColor));

    grid.GetCellWithDefaults(1, 1, cell);
    EXPECT_EQ(grid.m_nGetCellCalls, 1);
    EXPECT_TRUE(grid.m_bSawStoredText); // stored properties were merged before the event
    EXPECT_EQ(cell.GetText(), "stored");
    EXPECT_EQ(cell.GetAlignment(), GridAlign::kCenter);
    EXPECT_EQ(cell.GetTextColor(), QColor(Qt::darkGreen));

    // Overlays come last, over what the event did.
    CGridCell overlay;
    overlay.SetTextColor(Qt::magenta);
    grid.SetCellOverlay(1, 1, overlay);
    grid.GetCellWithDefaults(1, 1, cell);
    EXPECT_EQ(cell.GetTextColor(), QColor(Qt::magenta));

    // GetCell gives only what is stored; the column's data number picks the stored column.
    grid.GetCell(1, 1, cell);
    EXPECT_FALSE(cell.IsPropertySet(GridProp::kAlignment));
    grid.SetColDataNumber(2, 1);
    EXPECT_EQ(grid.QuickGetText(2, 1), "stored");
    grid.GetCellWithDefaults(2, 1, cell);
    EXPECT_EQ(grid.m_nLastGetCol, 1);
    EXPECT_NE(grid.GetCell(3, 0, cell), 0);

    // Headings use the heading default.
    grid.GetCellWithDefaults(-1, -1, cell);
    EXPECT_EQ(cell.GetBorder(), GridBorder::k3DRaised);

    // SetCell: the event first, then the store replaces the property set.
    grid.QuickSetText(0, 0, "first");
    CGridCell next;
    next.SetText("second");
    grid.SetCell(0, 0, next);
    EXPECT_EQ(grid.m_strSeenBeforeStore, "first");
    EXPECT_EQ(grid.QuickGetText(0, 0), "second");
    EXPECT_NE(grid.SetCell(3, 0, next), 0);
    EXPECT_NE(grid.SetCell(-2, 0, next), 0);

    // The side heading's width lies between 0 and 1024.
    EXPECT_EQ(grid.SetColWidth(-1, 1024), 0);
    EXPECT_EQ(grid.GetSideHeadingWidth(), 1024);
    EXPECT_NE(grid.SetColWidth(-1, 1025), 0);
    EXPECT_NE(grid.SetColWidth(-1, -1), 0);
    EXPECT_NE(grid.SetColWidth(-2, 10), 0);
    EXPECT_NE(grid.SetColWidth(3, 10), 0);
}

TEST(GridCtrl, FitColumnsFillsTheCellArea)
{
    CProbeGrid grid;
    grid.SetColCount(3);
    SetCellArea(grid, 200, 100);
    ASSERT_EQ(grid.GetCellAreaWidth(), 200);
    for (int col = 0; col < 3; ++col)
        grid.SetColWidth(col, 100);
    ASSERT_EQ(grid.FitColumns(0, 2), 0);
    int widths[3];
    for (int col = 0; col < 3; ++col)
        grid.GetColWidth(col, widths[col]);
    EXPECT_EQ(widths[0], 66);
    EXPECT_EQ(widths[1], 66);
    EXPECT_EQ(widths[2], 68);

    EXPECT_NE(grid.FitColumns(-1, 2), 0);
    EXPECT_NE(grid.FitColumns(2, 1), 0);
    EXPECT_NE(grid.FitColumns(0, 3), 0);

    // All columns hidden: an even share instead of a division by zero.
    for (int col = 0; col < 3; ++col)
        grid.SetColWidth(col, 0);
    ASSERT_EQ(grid.FitColumns(0, 2), 0);
    for (int col = 0; col < 3; ++col)
        grid.GetColWidth(col, widths[col]);
    EXPECT_EQ(widths[0] + widths[1] + widths[2], 200);
    EXPECT_EQ(widths[0], 66);

    // No room yet: the proportions are kept for a later fit instead of being zeroed.
    grid.SetColWidth(0, 10);
    grid.resize(10, 10);
    ASSERT_EQ(grid.GetCellAreaWidth(), 0);
    EXPECT_EQ(grid.FitColumns(0, 2), 0);
    grid.GetColWidth(0, widths[0]);
    EXPECT_EQ(widths[0], 10);
}

TEST(GridCtrl, KeyboardMovesStepsAndPages)
{
    CProbeGrid grid;
    grid.SetColCount(5);
    grid.SetRowCount(100);
    grid.SetUniformRowHeight(true);
    SetCellArea(grid, 400, grid.GetDefRowHeight() * 10);
    grid.SetKeyAcceleration(0, 0);
    QWidget* area = grid.GetCellAreaWidget();

    QTest::keyClick(area, Qt::Key_Right);
    EXPECT_EQ(grid.GetCurrentCol(), 1);
    QTest::keyClick(area, Qt::Key_Down);
    QTest::keyClick(area, Qt::Key_Down);
    EXPECT_EQ(grid.GetCurrentRow(), 2);
    QTest::keyClick(area, Qt::Key_End);
    EXPECT_EQ(grid.GetCurrentCol(), 4);
    EXPECT_EQ(grid.MoveCurrentCol(5), GridMove::kAtEnd); // the last column is current
    QTest::keyClick(area, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid.GetCurrentRow(), 99);
    EXPECT_GE(grid.GetTopRowLong(), 90); // scrolled so the row shows
    EXPECT_EQ(grid.MoveCurrentRow(100), GridMove::kAtEnd);
    QTest::keyClick(area, Qt::Key_PageUp);
    EXPECT_EQ(grid.GetCurrentRow(), 89);
    QTest::keyClick(area, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(grid.GetCurrentRow(), 0);
    EXPECT_EQ(grid.GetTopRowLong(), 0);
    QTest::keyClick(area, Qt::Key_PageDown);
    EXPECT_EQ(grid.GetCurrentRow(), 10);
    QTest::keyClick(area, Qt::Key_Home);
    EXPECT_EQ(grid.GetCurrentCol(), 0);
    QTest::keyClick(area, Qt::Key_Left);
    EXPECT_EQ(grid.GetCurrentCol(), 0); // clamped, not below
    // A move past the last row from elsewhere lands on the last row.
    EXPECT_EQ(grid.MoveCurrentRow(500), GridMove::kDone);
    EXPECT_EQ(grid.GetCurrentRow(), 99);

    // Acceleration with n = 2: repeats 0 and 1 step 1, 2 and 3 step 2, 4 steps 9.
    grid.SetKeyAcceleration(2, 0);
    grid.GotoCell(0, 0);
    QKeyEvent first(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(area, &first);
    for (int i = 0; i < 4; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(area, &repeat);
    }
    EXPECT_EQ(grid.GetCurrentRow(), 1 + 1 + 2 + 2 + 9);

    // A key delay holds back early repeats (k still 0) that come sooner than the delay.
    grid.SetKeyAcceleration(5, 60000);
    grid.GotoCell(0, 0);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(area, &press);
    for (int i = 0; i < 3; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(area, &repeat);
    }
    EXPECT_EQ(grid.GetCurrentRow(), 1);
}

TEST(GridCtrl, MouseSelectsAndSizesColumns)
{
    CProbeGrid grid;
    grid.SetColCount(4);
    grid.SetRowCount(5);
    for (int col = 0; col < 4; ++col)
        grid.SetColWidth(col, 60);
    SetCellArea(grid, 300, 150);
    grid.show();
    QWidget* area = grid.GetCellAreaWidget();
    const int rowHeight = grid.GetDefRowHeight();

    QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(130, rowHeight * 3 + 2));
    EXPECT_EQ(grid.GetCurrentCol(), 2);
    EXPECT_EQ(grid.GetCurrentRow(), 3);

    // Drag the border of column 1 (at x = 120) 25 pixels to the right.
    QWidget* heading = grid.GetTopHeadingWidget();
    QTest::mouseMove(heading, QPoint(121, 5));
    EXPECT_EQ(heading->cursor().shape(), Qt::SplitHCursor);
    QTest::mousePress(heading, Qt::LeftButton, {}, QPoint(121, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(146, 5), heading->mapToGlobal(QPointF(146, 5)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(heading, &move);
    QTest::mouseRelease(heading, Qt::LeftButton, {}, QPoint(146, 5));
    int width = 0;
    grid.GetColWidth(1, width);
    EXPECT_EQ(width, 85);

    // A hidden column is pulled open from the border it shares with its left neighbour.
    grid.SetColWidth(2, 0);
    const int border = 60 + 85;
    QTest::mousePress(heading, Qt::LeftButton, {}, QPoint(border, 5));
    QMouseEvent pull(QEvent::MouseMove, QPointF(border + 30, 5),
                     heading->mapToGlobal(QPointF(border + 30, 5)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(heading, &pull);
    grid.m_nForceWidth = 40; // the sized event may change the final width
    QTest::mouseRelease(heading, Qt::LeftButton, {}, QPoint(border + 30, 5));
    grid.GetColWidth(1, width);
    EXPECT_EQ(width, 85);
    grid.GetColWidth(2, width);
    EXPECT_EQ(width, 40);
}

TEST(GridCtrl, CheckBoxDropListAndFind)
{
    CProbeGrid grid;
    grid.SetColCount(2);
    grid.SetRowCount(3);
    SetCellArea(grid, 200, 100);

    CGridCell box;
    box.SetCellType(GridCellTypes::kCheckBox);
    box.SetText("0");
    grid.SetCell(0, 0, box);
    EXPECT_FALSE(CCheckBoxCellType::IsChecked(box));
    QTest::keyClick(grid.GetCellAreaWidget(), Qt::Key_Space);
    CGridCell now;
    grid.GetCell(0, 0, now);
    EXPECT_TRUE(CCheckBoxCellType::IsChecked(now));
    ASSERT_EQ(grid.m_notes.size(), 1u);
    EXPECT_EQ(grid.m_notes[0], "53:");
    QTest::keyClick(grid.GetCellAreaWidget(), Qt::Key_Space);
    grid.GetCell(0, 0, now);
    EXPECT_FALSE(CCheckBoxCellType::IsChecked(now));
    CGridCell t;
    t.SetText("true");
    EXPECT_TRUE(CCheckBoxCellType::IsChecked(t));
    t.SetText("x1");
    EXPECT_FALSE(CCheckBoxCellType::IsChecked(t));
    // A read-only box does not change.
    box.SetReadOnly(true);
    grid.SetCell(0, 0, box);
    QTest::keyClick(grid.GetCellAreaWidget(), Qt::Key_Space);
    EXPECT_EQ(grid.QuickGetText(0, 0), "0");

    // A click released inside the box of another cell sets it; beside the box it does not.
    CGridCell other;
    other.SetCellType(GridCellTypes::kCheckBox);
    grid.SetCell(0, 1, other);
    const int h = grid.GetDefRowHeight();
    QTest::mouseClick(grid.GetCellAreaWidget(), Qt::LeftButton, {}, QPoint(60, h + h / 2));
    EXPECT_EQ(grid.QuickGetText(0, 1), "");
    QTest::mouseClick(grid.GetCellAreaWidget(), Qt::LeftButton, {}, QPoint(6, h + h / 2));
    EXPECT_EQ(grid.QuickGetText(0, 1), "1.000000");

    EXPECT_EQ(CDropListCellType::SplitChoices("Buy\nSell\nrest"),
              (std::vector<std::string>{"Buy", "Sell"}));
    auto* drop = static_cast<CDropListCellType*>(grid.GetCellType(GridCellTypes::kDropList));
    CGridCell list;
    list.SetCellType(GridCellTypes::kDropList);
    list.SetLabelText("Buy\nSell\n");
    list.SetText("Buy");
    grid.SetCell(1, 1, list);
    grid.m_notes.clear();
    grid.m_nNotifyResult = 0;
    drop->OpenList(grid, 1, 1);
    drop->Choose(grid, 1);
    EXPECT_EQ(grid.QuickGetText(1, 1), "Buy"); // declined
    grid.m_nNotifyResult = 1;
    drop->OpenList(grid, 1, 1);
    drop->Choose(grid, 1);
    EXPECT_EQ(grid.QuickGetText(1, 1), "Sell");
    EXPECT_EQ(grid.m_notes, (std::vector<std::string>{"100:Buy\nSell\n", "101:Sell",
                                                      "100:Buy\nSell\n", "101:Sell"}));

    grid.QuickSetText(1, 2, "Needle");
    grid.GotoCell(0, 0);
    EXPECT_EQ(grid.FindNext("needle", false), 0);
    EXPECT_EQ(grid.GetCurrentCol(), 1);
    EXPECT_EQ(grid.GetCurrentRow(), 2);
    EXPECT_NE(grid.FindNext("haystack", false), 0);
    EXPECT_EQ(grid.m_messages, (std::vector<std::string>{"Not Found: Item not found"}));

    std::string hint;
    grid.CGridCtrl::OnHint(3, 12, GridSection::kCellArea, hint);
    EXPECT_EQ(hint, "Col:3 Row:12");

    // Resting the pointer on a cell shows its hint.
    grid.show();
    grid.UseHints(true);
    grid.SetHintDelay(1);
    QTest::mouseMove(grid.GetCellAreaWidget(), QPoint(80, grid.GetDefRowHeight() * 2 + 3));
    auto* label = grid.findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([label] { return label->isVisible(); }, 2000));
    EXPECT_EQ(label->text(), QStringLiteral("Col:1 Row:2"));
}

TEST(GridCtrl, PaintsBordersAndEmptyArea)
{
    CProbeGrid grid;
    grid.SetColCount(2);
    grid.SetRowCount(2);
    grid.SetColWidth(0, 50);
    grid.SetColWidth(1, 50);
    grid.Set3DThickness(2);
    SetCellArea(grid, 200, 120);
    CGridCell thick;
    thick.SetBorder(GridBorder::kThickLeft);
    thick.SetBorderPen(QPen(Qt::red));
    grid.SetCell(1, 0, thick);
    CGridCell raised;
    raised.SetBorder(GridBorder::k3DRecess);
    grid.SetCell(0, 1, raised);
    QImage image = grid.GetCellAreaWidget()->grab().toImage();
    const int h = grid.GetDefRowHeight();
    // Thick: three red columns of pixels at the left of cell (1, 0).
    for (int x = 50; x < 53; ++x)
        EXPECT_EQ(QColor(image.pixel(x, 5)), QColor(Qt::red)) << x;
    EXPECT_NE(QColor(image.pixel(53, 5)), QColor(Qt::red));
    // Recessed, two rings deep: shadow at the top-left, white at the bottom-right.
    const QRgb shadow = grid.palette().color(QPalette::Dark).rgb();
    EXPECT_EQ(image.pixel(10, h), shadow);
    EXPECT_EQ(image.pixel(10, h + 1), shadow);
    EXPECT_NE(image.pixel(10, h + 2), shadow);
    EXPECT_EQ(image.pixel(49, h + 10), QColor(Qt::white).rgb());
    EXPECT_EQ(image.pixel(48, h + 10), QColor(Qt::white).rgb());
    // Beyond the cells: the default back colour of the cell area.
    EXPECT_EQ(image.pixel(150, 100), grid.palette().color(QPalette::Base).rgb());
}

namespace {
class CClickGrid : public CProbeGrid
{
  public:
    void OnDClicked(int col, long row, const QRect&, const QPoint&, bool) override
    {
        m_clicks.push_back("d" + std::to_string(col) + "," + std::to_string(row));
    }
    void OnLClicked(int col, long row, bool bPressed, const QRect&, const QPoint&, bool) override
    {
        m_clicks.push_back((bPressed ? "p" : "r") + std::to_string(col) + "," +
                           std::to_string(row));
    }
    std::vector<std::string> m_clicks;
};
} // namespace

TEST(GridCtrl, ScrollBarsDragScrollingAndClicks)
{
    CClickGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(200);
    grid.SetUniformRowHeight(true);
    for (int col = 0; col < 3; ++col)
        grid.SetColWidth(col, 60);
    const int rowHeight = grid.GetDefRowHeight();
    SetCellArea(grid, 180, rowHeight * 10);
    grid.show();

    // The thumb, a line and a page.
    QScrollBar* bar = grid.GetVScrollBar();
    EXPECT_EQ(bar->maximum(), 190);
    bar->setValue(50);
    EXPECT_EQ(grid.GetTopRowLong(), 50);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(grid.GetTopRowLong(), 51);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(grid.GetTopRowLong(), 61);
    bar->setValue(0);

    QWidget* area = grid.GetCellAreaWidget();
    QTest::mouseDClick(area, Qt::LeftButton, {}, QPoint(70, rowHeight + 3));
    EXPECT_NE(std::find(grid.m_clicks.begin(), grid.m_clicks.end(), "d1,1"), grid.m_clicks.end());
    grid.m_clicks.clear();

    // Press on a cell, drag below the area: the grid scrolls on by itself until released.
    grid.SetDragAcceleration(0, 1);
    QTest::mousePress(area, Qt::LeftButton, {}, QPoint(10, 5));
    QMouseEvent below(QEvent::MouseMove, QPointF(10, rowHeight * 10 + 30),
                      area->mapToGlobal(QPointF(10, rowHeight * 10 + 30)), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area, &below);
    EXPECT_TRUE(QTest::qWaitFor([&] { return grid.GetCurrentRow() >= 30; }, 3000));
    QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(10, rowHeight * 10 + 30));
    const long stopped = grid.GetCurrentRow();
    EXPECT_GT(grid.GetTopRowLong(), 0);
    QTest::qWait(30);
    EXPECT_EQ(grid.GetCurrentRow(), stopped); // the release stopped it
    int startCol = 0, endCol = 0;
    long startRow = 0, endRow = 0;
    grid.GetSelection(startCol, startRow, endCol, endRow);
    EXPECT_EQ(startRow, 0); // the drag selected from where it started
    EXPECT_EQ(endRow, stopped);
    ASSERT_GE(grid.m_clicks.size(), 2u);
    EXPECT_EQ(grid.m_clicks.front(), "p0,0");
    EXPECT_EQ(grid.m_clicks.back(), "r0," + std::to_string(stopped));

    // A plain key move collapses the selection again.
    QTest::keyClick(area, Qt::Key_Up);
    grid.GetSelection(startCol, startRow, endCol, endRow);
    EXPECT_EQ(startRow, endRow);
}

TEST(GridCtrl, CutsLongTextWithDots)
{
    CProbeGrid grid;
    grid.SetColCount(2);
    grid.SetRowCount(1);
    grid.SetColWidth(0, 50);
    grid.SetColWidth(1, 50);
    grid.SetGridLines(false);
    SetCellArea(grid, 200, 60);
    CGridCell cell;
    cell.SetText("WWWWWWWWWWWWWWWWWWWW");
    cell.SetCellTypeEx(GridCellTypeEx::kEllipsis);
    cell.SetBackColor(Qt::white);
    cell.SetTextColor(Qt::black);
    grid.SetCell(1, 0, cell);
    grid.GotoCell(0, 0);
    const QImage image = grid.GetCellAreaWidget()->grab().toImage();
    const int dotsX = 100 - QFontMetrics(grid.font()).horizontalAdvance(QStringLiteral("..."));
    auto columnIsWhite = [&image](int x) {
        for (int y = 0; y < 15; ++y)
            if (image.pixel(x, y) != QColor(Qt::white).rgb())
                return false;
        return true;
    };
    // The 3 pixels before the dots are clear; text stands left of them and dots right.
    for (int x = dotsX - 3; x < dotsX; ++x)
        EXPECT_TRUE(columnIsWhite(x)) << x;
    bool bText = false;
    for (int x = 55; x < dotsX - 3; ++x)
        bText = bText || !columnIsWhite(x);
    EXPECT_TRUE(bText);
    bool bDots = false;
    for (int x = dotsX; x < 100; ++x)
        bDots = bDots || !columnIsWhite(x);
    EXPECT_TRUE(bDots);
}
