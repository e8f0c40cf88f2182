#include "grid/BlotterGrid.h"

#include <utility>

#include <QApplication>
#include <QFontDatabase>

#include "platform/text/BlotterHeadings.h"

namespace {
// The dialogs' face and size where the face exists.
const char* const kDialogFace = "MS Sans Serif";
constexpr int kDialogPointSize = 8;
// Below this the desktop's font is not readable as dialog text; the 8 logical units of the
// original face are far too small in pixels on today's screens.
constexpr int kMinPointSize = 8;

static_assert(kBlotterHeadingCount == CBlotterGrid::kNumCols, "a heading for every column");

const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);
} // namespace

CBlotterGrid::CBlotterGrid(QWidget* parent) : CGridCtrl(parent) {}

CBlotterGrid::~CBlotterGrid() = default;

QFont CBlotterGrid::MakeBlotterFont()
{
    QFont font;
    if (QFontDatabase::families().contains(QString::fromLatin1(kDialogFace))) {
        font = QFont(QString::fromLatin1(kDialogFace), kDialogPointSize);
    } else {
        // The face dialogs use on this desktop, at the size they use it.
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        const QFont appFont = QApplication::font();
        if (appFont.pointSize() > 0)
            font.setPointSize(appFont.pointSize());
        if (font.pointSize() > 0 && font.pointSize() < kMinPointSize)
            font.setPointSize(kMinPointSize);
    }
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

void CBlotterGrid::OnSetup()
{
    m_font = MakeBlotterFont();
    SetRowCount(0, true);
    SetColCount(kNumCols, true);
    SetUniformRowHeight(true);
    QuickSetText(-1, -1, kBlotterSideHeading);
    for (int col = 0; col < kNumCols; ++col)
        QuickSetText(col, -1, kBlotterHeadings[col]);
    SetColWidth(-1, kSideHeadingWidth);
    FitColumns(0, kNumCols - 1);
    // A misread number is worse than none: every column grows to show its widest text, and
    // a number in a column narrowed past it shows as "###" (OnGetCell).
    SetWidenColumnsToFit(true);
}

void CBlotterGrid::SetHeadingBorder(int col, short style)
{
    CGridCell cell;
    GetCell(col, -1, cell);
    cell.SetBorder(style);
    SetCell(col, -1, cell);
    RedrawAll();
    GetTopHeadingWidget()->repaint();
}

void CBlotterGrid::OnTopHeadingClick(int col, long, bool bPressed, const QRect&, const QPoint&,
                                     bool)
{
    if (!bPressed) {
        SetHeadingBorder(col, GridBorder::k3DRaised);
        return;
    }
    SetHeadingBorder(col, GridBorder::k3DRecess);
    m_nSortCol = col;
    SortBy(col, GridSort::kAscending);
    RedrawAll();
}

void CBlotterGrid::ReapplySort()
{
    if (m_nSortCol == kNoSort || m_nSortCol >= GetColCount())
        return;
    SortBy(m_nSortCol, GridSort::kAscending);
    RedrawAll();
}

void CBlotterGrid::OnGetCell(int col, long row, CGridCell& cell)
{
    cell.SetFont(m_font);
    if (col < 0 || row < 0)
        return;
    cell.SetAlignment(GridAlign::kRight | GridAlign::kTop);
    cell.SetCellTypeEx(cell.GetCellTypeEx() | GridCellTypeEx::kOverflowHashes);
    // Only the leading number counts: "1,234.50" reads as 1 and "-0.00" as a zero.
    cell.SetTextColor(cell.GetNumber() < 0.0 ? kRed : kBlue);
}

int CBlotterGrid::OnCellTypeNotify(int, int, long, int, const std::string&)
{
    return 0;
}

int CBlotterGrid::OnSortCompare(const CGridCell* pFirst, const CGridCell* pSecond, int flags)
{
    if (flags & GridSort::kDescending)
        std::swap(pFirst, pSecond);
    const short type = pFirst ? pFirst->GetDataType() : GridData::kText;
    if (type == GridData::kNumber || type == GridData::kTime || type == GridData::kCurrency) {
        const double a = pFirst ? pFirst->GetNumber() : 0.0;
        const double b = pSecond ? pSecond->GetNumber() : 0.0;
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    const bool bFirstText = pFirst && pFirst->HasText();
    const bool bSecondText = pSecond && pSecond->HasText();
    // Two empty cells are equal whatever their type: a pair that came out "above" both ways
    // round would be exchanged again and again.
    if (!bFirstText && !bSecondText)
        return 0;
    if (!bFirstText)
        return 1;
    if (!bSecondText)
        return -1;
    const int result = pFirst->GetText().compare(pSecond->GetText());
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

QColor CBlotterGrid::OnGetDefaultBackColor(int)
{
    return kWhite;
}
