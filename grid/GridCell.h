// CGridCell: the properties of one grid cell. Each property has a bit in a mask that tells
// whether it is set; an unset property takes the grid's default when the cell is drawn.
#pragma once

#include <cstdint>
#include <string>

#include <QColor>
#include <QFont>
#include <QPen>
#include <QPixmap>

// Property mask bits.
namespace GridProp {
constexpr std::uint32_t kText = 0x1;
constexpr std::uint32_t kLabel = 0x4;
constexpr std::uint32_t kDataType = 0x8;
constexpr std::uint32_t kCellType = 0x20;
constexpr std::uint32_t kCellTypeEx = 0x40;
constexpr std::uint32_t kTextColor = 0x80;
constexpr std::uint32_t kBackColor = 0x100;
constexpr std::uint32_t kHTextColor = 0x200;
constexpr std::uint32_t kHBackColor = 0x400;
constexpr std::uint32_t kBorder = 0x800;
constexpr std::uint32_t kBorderPen = 0x1000;
constexpr std::uint32_t kFont = 0x2000;
constexpr std::uint32_t kBitmap = 0x4000;
constexpr std::uint32_t kAlignment = 0x8000;
constexpr std::uint32_t kReadOnly = 0x1000000;
constexpr std::uint32_t kDecimals = 0x2000000;
} // namespace GridProp

// Data types.
namespace GridData {
constexpr short kText = 1;
constexpr short kNumber = 2;
constexpr short kTime = 3;
constexpr short kBool = 4;
constexpr short kCurrency = 5;
} // namespace GridData

// Alignment bits: horizontal (neither right nor centre means left), vertical (neither
// bottom nor middle means top).
namespace GridAlign {
constexpr short kLeft = 0x0;
constexpr short kRight = 0x2;
constexpr short kCenter = 0x4;
constexpr short kTop = 0x0;
constexpr short kBottom = 0x10;
constexpr short kVCenter = 0x20;
} // namespace GridAlign

// Border style bits.
namespace GridBorder {
constexpr short kThinLeft = 0x1;
constexpr short kThinTop = 0x2;
constexpr short kThinRight = 0x4;
constexpr short kThinBottom = 0x8;
constexpr short kMediumLeft = 0x10;
constexpr short kMediumTop = 0x20;
constexpr short kMediumRight = 0x40;
constexpr short kMediumBottom = 0x80;
constexpr short kThickLeft = 0x100;
constexpr short kThickTop = 0x200;
constexpr short kThickRight = 0x400;
constexpr short kThickBottom = 0x800;
constexpr short k3DRecess = 0x1000;
constexpr short k3DRaised = 0x2000;
} // namespace GridBorder

class CGridCell
{
  public:
    // Drops every property.
    void ClearAll();
    // Replaces this cell's property set by the other's: afterwards exactly its set properties
    // are set here.
    void CopyInfoFrom(const CGridCell& other);
    // Merges the other's set properties over this cell; the rest stays as it was.
    void AddInfoFrom(const CGridCell& other);

    std::uint32_t GetPropertyMask() const { return m_nMask; }
    bool IsPropertySet(std::uint32_t bit) const { return (m_nMask & bit) != 0; }
    void ClearProperty(std::uint32_t bit) { m_nMask &= ~bit; }

    // Text: sets data type 1 (text) with it.
    void SetText(const std::string& text);
    const std::string& GetText() const { return m_strText; }
    // The text, or nothing when no text is set.
    bool HasText() const { return IsPropertySet(GridProp::kText) && !m_strText.empty(); }

    // Prints the number ("%lf", or with the decimals property when set) as the text and sets
    // data type 2 (number).
    void SetNumber(double value);
    // The text read as the C library's string-to-double does; 0 without text.
    double GetNumber() const;
    void SetNumberDecimals(int decimals);
    int GetNumberDecimals() const { return m_nDecimals; }

    void SetLabelText(const std::string& text);
    const std::string& GetLabelText() const { return m_strLabel; }
    void SetDataType(short type);
    short GetDataType() const { return IsPropertySet(GridProp::kDataType) ? m_nDataType : 1; }
    void SetCellType(int index);
    int GetCellType() const { return IsPropertySet(GridProp::kCellType) ? m_nCellType : 0; }
    void SetCellTypeEx(int style);
    int GetCellTypeEx() const { return IsPropertySet(GridProp::kCellTypeEx) ? m_nCellTypeEx : 0; }

    // Colours; the getters give the stored value, meaningful only when the bit is set.
    void SetTextColor(const QColor& color);
    const QColor& GetTextColor() const { return m_textColor; }
    void SetBackColor(const QColor& color);
    const QColor& GetBackColor() const { return m_backColor; }
    void SetHTextColor(const QColor& color);
    const QColor& GetHTextColor() const { return m_hTextColor; }
    void SetHBackColor(const QColor& color);
    const QColor& GetHBackColor() const { return m_hBackColor; }

    void SetBorder(short style);
    short GetBorder() const { return IsPropertySet(GridProp::kBorder) ? m_nBorder : 0; }
    void SetBorderPen(const QPen& pen);
    const QPen& GetBorderPen() const { return m_borderPen; }
    void SetFont(const QFont& font);
    const QFont& GetFont() const { return m_font; }
    void SetBitmap(const QPixmap& bitmap);
    const QPixmap& GetBitmap() const { return m_bitmap; }
    void SetAlignment(short alignment);
    short GetAlignment() const { return IsPropertySet(GridProp::kAlignment) ? m_nAlignment : 0; }
    void SetReadOnly(bool bReadOnly);
    bool GetReadOnly() const { return IsPropertySet(GridProp::kReadOnly) && m_bReadOnly; }

  private:
    std::uint32_t m_nMask = 0;
    std::string m_strText;
    std::string m_strLabel;
    short m_nDataType = GridData::kText;
    int m_nCellType = 0;
    int m_nCellTypeEx = 0;
    QColor m_textColor;
    QColor m_backColor;
    QColor m_hTextColor;
    QColor m_hBackColor;
    short m_nBorder = 0;
    QPen m_borderPen;
    QFont m_font;
    QPixmap m_bitmap;
    short m_nAlignment = 0;
    bool m_bReadOnly = false;
    int m_nDecimals = 0;
};
