// The child windows a grid is made of. Each paints its share of the grid and hands its input
// to the grid, which owns all state.
#pragma once

#include <QLabel>
#include <QWidget>

class CGridCtrl;

// The data cells.
class CGridCellArea : public QWidget
{
  public:
    explicit CGridCellArea(CGridCtrl* grid);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    CGridCtrl* m_pGrid;
};

// The column headings above the cells.
class CGridTopHeading : public QWidget
{
  public:
    explicit CGridTopHeading(CGridCtrl* grid);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    CGridCtrl* m_pGrid;
};

// The row headings left of the cells.
class CGridSideHeading : public QWidget
{
  public:
    explicit CGridSideHeading(CGridCtrl* grid);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    CGridCtrl* m_pGrid;
};

// The button where the headings meet.
class CGridCornerButton : public QWidget
{
  public:
    explicit CGridCornerButton(CGridCtrl* grid);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    CGridCtrl* m_pGrid;
};

// The small window that shows a cell's hint under the pointer.
class CGridHintWindow : public QLabel
{
  public:
    explicit CGridHintWindow(QWidget* parent);
};
