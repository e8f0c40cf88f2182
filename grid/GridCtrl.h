// CGridCtrl: a spreadsheet-like grid control. One widget made of parts (cell area, top
// heading, side heading, corner button, two scroll bars, a tab bar for its sheet and a hint
// window) that shows cells kept in row stores; derived grids shape it through the virtual
// events below. Operations return 0 when done and non-zero when they refuse.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QElapsedTimer>
#include <QFrame>
#include <QPen>
#include <QTimer>

#include "grid/GridCell.h"
#include "grid/GridCellType.h"
#include "grid/GridMemStore.h"
#include "grid/GridTextMeasure.h"

class QScrollBar;
class QTabBar;
class CGridCellArea;
class CGridTopHeading;
class CGridSideHeading;
class CGridCornerButton;
class CGridHintWindow;

// The areas of the grid, as OnGetDefaultBackColor and OnHint name them.
namespace GridSection {
constexpr int kCellArea = 1;
constexpr int kTopHeading = 2;
constexpr int kSideHeading = 3;
constexpr int kCornerButton = 4;
constexpr int kTabBar = 5;
} // namespace GridSection

// Results of a move of the current cell.
namespace GridMove {
constexpr int kDone = 0;
constexpr int kAtEnd = 1;
constexpr int kDeclined = 2;
} // namespace GridMove

class CGridCtrl : public QFrame
{
    Q_OBJECT

  public:
    // Rows beyond this cannot keep a per-row height table; the grid switches to one height.
    static constexpr long kMaxRowsWithHeights = 64000;
    // Columns beyond this are refused: the column table stays a small array.
    static constexpr int kMaxCols = 32000;
    // A side heading column wider than this is refused.
    static constexpr int kMaxSideHeadingWidth = 1024;
    // The pointer within this many pixels of a column border offers sizing.
    static constexpr int kSizingSlack = 3;
    // A column number that names no column (-1 is the side heading): no border within reach,
    // no heading pressed, no column being sized.
    static constexpr int kNoColumn = -2;

    // How the user sizes columns and heading rows by dragging their borders.
    enum class EUserSizing {
        kOff,        // no sizing
        kMarkerLine, // the heading follows the pointer; a line over the cells marks the border
        kLive,       // the whole grid is laid out and redrawn at every step
    };

    explicit CGridCtrl(QWidget* parent = nullptr);
    ~CGridCtrl() override;

    // Takes the place and size of the child of `parent` whose "controlId" property (or, when
    // none has one, whose object name) is `controlId`, which it replaces; then OnSetup. 1 when
    // there is no such control, and nothing else happens.
    int AttachGrid(QWidget* parent, int controlId);
    // The same on a fresh rectangle of `parent` (or a top-level window when null).
    int CreateGrid(QWidget* parent, const QRect& rect);

    // Layout.
    int SetRowCount(long rows, bool bRedraw = true);
    long GetRowCount() const { return m_nNumRows; }
    int SetColCount(int cols, bool bRedraw = true);
    int GetColCount() const { return m_nNumCols; }
    int SetUniformRowHeight(bool bOn);
    bool GetUniformRowHeight() const { return m_bUniformRowHeight; }
    int SetDefRowHeight(int height);
    int GetDefRowHeight() const { return m_nDefRowHeight; }
    int SetRowHeight(long row, int height);
    int GetRowHeight(long row) const;
    int SetDefColWidth(int width);
    int SetColWidth(int col, int width);
    int GetColWidth(int col, int& width) const;
    int SetTopHeadingHeight(int height);
    int GetTopHeadingHeight() const;
    int GetSideHeadingWidth() const;
    int FitColumns(int first, int last);
    // With bOn, a text stored in a data row widens its column (the side heading included) to
    // show it whole, up to the cell area's width; a column is never made narrower by it.
    void SetWidenColumnsToFit(bool bOn) { m_bWidenToFit = bOn; }
    bool GetWidenColumnsToFit() const { return m_bWidenToFit; }
    int SetColStore(int col, CGridMemStore* pStore);
    int SetColDataNumber(int col, int dataCol);
    int GetColDataNumber(int col) const;
    int SetColDefault(int col, const CGridCell& cell);
    CGridCell& GetHeadingDefault() { return m_headingDefault; }
    CGridCell& GetGridDefault() { return m_gridDefault; }
    CGridMemStore& GetStore() { return *m_pStore; }

