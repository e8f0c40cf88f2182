// The blotter grid: its set-up, the sign colours, the text sort on heading presses, the
// order kept across a refresh, attaching to the window's control and what it paints.
#include "grid/BlotterGrid.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>

#include "tests/grid/QtTestApp.h"

namespace {

const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

// A blotter grid set up in a window of a fixed size, with rows written as the main window
// writes them: the symbol in the side heading, then the six texts.
class BlotterGridTest : public ::testing::Test
{
  protected:
    void SetUp() override { m_grid.CreateGrid(nullptr, QRect(0, 0, 620, 300)); }

    void WriteRows(const std::vector<std::pair<std::string, std::vector<std::string>>>& rows)
    {
        m_grid.SetRowCount(static_cast<long>(rows.size()));
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const long row = static_cast<long>(r);
            m_grid.QuickSetText(-1, row, rows[r].first);
            for (std::size_t c = 0; c < rows[r].second.size(); ++c)
                m_grid.QuickSetText(static_cast<int>(c), row, rows[r].second[c]);
        }
    }

    std::string Column(int col)
    {
        std::string text;
        for (long row = 0; row < m_grid.GetRowCount(); ++row)
            text += m_grid.QuickGetText(col, row) + " ";
        return text;
    }

    void PressHeading(int col, bool bPressed)
    {
        QWidget* heading = m_grid.GetTopHeadingWidget();
        int x = 0;
        for (int c = 0; c < col; ++c) {
            int w = 0;
            m_grid.GetColWidth(c, w);
            x += w;
        }
        const QPoint point(x + 20, 6);
        if (bPressed)
            QTest::mousePress(heading, Qt::LeftButton, {}, point);
        else
            QTest::mouseRelease(heading, Qt::LeftButton, {}, point);
    }

    CBlotterGrid m_grid;
};

} // namespace

TEST_F(BlotterGridTest, SetsUpHeadingsColumnsAndFont)
{
    EXPECT_EQ(m_grid.GetRowCount(), 0);
    EXPECT_EQ(m_grid.GetColCount(), 6);
    EXPECT_TRUE(m_grid.GetUniformRowHeight());
    EXPECT_EQ(m_grid.QuickGetText(-1, -1), "Security");
    const char* const headings[] = {"Last Trade", "Change",      "Position",
                                    "Value",      "Today's P/L", "Position P/L"};
    for (int col = 0; col < 6; ++col)
        EXPECT_EQ(m_grid.QuickGetText(col, -1), headings[col]);
    int width = 0;
    m_grid.GetColWidth(-1, width);
    EXPECT_EQ(width, 75);
    // Six equal shares of the cell area; the last column takes what the rounding left.
    const int area = m_grid.GetCellAreaWidth();
    ASSERT_GT(area, 0);
    int total = 0;
    for (int col = 0; col < 6; ++col) {
        m_grid.GetColWidth(col, width);
        EXPECT_NEAR(width, area / 6.0, col < 5 ? 1.0 : 6.0) << col;
        total += width;
    }
    EXPECT_EQ(total, area);

    // One font on every cell, headings included, and a readable size.
    CGridCell cell;
    m_grid.GetCellWithDefaults(-1, -1, cell);
    EXPECT_EQ(cell.GetFont(), m_grid.GetBlotterFont());
    m_grid.GetCellWithDefaults(3, -1, cell);
    EXPECT_EQ(cell.GetFont(), m_grid.GetBlotterFont());
    EXPECT_EQ(cell.GetAlignment(), GridAlign::kCenter | GridAlign::kVCenter);
    EXPECT_GE(QFontMetrics(m_grid.GetBlotterFont()).height(), 12);

    // The stored widths of a saved portfolio, applied and fitted again, keep proportions.
    const int stored[] = {75, 85, 80, 80, 80, 93};
    m_grid.SetColWidth(-1, stored[0]);
    for (int col = 0; col < 5; ++col)
        m_grid.SetColWidth(col, stored[col + 1]);
    m_grid.FitColumns(0, 5);
    total = 0;
    int first = 0;
    m_grid.GetColWidth(0, first);
    for (int col = 0; col < 6; ++col) {
        m_grid.GetColWidth(col, width);
        // Each of the stored columns keeps its width in proportion to the first (85).
        if (col < 5) {
            EXPECT_NEAR(width, first * stored[col + 1] / 85.0, 2.0) << col;
        }
        total += width;
    }
    EXPECT_EQ(total, area);
}

