#include "grid/GridCell.h"

#include "platform/text/Numbers.h"

void CGridCell::ClearAll()
{
    *this = CGridCell();
}

void CGridCell::CopyInfoFrom(const CGridCell& other)
{
    *this = other;
}

void CGridCell::AddInfoFrom(const CGridCell& other)
{
    const std::uint32_t mask = other.m_nMask;
    if (mask & GridProp::kText)
        m_strText = other.m_strText;
    if (mask & GridProp::kLabel)
        m_strLabel = other.m_strLabel;
    if (mask & GridProp::kDataType)
        m_nDataType = other.m_nDataType;
    if (mask & GridProp::kCellType)
        m_nCellType = other.m_nCellType;
    if (mask & GridProp::kCellTypeEx)
        m_nCellTypeEx = other.m_nCellTypeEx;
    if (mask & GridProp::kTextColor)
        m_textColor = other.m_textColor;
    if (mask & GridProp::kBackColor)
        m_backColor = other.m_backColor;
    if (mask & GridProp::kHTextColor)
        m_hTextColor = other.m_hTextColor;
    if (mask & GridProp::kHBackColor)
        m_hBackColor = other.m_hBackColor;
    if (mask & GridProp::kBorder)
        m_nBorder = other.m_nBorder;
    if (mask & GridProp::kBorderPen)
        m_borderPen = other.m_borderPen;
    if (mask & GridProp::kFont)
        m_font = other.m_font;
    if (mask & GridProp::kBitmap)
        m_bitmap = other.m_bitmap;
    if (mask & GridProp::kAlignment)
        m_nAlignment = other.m_nAlignment;
    if (mask & GridProp::kReadOnly)
        m_bReadOnly = other.m_bReadOnly;
    if (mask & GridProp::kDecimals)
        m_nDecimals = other.m_nDecimals;
    m_nMask |= mask;
}

void CGridCell::SetText(const std::string& text)
{
    m_strText = text;
    m_nDataType = GridData::kText;
    m_nMask |= GridProp::kText | GridProp::kDataType;
}

void CGridCell::SetNumber(double value)
{
    m_strText =
        IsPropertySet(GridProp::kDecimals) ? FormatFixed(value, m_nDecimals) : FormatDefault(value);
    m_nDataType = GridData::kNumber;
    m_nMask |= GridProp::kText | GridProp::kDataType;
}

double CGridCell::GetNumber() const
{
    if (!IsPropertySet(GridProp::kText))
        return 0;
    return ParseLeadingDouble(m_strText);
}

void CGridCell::SetNumberDecimals(int decimals)
{
    m_nDecimals = decimals;
    m_nMask |= GridProp::kDecimals;
}

void CGridCell::SetLabelText(const std::string& text)
{
    m_strLabel = text;
    m_nMask |= GridProp::kLabel;
}

void CGridCell::SetDataType(short type)
{
    m_nDataType = type;
    m_nMask |= GridProp::kDataType;
}

void CGridCell::SetCellType(int index)
{
    m_nCellType = index;
    m_nMask |= GridProp::kCellType;
}

void CGridCell::SetCellTypeEx(int style)
{
    m_nCellTypeEx = style;
    m_nMask |= GridProp::kCellTypeEx;
}

void CGridCell::SetTextColor(const QColor& color)
{
    m_textColor = color;
    m_nMask |= GridProp::kTextColor;
}

void CGridCell::SetBackColor(const QColor& color)
{
    m_backColor = color;
    m_nMask |= GridProp::kBackColor;
}

void CGridCell::SetHTextColor(const QColor& color)
{
    m_hTextColor = color;
    m_nMask |= GridProp::kHTextColor;
}

void CGridCell::SetHBackColor(const QColor& color)
{
    m_hBackColor = color;
    m_nMask |= GridProp::kHBackColor;
}

void CGridCell::SetBorder(short style)
{
    m_nBorder = style;
    m_nMask |= GridProp::kBorder;
}

void CGridCell::SetBorderPen(const QPen& pen)
{
    m_borderPen = pen;
    m_nMask |= GridProp::kBorderPen;
}

void CGridCell::SetFont(const QFont& font)
{
    m_font = font;
    m_nMask |= GridProp::kFont;
}

void CGridCell::SetBitmap(const QPixmap& bitmap)
{
    m_bitmap = bitmap;
    m_nMask |= GridProp::kBitmap;
}

void CGridCell::SetAlignment(short alignment)
{
    m_nAlignment = alignment;
    m_nMask |= GridProp::kAlignment;
}

void CGridCell::SetReadOnly(bool bReadOnly)
{
    m_bReadOnly = bReadOnly;
    m_nMask |= GridProp::kReadOnly;
}
