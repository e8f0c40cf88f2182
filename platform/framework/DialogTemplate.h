// Dialog templates: a dialog described as data (controls with identifiers, texts, positions
// and sizes in dialog units, style notes), and the conversion of dialog units to pixels with
// the dialog font's average character width and height, so that a window keeps the
// proportions of its template on any screen.
//
// A dialog unit is a quarter of the font's average character width horizontally and an
// eighth of its height vertically.
#pragma once

#include <string>
#include <vector>

#include <QFont>
#include <QRect>

enum class EControlKind {
    Label,        // static text; its "&" mnemonic moves focus to the next control
    Edit,         // one-line edit field
    PushButton,   // sends its identifier as a command when clicked
    CheckBox,     // two-state box
    RadioButton,  // consecutive radio buttons form one group (see kStyleGroup)
    GroupBox,     // captioned frame drawn behind the controls inside it
    Frame,        // plain etched frame
    ListBox,      // list of rows
    DropDownList, // drop-down list without an edit part
    Icon,         // picture of the icon resource whose number is the item's text
    Custom        // placeholder for a control the program supplies (CDialog::SubclassDlgItem)
};

// Style notes; combine with "|".
enum EControlStyle : unsigned {
    kStyleNone = 0,
    kStyleSorted = 1u << 0,     // list and drop-down boxes keep rows sorted, ignoring case
    kStyleReadOnly = 1u << 1,   // edit field that shows but does not take typing
    kStyleRight = 1u << 2,      // text right-aligned
    kStyleCenter = 1u << 3,     // text centred
    kStyleNumber = 1u << 4,     // edit field that takes only digits from the keyboard
    kStyleLeftText = 1u << 5,   // check box or radio button with its text on the left
    kStyleDefault = 1u << 6,    // the default push button: Enter runs it
    kStyleNotify = 1u << 7,     // list box reports selection changes (they always do here)
    kStyleVScroll = 1u << 8,    // vertical scroll bar
    kStyleGroup = 1u << 9,      // a radio button that starts a new group
    kStyleDisabled = 1u << 10,  // created disabled
    kStyleNoTabStop = 1u << 11, // not reached by Tab
};

inline EControlStyle operator|(EControlStyle a, EControlStyle b)
{
    return static_cast<EControlStyle>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

// Identifier of controls that are never addressed (labels, frames).
constexpr int IDC_STATIC = -1;

struct SDialogItem
{
    int nId = IDC_STATIC;
    EControlKind kind = EControlKind::Label;
    std::string strText;
    int x = 0, y = 0, cx = 0, cy = 0; // dialog units
    unsigned nStyle = kStyleNone;
    std::vector<std::string> items; // rows a list or drop-down box starts with
};

struct SDialogTemplate
{
    int nId = 0;
    std::string strCaption;
    int cx = 0, cy = 0; // dialog units
    std::string strFontName = "MS Sans Serif";
    int nPointSize = 8;
    std::vector<SDialogItem> items;
    // The window menu resource, or 0 for none.
    unsigned nMenuId = 0;
    // Caption-bar buttons of a main window.
    bool bMinimizeBox = false;
    bool bMaximizeBox = false;
};

// Average character size of a font, the basis of dialog units.
struct SDialogBaseUnits
{
    int nBaseX = 0;
    int nBaseY = 0;

    static SDialogBaseUnits FromFont(const QFont& font);
    int ToPixelsX(int nUnits) const;
    int ToPixelsY(int nUnits) const;
    QRect MapDialogRect(int x, int y, int cx, int cy) const;
};

// The font a template names, at its point size; where that family is not installed the
// desktop's default family stands in at the same size.
QFont DialogFont(const SDialogTemplate& dialogTemplate);
