// Numbers wider than their column: the blotter widens the column to show every digit and the
// sign, scrolling sideways when the columns outgrow the grid, and a number in a column
// narrowed past it shows as a run of "#" across the cell, never as a number cut short.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QScrollBar>

#include "grid/BlotterGrid.h"
#include "grid/GridCellType.h"
#include "tests/grid/QtTestApp.h"

namespace {

const QColor kWhite(255, 255, 255);
const QColor kRed(255, 0, 0);

// Where a cell's text put ink: the pixels of the cell (its grid lines on the right and at the
// bottom left out) that are not the white background.
struct SInk
{
    int nLeft = -1;  // first column with ink, relative to the cell; -1 when none
    int nRight = -1; // last column with ink
    std::vector<std::vector<bool>> mask;
    bool bRed = false;
};

SInk InkOf(const QImage& image, const QRect& cell)
{
    SInk ink;
    for (int y = cell.top(); y < cell.bottom(); ++y) {
        std::vector<bool> line;
        for (int x = cell.left(); x < cell.right(); ++x) {
            const QColor color(image.pixel(x, y));
            const bool bInk = color != kWhite;
            line.push_back(bInk);
            if (!bInk)
                continue;
            const int nX = x - cell.left();
            if (ink.nLeft < 0 || nX < ink.nLeft)
                ink.nLeft = nX;
            ink.nRight = std::max(ink.nRight, nX);
            ink.bRed = ink.bRed || (color.red() > 200 && color.blue() < 100);
        }
        ink.mask.push_back(line);
    }
    return ink;
}

class WideNumbersTest : public ::testing::Test
{
  protected:
    // A grid narrower than the six columns' texts need: the fit leaves each column about
    // fifty pixels.
    void SetUp() override { m_grid.CreateGrid(nullptr, QRect(0, 0, 420, 200)); }

    // Row 0 holds small numbers (it is the current row, drawn highlighted); row 1 the wide
    // ones under test.
    void WriteRow(long row, const std::vector<std::string>& cells)
    {
        if (m_grid.GetRowCount() <= row)
            m_grid.SetRowCount(row + 1);
        m_grid.QuickSetText(-1, row, "SYM" + std::to_string(row));
        for (std::size_t c = 0; c < cells.size(); ++c)
            m_grid.QuickSetText(static_cast<int>(c), row, cells[c]);
    }

    int Width(int col)
    {
        int width = 0;
        m_grid.GetColWidth(col, width);
        return width;
    }

    int TextWidth(const std::string& text)
    {
        return QFontMetrics(m_grid.GetBlotterFont())
            .horizontalAdvance(QString::fromStdString(text));
    }

    SInk Paint(int col, long row)
    {
        m_grid.RedrawAll();
        const QImage image = m_grid.grab().toImage();
        return InkOf(image, m_grid.GetCellRectInGrid(col, row));
    }

