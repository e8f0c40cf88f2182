// CBlotterGrid: the main window's grid of open positions. Six value columns, the security
// symbol in the side heading, sign colours on every data cell and an ascending sort on every
// heading press. The window writes the texts; the grid only shows and orders them, widening
// a column to show its widest text and never showing a number cut short.
#pragma once

#include <climits>

#include <QFont>

#include "grid/GridCtrl.h"

class CBlotterGrid : public CGridCtrl
{
    Q_OBJECT

  public:
    // No heading has been pressed yet.
    static constexpr int kNoSort = INT_MIN;
    // Columns of the blotter.
    static constexpr int kNumCols = 6;
    // Width of the side heading that carries the symbols, before a stored width applies.
    static constexpr int kSideHeadingWidth = 75;

    explicit CBlotterGrid(QWidget* parent = nullptr);
    ~CBlotterGrid() override;

    // The column the user last sorted by, or kNoSort.
    int GetSortColumn() const { return m_nSortCol; }
    // Sorts again by the column the user last chose (nothing when none was chosen). A window
    // that writes rows by index calls RestoreWrittenOrder() before writing and this after,
    // so every row keeps its symbol and the user's order survives the refresh.
    void ReapplySort();
    // Forgets the user's sort (the rows stay where they are).
    void ClearSort() { m_nSortCol = kNoSort; }
    const QFont& GetBlotterFont() const { return m_font; }
    // The face and size the blotter uses on this desktop.
    static QFont MakeBlotterFont();

    void OnSetup() override;
    void OnTopHeadingClick(int col, long row, bool bPressed, const QRect& rect, const QPoint& point,
                           bool bProcessed) override;
    void OnGetCell(int col, long row, CGridCell& cell) override;
    int OnCellTypeNotify(int id, int col, long row, int message, const std::string& param) override;
    int OnSortCompare(const CGridCell* pFirst, const CGridCell* pSecond, int flags) override;
    QColor OnGetDefaultBackColor(int section) override;

  private:
    // Shows a heading's pressed or released look at once, before any sort work starts.
    void SetHeadingBorder(int col, short style);

    QFont m_font;
    int m_nSortCol = kNoSort;
};
