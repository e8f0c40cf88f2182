// The cell's property rules and the row store: replace and merge, headings before row 0, the
// cursor walk, and a sort that must end in the same order as the neighbour passes.
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <random>

#include "grid/GridCell.h"
#include "grid/GridCtrl.h"
#include "grid/GridMemStore.h"
#include "tests/grid/QtTestApp.h"

TEST(GridCell, TextNumberAndPropertyMask)
{
    CGridCell cell;
    EXPECT_EQ(cell.GetPropertyMask(), 0u);
    EXPECT_EQ(cell.GetDataType(), GridData::kText);
    EXPECT_EQ(cell.GetNumber(), 0.0);

    cell.SetText("1,234.50");
    EXPECT_EQ(cell.GetPropertyMask(), GridProp::kText | GridProp::kDataType);
    EXPECT_EQ(cell.GetNumber(), 1.0);

    cell.SetNumber(12.5);
    EXPECT_EQ(cell.GetText(), "12.500000");
    EXPECT_EQ(cell.GetDataType(), GridData::kNumber);
    cell.SetNumberDecimals(2);
    cell.SetNumber(-1234.567);
    EXPECT_EQ(cell.GetText(), "-1234.57");
    EXPECT_TRUE(cell.IsPropertySet(GridProp::kDecimals));

    cell.SetText("-0.00");
    EXPECT_EQ(cell.GetNumber(), 0.0);
    EXPECT_TRUE(std::signbit(cell.GetNumber()));
    cell.SetText("  +7.5e1xyz");
    EXPECT_EQ(cell.GetNumber(), 75.0);
    cell.SetText("abc");
    EXPECT_EQ(cell.GetNumber(), 0.0);
    cell.SetText("--3");
    EXPECT_EQ(cell.GetNumber(), 0.0);
}

TEST(GridCell, CopyReplacesAndAddMerges)
{
    CGridCell stored;
    stored.SetText("IBM");
    stored.SetTextColor(Qt::red);

    CGridCell given;
    given.SetAlignment(GridAlign::kRight);
    given.SetBackColor(Qt::green);

    CGridCell replaced = stored;
    replaced.CopyInfoFrom(given);
    EXPECT_FALSE(replaced.IsPropertySet(GridProp::kText));
    EXPECT_FALSE(replaced.IsPropertySet(GridProp::kTextColor));
    EXPECT_EQ(replaced.GetAlignment(), GridAlign::kRight);

    CGridCell merged = given;
    merged.AddInfoFrom(stored);
    EXPECT_EQ(merged.GetText(), "IBM");
    EXPECT_EQ(merged.GetTextColor(), QColor(Qt::red));
    EXPECT_EQ(merged.GetBackColor(), QColor(Qt::green));
    EXPECT_EQ(merged.GetAlignment(), GridAlign::kRight);
}

TEST(GridMemStore, ReplaceMergeHeadingsAndRandomWalk)
{
    CGridMemStore store;
    CGridCell cell;
    cell.SetText("x");
    cell.SetTextColor(Qt::blue);
    store.SetCell(3, 2, cell);
    CGridCell other;
    other.SetAlignment(GridAlign::kCenter);
    store.SetCell(3, 2, other); // replaces: text and colour are gone
    CGridCell read;
    read.SetBackColor(Qt::yellow);
    ASSERT_TRUE(store.GetCell(3, 2, read));
    EXPECT_FALSE(read.IsPropertySet(GridProp::kText));
    EXPECT_EQ(read.GetAlignment(), GridAlign::kCenter);
    EXPECT_EQ(read.GetBackColor(), QColor(Qt::yellow)); // merged over, not cleared
    EXPECT_FALSE(store.GetCell(4, 2, read));
    EXPECT_EQ(store.FindCell(3, 7), nullptr);

    // Cells written in random order, headings included, read back in another random order.
    std::mt19937 rng(7);
    std::map<std::pair<int, long>, std::string> expected;
    for (int i = 0; i < 3000; ++i) {
        int col = static_cast<int>(rng() % 12) - 2;
        long row = static_cast<long>(rng() % 300) - 2;
        std::string text = std::to_string(i);
        CGridCell c;
        c.SetText(text);
        store.SetCell(col, row, c);
        expected[{col, row}] = text;
    }
    std::vector<std::pair<int, long>> keys;
    for (auto& entry : expected)
        keys.push_back(entry.first);
    std::shuffle(keys.begin(), keys.end(), rng);
    for (auto& key : keys) {
        const CGridCell* p = store.FindCell(key.first, key.second);
        ASSERT_NE(p, nullptr) << key.first << "," << key.second;
        EXPECT_EQ(p->GetText(), expected[key]);
    }
    EXPECT_TRUE(store.DeleteCell(keys[0].first, keys[0].second));
    EXPECT_EQ(store.FindCell(keys[0].first, keys[0].second), nullptr);
    store.DeleteRowsFrom(100);
    EXPECT_EQ(store.FindCell(0, 150), nullptr);
    EXPECT_EQ(store.FindCell(-2, -2) != nullptr, expected.count({-2, -2}) == 1);
}

