#include "app/dialogs/DialogTemplates.h"

#include "app/dialogs/EditCategoriesDlg.h"
#include "app/dialogs/EditTradesDlg.h"
#include "platform/framework/WinDefs.h"

// Positions are the template's, except that a few captions are a little wider: the desktop's
// stand-in for the template font runs wider than the font the template was laid out for.
namespace {

// Every field label is right-aligned against its field.
constexpr unsigned kFieldLabel = kStyleRight;
constexpr unsigned kListStyle = kStyleSorted + kStyleNotify + kStyleVScroll;

} // namespace

SDialogTemplate EditTradesTemplate()
{
    using D = CEditTradesDlg;
    SDialogTemplate t;
    t.nId = 131;
    t.strCaption = "Edit trades";
    t.cx = 287;
    t.cy = 155;
    t.items = {
        {IDC_STATIC, EControlKind::Frame, "", 3, 2, 281, 132, kStyleNone, {}},
        {IDC_STATIC, EControlKind::Label, "Current Portfolio", 11, 8, 60, 8, kStyleNone, {}},
        {D::kIdTradeList, EControlKind::ListBox, "", 14, 18, 41, 99, kListStyle, {}},
        {D::kIdShowClosed,
         EControlKind::CheckBox,
         "S&how closed trades",
         14,
         119,
         73,
         10,
         kStyleNone,
         {}},
        {IDC_STATIC, EControlKind::GroupBox, " Action ", 74, 10, 93, 24, kStyleNone, {}},
        {D::kIdBuy,
         EControlKind::RadioButton,
         "Bu&y:",
         78,
         20,
         34,
         10,
         kStyleLeftText | kStyleGroup,
         {}},
        {D::kIdSell, EControlKind::RadioButton, "Se&ll:", 122, 20, 36, 10, kStyleLeftText, {}},
        {IDC_STATIC, EControlKind::Label, "&Security:", 74, 42, 27, 8, kFieldLabel, {}},
        {D::kIdSymbol, EControlKind::Edit, "", 103, 38, 58, 14, kStyleNone, {}},
        {IDC_STATIC, EControlKind::Label, "&Quantity:", 74, 58, 27, 8, kFieldLabel, {}},
        {D::kIdQuantity, EControlKind::Edit, "", 103, 54, 57, 14, kStyleRight, {}},
        {IDC_STATIC, EControlKind::Label, "Pr&ice per unit:", 57, 74, 44, 8, kFieldLabel, {}},
        {D::kIdPrice, EControlKind::Edit, "", 103, 71, 57, 14, kStyleRight, {}},
        {IDC_STATIC, EControlKind::Label, "&Broker fee:", 57, 91, 44, 8, kFieldLabel, {}},
        {D::kIdBrokerFee, EControlKind::Edit, "", 103, 88, 57, 14, kStyleRight, {}},
        {D::kIdStatusGroup,
         EControlKind::GroupBox,
         " Trade Status ",
         166,
         10,
         118,
         95,
         kStyleNone,
         {}},
        {IDC_STATIC, EControlKind::Label, "Purchased:", 177, 27, 35, 8, kFieldLabel, {}},
        {D::kIdPurchased,
         EControlKind::Edit,
         "",
         215,
         22,
         49,
         14,
         kStyleReadOnly | kStyleCenter,
         {}},
        {IDC_STATIC, EControlKind::Label, "Sold:", 195, 42, 17, 8, kFieldLabel, {}},
        {D::kIdSold, EControlKind::Edit, "", 215, 38, 49, 14, kStyleReadOnly | kStyleCenter, {}},
        {IDC_STATIC, EControlKind::Label, "Realized P/L:", 170, 57, 42, 8, kFieldLabel, {}},
        {D::kIdRealizedPL,
         EControlKind::Edit,
         "",
         215,
         54,
         62,
         14,
         kStyleReadOnly | kStyleRight,
         {}},
        {IDC_STATIC, EControlKind::Label, "Traded i&n:", 180, 74, 32, 8, kFieldLabel, {}},
        {D::kIdCountry,
         EControlKind::DropDownList,
         "",
         215,
         71,
         64,
         128,
         kStyleSorted,
         {"United States", "Canada", "United Kingdom", "France", "Germany", "Italy", "Sweden",
          "Norway", "Australia", "Switzerland"}},
        {IDC_STATIC, EControlKind::Label, "Cat&egory:", 182, 91, 30, 8, kFieldLabel, {}},
        {D::kIdCategory, EControlKind::DropDownList, "", 215, 88, 64, 90, kStyleSorted, {}},
        {D::kIdAddTrade, EControlKind::PushButton, "&Add Trade", 87, 114, 59, 14, kStyleNone, {}},
        {D::kIdUpdateTrade,
         EControlKind::PushButton,
         "&Update Trade",
         152,
         114,
         59,
         14,
         kStyleNone,
         {}},
        {D::kIdRemoveTrade,
         EControlKind::PushButton,
         "&Remove Trade",
         217,
         114,
         59,
         14,
         kStyleNone,
         {}},
        {IDOK, EControlKind::PushButton, "A&pply", 69, 137, 50, 14, kStyleNone, {}},
        {IDCANCEL, EControlKind::PushButton, "&Cancel", 166, 137, 50, 14, kStyleNone, {}},
    };
    return t;
}

SDialogTemplate EditCategoriesTemplate()
{
    using D = CEditCategoriesDlg;
    SDialogTemplate t;
    t.nId = 137;
    t.strCaption = "Edit categories";
    t.cx = 188;
    t.cy = 156;
    t.items = {
        {IDC_STATIC, EControlKind::Frame, "", 3, 2, 180, 128, kStyleNone, {}},
        {IDC_STATIC, EControlKind::Label, "Current Categories", 9, 12, 64, 8, kStyleNone, {}},
        {D::kIdCategoryList, EControlKind::ListBox, "", 8, 24, 59, 98, kListStyle, {}},
        {IDC_STATIC, EControlKind::Label, "Ca&tegory:", 74, 26, 30, 8, kStyleNone, {}},
        {D::kIdCategory, EControlKind::Edit, "", 106, 24, 58, 14, kStyleNone, {}},
        {D::kIdAdd, EControlKind::PushButton, "&Add", 105, 91, 50, 14, kStyleNone, {}},
        {D::kIdRemove, EControlKind::PushButton, "&Remove", 105, 108, 50, 14, kStyleDefault, {}},
        {IDOK, EControlKind::PushButton, "&OK", 27, 138, 50, 14, kStyleNone, {}},
        {IDCANCEL, EControlKind::PushButton, "&Cancel", 106, 138, 50, 14, kStyleNone, {}},
    };
    return t;
}