TEST_F(BlotterGridTest, ColoursAndAlignsDataCellsByTheLeadingNumber)
{
    WriteRows({{"IBM", {"-1,234.56", "0.00", "-0.00", "1,234.50", "", "abc"}}});
    const QColor expected[] = {kRed, kBlue, kBlue, kBlue, kBlue, kBlue};
    for (int col = 0; col < 6; ++col) {
        CGridCell cell;
        m_grid.GetCellWithDefaults(col, 0, cell);
        EXPECT_EQ(cell.GetTextColor(), expected[col]) << col;
        EXPECT_EQ(cell.GetAlignment(), GridAlign::kRight | GridAlign::kTop);
        EXPECT_EQ(cell.GetDataType(), GridData::kText);
    }
    CGridCell symbol;
    m_grid.GetCellWithDefaults(-1, 0, symbol);
    EXPECT_EQ(symbol.GetText(), "IBM");
    EXPECT_FALSE(symbol.IsPropertySet(GridProp::kTextColor) &&
                 (symbol.GetTextColor() == kRed || symbol.GetTextColor() == kBlue));
    EXPECT_EQ(m_grid.OnGetDefaultBackColor(GridSection::kCellArea), QColor(255, 255, 255));
    EXPECT_EQ(m_grid.OnGetDefaultBackColor(GridSection::kTopHeading), QColor(255, 255, 255));
    EXPECT_EQ(
        m_grid.OnCellTypeNotify(GridCellTypes::kDropList, 0, 0, GridNotify::kDropListSelect, "x"),
        0);
}

TEST_F(BlotterGridTest, ComparesTextsByteByByte)
{
    CGridCell a, b, c, empty, number1, number2;
    a.SetText("1,234.50");
    b.SetText("10.00");
    c.SetText("987.00");
    EXPECT_LT(m_grid.OnSortCompare(&a, &b, GridSort::kAscending), 0);
    EXPECT_LT(m_grid.OnSortCompare(&b, &c, GridSort::kAscending), 0);
    EXPECT_GT(m_grid.OnSortCompare(&c, &a, GridSort::kAscending), 0);
    EXPECT_GT(m_grid.OnSortCompare(&a, &b, GridSort::kDescending), 0);
    EXPECT_EQ(m_grid.OnSortCompare(&a, &a, GridSort::kAscending), 0);
    // A cell without text, or missing, sorts after one with text.
    EXPECT_GT(m_grid.OnSortCompare(&empty, &a, GridSort::kAscending), 0);
    EXPECT_LT(m_grid.OnSortCompare(&a, nullptr, GridSort::kAscending), 0);
    EXPECT_EQ(m_grid.OnSortCompare(nullptr, &empty, GridSort::kAscending), 0);
    // Texts are unsigned bytes and a prefix comes first.
    CGridCell high, low, prefix;
    high.SetText("\xe9");
    low.SetText("z");
    prefix.SetText("1,234");
    EXPECT_LT(m_grid.OnSortCompare(&low, &high, GridSort::kAscending), 0);
    EXPECT_LT(m_grid.OnSortCompare(&prefix, &a, GridSort::kAscending), 0);
    // Number cells compare by value.
    number1.SetNumber(987);
    number2.SetNumber(1234.5);
    EXPECT_LT(m_grid.OnSortCompare(&number1, &number2, GridSort::kAscending), 0);
    // Two empty cells of another type are equal, not "above" both ways round.
    CGridCell odd1, odd2;
    odd1.SetDataType(GridData::kBool);
    odd2.SetDataType(GridData::kBool);
    EXPECT_EQ(m_grid.OnSortCompare(&odd1, &odd2, GridSort::kAscending), 0);
}

TEST_F(BlotterGridTest, HeadingPressSortsAscendingEveryTimeAndRowsStayWhole)
{
    WriteRows({{"AAA", {"1", "", "", "987.00", "", ""}},
               {"BBB", {"2", "", "", "1,234.50", "", ""}},
               {"CCC", {"3", "", "", "10.00", "", ""}},
               {"DDD", {"4", "", "", "10.00", "", ""}}});
    m_grid.show();
    PressHeading(3, true);
    CGridCell heading;
    m_grid.GetCell(3, -1, heading);
    EXPECT_EQ(heading.GetBorder(), GridBorder::k3DRecess);
    EXPECT_EQ(heading.GetText(), "Value");
    EXPECT_EQ(Column(3), "1,234.50 10.00 10.00 987.00 ");
    EXPECT_EQ(Column(-1), "BBB CCC DDD AAA "); // equal values keep their order
    EXPECT_EQ(Column(0), "2 3 4 1 ");
    PressHeading(3, false);
    m_grid.GetCell(3, -1, heading);
    EXPECT_EQ(heading.GetBorder(), GridBorder::k3DRaised);
    EXPECT_EQ(Column(3), "1,234.50 10.00 10.00 987.00 "); // a release does not sort

    PressHeading(3, true);
    PressHeading(3, false);
    EXPECT_EQ(Column(-1), "BBB CCC DDD AAA "); // ascending again, no toggling
    EXPECT_EQ(m_grid.GetSortColumn(), 3);
    EXPECT_EQ(m_grid.QuickGetText(-1, -1), "Security");

    // Released over another heading: the pressed one is let go, the other is untouched.
    PressHeading(0, true);
    PressHeading(2, false);
    m_grid.GetCell(0, -1, heading);
    EXPECT_EQ(heading.GetBorder(), GridBorder::k3DRaised);
    m_grid.GetCell(2, -1, heading);
    EXPECT_FALSE(heading.IsPropertySet(GridProp::kBorder));
    EXPECT_EQ(Column(0), "1 2 3 4 ");
}