namespace {

// The rows of a store as the test models them: column -> cell, missing columns absent.
using Row = std::map<int, CGridCell>;

// The neighbour passes, done the slow way, as the reference the store's sort must match.
void ReferencePasses(std::vector<Row>& rows, const std::vector<int>& cols, int flags,
                     const CGridMemStore::CompareFn& compare)
{
    bool bSwapped = true;
    while (bSwapped) {
        bSwapped = false;
        for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
            for (int col : cols) {
                auto a = rows[i].find(col);
                auto b = rows[i + 1].find(col);
                int result = compare(a == rows[i].end() ? nullptr : &a->second,
                                     b == rows[i + 1].end() ? nullptr : &b->second, flags);
                if (result > 0) {
                    std::swap(rows[i], rows[i + 1]);
                    bSwapped = true;
                    break;
                }
                if (result < 0)
                    break;
            }
        }
    }
}

std::string RowSignature(CGridMemStore& store, long row, int numCols)
{
    std::string text;
    for (int col = -1; col < numCols; ++col) {
        const CGridCell* p = store.FindCell(col, row);
        text += p ? (p->IsPropertySet(GridProp::kText) ? p->GetText() : "<none>") : "<missing>";
        text += '|';
    }
    return text;
}

std::string RowSignature(const Row& row, int numCols)
{
    std::string text;
    for (int col = -1; col < numCols; ++col) {
        auto it = row.find(col);
        text += it != row.end()
                    ? (it->second.IsPropertySet(GridProp::kText) ? it->second.GetText() : "<none>")
                    : "<missing>";
        text += '|';
    }
    return text;
}

} // namespace

TEST(GridMemStore, SortEndsInTheNeighbourPassOrder)
{
    CGridCtrl grid; // its OnSortCompare is the comparison under test
    CGridMemStore::CompareFn compare = [&grid](const CGridCell* a, const CGridCell* b, int f) {
        return grid.OnSortCompare(a, b, f);
    };
    std::mt19937 rng(11);
    const char* const texts[] = {"", "a", "b", "B", "ab", "\xe9t\xe9", "10", "9", "-1"};
    for (int round = 0; round < 40; ++round) {
        const int numRows = 1 + static_cast<int>(rng() % 60);
        const int numCols = 3;
        std::vector<Row> model(static_cast<std::size_t>(numRows));
        CGridMemStore store;
        for (int r = 0; r < numRows; ++r) {
            CGridCell symbol;
            symbol.SetText("row" + std::to_string(r)); // the side heading moves with its row
            model[static_cast<std::size_t>(r)][-1] = symbol;
            store.SetCell(-1, r, symbol);
            for (int c = 0; c < numCols; ++c) {
                unsigned pick = rng() % 12;
                if (pick >= 10)
                    continue; // a missing cell
                CGridCell cell;
                if (pick == 9) {
                    cell.SetAlignment(GridAlign::kRight); // present, without text
                } else {
                    cell.SetText(texts[pick]);
                    if (c == 1)
                        cell.SetDataType(GridData::kNumber);
                }
                model[static_cast<std::size_t>(r)][c] = cell;
                store.SetCell(c, r, cell);
            }
        }
        // A heading row that must stay where it is.
        CGridCell heading;
        heading.SetText("Heading");
        store.SetCell(0, -1, heading);

        std::vector<int> cols = (round % 2) ? std::vector<int>{0, 2} : std::vector<int>{1};
        const int flags = (round % 3 == 0) ? GridSort::kDescending : GridSort::kAscending;
        ReferencePasses(model, cols, flags, compare);
        store.SortBy(cols, flags, compare, numRows);
        for (int r = 0; r < numRows; ++r)
            ASSERT_EQ(RowSignature(store, r, numCols),
                      RowSignature(model[static_cast<std::size_t>(r)], numCols))
                << "round " << round << " row " << r;
        ASSERT_NE(store.FindCell(0, -1), nullptr);
        EXPECT_EQ(store.FindCell(0, -1)->GetText(), "Heading");

        // And back to the order the rows were written in.
        store.RestoreCreationOrder(numRows);
        for (int r = 0; r < numRows; ++r)
            ASSERT_EQ(store.FindCell(-1, r)->GetText(), "row" + std::to_string(r));
    }
}

TEST(GridMemStore, SortKeepsEqualRowsInOrderAndLeavesRowsPastTheLimit)
{
    CGridCtrl grid;
    CGridMemStore store;
    const char* const values[] = {"b", "a", "b", "a", "c", "a"};
    for (long r = 0; r < 6; ++r) {
        CGridCell key;
        key.SetText(values[r]);
        store.SetCell(0, r, key);
        CGridCell tag;
        tag.SetText(std::to_string(r));
        store.SetCell(1, r, tag);
    }
    store.SortBy(
        {0}, GridSort::kAscending,
        [&grid](const CGridCell* a, const CGridCell* b, int f) {
            return grid.OnSortCompare(a, b, f);
        },
        5); // row 5 lies past the limit and keeps its place
    std::string order;
    for (long r = 0; r < 6; ++r)
        order += store.FindCell(1, r)->GetText();
    EXPECT_EQ(order, "130245");
}