    // Cells.
    int GetCell(int col, long row, CGridCell& cell);
    int GetCellWithDefaults(int col, long row, CGridCell& cell);
    int SetCell(int col, long row, const CGridCell& cell);
    int QuickSetText(int col, long row, const std::string& text);
    std::string QuickGetText(int col, long row);
    // An overlay merged over a cell after OnGetCell, every time it is fetched.
    void SetCellOverlay(int col, long row, const CGridCell& cell);
    void ClearCellOverlays() { m_overlays.clear(); }

    // Sorting: the grid's store reorders its rows 0 .. row count - 1.
    int SortBy(int col, int flags = GridSort::kAscending);
    int SortBy(const std::vector<int>& cols, int flags = GridSort::kAscending);
    // Rows back in the order they were written in (see CGridMemStore::RestoreCreationOrder).
    void RestoreWrittenOrder();

    // Current cell, selection and navigation.
    int GetCurrentCol() const { return m_nCurrentCol; }
    long GetCurrentRow() const { return m_nCurrentRow; }
    int GotoCell(int col, long row);
    int MoveCurrentCol(int col);
    int MoveCurrentRow(long row);
    int GetTopRow() const { return static_cast<int>(m_nTopRow); }
    long GetTopRowLong() const { return m_nTopRow; }
    int GetLeftCol() const { return m_nLeftCol; }
    int SetTopRow(long row);
    int SetLeftCol(int col);
    bool IsSelected(int col, long row) const;
    void GetSelection(int& startCol, long& startRow, int& endCol, long& endRow) const;
    // Searches the data cells after the current one for the text; "Item not found" when none.
    int FindNext(const std::string& text, bool bMatchCase);

    // Settings.
    void SetKeyAcceleration(int n, int delayMs);
    void SetDragAcceleration(int exponent, int delayMs);
    void SetMargin(int margin) { m_nMargin = margin; }
    int GetMargin() const { return m_nMargin; }
    void Set3DThickness(int thickness) { m_n3DThickness = thickness; }
    int Get3DThickness() const { return m_n3DThickness; }
    void SetHighlightSelected(bool bOn) { m_bHighlightSelected = bOn; }
    bool GetHighlightSelected() const { return m_bHighlightSelected; }
    void SetGridLines(bool bOn) { m_bGridLines = bOn; }
    void SetUserSizingMode(EUserSizing mode) { m_sizingMode = mode; }
    void UseHints(bool bOn) { m_bHints = bOn; }
    void SetHintDelay(int ms) { m_nHintDelay = ms; }
    // The tab bar for the sheet is shown when wider than 0.
    void SetTabWidth(int width);
    void SetPaintMode(bool bOn) { m_bPaintingOn = bOn; }
    QPen GetDefaultBorderPen() const { return m_defaultBorderPen; }

    // Cell types: index 0 normal, 1 check box, 2 drop list; more can be added.
    int AddCellType(std::unique_ptr<CGridCellType> pType);
    CGridCellType* GetCellType(int index);

    // Drawing.
    void RedrawAll();
    void RedrawCell(int col, long row);
    void RedrawRange(int startCol, long startRow, int endCol, long endRow);
    // Lays the parts out again after a size or layout change.
    void AdjustComponentSizes();
    QRect GetCellRectInGrid(int col, long row);
    int GetCellAreaWidth() const;
    int GetCellAreaHeight() const;
    QColor ResolveTextColor(const CGridCell& cell, bool bHighlight) const;
    // Text widths in the font, kept for the last font asked about: widening measures every
    // text written, nearly always in one font.
    CGridTextMeasure& MeasureFor(const QFont& font) const;
    QColor ResolveBackColor(const CGridCell& cell, bool bHighlight) const;
    // The parts, for tests and the main window.
    QWidget* GetCellAreaWidget() const;
    QWidget* GetTopHeadingWidget() const;
    QWidget* GetSideHeadingWidget() const;
    QScrollBar* GetVScrollBar() const { return m_pVScroll; }
    QScrollBar* GetHScrollBar() const { return m_pHScroll; }