TEST_F(BlotterGridTest, RefreshKeepsSymbolsWithTheirValuesAndTheUsersOrder)
{
    // Rows in the document's order; the user sorts by "Value".
    WriteRows({{"AAA", {"", "", "", "30.00", "", ""}},
               {"BBB", {"", "", "", "10.00", "", ""}},
               {"CCC", {"", "", "", "20.00", "", ""}}});
    m_grid.show();
    PressHeading(3, true);
    PressHeading(3, false);
    EXPECT_EQ(Column(-1), "BBB CCC AAA ");

    // A refresh writes by document index: back to that order first, then the user's sort.
    m_grid.RestoreWrittenOrder();
    EXPECT_EQ(Column(-1), "AAA BBB CCC ");
    const char* const values[] = {"5.00", "40.00", "7.00"};
    for (long row = 0; row < 3; ++row)
        m_grid.QuickSetText(3, row, values[row]);
    m_grid.ReapplySort();
    EXPECT_EQ(Column(-1), "BBB AAA CCC ");
    EXPECT_EQ(Column(3), "40.00 5.00 7.00 ");

    // Rebuilding the rows starts from the document's order again.
    m_grid.SetRowCount(0);
    WriteRows({{"EEE", {"", "", "", "2.00", "", ""}}, {"FFF", {"", "", "", "1.00", "", ""}}});
    m_grid.RestoreWrittenOrder();
    EXPECT_EQ(Column(-1), "EEE FFF ");
    m_grid.ReapplySort();
    EXPECT_EQ(Column(-1), "FFF EEE ");
}

TEST(BlotterGridAttach, TakesOverTheControlOrDoesNothing)
{
    QWidget window;
    window.resize(640, 400);
    QWidget* placeholder = new QWidget(&window);
    placeholder->setProperty("controlId", 1002);
    placeholder->setGeometry(3, 2, 616, 300);

    CBlotterGrid missing;
    EXPECT_NE(missing.AttachGrid(&window, 999), 0);
    EXPECT_EQ(missing.GetColCount(), 0); // OnSetup did not run

    CBlotterGrid grid;
    ASSERT_EQ(grid.AttachGrid(&window, 1002), 0);
    EXPECT_EQ(grid.parentWidget(), &window);
    EXPECT_EQ(grid.geometry(), QRect(3, 2, 616, 300));
    EXPECT_TRUE(placeholder->isHidden());
    EXPECT_EQ(grid.GetColCount(), 6);
    EXPECT_EQ(grid.QuickGetText(-1, -1), "Security");
    EXPECT_EQ(grid.focusPolicy(), Qt::StrongFocus);
    grid.setParent(nullptr); // the grid is a member of the test, not owned by the window
}

TEST_F(BlotterGridTest, PaintsNegativeRedAndPositiveBlue)
{
    WriteRows({{"AAA", {"1.0000", "0.0000", "1.00", "1.00", "0.00", "0.00"}},
               {"NEG", {"1.0000", "0.0000", "1.00", "-1,234.56", "0.00", "0.00"}},
               {"POS", {"1.0000", "0.0000", "1.00", "9,876.54", "0.00", "0.00"}}});
    const QImage image = m_grid.grab().toImage();
    const QRect negative = m_grid.GetCellRectInGrid(3, 1);
    const QRect positive = m_grid.GetCellRectInGrid(3, 2);
    auto count = [&image](const QRect& rect, const QColor& color) {
        int hits = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                hits += QColor(image.pixel(x, y)) == color;
        return hits;
    };
    EXPECT_GT(count(negative, kRed), 5);
    EXPECT_EQ(count(negative, kBlue), 0);
    EXPECT_GT(count(positive, kBlue), 5);
    EXPECT_EQ(count(positive, kRed), 0);
    // Below the last row the cell area is white.
    const QRect below = m_grid.GetCellRectInGrid(3, 5);
    EXPECT_EQ(QColor(image.pixel(below.center())), QColor(255, 255, 255));
}
