// Index 2, "Standard DropList": a cell with a drop button; the choices are the lines of the
// cell's label text. A choice is written into the cell only when the grid's
// OnCellTypeNotify accepts it.
#pragma once

#include <string>
#include <vector>

#include "grid/GridCellType.h"

class QListWidget;

class CDropListCellType : public CGridCellType
{
  public:
    ~CDropListCellType() override;
    std::string GetName() const override;
    void OnDraw(QPainter& painter, CGridCtrl& grid, int col, long row, const QRect& rect,
                const CGridCell& cell, bool bSelected, bool bCurrent) override;
    bool OnLClicked(CGridCtrl& grid, int col, long row, bool bPressed, const QRect& rect,
                    const QPoint& point) override;
    bool OnKeyDown(CGridCtrl& grid, int col, long row, int* pKey) override;

    // The choices: each line of the label ended by a line feed; text after the last line
    // feed is no choice.
    static std::vector<std::string> SplitChoices(const std::string& label);
    static QRect ButtonRect(const QRect& cellRect);

    // Opens the list for a cell (after telling the grid); the open list, or null.
    void OpenList(CGridCtrl& grid, int col, long row);
    QListWidget* GetOpenList() const { return m_pList; }
    // Takes the choice with that index as if the user had picked it.
    void Choose(CGridCtrl& grid, int index);

  private:
    void CloseList();

    QListWidget* m_pList = nullptr;
    std::vector<std::string> m_choices;
    int m_nCol = 0;
    long m_nRow = 0;
};
