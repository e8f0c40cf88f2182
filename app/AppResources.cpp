#include "app/AppResources.h"

#include <QIcon>
#include <QPixmap>

#include "app/AppIcons.h"
#include "platform/framework/Resources.h"
#include "platform/framework/WinDefs.h"

using namespace BlotterIds;

namespace {

// Sizes the icons are drawn at, from tray size to the task switcher's.
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128};

QIcon MakeIcon(int nId)
{
    QIcon icon;
    for (int nSize : kIconSizes)
        icon.addPixmap(QPixmap::fromImage(DrawAppIcon(nId, nSize)));
    return icon;
}

SDialogItem Item(int nId, EControlKind kind, std::string strText, int x, int y, int cx, int cy,
                 unsigned nStyle = kStyleNone)
{
    SDialogItem item;
    item.nId = nId;
    item.kind = kind;
    item.strText = std::move(strText);
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    item.nStyle = nStyle;
    return item;
}

SDialogItem Label(std::string strText, int x, int y, int cx, int cy)
{
    return Item(IDC_STATIC, EControlKind::Label, std::move(strText), x, y, cx, cy, kStyleRight);
}

} // namespace

void RegisterAppResources()
{
    RegisterMenuResource(
        kMainMenu, {SMenuItem::Popup(
                        "&File", {SMenuItem::Command("Edit &Trades...", kCmdEditTrades),
                                  SMenuItem::Command("Edit &Categories...", kCmdEditCategories),
                                  SMenuItem::Command("&Edit Pager Alerts...", kCmdEditPagerAlerts),
                                  SMenuItem::Command("&Preferences...", kCmdPreferences),
                                  SMenuItem::Command("&History...", kCmdHistory),
                                  SMenuItem::Separator(), SMenuItem::Command("E&xit", IDOK)}),
                    SMenuItem::Popup("&Help", {SMenuItem::Command("&About", kCmdAbout)})});
    RegisterMenuResource(kTrayMenu,
                         {SMenuItem::Popup("Tray", {SMenuItem::Command("&Restore", kCmdRestore),
                                                    SMenuItem::Command("E&xit", ID_APP_EXIT)})});
    RegisterStringResource(kAboutString, "&About Tallyfern...");
    for (int nId : {kProgramIcon, kGainIcon, kLossIcon})
        RegisterIconResource(static_cast<unsigned>(nId), MakeIcon(nId));
}

SDialogTemplate BlotterDlgTemplate()
{
    SDialogTemplate t;
    t.nId = kMainTemplate;
    t.strCaption = "Tallyfern Desktop";
    t.cx = 312;
    t.cy = 234;
    t.nMenuId = kMainMenu;
    t.bMinimizeBox = true;
    t.bMaximizeBox = true;
    const unsigned kTotalStyle = kStyleRight;
    t.items = {
        Item(kGridPlaceholder, EControlKind::Custom, "", 2, 1, 308, 154),
        Label("Category:", 4, 163, 34, 9),
        Item(kCategoryBox, EControlKind::DropDownList, "", 40, 160, 84, 90, kStyleSorted),
        Item(kRefreshNow, EControlKind::PushButton, "&Refresh Now", 190, 159, 60, 15),
        Item(kExitButton, EControlKind::PushButton, "E&xit", 254, 159, 52, 15),
        Label("Total Value:", 4, 180, 62, 9),
        Item(kIdTotalValue, EControlKind::Edit, "", 68, 178, 76, 12, kTotalStyle | kStyleReadOnly),
        Label("Position P/L:", 4, 194, 62, 9),
        Item(kIdPositionPL, EControlKind::Edit, "", 68, 192, 76, 12, kTotalStyle),
        Label("Total P/L Today:", 4, 208, 62, 9),
        Item(kIdTotalToday, EControlKind::Edit, "", 68, 206, 76, 12, kTotalStyle),
        Label("Realized MTD P/L:", 150, 180, 74, 9),
        Item(kIdRealizedMTD, EControlKind::Edit, "", 226, 178, 80, 12,
             kTotalStyle | kStyleReadOnly),
        Label("Realized YTD P/L:", 150, 194, 74, 9),
        Item(kIdRealizedYTD, EControlKind::Edit, "", 226, 192, 80, 12, kTotalStyle),
        Item(kStatusLine, EControlKind::Label, "", 4, 222, 304, 9),
    };
    return t;
}

SDialogTemplate AboutDlgTemplate()
{
    SDialogTemplate t;
    t.nId = kAboutTemplate;
    t.strCaption = "About Tallyfern";
    t.cx = 242;
    t.cy = 121;
    t.items = {
        Item(IDC_STATIC, EControlKind::Icon, std::to_string(kProgramIcon), 11, 12, 24, 24),
        Item(kVersionLine, EControlKind::Edit, "", 44, 12, 190, 12, kStyleReadOnly),
        Item(kVersionStatus, EControlKind::Edit, "", 44, 28, 190, 12, kStyleReadOnly),
        Item(IDC_STATIC, EControlKind::Label,
             "Tallyfern is made by Brackwel. Copyright (C) Brackwel.", 44, 48, 190, 10),
        Item(IDC_STATIC, EControlKind::Label,
             "Visit the Brackwel web site for updates and product information.", 44, 60, 190, 20),
        Item(IDOK, EControlKind::PushButton, "OK", 96, 96, 50, 15, kStyleDefault),
    };
    return t;
}
