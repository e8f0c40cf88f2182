// CGridMemStore: the grid's default row store. Rows form a doubly linked list ordered by row
// number, each row a doubly linked list of cells ordered by column; heading rows and columns
// (negative numbers) come before row 0 and column 0. A cursor remembers the last row and cell
// visited, so walking the grid row by row or cell by cell costs one step each.
#pragma once

#include <functional>
#include <list>
#include <vector>

#include "grid/GridCell.h"

// Sort flags shared by the store and the grid.
namespace GridSort {
constexpr int kAscending = 1;
constexpr int kDescending = 2;
} // namespace GridSort

class CGridMemStore
{
  public:
    // Compares two cells of one sort column: above 0 when the first row belongs after the
    // second. A null pointer stands for a cell that is not in the store.
    using CompareFn = std::function<int(const CGridCell*, const CGridCell*, int)>;

    // Replaces the stored cell's property set by the given cell's, creating the row and cell
    // on the way when they are missing.
    void SetCell(int col, long row, const CGridCell& cell);
    // Merges the stored cell's set properties over `cell`; false (and `cell` untouched) when
    // nothing is stored there.
    bool GetCell(int col, long row, CGridCell& cell);
    // The stored cell, or null. Valid until the store changes.
    const CGridCell* FindCell(int col, long row);
    // Drops one stored cell; true when there was one.
    bool DeleteCell(int col, long row);
    // Drops every row numbered `row` or more (the rows beyond a shrunken grid).
    void DeleteRowsFrom(long row);
    void Clear();

    // Reorders the rows 0 .. rowLimit-1 that exist in the store by the given columns: the
    // order the repeated neighbour passes (swap a pair when the first column whose comparison
    // is not 0 gives above 0) end in, rows comparing equal kept in their order, but found by
    // a merge sort in O(n log n) comparisons. Whole rows move, heading cells included. The
    // cursor is left on row 0, column 0.
    void SortBy(const std::vector<int>& cols, int flags, const CompareFn& compare, long rowLimit);
    // Puts the rows back in the order they were first written (each row remembers the row
    // number it was created under, and carries it through every sort).
    void RestoreCreationOrder(long rowLimit);

    // Number of row nodes (headings included); for tests and diagnostics.
    std::size_t GetRowNodeCount() const { return m_rows.size(); }

  private:
    struct CellNode
    {
        int nCol;
        CGridCell cell;
    };
    struct RowNode
    {
        long nRow;
        long nKey;
        std::list<CellNode> cells;
    };
    using RowIter = std::list<RowNode>::iterator;
    using CellIter = std::list<CellNode>::iterator;

    // Walks to the row; with bCreate inserts it when missing. End iterator when absent.
    RowIter WalkToRow(long row, bool bCreate);
    // Walks the current row's cells to the column; with bCreate inserts it when missing.
    CellIter WalkToCell(RowIter rowIt, int col, bool bCreate);
    // Reorders the given row nodes' contents by the permutation `order` (new position i takes
    // the contents that stood at order[i]).
    void ApplyOrder(std::vector<RowIter>& nodes, const std::vector<std::size_t>& order);

    std::list<RowNode> m_rows;
    RowIter m_curRow = m_rows.end();
    CellIter m_curCell;
    bool m_bCellValid = false;
};