    CBlotterGrid m_grid;
};

TEST_F(WideNumbersTest, EveryDigitAndTheSignShowAndTheGridScrollsSideways)
{
    const std::vector<std::string> wide = {"712,345.5000", "-1,520.2500", "100.00",
                                           "1,234,567.89", "-98,765.43",  "10.00"};
    const int nFitted = Width(0);
    ASSERT_LT(nFitted, TextWidth(wide[0]) + 2 * m_grid.GetMargin()) << "the grid is too wide";
    // The user's own width is the least a column keeps.
    m_grid.SetColWidth(5, 140);
    WriteRow(0, {"1.0000", "0.0000", "1.00", "1.00", "0.00", "0.00"});
    WriteRow(1, wide);

    for (int col : {0, 1, 3, 4}) {
        SCOPED_TRACE(wide[static_cast<std::size_t>(col)]);
        EXPECT_GE(Width(col),
                  TextWidth(wide[static_cast<std::size_t>(col)]) + 2 * m_grid.GetMargin());
        m_grid.SetLeftCol(col);
        const SInk ink = Paint(col, 1);
        ASSERT_GE(ink.nLeft, 0);
        // Right-aligned, the text starts clear of the cell's left edge: nothing was cut off
        // there, and the ink is as wide as the whole text.
        EXPECT_GE(ink.nLeft, m_grid.GetMargin() - 1);
        const QRect bounds =
            QFontMetrics(m_grid.GetBlotterFont())
                .tightBoundingRect(QString::fromStdString(wide[static_cast<std::size_t>(col)]));
        EXPECT_NEAR(ink.nRight - ink.nLeft + 1, bounds.width(), 2);
        EXPECT_EQ(ink.bRed, wide[static_cast<std::size_t>(col)][0] == '-');
    }
    EXPECT_EQ(Width(5), 140);
    EXPECT_EQ(Width(2), nFitted) << "a column whose texts fit keeps its width";

    // The columns now outgrow the grid, which scrolls sideways to the last one.
    int nSum = 0;
    for (int col = 0; col < CBlotterGrid::kNumCols; ++col)
        nSum += Width(col);
    EXPECT_GT(nSum, m_grid.GetCellAreaWidth());
    EXPECT_TRUE(m_grid.GetHScrollBar()->isEnabled());
    EXPECT_GT(m_grid.GetHScrollBar()->maximum(), 0);

    // A shorter number later never narrows a column.
    const int nWide = Width(3);
    WriteRow(1, {"1.0000", "0.0000", "1.00", "2.00", "0.00", "0.00"});
    EXPECT_EQ(Width(3), nWide);
}

TEST_F(WideNumbersTest, ANumberInAColumnNarrowedPastItShowsHashesAcrossTheCell)
{
    WriteRow(0, {"1.0000", "0.0000", "1.00", "1.00", "0.00", "0.00"});
    WriteRow(1, {"1.0000", "-1,520.2500", "1.00", "1,234,567.89", "###", "0.00"});
    // The user drags columns 1 and 3 narrower than their numbers; column 4 gets the same width
    // and holds the hashes themselves, as the reference look.
    constexpr int kNarrow = 34;
    const QString hashes = CGridCellType::OverflowText(QFontMetrics(m_grid.GetBlotterFont()),
                                                       kNarrow - 2 * m_grid.GetMargin());
    ASSERT_FALSE(hashes.isEmpty());
    for (int col : {1, 3, 4})
        m_grid.SetColWidth(col, kNarrow);
    m_grid.QuickSetText(4, 1, hashes.toStdString());
    ASSERT_EQ(Width(4), kNarrow) << "hashes that fit do not widen";
    m_grid.SetLeftCol(0);

    const SInk reference = Paint(4, 1);
    const SInk positive = Paint(3, 1);
    const SInk negative = Paint(1, 1);
    ASSERT_GE(reference.nLeft, 0);
    EXPECT_TRUE(positive.mask == reference.mask)
        << "1,234,567.89 is not drawn as " << hashes.toStdString();
    EXPECT_TRUE(negative.mask == reference.mask)
        << "-1,520.2500 is not drawn as " << hashes.toStdString();
    // The hashes keep the colour of the number's sign.
    EXPECT_TRUE(negative.bRed);
    EXPECT_FALSE(positive.bRed);
    // The texts themselves are kept whole: the next write widens the column again.
    EXPECT_EQ(m_grid.QuickGetText(3, 1), "1,234,567.89");
    m_grid.QuickSetText(3, 1, "1,234,567.89");
    EXPECT_GE(Width(3), TextWidth("1,234,567.89") + 2 * m_grid.GetMargin());
}

TEST_F(WideNumbersTest, ANumberWiderThanTheWholeGridShowsHashes)
{
    const std::string huge = "123,456,789,012,345,678,901,234,567,890,123,456,789,012.00";
    WriteRow(0, {"1.0000", "0.0000", "1.00", "1.00", "0.00", "0.00"});
    WriteRow(1, {"1.0000", "0.0000", "1.00", huge, "0.00", "0.00"});
    // The column grows no wider than the cell area, where it can still be scrolled into view
    // whole, and the number that still does not fit shows as hashes, clear of the left edge.
    EXPECT_EQ(Width(3), m_grid.GetCellAreaWidth());
    m_grid.SetLeftCol(3);
    const SInk ink = Paint(3, 1);
    ASSERT_GE(ink.nLeft, 0);
    EXPECT_GE(ink.nLeft, m_grid.GetMargin() - 1);
}

} // namespace
