#include "grid/GridMemStore.h"

#include <cstdlib>
#include <utility>

namespace {

// Stable bottom-up merge sort of index positions. `after(a, b)` is true when the row at a
// must follow the row at b; a pair is only reordered when that holds, which is exactly the
// swap rule of the neighbour passes, so the result is the one those passes end in.
template <class After> void StableMergeSort(std::vector<std::size_t>& items, After after)
{
    const std::size_t count = items.size();
    std::vector<std::size_t> buffer(count);
    for (std::size_t width = 1; width < count; width *= 2) {
        for (std::size_t lo = 0; lo < count; lo += 2 * width) {
            std::size_t mid = std::min(lo + width, count);
            std::size_t hi = std::min(lo + 2 * width, count);
            std::size_t i = lo, j = mid, out = lo;
            while (i < mid && j < hi) {
                if (after(items[i], items[j]))
                    buffer[out++] = items[j++];
                else
                    buffer[out++] = items[i++];
            }
            while (i < mid)
                buffer[out++] = items[i++];
            while (j < hi)
                buffer[out++] = items[j++];
        }
        items.swap(buffer);
    }
}

} // namespace

CGridMemStore::RowIter CGridMemStore::WalkToRow(long row, bool bCreate)
{
    if (m_rows.empty()) {
        if (!bCreate)
            return m_rows.end();
        m_curRow = m_rows.insert(m_rows.end(), RowNode{row, row, {}});
        m_bCellValid = false;
        return m_curRow;
    }
    // Start from whichever known node is nearest: the first, the cursor or the last.
    RowIter it = m_rows.begin();
    long best = std::labs(row - it->nRow);
    RowIter last = std::prev(m_rows.end());
    if (std::labs(row - last->nRow) < best) {
        it = last;
        best = std::labs(row - last->nRow);
    }
    if (m_curRow != m_rows.end() && std::labs(row - m_curRow->nRow) < best)
        it = m_curRow;

    while (it != m_rows.end() && it->nRow < row)
        ++it;
    while (it != m_rows.begin() && std::prev(it)->nRow >= row)
        --it;
    // `it` is now the first node numbered row or more (or the end).
    if (it == m_rows.end() || it->nRow != row) {
        if (!bCreate)
            return m_rows.end();
        it = m_rows.insert(it, RowNode{row, row, {}});
    }
    if (it != m_curRow) {
        m_curRow = it;
        m_bCellValid = false;
    }
    return it;
}

CGridMemStore::CellIter CGridMemStore::WalkToCell(RowIter rowIt, int col, bool bCreate)
{
    std::list<CellNode>& cells = rowIt->cells;
    CellIter it = (m_bCellValid && rowIt == m_curRow) ? m_curCell : cells.begin();
    if (it == cells.end() && !cells.empty())
        it = cells.begin();
    while (it != cells.end() && it->nCol < col)
        ++it;
    while (it != cells.begin() && std::prev(it)->nCol >= col)
        --it;
    if (it == cells.end() || it->nCol != col) {
        if (!bCreate)
            return cells.end();
        it = cells.insert(it, CellNode{col, {}});
    }
    m_curRow = rowIt;
    m_curCell = it;
    m_bCellValid = true;
    return it;
}

void CGridMemStore::SetCell(int col, long row, const CGridCell& cell)
{
    RowIter rowIt = WalkToRow(row, true);
    CellIter cellIt = WalkToCell(rowIt, col, true);
    cellIt->cell.CopyInfoFrom(cell);
}

const CGridCell* CGridMemStore::FindCell(int col, long row)
{
    RowIter rowIt = WalkToRow(row, false);
    if (rowIt == m_rows.end())
        return nullptr;
    CellIter cellIt = WalkToCell(rowIt, col, false);
    if (cellIt == rowIt->cells.end())
        return nullptr;
    return &cellIt->cell;
}

bool CGridMemStore::GetCell(int col, long row, CGridCell& cell)
{
    const CGridCell* pStored = FindCell(col, row);
    if (!pStored)
        return false;
    cell.AddInfoFrom(*pStored);
    return true;
}

bool CGridMemStore::DeleteCell(int col, long row)
{
    RowIter rowIt = WalkToRow(row, false);
    if (rowIt == m_rows.end())
        return false;
    CellIter cellIt = WalkToCell(rowIt, col, false);
    if (cellIt == rowIt->cells.end())
        return false;
    rowIt->cells.erase(cellIt);
    m_bCellValid = false;
    return true;
}

void CGridMemStore::DeleteRowsFrom(long row)
{
    auto it = m_rows.begin();
    while (it != m_rows.end() && it->nRow < row)
        ++it;
    m_rows.erase(it, m_rows.end());
    m_curRow = m_rows.end();
    m_bCellValid = false;
}

void CGridMemStore::Clear()
{
    m_rows.clear();
    m_curRow = m_rows.end();
    m_bCellValid = false;
}

void CGridMemStore::ApplyOrder(std::vector<RowIter>& nodes, const std::vector<std::size_t>& order)
{
    std::vector<std::list<CellNode>> contents(nodes.size());
    std::vector<long> keys(nodes.size());
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        contents[i].swap(nodes[i]->cells);
        keys[i] = nodes[i]->nKey;
    }
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        nodes[i]->cells.swap(contents[order[i]]);
        nodes[i]->nKey = keys[order[i]];
    }
}

void CGridMemStore::SortBy(const std::vector<int>& cols, int flags, const CompareFn& compare,
                           long rowLimit)
{
    std::vector<RowIter> nodes;
    for (auto it = m_rows.begin(); it != m_rows.end(); ++it) {
        if (it->nRow >= 0 && it->nRow < rowLimit)
            nodes.push_back(it);
    }
    // The sort cells of every row, looked up once: the comparisons then touch no list.
    const std::size_t numCols = cols.size();
    std::vector<const CGridCell*> keyCells(nodes.size() * numCols, nullptr);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        for (const CellNode& node : nodes[i]->cells) {
            for (std::size_t c = 0; c < numCols; ++c) {
                if (node.nCol == cols[c])
                    keyCells[i * numCols + c] = &node.cell;
            }
        }
    }
    std::vector<std::size_t> order(nodes.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    StableMergeSort(order, [&](std::size_t a, std::size_t b) {
        for (std::size_t c = 0; c < numCols; ++c) {
            int result = compare(keyCells[a * numCols + c], keyCells[b * numCols + c], flags);
            if (result > 0)
                return true;
            if (result < 0)
                return false;
        }
        return false;
    });
    ApplyOrder(nodes, order);
    m_curRow = m_rows.end();
    m_bCellValid = false;
    WalkToRow(0, false);
}

void CGridMemStore::RestoreCreationOrder(long rowLimit)
{
    std::vector<RowIter> nodes;
    for (auto it = m_rows.begin(); it != m_rows.end(); ++it) {
        if (it->nRow >= 0 && it->nRow < rowLimit)
            nodes.push_back(it);
    }
    std::vector<std::size_t> order(nodes.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    StableMergeSort(order,
                    [&](std::size_t a, std::size_t b) { return nodes[a]->nKey > nodes[b]->nKey; });
    ApplyOrder(nodes, order);
    m_curRow = m_rows.end();
    m_bCellValid = false;
}