    // Events for derived grids, with the control's defaults.
    virtual void OnSetup() {}
    virtual void OnTopHeadingClick(int col, long row, bool bPressed, const QRect& rect,
                                   const QPoint& point, bool bProcessed);
    virtual void OnSideHeadingClick(int col, long row, bool bPressed, const QRect& rect,
                                    const QPoint& point, bool bProcessed);
    virtual void OnCornerButtonClick(bool bPressed, const QRect& rect, const QPoint& point);
    virtual void OnLClicked(int col, long row, bool bPressed, const QRect& rect,
                            const QPoint& point, bool bProcessed);
    virtual void OnDClicked(int col, long row, const QRect& rect, const QPoint& point,
                            bool bProcessed);
    virtual void OnKeyDown(int* pKey, bool bProcessed);
    virtual void OnGetCell(int col, long row, CGridCell& cell);
    virtual void OnSetCell(int col, long row, const CGridCell& cell);
    virtual int OnCellTypeNotify(int id, int col, long row, int message, const std::string& param);
    virtual int OnHint(int col, long row, int section, std::string& text);
    virtual int OnSortCompare(const CGridCell* pFirst, const CGridCell* pSecond, int flags);
    virtual QColor OnGetDefaultBackColor(int section);
    virtual void OnDrawFocusRect(QPainter& painter, const QRect& rect);
    // Asked when a move goes past the last row: may add rows (rowsMissing of them are wanted).
    virtual void OnHitBottom(long numRows, long rowsMissing) { (void)numRows, (void)rowsMissing; }
    virtual bool OnCanMove(int oldCol, long oldRow, int newCol, long newRow);
    virtual void OnCellChange(int oldCol, long oldRow, int newCol, long newRow);
    virtual bool OnCanSizeCol(int col)
    {
        (void)col;
        return true;
    }
    virtual void OnColSizing(int col, int* pWidth) { (void)col, (void)pWidth; }
    virtual void OnColSized(int col, int* pWidth) { (void)col, (void)pWidth; }
    virtual bool OnCanSizeTopHdg() { return true; }
    // Shows the grid's own message boxes ("Item not found").
    virtual void ShowMessage(const std::string& text, const std::string& caption);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    friend class CGridCellArea;
    friend class CGridTopHeading;
    friend class CGridSideHeading;
    friend class CGridCornerButton;

    struct ColInfo
    {
        int nWidth = 0;
        CGridMemStore* pStore = nullptr;
        CGridCell defaultCell;
        int nDataCol = 0;
    };

    // Paints one cell (headings included) with its type, borders, grid lines and focus.
    void DrawCell(QPainter& painter, int col, long row, const QRect& rect, bool bHeading);
    void DrawBorders(QPainter& painter, const QRect& rect, const CGridCell& cell);
    // Column at an x of the cell area (or -1 past the last), with its left edge.
    int ColFromX(int x, int* pLeft = nullptr) const;
    long RowFromY(int y, int* pTop = nullptr) const;
    int ColLeft(int col) const;
    long RowTop(long row) const;
    // Row and column that lie at the bottom/right edge so the last one is fully shown.
    long MaxTopRow() const;
    int MaxLeftCol() const;
    void UpdateScrollBars();
    void EnsureVisible(int col, long row);
    void CollapseSelection();
    void FinishCountChange(bool bRedraw);
    long RowsPerPage(long fromRow, bool bDown) const;
    int SideHeadingColLeft(int col) const;
    int ColWidthOrZero(int col) const;
    // Widens the cell's column as far as its text needs (see SetWidenColumnsToFit).
    void WidenToShow(int col, long row);

