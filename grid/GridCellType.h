// Cell types: how a cell of a given type index is drawn and how it answers clicks and keys.
// Index 0 is the normal cell type, 1 the check box, 2 the drop list.
#pragma once

#include <string>

#include <QPoint>
#include <QRect>
#include <QString>

class CGridCell;
class CGridCtrl;
class QFontMetrics;
class QPainter;

// Built-in cell type indexes.
namespace GridCellTypes {
constexpr int kNormal = 0;
constexpr int kCheckBox = 1;
constexpr int kDropList = 2;
} // namespace GridCellTypes

// Extended style bits of the normal cell type.
namespace GridCellTypeEx {
constexpr int kMultiLine = 2;
constexpr int kEllipsis = 4;
// A one-line text wider than the cell shows as a run of "#" across it, never cut: a number
// that has lost digits reads as another number.
constexpr int kOverflowHashes = 8;
} // namespace GridCellTypeEx

// Messages a cell type sends to the grid's OnCellTypeNotify.
namespace GridNotify {
constexpr int kCheckBoxSet = 53;
constexpr int kDropListStart = 100;
constexpr int kDropListSelect = 101;
} // namespace GridNotify

class CGridCellType
{
  public:
    virtual ~CGridCellType() = default;
    virtual std::string GetName() const;
    // Paints the cell (background, content); the grid draws borders and the focus afterwards.
    virtual void OnDraw(QPainter& painter, CGridCtrl& grid, int col, long row, const QRect& rect,
                        const CGridCell& cell, bool bSelected, bool bCurrent);
    // Mouse and key events; true when the type handled them.
    virtual bool OnLClicked(CGridCtrl& grid, int col, long row, bool bPressed, const QRect& rect,
                            const QPoint& point);
    virtual bool OnDClicked(CGridCtrl& grid, int col, long row, const QRect& rect,
                            const QPoint& point);
    // May change the key (set it to 0 to swallow it).
    virtual bool OnKeyDown(CGridCtrl& grid, int col, long row, int* pKey);

    // The width in pixels a normal cell needs to show its whole one-line text: the text in
    // the cell's font, a margin on either side, and the bitmap before it. 0 without text.
    static int WidthToShow(const CGridCtrl& grid, const CGridCell& cell);
    // The same from the characters' advances alone: quicker, and off by kerning at most.
    static int QuickWidthToShow(const CGridCtrl& grid, const CGridCell& cell);
    // What a hash-styled cell shows instead of a text that does not fit: as many "#" as fit
    // in nWidth pixels (none when not even one does).
    static QString OverflowText(const QFontMetrics& metrics, int nWidth);

  protected:
    // The normal look: colours, bitmap, aligned text, word-wrap, the "..." cut and the "###"
    // of a text that does not fit. `textRect`
    // is where the text goes (the whole cell for the normal type).
    static void DrawNormal(QPainter& painter, CGridCtrl& grid, const QRect& rect,
                           const QRect& textRect, const CGridCell& cell, bool bSelected,
                           bool bCurrent);
};

// Index 0, "Normal Cell Type (default)".
class CNormalCellType : public CGridCellType
{
  public:
    std::string GetName() const override;
};
