// Index 1, "Standard CheckBox Type": a square box at the left of the cell, checked when the
// cell's text is a non-zero whole number or begins with "T" or "t"; the label text is shown
// beside the box.
#pragma once

#include "grid/GridCellType.h"

class CCheckBoxCellType : public CGridCellType
{
  public:
    std::string GetName() const override;
    void OnDraw(QPainter& painter, CGridCtrl& grid, int col, long row, const QRect& rect,
                const CGridCell& cell, bool bSelected, bool bCurrent) override;
    bool OnLClicked(CGridCtrl& grid, int col, long row, bool bPressed, const QRect& rect,
                    const QPoint& point) override;
    bool OnKeyDown(CGridCtrl& grid, int col, long row, int* pKey) override;

    static bool IsChecked(const CGridCell& cell);
    // Where the box sits inside a cell rectangle.
    static QRect BoxRect(const QRect& cellRect);

  private:
    static void Store(CGridCtrl& grid, int col, long row, CGridCell& cell, double value);
};