    // Input from the parts.
    void KeyPressed(QKeyEvent* event);
    void CellAreaMouse(QMouseEvent* event);
    void CellAreaDoubleClick(QMouseEvent* event);
    void DragScrollStep();
    void TopHeadingMouse(QMouseEvent* event);
    void TopHeadingMove(QMouseEvent* event);
    void TopHeadingPress(QMouseEvent* event);
    void TopHeadingRelease(QMouseEvent* event);
    void SideHeadingMouse(QMouseEvent* event);
    void CornerMouse(QMouseEvent* event);
    void ShowHint(const QPoint& cellAreaPos);
    // The column whose right border is within reach of x in the top heading, or kNoColumn.
    int SizingColAt(int x) const;
    int SizingTopRowAt(int y) const;

    // Layout.
    int m_nNumCols = 0;
    std::vector<ColInfo> m_cols;
    long m_nNumRows = 0;
    bool m_bUniformRowHeight = false;
    std::vector<int> m_rowHeights;
    int m_nDefRowHeight = 20;
    int m_nDefColWidth = 75;
    std::vector<int> m_sideHeadingWidths;
    std::vector<int> m_topHeadingHeights;

    // Position and selection.
    int m_nCurrentCol = -1;
    long m_nCurrentRow = -1;
    int m_nLeftCol = 0;
    long m_nTopRow = 0;
    int m_nSelStartCol = -1;
    long m_nSelStartRow = -1;
    int m_nSelEndCol = -1;
    long m_nSelEndRow = -1;
    bool m_bDragging = false;
    bool m_bExtendSelection = false;

    // Cells.
    std::unique_ptr<CGridMemStore> m_pStore;
    CGridCell m_headingDefault;
    CGridCell m_gridDefault;
    std::map<std::pair<int, long>, CGridCell> m_overlays;
    std::vector<std::unique_ptr<CGridCellType>> m_cellTypes;

    // Looks and options.
    int m_nMargin = 4;
    int m_n3DThickness = 1;
    QPen m_whitePen;
    QPen m_shadowPen;
    QPen m_defaultBorderPen;
    bool m_bHighlightSelected = true;
    bool m_bGridLines = true;
    EUserSizing m_sizingMode = EUserSizing::kMarkerLine;
    bool m_bHints = false;
    int m_nHintDelay = 500;
    bool m_bPaintingOn = true;
    int m_nTabWidth = 0;
    bool m_bWidenToFit = false;
    mutable std::optional<CGridTextMeasure> m_measure;

    // Keyboard and drag acceleration.
    int m_nKeyAccel = 10;
    int m_nKeyDelay = 0;
    int m_nKeyRepeats = 0;
    int m_nLastKey = 0;
    QElapsedTimer m_keyTimer;
    int m_nDragExponent = 1;
    int m_nDragDelay = 50;
    QTimer m_dragTimer;
    QPoint m_dragPos;

    // Column and heading sizing.
    int m_nSizingCol = kNoColumn;
    int m_nSizingTopRow = 0;
    bool m_bSizingRow = false;
    bool m_bSizing = false;
    int m_nSizingStartX = 0;
    int m_nSizingStartWidth = 0;
    int m_nSizingMarkerX = -1;
    QPixmap m_sizingSnapshot;
    int m_nPressedTopCol = kNoColumn;
    long m_nPressedTopRow = 0;

    // Parts.
    CGridCellArea* m_pCellArea = nullptr;
    CGridTopHeading* m_pTopHeading = nullptr;
    CGridSideHeading* m_pSideHeading = nullptr;
    CGridCornerButton* m_pCorner = nullptr;
    QScrollBar* m_pVScroll = nullptr;
    QScrollBar* m_pHScroll = nullptr;
    QTabBar* m_pTabBar = nullptr;
    CGridHintWindow* m_pHint = nullptr;
    QTimer m_hintTimer;
    QPoint m_hintPos;
    bool m_bUpdatingScrollBars = false;
};
