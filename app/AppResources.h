// The desktop program's resource tables: the main window's template (102) and menu (129),
// the tray menu (135), the About box template (100), string 101 and icons 128, 133, 134.
#pragma once

#include "platform/framework/DialogTemplate.h"
#include "platform/framework/WinDefs.h"

// Identifiers shared by the main window, its menus and the tray icon.
namespace BlotterIds {
constexpr int kAboutTemplate = 100;
constexpr unsigned kAboutString = 101;
constexpr int kMainTemplate = 102;
constexpr unsigned kMainMenu = 129;
constexpr unsigned kTrayMenu = 135;
constexpr unsigned kTrayIconId = 135;
// The tray icon's callback message: the first user message plus 100.
constexpr unsigned kTrayCallback = WM_USER + 100;

// Controls of the main window.
constexpr int kGridPlaceholder = 1002;
constexpr int kRefreshNow = 1005;
constexpr int kIdTotalToday = 1006;
constexpr int kIdPositionPL = 1007;
constexpr int kIdTotalValue = 1008;
constexpr int kIdRealizedMTD = 1009;
constexpr int kIdRealizedYTD = 1010;
constexpr int kExitButton = 1011;
constexpr int kCategoryBox = 1020;
// One line of text under the totals: what the last refresh or save has to tell.
constexpr int kStatusLine = 1030;

// Controls of the About box.
constexpr int kVersionLine = 1025;
constexpr int kVersionStatus = 1026;

// Commands.
constexpr unsigned kCmdPreferences = 32773;
constexpr unsigned kCmdAbout = 32772;
constexpr unsigned kCmdEditTrades = 32774;
constexpr unsigned kCmdRestore = 32776;
constexpr unsigned kCmdEditCategories = 32777;
constexpr unsigned kCmdEditPagerAlerts = 32778;
// The History window, after Preferences in the File menu.
constexpr unsigned kCmdHistory = 32779;
constexpr unsigned kSysAbout = 16;

// The refresh timer.
constexpr unsigned kRefreshTimer = 1;
} // namespace BlotterIds

// Registers every menu, string and icon of the program. Icons need the Qt application.
void RegisterAppResources();

SDialogTemplate BlotterDlgTemplate();
SDialogTemplate AboutDlgTemplate();
